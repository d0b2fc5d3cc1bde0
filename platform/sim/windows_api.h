// The Windows names the program uses, declared for hosts without Windows.
// Types, fields, constants and signatures follow the SDK; the simulation in
// this folder implements the functions. Text is wchar_t, which is 32 bits
// here, so byte sizes are always counts times sizeof(WCHAR).
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

#define WINAPI

typedef int BOOL;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef unsigned int UINT;
typedef uintptr_t ULONG_PTR;
typedef wchar_t WCHAR;
typedef WCHAR* LPWSTR;
typedef WCHAR* PWSTR;
typedef const WCHAR* LPCWSTR;
typedef const WCHAR* PCWSTR;
typedef void* PVOID;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef BYTE* PBYTE;
typedef DWORD* PDWORD;
typedef DWORD* LPDWORD;
typedef BOOL* PBOOL;
typedef UINT* PUINT;
typedef void* HANDLE;
typedef HANDLE* PHANDLE;
typedef void* HLOCAL;
typedef void* HWND;
typedef void* HINF;
typedef void* HDEVINFO;
typedef void* HMACHINE;
typedef void* HSPFILEQ;
typedef struct SimModule* HMODULE;
typedef void (*FARPROC)();
typedef DWORD DEVINST;
typedef DEVINST* PDEVINST;
typedef DWORD CONFIGRET;
typedef UINT DI_FUNCTION;

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)))
#define INVALID_FILE_ATTRIBUTES (static_cast<DWORD>(-1))
#define FILE_ATTRIBUTE_DIRECTORY 0x10
#define FILE_ATTRIBUTE_ARCHIVE 0x20
#define WAIT_OBJECT_0 0
#define WAIT_TIMEOUT 258
#define STILL_ACTIVE 259
#define WAIT_FAILED 0xFFFFFFFF

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
typedef GUID* LPGUID;

// --- Errors -----------------------------------------------------------------

#define ERROR_SUCCESS 0
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_PATH_NOT_FOUND 3
#define ERROR_ACCESS_DENIED 5
#define ERROR_INVALID_HANDLE 6
#define ERROR_NOT_ENOUGH_MEMORY 8
#define ERROR_INVALID_DATA 13
#define ERROR_NO_MORE_FILES 18
#define ERROR_GEN_FAILURE 31
#define ERROR_INVALID_PARAMETER 87
#define ERROR_INSUFFICIENT_BUFFER 122
#define ERROR_INVALID_NAME 123
#define ERROR_MOD_NOT_FOUND 126
#define ERROR_PROC_NOT_FOUND 127
#define ERROR_BAD_EXE_FORMAT 193
#define ERROR_FILENAME_EXCED_RANGE 206
#define ERROR_MORE_DATA 234
#define ERROR_NO_MORE_ITEMS 259
#define ERROR_MR_MID_NOT_FOUND 317
#define ERROR_INVALID_USER_BUFFER 1784
#define ERROR_INVALID_FLAGS 1004
#define ERROR_PRIVILEGE_NOT_HELD 1314
#define ERROR_SECTION_NOT_FOUND 0xE0000101
#define ERROR_LINE_NOT_FOUND 0xE0000102
#define ERROR_CLASS_MISMATCH 0xE0000201
#define ERROR_DEVINST_ALREADY_EXISTS 0xE0000207
#define ERROR_INVALID_CLASS 0xE0000206
#define ERROR_INVALID_REG_PROPERTY 0xE0000209
#define ERROR_WRONG_INF_STYLE 0xE0000100
#define ERROR_NO_SUCH_DEVINST 0xE000020B
#define ERROR_INVALID_DEVINST_NAME 0xE0000205
#define ERROR_DEVINFO_NOT_REGISTERED 0xE0000208
#define ERROR_KEY_DOES_NOT_EXIST 0xE0000204
#define ERROR_INVALID_MACHINENAME 0xE0000220
#define ERROR_DI_DO_DEFAULT 0xE000020E
#define ERROR_NOT_AN_INSTALLED_OEM_INF 0xE000023C
#define ERROR_INF_IN_USE_BY_DEVICES 0xE000023D
#define ERROR_NO_COMPAT_DRIVERS 0xE0000228

DWORD GetLastError();
void SetLastError(DWORD error);

// --- Configuration Manager ----------------------------------------------------

#define CR_SUCCESS 0x00000000
#define CR_INVALID_POINTER 0x00000003
#define CR_INVALID_FLAG 0x00000004
#define CR_INVALID_DEVNODE 0x00000005
#define CR_NO_SUCH_DEVNODE 0x0000000D
#define CR_FAILURE 0x00000013
#define CR_BUFFER_SMALL 0x0000001A
#define CR_ACCESS_DENIED 0x00000033
#define CR_REMOTE_COMM_FAILURE 0x0000003B
#define CM_LOCATE_DEVNODE_NORMAL 0x00000000
#define CM_REENUMERATE_NORMAL 0x00000000
#define MAX_DEVICE_ID_LEN 200

