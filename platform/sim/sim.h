// The simulated Windows machine behind platform.h on hosts without Windows.
// Tests arrange it through this interface, run the real program code, and
// then inspect what the program did: the calls it made, the text it wrote,
// the handles it left open and the state it changed.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace sim {

// A fresh machine: Windows 7 SP1, no faults, empty call log and output,
// every area back to its defaults.
void Reset();

// --- Call log ---------------------------------------------------------------
// One entry per platform call, "Name(key, arguments)" with text in UTF-8.
const std::vector<std::string>& Calls();
std::vector<std::string> CallsTo(const std::string& name);
size_t CountCalls(const std::string& name);
void ClearCalls();
// Whether calls are written to the log (on after Reset). Off, they are still
// numbered for fault injection but leave no entry: benchmarks of large
// machines turn it off so that they time the program, not the log's growth.
void KeepCallLog(bool keep);

// --- Fault injection --------------------------------------------------------
// Makes calls of `name` fail with `error` (a Win32 error, or a CONFIGRET for
// the CM_ functions): the nth call from now (1-based) and `count` calls after
// it, or every call from the nth on when count is 0.
void FailCall(const std::string& name, unsigned long error, int nth = 1, int count = 1);

// --- Handle accounting ------------------------------------------------------
// Everything the program opens and must close or free: device information
// sets, INF handles, find handles, libraries, processes, threads, tokens and
// FormatMessageW buffers.
int OpenHandles();
std::string OpenHandleReport();  // one "kind" per open handle, for messages

// --- Console output ---------------------------------------------------------
// What the program wrote, as the reader sees it: console text as UTF-8, bytes
// of a redirected stream as they are, and a CR LF pair as one line feed.
std::string StdOut();
std::string StdErr();
std::string RawStdOut();  // the bytes themselves, CR LF pairs included
void ClearOutput();
// Both streams are a console (which shows every character) until this sends
// them to files, with the console's output code page 437, 850 or 65001
// (another cannot be converted to), or 0 for a process without a console (the
// OEM code page, 437, then holds).
void RedirectOutput(unsigned consoleCodePage);

// --- Operating system version -----------------------------------------------
void SetVersion(unsigned major, unsigned minor, unsigned servicePackMajor);
// The system's language (a LANGID; 0x0409 after Reset): it picks an INF's
// [Strings.<language ID>] section.
void SetLanguage(unsigned languageId);

// --- Message table ----------------------------------------------------------
// The table is built from the same source as the program's resource.
void HideMessage(unsigned long id);  // as if the table had no entry for it

// --- Restart requests -------------------------------------------------------
struct RestartRequest {
  bool localMachine;
  bool hadShutdownPrivilege;
  unsigned long timeoutSeconds;
  bool forceAppsClosed;
  bool reboot;
  unsigned long reason;
};
// Every InitiateSystemShutdownExW call, recorded and never acted on.
const std::vector<RestartRequest>& RestartRequests();

// --- Run-time libraries -----------------------------------------------------
void RemoveLibrary(const std::wstring& name);  // LoadLibraryW fails
void RemoveExport(const std::wstring& library, const std::string& function);

// --- File system ------------------------------------------------------------
// Drive-letter and \\server\share paths with backslashes, compared without
// regard to case; a \\?\ (or \\?\UNC\) prefix names the same file. The
// machine starts with C:\, the system's INF directory and the current
// directory C:\work; the INF directory holds some of Windows' own INF files
// (1394.inf, acpi.inf, machine.inf, usb.inf, volume.inf). Relative paths are taken against the current directory.
extern const wchar_t* const kInfDirectory;  // C:\Windows\INF
void SetCurrentDirectory(const std::wstring& path);
// Windows' full-path rules: '/' becomes '\', "." and ".." are resolved,
// trailing dots and blanks of a component are dropped; a path that begins
// with \\?\ is taken as it stands. (Device names such as con are not
// modelled.)
std::wstring FullPath(const std::wstring& path);
void AddDirectory(const std::wstring& path);  // parents are created as needed
void AddFile(const std::wstring& path, const std::string& content);
bool FileExists(const std::wstring& path);  // files only
bool DirectoryExists(const std::wstring& path);
bool ReadFile(const std::wstring& path, std::string* content);
bool RemoveFile(const std::wstring& path);
// Names (as created) of the entries directly in a directory, in NTFS's
// order (alphabetical, compared in upper case), which is the order the
// simulated file search yields them.
std::vector<std::wstring> ListDirectory(const std::wstring& path);

// UTF-8 of a wide string, for logs and output.
std::string Utf8(const wchar_t* text);
std::string Utf8(const std::wstring& text);

}  // namespace sim
