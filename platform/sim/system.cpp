// Operating-system services of the simulation: the version query, the
// process token and restart requests, run-time libraries and CloseHandle.
#include <cstring>
#include <map>

#include "platform/sim/sim_internal.h"

namespace sim {
namespace {

struct Library {
  std::map<std::string, FARPROC> exports;
};

struct System {
  unsigned major = 6;
  unsigned minor = 1;
  unsigned servicePack = 1;
  unsigned language = 0x0409;  // English (United States)
  bool privilegeEnabled = false;
  std::vector<RestartRequest> restarts;
  std::map<std::wstring, Library> libraries;   // by lower-case name
  std::map<const void*, std::wstring> loaded;  // open module handles
};

System& State() {
  static System system;
  return system;
}

const DWORD kShutdownPrivilegeLow = 19;  // SE_SHUTDOWN_PRIVILEGE

}  // namespace

void SetVersion(unsigned major, unsigned minor, unsigned servicePackMajor) {
  State().major = major;
  State().minor = minor;
  State().servicePack = servicePackMajor;
}

void SetLanguage(unsigned languageId) { State().language = languageId; }

const std::vector<RestartRequest>& RestartRequests() { return State().restarts; }

void RemoveLibrary(const std::wstring& name) { State().libraries.erase(detail::Lower(name)); }

void RemoveExport(const std::wstring& library, const std::string& function) {
  State().libraries[detail::Lower(library)].exports.erase(function);
}

namespace detail {

unsigned SystemLanguage() { return State().language; }

bool VersionAtLeast(unsigned major, unsigned minor) {
  return State().major > major || (State().major == major && State().minor >= minor);
}

// Windows 8 is version 6.2.
bool RemoteMachinesSupported() { return !VersionAtLeast(6, 2); }

void RegisterExport(const std::wstring& library, const std::string& function, FARPROC address) {
  State().libraries[Lower(library)].exports[function] = address;
}

void ResetSystem() {
  State() = System();
  // Windows' own libraries exist even where the program uses none of their
  // exports; the areas that implement exports register them.
  State().libraries[L"setupapi.dll"];
  State().libraries[L"newdev.dll"];
}

}  // namespace detail
}  // namespace sim

using namespace sim::detail;

BOOL GetVersionExW(LPOSVERSIONINFOW info) {
  if (FaultedCall("GetVersionExW", info ? std::to_string(info->dwOSVersionInfoSize) : "null")) {
    return FALSE;
  }
  if (!info ||
      (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW) && info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXW))) {
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  const sim::System& system = sim::State();
  info->dwMajorVersion = system.major;
  info->dwMinorVersion = system.minor;
  info->dwBuildNumber = system.major >= 6 ? 7601 : 2600;
  info->dwPlatformId = VER_PLATFORM_WIN32_NT;
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  if (system.servicePack) {
    std::swprintf(info->szCSDVersion, 128, L"Service Pack %u", system.servicePack);
  }
  if (info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXW)) {
    auto* extended = reinterpret_cast<OSVERSIONINFOEXW*>(info);
    extended->wServicePackMajor = static_cast<WORD>(system.servicePack);
    extended->wServicePackMinor = 0;
    extended->wSuiteMask = 0;
    extended->wProductType = 1;
    extended->wReserved = 0;
  }
  return TRUE;
}

HANDLE GetCurrentProcess() { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)); }

BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, PHANDLE token) {
  if (FaultedCall("OpenProcessToken", Hex(desiredAccess))) return FALSE;
  if (process != GetCurrentProcess() || !token) return Fail(ERROR_INVALID_HANDLE);
  *token = NewHandle(HandleKind::Token);
  return TRUE;
}

BOOL LookupPrivilegeValueW(LPCWSTR systemName, LPCWSTR name, PLUID luid) {
  if (FaultedCall("LookupPrivilegeValueW", Quote(systemName) + ", " + Quote(name))) return FALSE;
  if (systemName != nullptr || !name || std::wcscmp(name, SE_SHUTDOWN_NAME) != 0) {
    SetLastError(1313);  // ERROR_NO_SUCH_PRIVILEGE
    return FALSE;
  }
  luid->LowPart = sim::kShutdownPrivilegeLow;
  luid->HighPart = 0;
  return TRUE;
}

BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES newState, DWORD bufferLength,
                           PTOKEN_PRIVILEGES previousState, PDWORD returnLength) {
  (void)bufferLength;
  (void)returnLength;
  std::string arguments =
      std::string(disableAll ? "disable all" : "keep") + ", " + (previousState ? "previous" : "no previous");
  if (newState) {
    arguments += ", " + std::to_string(newState->PrivilegeCount) + " privilege, luid " +
                 std::to_string(newState->Privileges[0].Luid.LowPart) + ", attributes " +
                 Hex(newState->Privileges[0].Attributes);
  }
  if (FaultedCall("AdjustTokenPrivileges", arguments)) return FALSE;
  if (!IsOpen(HandleKind::Token, token)) return Fail(ERROR_INVALID_HANDLE);
  if (!disableAll && newState && newState->PrivilegeCount == 1 &&
      newState->Privileges[0].Luid.LowPart == sim::kShutdownPrivilegeLow) {
    sim::State().privilegeEnabled = (newState->Privileges[0].Attributes & SE_PRIVILEGE_ENABLED) != 0;
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL InitiateSystemShutdownExW(LPWSTR machineName, LPWSTR message, DWORD timeout, BOOL forceAppsClosed,
                               BOOL rebootAfterShutdown, DWORD reason) {
  std::string arguments = Quote(machineName) + ", " + Quote(message) + ", " + std::to_string(timeout) + ", " +
                          (forceAppsClosed ? "force" : "no force") + ", " +
                          (rebootAfterShutdown ? "reboot" : "no reboot") + ", " + Hex(reason);
  if (FaultedCall("InitiateSystemShutdownExW", arguments)) return FALSE;
  sim::State().restarts.push_back(sim::RestartRequest{machineName == nullptr, sim::State().privilegeEnabled, timeout,
                                                      forceAppsClosed != 0, rebootAfterShutdown != 0, reason});
  if (!sim::State().privilegeEnabled) return Fail(ERROR_PRIVILEGE_NOT_HELD);
  return TRUE;
}

UINT GetSystemDirectoryW(LPWSTR buffer, UINT size) {
  if (FaultedCall("GetSystemDirectoryW", std::to_string(size))) return 0;
  const std::wstring directory = L"C:\\Windows\\system32";
  if (size <= directory.size()) return static_cast<UINT>(directory.size() + 1);
  directory.copy(buffer, directory.size());
  buffer[directory.size()] = 0;
  return static_cast<UINT>(directory.size());
}

// The shared Windows directory, also under Terminal Services.
UINT GetSystemWindowsDirectoryW(LPWSTR buffer, UINT size) {
  if (FaultedCall("GetSystemWindowsDirectoryW", std::to_string(size))) return 0;
  const std::wstring directory = L"C:\\Windows";
  if (!buffer || size <= directory.size()) return static_cast<UINT>(directory.size() + 1);
  directory.copy(buffer, directory.size());
  buffer[directory.size()] = 0;
  return static_cast<UINT>(directory.size());
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size) {
  if (FaultedCall("GetModuleFileNameW", module ? "module" : "null")) return 0;
  const std::wstring path = L"C:\\Program Files\\Pelmora\\pelmora.exe";
  size_t copied = path.size() < size ? path.size() : size - 1;
  path.copy(buffer, copied);
  buffer[copied] = 0;
  if (copied < path.size()) SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return copied < path.size() ? size : static_cast<DWORD>(copied);
}

// A library is found by its full path in the system directory, or by its
// bare name; a path to anywhere else finds nothing.
HMODULE LoadLibraryW(LPCWSTR fileName) {
  if (FaultedCall("LoadLibraryW", Quote(fileName))) return nullptr;
  std::wstring name = Lower(fileName ? fileName : L"");
  const std::wstring systemDirectory = L"c:\\windows\\system32\\";
  if (name.compare(0, systemDirectory.size(), systemDirectory) == 0) name.erase(0, systemDirectory.size());
  auto found = sim::State().libraries.find(name);
  if (found == sim::State().libraries.end()) return Fail(ERROR_MOD_NOT_FOUND, nullptr);
  void* module = NewHandle(HandleKind::Library);
  sim::State().loaded[module] = found->first;
  return static_cast<HMODULE>(module);
}

FARPROC GetProcAddress(HMODULE module, const char* procName) {
  if (FaultedCall("GetProcAddress", procName ? procName : "null")) return nullptr;
  auto loaded = sim::State().loaded.find(module);
  if (loaded == sim::State().loaded.end() || !IsOpen(HandleKind::Library, module)) {
    return Fail(ERROR_INVALID_HANDLE, nullptr);
  }
  const auto& exports = sim::State().libraries[loaded->second].exports;
  auto found = exports.find(procName ? procName : "");
  if (found == exports.end()) return Fail(ERROR_PROC_NOT_FOUND, nullptr);
  return found->second;
}

BOOL FreeLibrary(HMODULE module) {
  std::string name = "unknown";
  auto loaded = sim::State().loaded.find(module);
  if (loaded != sim::State().loaded.end()) name = sim::Utf8(loaded->second);
  if (FaultedCall("FreeLibrary", name)) return FALSE;
  if (!ReleaseHandle(HandleKind::Library, module)) return Fail(ERROR_INVALID_HANDLE);
  sim::State().loaded.erase(module);
  return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
  if (FaultedCall("CloseHandle", "")) return FALSE;
  // Only kernel handles close here; any other handle stays open.
  bool closed = ReleaseHandle(HandleKind::Process, handle) || ReleaseHandle(HandleKind::Thread, handle) ||
                ReleaseHandle(HandleKind::Token, handle);
  return closed ? TRUE : Fail(ERROR_INVALID_HANDLE);
}