CONFIGRET CM_Locate_DevNodeW(PDEVINST devInst, const WCHAR* deviceId, ULONG flags);
CONFIGRET CM_Reenumerate_DevNode(DEVINST devInst, ULONG flags);
CONFIGRET CM_Get_Device_ID_ExW(DEVINST devInst, PWSTR buffer, ULONG bufferLen, ULONG flags, HMACHINE machine);
CONFIGRET CM_Get_Device_IDW(DEVINST devInst, PWSTR buffer, ULONG bufferLen, ULONG flags);

// --- SetupAPI: device information sets --------------------------------------

#define DIGCF_PRESENT 0x00000002
#define DIGCF_ALLCLASSES 0x00000004
#define DICD_GENERATE_ID 0x00000001
#define DIF_REMOVE 0x00000005
#define DIF_REGISTERDEVICE 0x00000019
#define DI_REMOVEDEVICE_GLOBAL 0x00000001
#define DI_REMOVEDEVICE_CONFIGSPECIFIC 0x00000002
#define DI_NEEDRESTART 0x00000080
#define DI_NEEDREBOOT 0x00000100
#define MAX_CLASS_NAME_LEN 32
#define SP_MAX_MACHINENAME_LENGTH (MAX_PATH + 3)

#define SPDRP_DEVICEDESC 0x00000000
#define SPDRP_HARDWAREID 0x00000001
#define SPDRP_COMPATIBLEIDS 0x00000002
#define SPDRP_FRIENDLYNAME 0x0000000C
#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_MULTI_SZ 7

struct SP_DEVINFO_DATA {
  DWORD cbSize;
  GUID ClassGuid;
  DWORD DevInst;
  ULONG_PTR Reserved;
};
typedef SP_DEVINFO_DATA* PSP_DEVINFO_DATA;

struct SP_DEVINFO_LIST_DETAIL_DATA_W {
  DWORD cbSize;
  GUID ClassGuid;
  HANDLE RemoteMachineHandle;
  WCHAR RemoteMachineName[SP_MAX_MACHINENAME_LENGTH];
};
typedef SP_DEVINFO_LIST_DETAIL_DATA_W* PSP_DEVINFO_LIST_DETAIL_DATA_W;

struct SP_CLASSINSTALL_HEADER {
  DWORD cbSize;
  DI_FUNCTION InstallFunction;
};
typedef SP_CLASSINSTALL_HEADER* PSP_CLASSINSTALL_HEADER;

struct SP_REMOVEDEVICE_PARAMS {
  SP_CLASSINSTALL_HEADER ClassInstallHeader;
  DWORD Scope;
  DWORD HwProfile;
};

struct SP_DEVINSTALL_PARAMS_W {
  DWORD cbSize;
  DWORD Flags;
  DWORD FlagsEx;
  HWND hwndParent;
  PVOID InstallMsgHandler;
  PVOID InstallMsgHandlerContext;
  HSPFILEQ FileQueue;
  ULONG_PTR ClassInstallReserved;
  DWORD Reserved;
  WCHAR DriverPath[MAX_PATH];
};
typedef SP_DEVINSTALL_PARAMS_W* PSP_DEVINSTALL_PARAMS_W;

BOOL SetupDiClassGuidsFromNameExW(PCWSTR className, LPGUID classGuidList, DWORD classGuidListSize, PDWORD requiredSize,
                                  PCWSTR machineName, PVOID reserved);
HDEVINFO SetupDiGetClassDevsExW(const GUID* classGuid, PCWSTR enumerator, HWND parent, DWORD flags,
                                HDEVINFO deviceInfoSet, PCWSTR machineName, PVOID reserved);
HDEVINFO SetupDiCreateDeviceInfoListExW(const GUID* classGuid, HWND parent, PCWSTR machineName, PVOID reserved);
HDEVINFO SetupDiCreateDeviceInfoList(const GUID* classGuid, HWND parent);
BOOL SetupDiOpenDeviceInfoW(HDEVINFO devs, PCWSTR instanceId, HWND parent, DWORD openFlags,
                            PSP_DEVINFO_DATA deviceInfoData);
