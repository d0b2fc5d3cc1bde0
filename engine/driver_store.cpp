#include "engine/engine.h"

#include "engine/driver_packages.h"
#include "engine/message_output.h"
#include "engine/system_library.h"
#include "messages.h"

namespace {

// Only oem<digits>.inf names reach the store, so "file not found", Windows'
// answer for a name that is not in the INF folder, means a package that is
// not installed.
DWORD UninstallFailureMessage(DWORD error) {
  if (error == ERROR_INF_IN_USE_BY_DEVICES) return MSG_DP_IN_USE;
  if (error == ERROR_NOT_AN_INSTALLED_OEM_INF || error == ERROR_FILE_NOT_FOUND) return MSG_DP_NOT_OEM;
  return MSG_DP_DELETE_FAILED;
}

int UninstallPackage(SetupUninstallOEMInfWFn uninstall, const wchar_t* infName, DWORD flags) {
  DWORD uninstallFlags = (flags & ENGINE_FLAG_FORCE) ? SUOI_FORCEDELETE : 0;
  if (uninstall(infName, uninstallFlags, nullptr)) {
    WriteEngineMessage(TEXT_STDOUT, MSG_DP_DELETED, infName);
    return ENGINE_DONE;
  }
  // Read before any message is written: composing one resets it.
  DWORD error = GetLastError();
  DWORD message = UninstallFailureMessage(error);
  const std::wstring reason = message == MSG_DP_DELETE_FAILED ? SystemErrorText(error) : L"";
  WriteEngineMessage(TEXT_STDOUT, message, reason.c_str());
  return ENGINE_FAILED;
}

// A path as its failure line names it: the file as found, in its plain form.
std::wstring ShownPath(const wchar_t* path) { return ShownText(PlainPath(path).c_str()); }

}  // namespace

std::wstring PlainPath(const std::wstring& path) {
  if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + path.substr(8);
  if (path.compare(0, 4, L"\\\\?\\") == 0) return path.substr(4);
  return path;
}

// The store gets the full path as the system resolves it: SetupCopyOEMInfW
// documents a full path of at most MAX_PATH characters, the terminator
// included, and keeps its folder as the package's source location. A path
// whose full form does not fit is refused before any copy, never cut: a cut
// path would name some other file.
int AddDriverPackage(const wchar_t*, const wchar_t*, DWORD, int argc, const wchar_t* const* argv) {
  if (argc < 1) return ENGINE_BAD_USAGE;
  WCHAR fullPath[MAX_PATH];
  DWORD length = GetFullPathNameW(argv[0], MAX_PATH, fullPath, nullptr);
  if (length == 0 || length >= MAX_PATH) {
    // A path that is only too long has no code to give.
    const std::wstring reason = length == 0 ? L" " + SystemErrorText(GetLastError()) : L"";
    WriteEngineMessage(TEXT_STDOUT, MSG_DP_ADD_BAD_PATH, ShownPath(argv[0]).c_str(), reason.c_str());
    return ENGINE_FAILED;
  }

  WCHAR stored[MAX_PATH] = {0};
  PWSTR storedName = nullptr;
  if (!SetupCopyOEMInfW(fullPath, nullptr, SPOST_PATH, 0, stored, MAX_PATH, nullptr, &storedName)) {
    const std::wstring reason = SystemErrorText(GetLastError());
    WriteEngineMessage(TEXT_STDOUT, MSG_DP_ADD_FAILED, ShownPath(fullPath).c_str(), reason.c_str());
    return ENGINE_FAILED;
  }
  WriteEngineMessage(TEXT_STDOUT, MSG_DP_ADDED, ShownText(storedName ? storedName : stored).c_str());
  return ENGINE_DONE;
}

// SetupUninstallOEMInfW is looked up at run time: systems before it lack it.
// Some platforms delete whatever path they are given, so only a package
// name of the store reaches it.
int DeleteDriverPackage(const wchar_t*, const wchar_t*, DWORD flags, int argc, const wchar_t* const* argv) {
  if (argc < 1) return ENGINE_BAD_USAGE;
  if (!IsOemPackageName(argv[0])) {
    WriteEngineMessage(TEXT_STDOUT, MSG_DP_NOT_OEM);
    return ENGINE_FAILED;
  }
  ScopedLibrary setupapi = LoadSystemLibrary(L"setupapi.dll");
  if (!setupapi.valid()) return ENGINE_FAILED;
  auto uninstall = FindFunction<SetupUninstallOEMInfWFn>(setupapi, "SetupUninstallOEMInfW");
  return uninstall ? UninstallPackage(uninstall, argv[0], flags) : ENGINE_FAILED;
}
