#include "engine/engine.h"

// Enables the shutdown privilege as far as the process may, then asks for a
// restart of this computer. A driver installer reports the restart need
// through the exit code as well, so a refused request is not an error here.
void RequestReboot() {
  HANDLE token = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) {
    TOKEN_PRIVILEGES privileges = {};
    if (LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) {
      privileges.PrivilegeCount = 1;
      privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
      AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    }
    CloseHandle(token);
  }
  InitiateSystemShutdownExW(nullptr, nullptr, 0, FALSE, TRUE,
                            SHTDN_REASON_FLAG_PLANNED | SHTDN_REASON_MAJOR_HARDWARE |
                                SHTDN_REASON_MINOR_INSTALLATION);
}
