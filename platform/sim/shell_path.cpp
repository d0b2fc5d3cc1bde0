// The shell's path composition functions. They work within MAX_PATH
// characters, terminator included, whatever the caller's buffer holds, and
// only '\' separates components for them.
#include <cwchar>
#include <string>
#include <vector>

#include "platform/sim/sim_internal.h"

namespace sim {
namespace {

// "X:\", "X:", "\" or nothing: the part that ".." never climbs over.
size_t RootLength(const std::wstring& path) {
  if (path.size() >= 2 && path[1] == L':') return path.size() >= 3 && path[2] == L'\\' ? 3 : 2;
  return !path.empty() && path[0] == L'\\' ? 1 : 0;
}

// Drops "." components and lets ".." take back the component before it. A
// ".." with nothing before it stays in a relative path and is dropped after a
// root.
std::wstring Canonical(const std::wstring& path) {
  size_t root = RootLength(path);
  std::vector<std::wstring> kept;
  size_t start = root;
  while (start < path.size()) {
    size_t end = path.find(L'\\', start);
    if (end == std::wstring::npos) end = path.size();
    std::wstring part = path.substr(start, end - start);
    start = end + 1;
    if (part == L".") continue;
    if (part == L".." && !kept.empty() && kept.back() != L"..") {
      kept.pop_back();
    } else if (part != L".." || root == 0) {
      kept.push_back(part);
    }
  }
  std::wstring result = path.substr(0, root);
  for (size_t i = 0; i < kept.size(); ++i) result += (i ? L"\\" : L"") + kept[i];
  if (!kept.empty() && path.back() == L'\\') result += L'\\';
  return result;
}

std::wstring Combine(const std::wstring& path, const wchar_t* more) {
  while (*more == L'\\') ++more;
  std::wstring tail = more;
  if (tail.size() >= 2 && tail[1] == L':') return tail;  // a drive path stands alone
  if (path.empty()) return tail;
  if (tail.empty()) return path;
  return path + (path.back() == L'\\' ? L"" : L"\\") + tail;
}

}  // namespace
}  // namespace sim

using namespace sim::detail;

// NULL when the backslash would not fit in MAX_PATH; an empty path stays
// empty.
LPWSTR PathAddBackslashW(LPWSTR path) {
  if (FaultedCall("PathAddBackslashW", Quote(path))) return nullptr;
  if (!path) return nullptr;
  size_t length = std::wcslen(path);
  if (length == 0 || path[length - 1] == L'\\') return path + length;
  if (length + 2 > MAX_PATH) return nullptr;
  path[length] = L'\\';
  path[length + 1] = 0;
  return path + length + 1;
}

// The result is canonical ("." and ".." taken out). One that would not fit
// in MAX_PATH fails and leaves the path empty, as Wine does; Windows
// documents nothing for that case.
BOOL PathAppendW(LPWSTR path, LPCWSTR more) {
  if (FaultedCall("PathAppendW", Quote(path) + ", " + Quote(more))) return FALSE;
  if (!path || !more) return FALSE;
  std::wstring combined = sim::Canonical(sim::Combine(path, more));
  if (combined.size() >= MAX_PATH) {
    path[0] = 0;
    return FALSE;
  }
  std::wmemcpy(path, combined.c_str(), combined.size() + 1);
  return TRUE;
}

// Cuts the last component and its separator, keeping a root's backslash;
// FALSE when nothing was cut.
BOOL PathRemoveFileSpecW(LPWSTR path) {
  if (FaultedCall("PathRemoveFileSpecW", Quote(path))) return FALSE;
  if (!path || *path == 0) return FALSE;
  std::wstring text = path;
  size_t root = sim::RootLength(text);
  size_t slash = text.rfind(L'\\');
  size_t cut = slash == std::wstring::npos || slash < root ? root : slash;
  if (slash != std::wstring::npos && slash + 1 == root) cut = root;
  if (cut >= text.size()) return FALSE;
  path[cut] = 0;
  return TRUE;
}
