#include "packages/full_path.h"

#include <vector>

#include "platform/platform.h"

std::wstring FullPathOf(const std::wstring& path) {
  DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return L"";
  std::vector<wchar_t> full(size, L'\0');
  DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  return length == 0 || length >= size ? L"" : std::wstring(full.data(), length);
}
