// A plain model of how a selection argument matches an ID, shared by the
// fuzz targets that hold the engine's matching and selection to it.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

// One selection argument as the engine reads it: '@' first for an instance
// ID, then an apostrophe for a literal text in which '*' is no wildcard.
struct ReferencePattern {
  std::wstring text;
  bool literal = false;
};

inline ReferencePattern ReadReferencePattern(const std::wstring& argument) {
  ReferencePattern pattern{argument.substr(!argument.empty() && argument[0] == L'@' ? 1 : 0)};
  pattern.literal = !pattern.text.empty() && pattern.text[0] == L'\'';
  pattern.text.erase(0, pattern.literal ? 1 : 0);
  return pattern;
}

inline wchar_t FoldAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// The model: '*' stands for any text, the empty one too; every other
// character for itself, ASCII letters in either case. A table over pattern
// and ID prefixes instead of the engine's single pass, so that the two share
// no shortcut.
inline bool ReferenceMatches(const std::wstring& id, const ReferencePattern& pattern) {
  const auto same = [](wchar_t a, wchar_t b) { return FoldAscii(a) == FoldAscii(b); };
  if (pattern.literal) return std::equal(id.begin(), id.end(), pattern.text.begin(), pattern.text.end(), same);
  // reached[j]: the pattern so far matches the first j characters of the ID.
  std::vector<char> reached(id.size() + 1, 0);
  reached[0] = 1;
  for (wchar_t p : pattern.text) {
    if (p == L'*') {
      for (size_t j = 1; j <= id.size(); ++j) reached[j] = static_cast<char>(reached[j] || reached[j - 1]);
      continue;
    }
    for (size_t j = id.size(); j > 0; --j) reached[j] = static_cast<char>(reached[j - 1] && same(id[j - 1], p));
    reached[0] = 0;
  }
  return reached[id.size()] != 0;
}
