#include "packages/packages.h"

#include <cwchar>

#include "engine/ascii.h"
#include "engine/engine.h"
#include "engine/message_ids.h"
#include "engine/message_output.h"

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

void AddPackage(const std::wstring& program, const wchar_t* path) {
  const wchar_t* vector[] = {program.c_str(), L"dp_add", path};
  EngineRun(3, vector);  // the engine reports each package itself
}

// The search matches "*.inf" against short 8.3 names too, so "a.inf_" or
// "b.inff" come back from it; only a long name that ends in ".inf" is a
// package.
bool IsInfName(const wchar_t* name) {
  size_t length = std::wcslen(name);
  if (length < 4) return false;
  return EqualIgnoringAsciiCase(name + length - 4, L".inf");
}

// Exit code 0 whatever happens (installers rely on it), so the reader learns
// here that nothing was added.
void ReportFolder(DWORD messageId, const std::wstring& program, const std::wstring& folder) {
  WriteEngineMessage(TEXT_STDERR, messageId, ProgramBaseName(program.c_str()),
                     PrintableText(folder.c_str()).c_str());
}

}  // namespace

// A folder too long for the buffers is refused like one that cannot be
// searched: cutting it would search some other folder.
int InstallPackagesFromFolder(const std::wstring& folder) {
  const std::wstring program = OwnProgramPath();
  wchar_t pattern[kPathBuffer];
  WIN32_FIND_DATAW found;
  HANDLE search = INVALID_HANDLE_VALUE;
  bool searched = false;
  if (folder.size() <= kLongestFolder) {
    CopyBounded(pattern, folder.c_str());
    searched = PathAddBackslashW(pattern) && PathAppendW(pattern, L"*.inf");
    if (searched) search = FindFirstFileW(pattern, &found);
  }
  if (search == INVALID_HANDLE_VALUE) {
    // "No such entry" is a folder that was searched and holds no INF file.
    bool empty = searched && GetLastError() == ERROR_FILE_NOT_FOUND;
    ReportFolder(empty ? MSG_FOLDER_WITHOUT_INF : MSG_FOLDER_NOT_SEARCHED, program, folder);
    return 0;
  }

  wchar_t directory[kPathBuffer];
  CopyBounded(directory, pattern);
  PathRemoveFileSpecW(directory);
  PathAddBackslashW(directory);
  int added = 0;
  do {
    if (!IsInfName(found.cFileName)) continue;
    wchar_t packagePath[kPathBuffer];
    ComposePackagePath(directory, found.cFileName, packagePath);
    AddPackage(program, packagePath);
    ++added;
  } while (FindNextFileW(search, &found));
  FindClose(search);
  if (added == 0) ReportFolder(MSG_FOLDER_WITHOUT_INF, program, folder);
  return 0;
}