BOOL SetupDiEnumDeviceInfo(HDEVINFO devs, DWORD memberIndex, PSP_DEVINFO_DATA deviceInfoData);
BOOL SetupDiDestroyDeviceInfoList(HDEVINFO devs);
BOOL SetupDiGetDeviceInfoListDetailW(HDEVINFO devs, PSP_DEVINFO_LIST_DETAIL_DATA_W detail);
BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO devs, PSP_DEVINFO_DATA deviceInfoData, DWORD property,
                                       PDWORD propertyRegDataType, PBYTE propertyBuffer, DWORD propertyBufferSize,
                                       PDWORD requiredSize);
BOOL SetupDiSetDeviceRegistryPropertyW(HDEVINFO devs, PSP_DEVINFO_DATA deviceInfoData, DWORD property,
                                       const BYTE* propertyBuffer, DWORD propertyBufferSize);
BOOL SetupDiSetClassInstallParamsW(HDEVINFO devs, PSP_DEVINFO_DATA deviceInfoData,
                                   PSP_CLASSINSTALL_HEADER classInstallParams, DWORD classInstallParamsSize);
BOOL SetupDiCallClassInstaller(DI_FUNCTION installFunction, HDEVINFO devs, PSP_DEVINFO_DATA deviceInfoData);
BOOL SetupDiGetDeviceInstallParamsW(HDEVINFO devs, PSP_DEVINFO_DATA deviceInfoData,
                                    PSP_DEVINSTALL_PARAMS_W deviceInstallParams);
BOOL SetupDiGetINFClassW(PCWSTR infName, LPGUID classGuid, PWSTR className, DWORD classNameSize, PDWORD requiredSize);
// Registry keys of a device, and reading their values.
typedef struct SimKey* HKEY;
typedef DWORD REGSAM;
typedef BYTE* LPBYTE;
#define DICS_FLAG_GLOBAL 0x00000001
#define DICS_FLAG_CONFIGSPECIFIC 0x00000002
#define DIREG_DEV 0x00000001
#define DIREG_DRV 0x00000002
#define KEY_QUERY_VALUE 0x0001
HKEY SetupDiOpenDevRegKey(HDEVINFO devs, PSP_DEVINFO_DATA deviceInfoData, DWORD scope, DWORD hwProfile, DWORD keyType,
                          REGSAM samDesired);
LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize);
LONG RegCloseKey(HKEY key);

BOOL SetupDiCreateDeviceInfoW(HDEVINFO devs, PCWSTR deviceName, const GUID* classGuid, PCWSTR deviceDescription,
                              HWND parent, DWORD creationFlags, PSP_DEVINFO_DATA deviceInfoData);

// --- SetupAPI: INF files and the driver store -------------------------------

#define INF_STYLE_OLDNT 0x00000001
#define INF_STYLE_WIN4 0x00000002
#define SPOST_PATH 1
#define SPOST_URL 2
#define SUOI_FORCEDELETE 0x00000001
#define INSTALLFLAG_FORCE 0x00000001

struct INFCONTEXT {
  PVOID Inf;
  PVOID CurrentInf;
  UINT Section;
  UINT Line;
};
typedef INFCONTEXT* PINFCONTEXT;

BOOL SetupGetInfFileListW(PCWSTR directoryPath, DWORD infStyle, PWSTR returnBuffer, DWORD returnBufferSize,
                          PDWORD requiredSize);
HINF SetupOpenInfFileW(PCWSTR fileName, PCWSTR infClass, DWORD infStyle, PUINT errorLine);
void SetupCloseInfFile(HINF infHandle);
BOOL SetupEnumInfSectionsW(HINF infHandle, UINT index, PWSTR buffer, UINT size, UINT* sizeNeeded);
BOOL SetupFindFirstLineW(HINF infHandle, PCWSTR section, PCWSTR key, PINFCONTEXT context);
BOOL SetupFindNextLine(const INFCONTEXT* contextIn, PINFCONTEXT contextOut);
BOOL SetupGetLineTextW(const INFCONTEXT* context, HINF infHandle, PCWSTR section, PCWSTR key, PWSTR returnBuffer,
                       DWORD returnBufferSize, PDWORD requiredSize);
BOOL SetupCopyOEMInfW(PCWSTR sourceInfFileName, PCWSTR oemSourceMediaLocation, DWORD oemSourceMediaType,
                      DWORD copyStyle, PWSTR destinationInfFileName, DWORD destinationInfFileNameSize,
                      PDWORD requiredSize, PWSTR* destinationInfFileNameComponent);

// --- Files and paths -----------------------------------------------------------

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

struct WIN32_FIND_DATAW {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  WCHAR cFileName[MAX_PATH];
  WCHAR cAlternateFileName[14];
};
typedef WIN32_FIND_DATAW* LPWIN32_FIND_DATAW;

