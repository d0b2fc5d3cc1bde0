#include "frontend/launcher.h"

// Not built yet.
DWORD RunProgramHidden(std::wstring, std::wstring, int) { return ERROR_FILE_NOT_FOUND; }
