// Windows: the SDK itself.
#pragma once

#include <windows.h>
#include <cfgmgr32.h>
#include <newdev.h>
#include <setupapi.h>

#ifndef ERROR_INF_IN_USE_BY_DEVICES
#define ERROR_INF_IN_USE_BY_DEVICES (APPLICATION_ERROR_MASK | ERROR_SEVERITY_ERROR | 0x23D)
#endif
#ifndef ERROR_NOT_AN_INSTALLED_OEM_INF
#define ERROR_NOT_AN_INSTALLED_OEM_INF (APPLICATION_ERROR_MASK | ERROR_SEVERITY_ERROR | 0x23C)
#endif
#ifndef SUOI_FORCEDELETE
#define SUOI_FORCEDELETE 0x00000001
#endif
#ifndef SHTDN_REASON_MINOR_INSTALLATION
#define SHTDN_REASON_MINOR_INSTALLATION 0x00000002
#endif

static_assert(sizeof(OSVERSIONINFOEXW) == 284, "version record layout");