HANDLE FindFirstFileW(LPCWSTR fileName, LPWIN32_FIND_DATAW findData);
BOOL FindNextFileW(HANDLE findFile, LPWIN32_FIND_DATAW findData);
BOOL FindClose(HANDLE findFile);
DWORD GetFullPathNameW(LPCWSTR fileName, DWORD bufferLength, LPWSTR buffer, LPWSTR* filePart);
DWORD GetFileAttributesW(LPCWSTR fileName);

// --- Processes, libraries, token, restart -------------------------------------

#define STARTF_USESHOWWINDOW 0x00000001
#define SW_HIDE 0
#define CREATE_DEFAULT_ERROR_MODE 0x04000000
#define TOKEN_ADJUST_PRIVILEGES 0x0020
#define SE_PRIVILEGE_ENABLED 0x00000002
#define SE_SHUTDOWN_NAME L"SeShutdownPrivilege"
#define SHTDN_REASON_FLAG_PLANNED 0x80000000
#define SHTDN_REASON_MAJOR_HARDWARE 0x00010000
#define SHTDN_REASON_MINOR_INSTALLATION 0x00000002

struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
};
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

struct STARTUPINFOW {
  DWORD cb;
  LPWSTR lpReserved;
  LPWSTR lpDesktop;
  LPWSTR lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  BYTE* lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
};
typedef STARTUPINFOW* LPSTARTUPINFOW;

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};
typedef PROCESS_INFORMATION* LPPROCESS_INFORMATION;

struct LUID {
  DWORD LowPart;
  LONG HighPart;
};
typedef LUID* PLUID;

struct LUID_AND_ATTRIBUTES {
  LUID Luid;
  DWORD Attributes;
};

struct TOKEN_PRIVILEGES {
  DWORD PrivilegeCount;
  LUID_AND_ATTRIBUTES Privileges[1];
};
typedef TOKEN_PRIVILEGES* PTOKEN_PRIVILEGES;

BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                    LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                    LPVOID environment, LPCWSTR currentDirectory, LPSTARTUPINFOW startupInfo,
                    LPPROCESS_INFORMATION processInformation);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode);
BOOL CloseHandle(HANDLE handle);
HANDLE GetCurrentProcess();
HMODULE LoadLibraryW(LPCWSTR fileName);
FARPROC GetProcAddress(HMODULE module, const char* procName);
BOOL FreeLibrary(HMODULE module);
BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, PHANDLE token);
BOOL LookupPrivilegeValueW(LPCWSTR systemName, LPCWSTR name, PLUID luid);
BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES newState, DWORD bufferLength,
                           PTOKEN_PRIVILEGES previousState, PDWORD returnLength);
BOOL InitiateSystemShutdownExW(LPWSTR machineName, LPWSTR message, DWORD timeout, BOOL forceAppsClosed,
                               BOOL rebootAfterShutdown, DWORD reason);

// --- Version, messages, strings ----------------------------------------------

#define VER_PLATFORM_WIN32_NT 2

struct OSVERSIONINFOW {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  WCHAR szCSDVersion[128];
};
typedef OSVERSIONINFOW* LPOSVERSIONINFOW;

struct OSVERSIONINFOEXW {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  WCHAR szCSDVersion[128];
  WORD wServicePackMajor;
  WORD wServicePackMinor;
  WORD wSuiteMask;
  BYTE wProductType;
  BYTE wReserved;
};

BOOL GetVersionExW(LPOSVERSIONINFOW versionInformation);

typedef char* LPSTR;
typedef const char* LPCSTR;
#define STD_OUTPUT_HANDLE (static_cast<DWORD>(-11))
#define STD_ERROR_HANDLE (static_cast<DWORD>(-12))
#define CP_UTF8 65001
#define WC_NO_BEST_FIT_CHARS 0x00000400

HANDLE GetStdHandle(DWORD stdHandle);
BOOL GetConsoleMode(HANDLE console, LPDWORD mode);
UINT GetConsoleOutputCP();
UINT GetOEMCP();
BOOL WriteConsoleW(HANDLE console, const void* buffer, DWORD length, LPDWORD written, LPVOID reserved);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPVOID overlapped);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR text, int length, LPSTR bytes, int size, LPCSTR replacement,
                        PBOOL usedReplacement);
UINT GetSystemDirectoryW(LPWSTR buffer, UINT size);
UINT GetSystemWindowsDirectoryW(LPWSTR buffer, UINT size);
DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);

#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_STRING 0x00000400
#define FORMAT_MESSAGE_FROM_HMODULE 0x00000800
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define LANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define MAKELANGID(p, s) ((static_cast<WORD>(s) << 10) | static_cast<WORD>(p))

DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer, DWORD size,
                     va_list* arguments);
HLOCAL LocalFree(HLOCAL memory);
LPWSTR CharNextW(LPCWSTR current);
int lstrlenW(LPCWSTR string);
