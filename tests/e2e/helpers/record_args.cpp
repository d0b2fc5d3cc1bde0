// Test helper for "exec": records how it was started in record_args.txt next
// to its own executable (found through its module name, since its command
// line is the thing under test):
//   flags=<STARTUPINFO dwFlags>
//   show=<STARTUPINFO wShowWindow>
//   cmdline=<GetCommandLineW(), UTF-8>
// When record_args.sleep lies next to it, it then sleeps for the number of
// seconds written there and leaves record_args.done behind when it wakes.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::wstring OwnFolder() {
  std::vector<wchar_t> path(32768);
  DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  std::wstring folder(path.data(), length);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string result(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &result[0], size, nullptr,
                      nullptr);
  return result;
}

bool WriteWholeFile(const std::wstring& path, const std::string& content) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == content.size();
}

// The number of seconds in the sleep marker, or -1 when there is none.
long SleepSeconds(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return -1;
  char text[32] = {};
  DWORD read = 0;
  ReadFile(file, text, sizeof text - 1, &read, nullptr);
  CloseHandle(file);
  return std::strtol(text, nullptr, 10);
}

}  // namespace

int wmain() {
  std::wstring folder = OwnFolder();
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);

  std::string record = "flags=" + std::to_string(startup.dwFlags) + "\n" +
                       "show=" + std::to_string(startup.wShowWindow) + "\n" +
                       "cmdline=" + Utf8(GetCommandLineW()) + "\n";
  if (!WriteWholeFile(folder + L"record_args.txt", record)) return 3;

  long seconds = SleepSeconds(folder + L"record_args.sleep");
  if (seconds < 0) return 0;
  Sleep(static_cast<DWORD>(seconds) * 1000u);
  return WriteWholeFile(folder + L"record_args.done", "done\n") ? 0 : 3;
}
