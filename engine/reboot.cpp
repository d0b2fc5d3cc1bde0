#include "engine/engine.h"
#include "platform/scoped_handle.h"

namespace {

void EnableShutdownPrivilege() {
  HANDLE opened = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &opened)) return;
  ScopedKernelHandle token(opened);
  TOKEN_PRIVILEGES privileges = {};
  if (!LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) return;
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
}

}  // namespace

// Enables the shutdown privilege as far as the process may, then asks for a
// restart of this computer. A driver installer reports the restart need
// through the exit code as well, so a refused request is not an error here.
void RequestReboot() {
  EnableShutdownPrivilege();
  InitiateSystemShutdownExW(nullptr, nullptr, 0, FALSE, TRUE,
                            SHTDN_REASON_FLAG_PLANNED | SHTDN_REASON_MAJOR_HARDWARE | SHTDN_REASON_MINOR_INSTALLATION);
}
