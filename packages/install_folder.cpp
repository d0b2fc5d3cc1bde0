#include "packages/packages.h"

#include <cwchar>

#include "engine/engine.h"

namespace {

// The path buffers, and the longest folder that fits one with a backslash
// and its terminator to spare.
const size_t kPathBuffer = 1024;
const size_t kLongestFolder = kPathBuffer - 2;

// Copies at most kPathBuffer - 1 characters, terminator included.
void CopyBounded(wchar_t* to, const wchar_t* from) {
  size_t length = std::wcslen(from);
  if (length > kPathBuffer - 2) length = kPathBuffer - 2;
  std::wmemcpy(to, from, length);
  to[length] = 0;
}

void AppendBounded(wchar_t* to, const wchar_t* more) {
  size_t used = std::wcslen(to);
  size_t length = std::wcslen(more);
  if (length > kPathBuffer - 2 - used) length = kPathBuffer - 2 - used;
  std::wmemcpy(to + used, more, length);
  to[used + length] = 0;
}

// The shell functions work within MAX_PATH. An entry whose path outgrows it
// is still handed on whole, so that the engine refuses it with its own
// message instead of the package vanishing without a word.
void ComposePackagePath(const wchar_t* directory, const wchar_t* name, wchar_t* path) {
  CopyBounded(path, directory);
  if (PathAppendW(path, name)) return;
  CopyBounded(path, directory);
  AppendBounded(path, name);
}

void AddPackage(const wchar_t* path) {
  const wchar_t* vector[] = {L"dummy.exe", L"dp_add", path};
  EngineRun(3, vector);  // the engine reports each package itself
}

}  // namespace

// A folder too long for the buffers is refused like one that cannot be
// searched: cutting it would search some other folder.
int InstallPackagesFromFolder(const std::wstring& folder) {
  if (folder.size() > kLongestFolder) return 0;
  wchar_t pattern[kPathBuffer];
  CopyBounded(pattern, folder.c_str());
  if (!PathAddBackslashW(pattern) || !PathAppendW(pattern, L"*.inf")) return 0;

  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return 0;

  wchar_t directory[kPathBuffer];
  CopyBounded(directory, pattern);
  PathRemoveFileSpecW(directory);
  PathAddBackslashW(directory);
  do {
    wchar_t packagePath[kPathBuffer];
    ComposePackagePath(directory, found.cFileName, packagePath);
    AddPackage(packagePath);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return 0;
}
