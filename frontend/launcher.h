// Starting a helper program with its window hidden.
#pragma once

#include <string>

#include "platform/platform.h"

// Starts `programPath` (used as is, never searched for) with the command line
// "<file name><parameters>" (the file name quoted when it holds a blank), its
// window hidden, and waits up to `waitSeconds` for it. Returns 0 once
// started, else the system's error code (never 0). A batch file (.bat, .cmd)
// is never started: ERROR_BAD_EXE_FORMAT.
DWORD RunProgramHidden(std::wstring programPath, std::wstring parameters, int waitSeconds);
