// Test helper for "exec": records how it was started in record_args.txt next
// to its own executable (found through its module name, since its command
// line is the thing under test), as UTF-16:
//   flags=<STARTUPINFO dwFlags>
//   show=<STARTUPINFO wShowWindow>
//   cmdline=<GetCommandLineW()>
#include <windows.h>

#include <string>
#include <vector>

int wmain() {
  std::vector<wchar_t> path(32768);
  DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  std::wstring record(path.data(), length);
  record = record.substr(0, record.find_last_of(L'\\') + 1) + L"record_args.txt";
  HANDLE file = CreateFileW(record.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 3;

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  std::wstring text = L"flags=" + std::to_wstring(startup.dwFlags) + L"\n" + L"show=" +
                      std::to_wstring(startup.wShowWindow) + L"\n" + L"cmdline=" + GetCommandLineW() + L"\n";
  DWORD written = 0;
  BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
  CloseHandle(file);
  return ok ? 0 : 3;
}
