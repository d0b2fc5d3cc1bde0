// Win32 file calls over the simulated file system: the file search, full
// path names and file attributes, with the limits of a program that is not
// long-path aware (a full path of MAX_PATH characters or more is not found).
#include <algorithm>
#include <cwchar>
#include <map>

#include "platform/sim/sim_internal.h"
#include "platform/sim/sim_store.h"

namespace sim {
namespace {

// The longest path the file functions take; longer ones fail.
const size_t kLongestFullPathName = 32767;

struct FoundEntry {
  std::wstring name;
  std::wstring shortName;
  bool isDirectory;
  size_t size;
};

// A search yields the directory as it was when the search began.
struct Search {
  std::vector<FoundEntry> entries;
  size_t next = 0;
};

std::map<const void*, Search>& Searches() {
  static std::map<const void*, Search> searches;
  return searches;
}

wchar_t FoldCase(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// '*' takes any run of characters, '?' any one; letters match either case.
bool Matches(const wchar_t* pattern, const wchar_t* name) {
  if (*pattern == 0) return *name == 0;
  if (*pattern == L'*') return Matches(pattern + 1, name) || (*name && Matches(pattern, name + 1));
  if (*name == 0) return false;
  if (*pattern != L'?' && FoldCase(*pattern) != FoldCase(*name)) return false;
  return Matches(pattern + 1, name + 1);
}

// The 8.3 name Windows gives a long name (the first of its kind), or "" for
// a name that is short already. The search matches it as well as the name.
std::wstring ShortName(const std::wstring& name) {
  size_t dot = name.rfind(L'.');
  std::wstring base = name.substr(0, dot);
  std::wstring extension = dot == std::wstring::npos ? L"" : name.substr(dot + 1);
  if (!base.empty() && base.size() <= 8 && extension.size() <= 3 && name.find(L' ') == std::wstring::npos &&
      base.find(L'.') == std::wstring::npos) {
    return L"";
  }
  std::wstring shortName;
  for (wchar_t c : base) {
    if (c != L' ' && c != L'.' && shortName.size() < 6) shortName += c;
  }
  shortName += extension.empty() ? L"~1" : L"~1." + extension.substr(0, 3);
  for (wchar_t& c : shortName) c = c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
  return shortName;
}

FoundEntry Describe(const std::wstring& directory, const std::wstring& name) {
  std::wstring path = directory + L"\\" + name;
  std::string content;
  bool isFile = ReadFile(path, &content);
  return FoundEntry{name, ShortName(name), !isFile, content.size()};
}

// The entries of `directory` that match `pattern`; "." and ".." first, as
// every directory but a drive root has them.
std::vector<FoundEntry> Collect(const std::wstring& directory, const std::wstring& pattern) {
  std::vector<FoundEntry> found;
  if (directory.size() > detail::RootLength(directory)) {
    for (const wchar_t* dots : {L".", L".."}) {
      if (Matches(pattern.c_str(), dots)) found.push_back(FoundEntry{dots, L"", true, 0});
    }
  }
  for (const std::wstring& name : ListDirectory(directory)) {
    FoundEntry entry = Describe(directory, name);
    if (Matches(pattern.c_str(), name.c_str()) || Matches(pattern.c_str(), entry.shortName.c_str())) {
      found.push_back(entry);
    }
  }
  return found;
}

void Fill(const FoundEntry& entry, LPWIN32_FIND_DATAW data) {
  *data = WIN32_FIND_DATAW();
  data->dwFileAttributes = entry.isDirectory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  data->nFileSizeLow = static_cast<DWORD>(entry.size);
  std::wcsncpy(data->cFileName, entry.name.c_str(), MAX_PATH - 1);
  std::wcsncpy(data->cAlternateFileName, entry.shortName.c_str(), 13);
}

// The device that the last component of a full path names, as written, or
// "" for the name of a file. CON, PRN, AUX, NUL, COM1-COM9 and LPT1-LPT9 are
// devices, also with an extension and with blanks before it ("nul.inf",
// "con .txt"). Docs: "Naming Files, Paths, and Namespaces" (NUL.txt is NUL).
std::wstring DeviceName(const std::wstring& full) {
  std::wstring name = full.substr(full.rfind(L'\\') + 1);
  name.resize(std::min(name.size(), name.find_first_of(L".:")));
  while (!name.empty() && name.back() == L' ') name.pop_back();
  std::wstring lower = detail::Lower(name);
  if (lower == L"con" || lower == L"prn" || lower == L"aux" || lower == L"nul") return name;
  bool numbered = lower.size() == 4 && (lower.compare(0, 3, L"com") == 0 || lower.compare(0, 3, L"lpt") == 0);
  return numbered && lower[3] >= L'1' && lower[3] <= L'9' ? name : L"";
}

// A full path as GetFullPathNameW gives it: a device name in the last
// component becomes the device ("C:\x\nul" is "\\.\nul"); a path in the
// \\?\ or \\.\ form is taken as it stands. Windows: ntdll/tests/path.c,
// test_RtlGetFullPathName_U.
std::wstring ResolvedName(const std::wstring& given) {
  std::wstring full = FullPath(given);
  if (given.compare(0, 4, L"\\\\?\\") == 0 || given.compare(0, 4, L"\\\\.\\") == 0) return full;
  std::wstring device = DeviceName(full);
  return device.empty() ? full : L"\\\\.\\" + device;
}

// A \\?\ path goes to the file system as it stands: it must be a full path
// (X:\... or, after \\?\UNC\, server\share\...), and '/', '.' and '..' are
// not interpreted, so a path that needs them names nothing. Docs: "Naming
// Files, Paths, and Namespaces". Which code such a path gets is not
// documented: ERROR_INVALID_NAME, the code of an invalid object name.
bool BrokenVerbatimPath(const std::wstring& path) {
  if (path.compare(0, 4, L"\\\\?\\") != 0) return false;
  std::wstring rest = path.substr(4);
  bool share = rest.compare(0, 4, L"UNC\\") == 0;
  bool drive = rest.size() >= 3 && rest[1] == L':' && rest[2] == L'\\';
  if ((!share && !drive) || rest.find(L'/') != std::wstring::npos) return true;
  std::wstring padded = rest + L'\\';
  return padded.find(L"\\.\\") != std::wstring::npos || padded.find(L"\\..\\") != std::wstring::npos;
}

// Where a path that cannot be used ends up: its error, or 0 when it can be.
// Only a \\?\ path may be longer than MAX_PATH.
DWORD PathError(const std::wstring& path) {
  if (BrokenVerbatimPath(path)) return ERROR_INVALID_NAME;
  std::wstring given = FullPath(path);
  if (given.size() >= MAX_PATH && given.compare(0, 4, L"\\\\?\\") != 0) return ERROR_PATH_NOT_FOUND;
  return DirectoryExists(detail::FolderOf(detail::Resolved(path))) ? 0 : ERROR_PATH_NOT_FOUND;
}

}  // namespace

namespace detail {
void ResetFileApi() { Searches().clear(); }
}  // namespace detail

}  // namespace sim

using namespace sim::detail;

HANDLE FindFirstFileW(LPCWSTR fileName, LPWIN32_FIND_DATAW findData) {
  if (FaultedCall("FindFirstFileW", Quote(fileName))) return INVALID_HANDLE_VALUE;
  if (!fileName || !findData) return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  if (*fileName == 0) return Fail(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);
  if (DWORD error = sim::PathError(fileName)) return Fail(error, INVALID_HANDLE_VALUE);
  std::wstring full = Resolved(fileName);
  size_t slash = full.rfind(L'\\');
  std::wstring directory = FolderOf(full);
  // A pattern ending in a separator names no entry.
  std::vector<sim::FoundEntry> entries = sim::Collect(directory, full.substr(slash + 1));
  if (slash + 1 == full.size() || entries.empty()) return Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
  void* handle = NewHandle(HandleKind::Find);
  sim::Search& search = sim::Searches()[handle];
  search.entries = entries;
  sim::Fill(search.entries[0], findData);
  search.next = 1;
  return handle;
}

BOOL FindNextFileW(HANDLE findFile, LPWIN32_FIND_DATAW findData) {
  if (FaultedCall("FindNextFileW", "")) return FALSE;
  auto search = sim::Searches().find(findFile);
  if (search == sim::Searches().end() || !IsOpen(HandleKind::Find, findFile) || !findData) {
    return Fail(ERROR_INVALID_HANDLE);
  }
  if (search->second.next >= search->second.entries.size()) return Fail(ERROR_NO_MORE_FILES);
  sim::Fill(search->second.entries[search->second.next++], findData);
  return TRUE;
}

BOOL FindClose(HANDLE findFile) {
  if (FaultedCall("FindClose", "")) return FALSE;
  if (!ReleaseHandle(HandleKind::Find, findFile)) return Fail(ERROR_INVALID_HANDLE);
  sim::Searches().erase(findFile);
  return TRUE;
}

// Windows' return values: on success the length without the terminator; when
// the buffer is too small the size it needs, terminator included, and the
// buffer is left alone; 0 on failure.
DWORD GetFullPathNameW(LPCWSTR fileName, DWORD bufferLength, LPWSTR buffer, LPWSTR* filePart) {
  if (FaultedCall("GetFullPathNameW", Quote(fileName) + ", " + std::to_string(bufferLength))) return 0;
  if (!fileName) return Fail(ERROR_INVALID_PARAMETER, 0);
  if (*fileName == 0) return Fail(ERROR_INVALID_NAME, 0);
  std::wstring full = sim::ResolvedName(fileName);
  if (full.size() >= sim::kLongestFullPathName) return Fail(ERROR_FILENAME_EXCED_RANGE, 0);
  DWORD length = static_cast<DWORD>(full.size());
  if (!buffer || bufferLength <= length) return length + 1;
  std::wmemcpy(buffer, full.c_str(), full.size() + 1);
  if (filePart) {
    size_t slash = full.rfind(L'\\');
    *filePart = slash + 1 == full.size() ? nullptr : buffer + slash + 1;
  }
  return length;
}

DWORD GetFileAttributesW(LPCWSTR fileName) {
  if (FaultedCall("GetFileAttributesW", Quote(fileName))) return INVALID_FILE_ATTRIBUTES;
  if (!fileName || *fileName == 0) {
    return Fail(fileName ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_PARAMETER, INVALID_FILE_ATTRIBUTES);
  }
  std::wstring full = sim::FullPath(fileName);
  if (full.size() >= MAX_PATH) return Fail(ERROR_PATH_NOT_FOUND, INVALID_FILE_ATTRIBUTES);
  if (sim::FileExists(full)) return FILE_ATTRIBUTE_ARCHIVE;
  if (sim::DirectoryExists(full)) return FILE_ATTRIBUTE_DIRECTORY;
  std::wstring trimmed =
      full.size() > RootLength(full) && full.back() == L'\\' ? full.substr(0, full.size() - 1) : full;
  DWORD error = sim::PathError(trimmed);
  return Fail(error ? error : ERROR_FILE_NOT_FOUND, INVALID_FILE_ATTRIBUTES);
}
