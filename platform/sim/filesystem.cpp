// The simulated machine's files: a map of full paths, enough for the folder
// walk, the driver store and the INF functions.
#include <algorithm>
#include <map>

#include "platform/sim/sim_internal.h"

namespace sim {

const wchar_t* const kInfDirectory = L"C:\\Windows\\INF";

namespace {

struct Entry {
  std::wstring path;  // full path as created
  bool isDirectory;
  std::string content;
};

struct FileSystem {
  std::map<std::wstring, Entry> entries;  // by lower-case full path
  std::wstring currentDirectory = L"C:\\work";
};

FileSystem& State() {
  static FileSystem fileSystem;
  return fileSystem;
}

std::wstring Key(const std::wstring& path) { return detail::Lower(detail::Resolved(path)); }

std::wstring Parent(const std::wstring& full) {
  size_t root = detail::RootLength(full);
  size_t slash = full.rfind(L'\\');
  if (slash == std::wstring::npos || slash < root) return full.substr(0, root);
  return full.substr(0, slash);
}

void Put(const std::wstring& full, bool isDirectory, const std::string& content) {
  FileSystem& fs = State();
  std::wstring key = detail::Lower(full);
  auto found = fs.entries.find(key);
  if (found != fs.entries.end()) {
    found->second.content = content;
    return;
  }
  fs.entries[key] = Entry{full, isDirectory, content};
}

void EnsureDirectory(const std::wstring& full) {
  if (full.size() <= detail::RootLength(full)) return;  // a drive or share root always exists
  EnsureDirectory(Parent(full));
  if (!DirectoryExists(full)) Put(full, true, "");
}

}  // namespace

void SetCurrentDirectory(const std::wstring& path) {
  std::wstring full = detail::Resolved(path);
  EnsureDirectory(full);
  State().currentDirectory = full;
}

std::wstring FullPath(const std::wstring& path) {
  if (path.compare(0, 4, L"\\\\?\\") == 0) return path;
  std::wstring text = path;
  std::replace(text.begin(), text.end(), L'/', L'\\');
  std::wstring root;
  std::wstring rest;
  if (text.compare(0, 2, L"\\\\") == 0) {
    size_t server = text.find(L'\\', 2);
    size_t share = server == std::wstring::npos ? server : text.find(L'\\', server + 1);
    root = text.substr(0, share);
    rest = share == std::wstring::npos ? L"" : text.substr(share);
  } else if (text.size() >= 2 && text[1] == L':') {
    root = text.substr(0, 2);
    rest = text.substr(2);
    if (rest.empty() || rest[0] != L'\\') rest = State().currentDirectory.substr(2) + L"\\" + rest;
  } else if (!text.empty() && text[0] == L'\\') {
    root = State().currentDirectory.substr(0, 2);
    rest = text;
  } else {
    root = State().currentDirectory.substr(0, 2);
    rest = State().currentDirectory.substr(2) + L"\\" + text;
  }
  std::vector<std::wstring> parts;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find(L'\\', start);
    if (end == std::wstring::npos) end = rest.size();
    std::wstring part = rest.substr(start, end - start);
    start = end + 1;
    if (part == L"..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    if (part.empty() || part == L".") continue;
    parts.push_back(part);
  }
  // A path that ends in a separator keeps it, as Windows does.
  bool trailing = !text.empty() && text.back() == L'\\';
  // Trailing dots and blanks go from the last component only: "C:/test.. /file"
  // keeps "test.. ". Windows: ntdll/tests/path.c, test_RtlGetFullPathName_U.
  if (!parts.empty() && !trailing) {
    std::wstring& last = parts.back();
    while (!last.empty() && (last.back() == L'.' || last.back() == L' ')) last.pop_back();
    if (last.empty()) parts.pop_back();
  }
  std::wstring full = root;
  for (const std::wstring& part : parts) full += L"\\" + part;
  if (parts.empty() || trailing) full += L"\\";
  return full;
}

void AddDirectory(const std::wstring& path) {
  std::wstring full = detail::Resolved(path);
  if (full.size() > detail::RootLength(full) && full.back() == L'\\') full.pop_back();
  EnsureDirectory(full);
}

void AddFile(const std::wstring& path, const std::string& content) {
  std::wstring full = detail::Resolved(path);
  EnsureDirectory(Parent(full));
  Put(full, false, content);
}

bool FileExists(const std::wstring& path) {
  auto found = State().entries.find(Key(path));
  return found != State().entries.end() && !found->second.isDirectory;
}

bool DirectoryExists(const std::wstring& path) {
  std::wstring full = detail::Resolved(path);
  size_t root = detail::RootLength(full);
  if (full.size() > root && full.back() == L'\\') full.pop_back();
  if (full.size() <= root) return true;
  auto found = State().entries.find(detail::Lower(full));
  return found != State().entries.end() && found->second.isDirectory;
}

bool ReadFile(const std::wstring& path, std::string* content) {
  auto found = State().entries.find(Key(path));
  if (found == State().entries.end() || found->second.isDirectory) return false;
  *content = found->second.content;
  return true;
}

bool RemoveFile(const std::wstring& path) {
  auto found = State().entries.find(Key(path));
  if (found == State().entries.end() || found->second.isDirectory) return false;
  State().entries.erase(found);
  return true;
}

namespace {

std::wstring NameOf(const Entry& entry) { return entry.path.substr(entry.path.rfind(L'\\') + 1); }

// NTFS's upper-case table, for the characters the simulation meets: ASCII
// and Latin-1.
wchar_t Upper(wchar_t c) {
  if ((c >= L'a' && c <= L'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<wchar_t>(c - 0x20);
  return c == 0xFF ? static_cast<wchar_t>(0x178) : c;
}

// docs "FindNextFileW" (remarks): NTFS, the system drive's file system,
// lists a folder in alphabetical order, comparing names in upper case
// (so "oem10.inf" comes before "oem2.inf", and "_" after the letters).
bool Before(const Entry& a, const Entry& b) {
  const wchar_t* left = a.path.c_str() + a.path.rfind(L'\\') + 1;
  const wchar_t* right = b.path.c_str() + b.path.rfind(L'\\') + 1;
  return std::lexicographical_compare(left, a.path.c_str() + a.path.size(), right, b.path.c_str() + b.path.size(),
                                      [](wchar_t x, wchar_t y) { return Upper(x) < Upper(y); });
}

// The entries directly in a directory, in the file system's order. Children share
// their parent's key as a prefix: only that range is read, so folders of
// thousands of files stay cheap to list.
std::vector<const Entry*> Children(const std::wstring& path) {
  std::wstring full = detail::Resolved(path);
  if (full.back() != L'\\') full += L'\\';
  const std::wstring prefix = detail::Lower(full);
  std::vector<const Entry*> children;
  for (auto item = State().entries.lower_bound(prefix);
       item != State().entries.end() && item->first.compare(0, prefix.size(), prefix) == 0; ++item) {
    if (item->first.find(L'\\', prefix.size()) == std::wstring::npos) children.push_back(&item->second);
  }
  std::sort(children.begin(), children.end(), [](const Entry* a, const Entry* b) { return Before(*a, *b); });
  return children;
}

}  // namespace

std::vector<std::wstring> ListDirectory(const std::wstring& path) {
  std::vector<std::wstring> names;
  for (const Entry* child : Children(path)) names.push_back(NameOf(*child));
  return names;
}

namespace detail {

std::wstring Resolved(const std::wstring& path) {
  if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) return FullPath(L"\\\\" + path.substr(8));
  if (path.compare(0, 4, L"\\\\?\\") == 0) return FullPath(path.substr(4));
  return FullPath(path);
}

size_t RootLength(const std::wstring& full) {
  if (full.compare(0, 2, L"\\\\") != 0) return full.size() < 3 ? full.size() : 3;
  size_t server = full.find(L'\\', 2);
  size_t share = server == std::wstring::npos ? server : full.find(L'\\', server + 1);
  return share == std::wstring::npos ? full.size() : share + 1;
}

std::wstring FolderOf(const std::wstring& full) {
  size_t root = RootLength(full);
  size_t slash = full.rfind(L'\\');
  return slash < root ? full.substr(0, root) : full.substr(0, slash);
}

std::vector<FileView> FilesIn(const std::wstring& directory) {
  std::vector<FileView> files;
  for (const Entry* child : Children(directory)) {
    if (!child->isDirectory) {
      files.push_back(FileView{child->path.c_str() + child->path.rfind(L'\\') + 1, &child->content});
    }
  }
  return files;
}

void ResetFileSystem() {
  State() = FileSystem();
  AddDirectory(kInfDirectory);
  AddDirectory(L"C:\\work");
  AddWindowsInfs();
}

}  // namespace detail
}  // namespace sim
