// The system's own libraries, reached at run time for functions that older
// Windows lacks or that the programs must not import.
#pragma once

#include "platform/platform.h"
#include "platform/scoped_handle.h"

// One of the system's libraries, loaded by its full path in the system
// directory, never from wherever a search would find its name first; an
// owner of nothing when it could not be loaded.
ScopedLibrary LoadSystemLibrary(const wchar_t* name);

// The named function of `library` as type Fn, or null.
template <typename Fn>
Fn FindFunction(const ScopedLibrary& library, const char* name) {
  return ProcAs<Fn>(GetProcAddress(library.get(), name));
}
