#include "engine/engine.h"

// Not built yet.
int RescanDevices(const wchar_t*, const wchar_t*, DWORD, int, const wchar_t* const*) { return ENGINE_FAILED; }
