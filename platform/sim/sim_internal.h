// Shared plumbing of the simulation's areas: call log, faults, handles.
#pragma once

#include <string>
#include <vector>

#include "platform/sim/sim.h"

namespace sim::detail {

// Logs a call (and traces it, see core.cpp) and tells whether a fault is
// injected into it; when one is, `error` receives its code. Every simulated
// function starts with this.
bool FaultInjected(const char* name, const std::string& arguments, unsigned long* error);

// Convenience for the common case: log, and on an injected fault set the last
// error and return true so the caller returns its failure value.
bool FaultedCall(const char* name, const std::string& arguments);

// Sets the last error and gives back the caller's failure value.
template <typename T = BOOL>
T Fail(DWORD error, T failure = FALSE) {
  SetLastError(error);
  return failure;
}

enum class HandleKind {
  DeviceInfoSet,
  Inf,
  Find,
  Library,
  Process,
  Thread,
  Token,
  LocalBuffer,
  RegistryKey,
};

// Handles are unique addresses; the registry tells open from closed.
void* NewHandle(HandleKind kind);
void TrackHandle(HandleKind kind, const void* handle);
bool IsOpen(HandleKind kind, const void* handle);
bool ReleaseHandle(HandleKind kind, const void* handle);  // false if not open

// A library's export, registered by the area that implements the function.
void RegisterExport(const std::wstring& library, const std::string& function, FARPROC address);

// Windows' own INF files in the INF directory (windows_infs.cpp).
void AddWindowsInfs();

// The files directly in a directory, in the file system's order, with their contents
// (valid until the file system next changes).
struct FileView {
  const wchar_t* name;  // points into the entry's path
  const std::string* content;
};
std::vector<FileView> FilesIn(const std::wstring& directory);

// A path as the file system keeps it: full, and without the \\?\ or
// \\?\UNC\ prefix, which only turns the system's interpretation off.
std::wstring Resolved(const std::wstring& path);
// "X:\" of a drive path, "\\server\share\" of a share: what ".." never leaves.
size_t RootLength(const std::wstring& full);
// The folder part of a full path, its root included.
std::wstring FolderOf(const std::wstring& full);

// The simulated system's language and whether its version is at least this.
unsigned SystemLanguage();
bool VersionAtLeast(unsigned major, unsigned minor);
// Whether the simulated Windows version still reaches remote machines.
bool RemoteMachinesSupported();

// Area resets, called by sim::Reset in this order.
void ResetSystem();
void ResetMessages();
void ResetFileSystem();
void ResetProcesses();
void ResetFileApi();
void ResetDriverStore();  // after ResetSystem: registers an export
void ResetConfigManagerRoot();
void ResetDevices();  // after ResetSystem: registers an export
void ResetInfFiles();

// Key-argument formatting for the call log.
std::string Quote(const wchar_t* text);  // "text" in UTF-8, or null
std::string Hex(unsigned long value);

// Case-insensitive (ASCII) comparison for names and paths.
bool EqualNoCase(const std::wstring& a, const std::wstring& b);
std::wstring Lower(const std::wstring& text);

}  // namespace sim::detail
