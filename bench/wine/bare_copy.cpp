// The floor for "pelmora.exe install": a bare program that copies every INF
// of a folder into the driver store with SetupCopyOEMInfW and prints the
// stored name, with none of Pelmora's structure around it.
#include <windows.h>
#include <setupapi.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 1;
  std::wstring folder = argv[1];
  if (folder.back() != L'\\') folder += L'\\';
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"*.inf").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  do {
    wchar_t full[MAX_PATH];
    if (!GetFullPathNameW((folder + found.cFileName).c_str(), MAX_PATH, full, nullptr)) continue;
    wchar_t stored[MAX_PATH];
    PWSTR name = nullptr;
    if (SetupCopyOEMInfW(full, nullptr, SPOST_PATH, 0, stored, MAX_PATH, nullptr, &name)) {
      std::wprintf(L"Driver package added as %ls.\n", name);
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return 0;
}
