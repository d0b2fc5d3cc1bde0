// The device engine: a small command interpreter over the device-installation
// interfaces. One entry point takes an argument vector shaped like a command
// line and returns one of the result codes below.
#pragma once

#include <string>

#include "platform/platform.h"

enum EngineResult : int {
  ENGINE_DONE = 0,
  ENGINE_NEEDS_REBOOT = 1,
  ENGINE_FAILED = 2,
  ENGINE_BAD_USAGE = 3,
};

enum : DWORD { ENGINE_FLAG_FORCE = 0x1 };

// Every command handler: program base name (for messages), machine name or
// null, flags, and the arguments after the command word.
typedef int (*EngineHandler)(const wchar_t* baseName, const wchar_t* machine, DWORD flags, int argc,
                             const wchar_t* const* argv);

struct EngineCommandEntry {
  const wchar_t* name;  // compared without regard to ASCII case
  EngineHandler handler;
  DWORD shortHelpId;  // 0: not in the help list
  DWORD longHelpId;   // 0: no detailed help
};

// Ended by a row whose name is null; its order is the lookup and help order.
extern const EngineCommandEntry EngineCommandTable[];

// The text after the last backslash of a program path (forward slashes are
// no separators): the name the engine's messages give the program.
const wchar_t* ProgramBaseName(const wchar_t* path);

// `path` without the \\?\ prefix (\\?\UNC\ becomes \\) that only keeps the
// system from reading it again: the plain form that the driver store
// documents and that failure lines name.
std::wstring PlainPath(const std::wstring& path);

// Runs one engine command line. argv[0] is a program path or name.
int EngineRun(int argc, const wchar_t* const* argv);

// EngineRun over another table, so that the command line's handling can be
// checked with handlers of a test's own.
int RunEngineTable(const EngineCommandEntry* table, int argc, const wchar_t* const* argv);

// Looks a command word up in a table (by default the engine's); null when no
// row matches.
const EngineCommandEntry* FindEngineCommand(const wchar_t* word);
const EngineCommandEntry* FindEngineCommandIn(const EngineCommandEntry* table, const wchar_t* word);

// Asks the system to restart this computer; the outcome is not reported.
void RequestReboot();

// The handlers of the table.
int ListDevices(const wchar_t* baseName, const wchar_t* machine, DWORD flags, int argc, const wchar_t* const* argv);
int InstallRootDevice(const wchar_t* baseName, const wchar_t* machine, DWORD flags, int argc,
                      const wchar_t* const* argv);
// Installs the driver of INF argv[0] on the devices with hardware ID argv[1];
// the last step of "install", with no row of its own.
int UpdateDriverFromInf(const wchar_t* baseName, const wchar_t* machine, DWORD flags, int argc,
                        const wchar_t* const* argv);
int RemoveMatchingDevices(const wchar_t* baseName, const wchar_t* machine, DWORD flags, int argc,
                          const wchar_t* const* argv);
int RescanDevices(const wchar_t* baseName, const wchar_t* machine, DWORD flags, int argc, const wchar_t* const* argv);
int AddDriverPackage(const wchar_t* baseName, const wchar_t* machine, DWORD flags, int argc,
                     const wchar_t* const* argv);
int DeleteDriverPackage(const wchar_t* baseName, const wchar_t* machine, DWORD flags, int argc,
                        const wchar_t* const* argv);
// "dp_enum [<text>]": the OEM packages, or those the clean-up would delete
// for the text.
int ListDriverPackages(const wchar_t* baseName, const wchar_t* machine, DWORD flags, int argc,
                       const wchar_t* const* argv);
int ShowEngineHelp(const wchar_t* baseName, const wchar_t* machine, DWORD flags, int argc, const wchar_t* const* argv);
