// Test-facing side of the simulated processes: what CreateProcessW was given,
// what it should answer, and the waits on what it started. Nothing is ever
// really started.
#pragma once

#include <string>
#include <vector>

#include "platform/sim/sim.h"

namespace sim {

// One CreateProcessW call, as the program made it. A null pointer argument
// shows as "given" false; text arguments are copied as they were at the call.
struct ProcessStart {
  bool applicationNameGiven;
  std::wstring applicationName;
  bool commandLineGiven;
  std::wstring commandLine;
  bool processAttributesGiven;
  bool threadAttributesGiven;
  bool inheritHandles;
  unsigned long creationFlags;
  bool environmentGiven;
  bool currentDirectoryGiven;
  bool startupInfoGiven;
  unsigned long startupInfoSize;  // STARTUPINFOW.cb
  unsigned long startupFlags;     // STARTUPINFOW.dwFlags
  unsigned short showWindow;      // STARTUPINFOW.wShowWindow
  bool startupInfoRestZero;       // every other member zero or null
  bool created;
  unsigned long error;  // the last error of a failed start
  const void* process;  // handles handed out, null when not created
  const void* thread;
};
const std::vector<ProcessStart>& ProcessStarts();

// A start succeeds when the application name names an existing file of the
// simulated file system, and otherwise fails as Windows does:
// ERROR_PATH_NOT_FOUND when its folder is missing, ERROR_FILE_NOT_FOUND when
// only the file is, ERROR_ACCESS_DENIED for a folder.

// One WaitForSingleObject call on a handle that CreateProcessW handed out.
struct ProcessWait {
  const void* handle;
  bool onProcess;  // a process handle, not a thread handle
  unsigned long milliseconds;
};
const std::vector<ProcessWait>& ProcessWaits();

// What a wait answers: WAIT_OBJECT_0 (the program ended) by default,
// WAIT_TIMEOUT for a program still running when the time-out passed.
void SetWaitResult(unsigned long result);
// The code a started program ends with (0 by default), as GetExitCodeProcess
// reads it once the wait saw the end: 0xC0000135 for one whose DLL is missing.
void SetExitCode(unsigned long code);

}  // namespace sim
