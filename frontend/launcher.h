// Starting a helper program with its window hidden.
#pragma once

#include <string>

#include "platform/platform.h"

// Starts `programPath` (used as is, never searched for) with the command line
// "<file name><parameters>" (the file name quoted when it holds a blank), its
// window hidden, and waits up to `waitSeconds` for it. A batch file (.bat,
// .cmd) runs through <system directory>\cmd.exe with its full path, unless
// its path or parameters hold what the interpreter would act on. Returns 0
// once started; else, after a line on standard error, the system's error
// code, or the loader's status for a program that ended because it could
// not load.
DWORD RunProgramHidden(std::wstring programPath, std::wstring parameters, int waitSeconds);
