#include "frontend/launcher.h"

#include <cwchar>
#include <vector>

#include "engine/ascii.h"
#include "engine/engine.h"
#include "engine/message_output.h"
#include "messages.h"
#include "packages/full_path.h"
#include "packages/own_program_path.h"
#include "packages/program_line.h"
#include "platform/scoped_handle.h"

namespace {

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

// The system hands a batch file to the command interpreter by its bare name,
// which the interpreter looks up again in the current folder and along PATH.
// Trailing dots and blanks, which the system drops from a file name, do not
// hide one.
bool IsBatchFile(const std::wstring& path) {
  size_t end = path.find_last_not_of(L". ");
  if (end == std::wstring::npos || end < 3) return false;
  std::wstring extension;
  for (size_t i = end - 3; i <= end; ++i) extension += AsciiLower(path[i]);
  return extension == L".bat" || extension == L".cmd";
}

// What the command interpreter would act on rather than pass to the batch
// file: its operators, its variable marks, control characters (tab is a
// blank to it), and an odd quotation mark, which would leave the rest of the
// line unquoted.
bool InterpreterWouldAct(const std::wstring& text) {
  size_t quotes = 0;
  for (wchar_t c : text) {
    if ((c < 0x20 && c != L'\t') || (c != 0 && std::wcschr(L"&|<>^%!", c))) return true;
    if (c == L'"') ++quotes;
  }
  return quotes % 2 != 0;
}

// Statuses with which the loader ends a process that could not load: a DLL,
// an ordinal or an entry point missing, a bad image, a DLL that failed to
// initialise.
bool IsLoaderFailure(DWORD status) {
  return status == 0xC0000135u || status == 0xC0000138u || status == 0xC0000139u || status == 0xC000007Bu ||
         status == 0xC0000142u;
}

// A launch that fails is named in one line on standard error, with why; the
// caller turns the code into exit code 2. A failure is a failure even when
// the system gave no code for it.
DWORD Refuse(DWORD messageId, const std::wstring& programPath, DWORD code) {
  const std::wstring program = OwnProgramPath();
  if (messageId == MSG_BATCH_REFUSED) {
    WriteProgramLine(messageId, program, programPath);
  } else {
    // A loader status is no system error code: the system has no text for it.
    const std::wstring reason = messageId == MSG_NOT_STARTED ? SystemErrorText(code) : L"";
    WriteEngineMessage(TEXT_STDERR, messageId, ProgramBaseName(program.c_str()), ShownText(programPath.c_str()).c_str(),
                       static_cast<unsigned>(code), reason.c_str());
  }
  return code != 0 ? code : ERROR_GEN_FAILURE;
}

struct Launch {
  std::wstring application;
  std::wstring commandLine;
};

// A batch file runs through the system directory's command interpreter,
// named by its full path in quotes so that no other file of the same name
// is found: cmd.exe /d /c ""<full path>" <arguments>". /d keeps the
// interpreter's AutoRun commands out; /c strips the outer quotes.
DWORD BatchLaunch(const std::wstring& programPath, const std::wstring& full, const std::wstring& parameters,
                  Launch* launch) {
  if (full.empty()) return Refuse(MSG_NOT_STARTED, programPath, ERROR_INVALID_NAME);
  // The interpreter would start, find nothing and end: that is no start.
  DWORD attributes = GetFileAttributesW(full.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return Refuse(MSG_NOT_STARTED, programPath, GetLastError());
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Refuse(MSG_NOT_STARTED, programPath, ERROR_ACCESS_DENIED);
  // No Windows name holds a quotation mark; one here would end the quoting.
  if (InterpreterWouldAct(full) || full.find(L'"') != std::wstring::npos || InterpreterWouldAct(parameters)) {
    return Refuse(MSG_BATCH_REFUSED, programPath, ERROR_INVALID_PARAMETER);
  }
  wchar_t system[MAX_PATH];
  UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return Refuse(MSG_NOT_STARTED, programPath, ERROR_INVALID_NAME);
  launch->application = std::wstring(system, length) + L"\\cmd.exe";
  launch->commandLine = L"cmd.exe /d /c \"\"" + full + L"\"" + parameters + L"\"";
  return 0;
}

}  // namespace

// Both texts are the launcher's own copies, so nothing done to them here can
// reach the caller.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
DWORD RunProgramHidden(std::wstring programPath, std::wstring parameters, int waitSeconds) {
  if (!parameters.empty() && parameters[0] != L' ') parameters.insert(0, 1, L' ');
  Launch launch{programPath, CommandLineName(FileNameOf(programPath)) + parameters};
  const std::wstring full = FullPathOf(programPath);
  if (IsBatchFile(programPath) || IsBatchFile(full)) {
    DWORD refused = BatchLaunch(programPath, full, parameters, &launch);
    if (refused != 0) return refused;
  }
  // CreateProcessW may write into the command line, so it gets a buffer of
  // its own rather than the string's storage.
  std::vector<wchar_t> commandLine(launch.commandLine.c_str(),
                                   launch.commandLine.c_str() + launch.commandLine.size() + 1);

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process = {};

  // The application name is taken as given so that no search path can put
  // another program in its place.
  if (!CreateProcessW(launch.application.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                      CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr, &startup, &process)) {
    return Refuse(MSG_NOT_STARTED, programPath, GetLastError());
  }
  ScopedKernelHandle thread(process.hThread);
  ScopedKernelHandle started(process.hProcess);
  // A program still running when the time is up is left to run: it counts as
  // started. Its exit code is none of our business, except for the statuses
  // with which the loader ends a program that never ran.
  if (WaitForSingleObject(started.get(), static_cast<DWORD>(waitSeconds) * 1000u) != WAIT_OBJECT_0) return 0;
  DWORD status = 0;
  if (GetExitCodeProcess(started.get(), &status) && IsLoaderFailure(status)) {
    return Refuse(MSG_NOT_LOADED, programPath, status);
  }
  return 0;
}
