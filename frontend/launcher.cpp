#include "frontend/launcher.h"

#include <memory>
#include <vector>

#include "engine/ascii.h"

namespace {

// Closes a process or thread handle when it goes out of scope.
class OwnedHandle {
 public:
  explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  ~OwnedHandle() {
    if (handle_) CloseHandle(handle_);
  }

 private:
  HANDLE handle_;
};

struct LocalFreeDeleter {
  void operator()(wchar_t* text) const { LocalFree(text); }
};

// The program is named by its bare file name in its own command line: only a
// backslash separates folders here, so "C:/tools/setup.exe" stays whole.
std::wstring FileNameOf(const std::wstring& path) {
  size_t lastBackslash = path.find_last_of(L'\\');
  return lastBackslash == std::wstring::npos ? path : path.substr(lastBackslash + 1);
}

// A program's own command line names it by its file name; one that holds a
// blank is quoted, so that the program sees its arguments as they were given.
std::wstring CommandLineName(const std::wstring& fileName) {
  return fileName.find(L' ') == std::wstring::npos ? fileName : L"\"" + fileName + L"\"";
}

// The system hands a batch file's command line to the command interpreter,
// which would run whatever the arguments chain on to it. Trailing dots and
// blanks, which the system drops from a file name, do not hide one.
bool IsBatchFile(const std::wstring& fileName) {
  size_t end = fileName.find_last_not_of(L". ");
  if (end == std::wstring::npos || end < 3) return false;
  std::wstring extension;
  for (size_t i = end - 3; i <= end; ++i) extension += AsciiLower(fileName[i]);
  return extension == L".bat" || extension == L".cmd";
}

// The system's text for an error code, or nothing when it has none.
std::wstring SystemErrorText(DWORD error) {
  wchar_t* buffer = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPWSTR>(&buffer), 0,
                 nullptr);
  std::unique_ptr<wchar_t, LocalFreeDeleter> owned(buffer);
  return owned ? std::wstring(owned.get()) : std::wstring();
}

}  // namespace

// Both texts are the launcher's own copies, so nothing done to them here can
// reach the caller.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
DWORD RunProgramHidden(std::wstring programPath, std::wstring parameters, int waitSeconds) {
  const std::wstring fileName = FileNameOf(programPath);
  if (IsBatchFile(fileName)) return ERROR_BAD_EXE_FORMAT;
  if (!parameters.empty() && parameters[0] != L' ') parameters.insert(0, 1, L' ');
  const std::wstring commandText = CommandLineName(fileName) + parameters;
  // CreateProcessW may write into the command line, so it gets a buffer of
  // its own rather than the string's storage.
  std::vector<wchar_t> commandLine(commandText.c_str(), commandText.c_str() + commandText.size() + 1);

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process = {};

  // The application name is taken as given so that no search path can put
  // another program in its place.
  if (!CreateProcessW(programPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                      CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr, &startup, &process)) {
    DWORD error = GetLastError();
    // Looked up but shown nowhere: an installer that runs us reads the exit
    // code alone, and the console stays quiet.
    SystemErrorText(error);
    // A failed start is a failure even when the system gave no code for it.
    return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
  }
  OwnedHandle thread(process.hThread);
  OwnedHandle started(process.hProcess);
  // A program still running when the time is up is left to run: it counts as
  // started, and its end or exit code is none of our business.
  WaitForSingleObject(process.hProcess, static_cast<DWORD>(waitSeconds) * 1000u);
  return 0;
}
