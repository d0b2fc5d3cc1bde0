#include "packages/packages.h"

#include <cwchar>
#include <vector>

#include "engine/ascii.h"
#include "engine/engine.h"
#include "engine/message_output.h"
#include "messages.h"
#include "packages/full_path.h"
#include "packages/own_program_path.h"
#include "packages/program_line.h"
#include "platform/scoped_handle.h"

namespace {

// The prefix of a path taken as it stands, and its form for a share, which
// takes the place of the share's leading two backslashes.
const wchar_t kVerbatim[] = L"\\\\?\\";
const wchar_t kVerbatimUnc[] = L"\\\\?\\UNC\\";

// The folder is searched in the prefixed form, which the file functions
// document, so that a folder whose full path is long can still be listed.
// A path already in a device form is left as it is.
std::wstring VerbatimPath(const std::wstring& full) {
  if (full.compare(0, 4, L"\\\\.\\") == 0) return full;
  if (full.compare(0, 2, L"\\\\") == 0) return kVerbatimUnc + full.substr(2);
  return kVerbatim + full;
}

// A bare drive letter and colon: the root of that drive, as the backslash
// added to a folder gives it, not the drive's current folder.
bool IsBareDrive(const std::wstring& folder) {
  return folder.size() == 2 && folder[1] == L':' && AsciiLower(folder[0]) >= L'a' && AsciiLower(folder[0]) <= L'z';
}

}  // namespace

// The C runtime reads the \" that closes "C:\drivers\" as a quotation mark,
// so the folder arrives as C:\drivers" (and "D:\" as D:"), and whatever
// followed on the command line ("[DRIVERS]" /quiet) is glued to it. No
// Windows name holds a quotation mark: the first one stands for the
// backslash, and the text after it is more words.
std::wstring FolderNamedBy(const std::wstring& given, std::wstring* rest) {
  std::wstring folder = given;
  size_t quote = given.find(L'"');
  if (quote != std::wstring::npos) {
    folder = given.substr(0, quote) + L"\\";
    if (rest) *rest = given.substr(quote + 1);
  }
  if (IsBareDrive(folder)) folder += L'\\';
  return folder;
}

namespace {

// The driver store takes a plain full path (its documentation gives no
// other form). A found name that the system resolves to another path (con.inf
// or nul.inf, which name devices) would reach something other than the file
// found, so it is refused and named.
bool ReadAsFound(const std::wstring& path) { return FullPathOf(path) == path; }

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

}  // namespace

// The folder is resolved once; each package path is that folder and a name
// put side by side, and is handed on only when the system reads it back
// unchanged, so that "..", device names or dots in a found name cannot lead
// anywhere else.
Outcome InstallPackagesFromFolder(const std::wstring& given) {
  const std::wstring program = OwnProgramPath();
  const std::wstring folder = FolderNamedBy(given);
  // A folder given in the prefixed form: the driver store still gets plain paths.
  std::wstring directory = PlainPath(FullPathOf(folder));
  WIN32_FIND_DATAW found;
  ScopedFind search;
  if (!directory.empty()) {
    if (directory.back() != L'\\') directory += L'\\';
    search = ScopedFind(FindFirstFileW((VerbatimPath(directory) + L"*.inf").c_str(), &found));
  }
  if (!search.valid()) {
    // FindFirstFileW's error, or GetFullPathNameW's when the folder could not be made full.
    DWORD error = GetLastError();
    // "No such entry" is a folder that was searched and holds no INF file.
    bool empty = !directory.empty() && error == ERROR_FILE_NOT_FOUND;
    // Done whatever happens (installers rely on exit code 0), so the reader
    // learns here that nothing was added, and why.
    if (empty) {
      WriteProgramLine(MSG_FOLDER_WITHOUT_INF, program, folder);
    } else {
      WriteProgramLine(MSG_FOLDER_NOT_SEARCHED, program, folder, SystemErrorText(error));
    }
    return Outcome::kDone;
  }

  int packages = 0;
  do {
    if (!IsInfName(found.cFileName)) continue;
    ++packages;
    const std::wstring path = directory + found.cFileName;
    if (ReadAsFound(path)) {
      AddPackage(program, path.c_str());
    } else {
      WriteProgramLine(MSG_PACKAGE_NAME_REFUSED, program, path);
    }
  } while (FindNextFileW(search.get(), &found));
  // Read before anything else is called: closing may change it.
  DWORD walkError = GetLastError();
  search = ScopedFind();  // the search ends before any line is written
  if (walkError != ERROR_NO_MORE_FILES) {
    // Packages after this point were never seen: the reader must know.
    WriteProgramLine(MSG_FOLDER_WALK_CUT_SHORT, program, folder, SystemErrorText(walkError));
  } else if (packages == 0) {
    WriteProgramLine(MSG_FOLDER_WITHOUT_INF, program, folder);
  }
  return Outcome::kDone;
}
