// Simulated processes: CreateProcessW records what it was given and hands out
// handles, WaitForSingleObject records its time-out, GetExitCodeProcess gives
// the code a test set. No program ever runs.
#include <cwchar>

#include "platform/sim/sim_internal.h"
#include "platform/sim/sim_process.h"

namespace sim {
namespace {

struct Processes {
  std::vector<ProcessStart> starts;
  std::vector<ProcessWait> waits;
  unsigned long waitResult = WAIT_OBJECT_0;
  unsigned long exitCode = 0;
  DWORD nextId = 1000;
};

Processes& State() {
  static Processes processes;
  return processes;
}

std::wstring ParentOf(const std::wstring& full) {
  size_t slash = full.rfind(L'\\');
  return slash == std::wstring::npos ? full : full.substr(0, slash + 1);
}

// Without an application name Windows takes the first token of the command
// line (quoted or up to a blank) and adds ".exe" when it has no extension;
// the simulation looks for it in the current directory only.
std::wstring ModuleFromCommandLine(const wchar_t* commandLine) {
  std::wstring text = commandLine ? commandLine : L"";
  std::wstring token;
  if (!text.empty() && text[0] == L'"') {
    size_t close = text.find(L'"', 1);
    token = text.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
  } else {
    token = text.substr(0, text.find_first_of(L" \t"));
  }
  size_t slash = token.find_last_of(L"\\/");
  size_t dot = token.rfind(L'.');
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) token += L".exe";
  return token;
}

// Windows' answer for a module that the file system has, or has not.
DWORD StartError(const std::wstring& module) {
  if (module.empty()) return ERROR_PATH_NOT_FOUND;
  std::wstring full = FullPath(module);
  std::string content;
  // Windows' loader: a file that is not a program image (no "MZ" header) is
  // refused with ERROR_BAD_EXE_FORMAT, "not a valid Win32 application".
  if (ReadFile(full, &content)) return content.compare(0, 2, "MZ") == 0 ? ERROR_SUCCESS : ERROR_BAD_EXE_FORMAT;
  if (DirectoryExists(full)) return ERROR_ACCESS_DENIED;
  if (full.back() == L'\\' || !DirectoryExists(ParentOf(full))) return ERROR_PATH_NOT_FOUND;
  return ERROR_FILE_NOT_FOUND;
}

bool RestOfStartupInfoZero(const STARTUPINFOW& info) {
  return info.lpReserved == nullptr && info.lpDesktop == nullptr && info.lpTitle == nullptr && info.dwX == 0 &&
         info.dwY == 0 && info.dwXSize == 0 && info.dwYSize == 0 && info.dwXCountChars == 0 &&
         info.dwYCountChars == 0 && info.dwFillAttribute == 0 && info.cbReserved2 == 0 && info.lpReserved2 == nullptr &&
         info.hStdInput == nullptr && info.hStdOutput == nullptr && info.hStdError == nullptr;
}

// Windows may write into the command-line buffer while it parses it (which is
// why the buffer must be writable); the simulation does the same, leaving the
// text as it found it.
void TouchCommandLine(LPWSTR commandLine) {
  if (!commandLine) return;
  size_t length = std::wcslen(commandLine);
  for (size_t i = 0; i <= length; ++i) {
    wchar_t c = commandLine[i];
    commandLine[i] = 0;
    commandLine[i] = c;
  }
}

}  // namespace

const std::vector<ProcessStart>& ProcessStarts() { return State().starts; }

const std::vector<ProcessWait>& ProcessWaits() { return State().waits; }

void SetWaitResult(unsigned long result) { State().waitResult = result; }

void SetExitCode(unsigned long code) { State().exitCode = code; }

namespace detail {
void ResetProcesses() { State() = Processes(); }
}  // namespace detail

}  // namespace sim

using namespace sim::detail;

BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                    LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                    LPVOID environment, LPCWSTR currentDirectory, LPSTARTUPINFOW startupInfo,
                    LPPROCESS_INFORMATION processInformation) {
  sim::ProcessStart start{};
  start.applicationNameGiven = applicationName != nullptr;
  start.applicationName = applicationName ? applicationName : L"";
  start.commandLineGiven = commandLine != nullptr;
  start.commandLine = commandLine ? commandLine : L"";
  start.processAttributesGiven = processAttributes != nullptr;
  start.threadAttributesGiven = threadAttributes != nullptr;
  start.inheritHandles = inheritHandles != FALSE;
  start.creationFlags = creationFlags;
  start.environmentGiven = environment != nullptr;
  start.currentDirectoryGiven = currentDirectory != nullptr;
  start.startupInfoGiven = startupInfo != nullptr;
  if (startupInfo) {
    start.startupInfoSize = startupInfo->cb;
    start.startupFlags = startupInfo->dwFlags;
    start.showWindow = startupInfo->wShowWindow;
    start.startupInfoRestZero = sim::RestOfStartupInfoZero(*startupInfo);
  }
  sim::Processes& state = sim::State();

  if (FaultedCall("CreateProcessW", Quote(applicationName) + ", " + Quote(commandLine) + ", " + Hex(creationFlags))) {
    start.error = GetLastError();
    state.starts.push_back(start);
    return FALSE;
  }
  sim::TouchCommandLine(commandLine);
  DWORD error = ERROR_SUCCESS;
  if (!startupInfo || !processInformation) {
    error = ERROR_INVALID_PARAMETER;
  } else {
    error = sim::StartError(applicationName ? applicationName : sim::ModuleFromCommandLine(commandLine));
  }
  if (error != ERROR_SUCCESS) {
    start.error = error;
    state.starts.push_back(start);
    return Fail(error);
  }
  processInformation->hProcess = NewHandle(HandleKind::Process);
  processInformation->hThread = NewHandle(HandleKind::Thread);
  processInformation->dwProcessId = state.nextId;
  processInformation->dwThreadId = state.nextId + 4;
  state.nextId += 8;
  start.created = true;
  start.process = processInformation->hProcess;
  start.thread = processInformation->hThread;
  state.starts.push_back(start);
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  if (FaultedCall("WaitForSingleObject", std::to_string(milliseconds))) return WAIT_FAILED;
  bool onProcess = IsOpen(HandleKind::Process, handle);
  if (!onProcess && !IsOpen(HandleKind::Thread, handle)) return Fail(ERROR_INVALID_HANDLE, WAIT_FAILED);
  sim::State().waits.push_back(sim::ProcessWait{handle, onProcess, milliseconds});
  return static_cast<DWORD>(sim::State().waitResult);
}

// A program that has not ended (the wait timed out) reads STILL_ACTIVE.
BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode) {
  if (FaultedCall("GetExitCodeProcess", "")) return FALSE;
  if (!IsOpen(HandleKind::Process, process) || !exitCode) return Fail(ERROR_INVALID_HANDLE);
  const sim::Processes& state = sim::State();
  *exitCode = state.waitResult == WAIT_TIMEOUT ? STILL_ACTIVE : static_cast<DWORD>(state.exitCode);
  return TRUE;
}
