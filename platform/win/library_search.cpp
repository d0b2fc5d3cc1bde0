// Where run-time libraries come from. An elevated installer runs these
// programs from folders that others may write to; a library placed beside
// them must never be loaded in place of the system's own.
#include "platform/platform.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace {
typedef BOOL(WINAPI* SetDefaultDllDirectoriesFn)(DWORD directoryFlags);
}  // namespace

// Windows before 8 (without its update KB2533623) lacks the call: there the
// libraries are still loaded by full path, which is what counts.
void RestrictLibrarySearch() {
  HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  if (!kernel32) return;
  auto searchOnly = ProcAs<SetDefaultDllDirectoriesFn>(GetProcAddress(kernel32, "SetDefaultDllDirectories"));
  if (searchOnly) searchOnly(LOAD_LIBRARY_SEARCH_SYSTEM32);
}
