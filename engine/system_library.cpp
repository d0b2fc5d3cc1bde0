#include "engine/system_library.h"

#include <string>

ScopedLibrary LoadSystemLibrary(const wchar_t* name) {
  WCHAR directory[MAX_PATH];
  UINT length = GetSystemDirectoryW(directory, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return ScopedLibrary();
  std::wstring path(directory, length);
  if (path.back() != L'\\') path += L'\\';
  return ScopedLibrary(LoadLibraryW((path + name).c_str()));
}
