#include "packages/own_program_path.h"

#include <vector>

#include "platform/platform.h"

// The engine takes the name for its messages from element 0 of its vector:
// this program's own file, so that a failure line names what the user ran.
std::wstring OwnProgramPath() {
  std::vector<wchar_t> path(32768, L'\0');
  DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (length == 0 || length >= path.size()) return L"pelmora.exe";
  return std::wstring(path.data(), length);
}
