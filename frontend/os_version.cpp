#include "frontend/frontend.h"
#include "platform/platform.h"

namespace {

bool QueryVersion(OSVERSIONINFOEXW& info) {
  info = OSVERSIONINFOEXW();
  info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
  return GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&info)) != FALSE;
}

}  // namespace

bool IsWinXpSp3OrLater() {
  OSVERSIONINFOEXW info;
  if (!QueryVersion(info)) return false;
  if (info.dwMajorVersion > 5) return true;
  if (info.dwMajorVersion == 5 && info.dwMinorVersion == 1) return info.wServicePackMajor >= 3;
  return false;
}

bool IsWin2000OrLater() {
  OSVERSIONINFOEXW info;
  return QueryVersion(info) && info.dwMajorVersion >= 5;
}
