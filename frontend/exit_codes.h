// pelmora.exe's exit codes. A calling installer learns the outcome from the
// exit code alone, so one number may carry two meanings, and each meaning has
// a name of its own. The README's exit-code table mirrors this one:
//
//   code  name                 meaning                                  commands
//   0     kExitDone            done                                     install (always), remove, rescan, exec
//   0     kExitYes             yes                                      iswinxpsp3orlater, iswin2000orlater,
//                                                                       is64bit (always)
//   1     kExitBadCommandLine  wrong command line: the usage is         any: no or an unknown command word,
//                              printed, nothing is done                 install, remove, exec without argument
//   1     kExitRestartNeeded   done, a removed device waits for a       remove (its packages are kept)
//                              restart
//   1     kExitVersionAnswer   the fixed answer                         version (always)
//   2     kExitFailed          failed, refused or not started           remove, rescan, exec; install, remove,
//                                                                       exec given more than one word
//   2     kExitNo              no, or the version could not be read     iswinxpsp3orlater, iswin2000orlater
//   3     kExitEngineMisused   the device engine refused the command    remove, rescan (never with the command
//                              line it was given                        lines these build)
#pragma once

#include "packages/outcome.h"

const int kExitDone = 0;
const int kExitYes = 0;
const int kExitBadCommandLine = 1;
const int kExitRestartNeeded = 1;
const int kExitVersionAnswer = 1;
const int kExitFailed = 2;
const int kExitNo = 2;
const int kExitEngineMisused = 3;

// The exit code of a command's outcome: the one place that chooses it.
int ExitCodeFor(Outcome outcome);
