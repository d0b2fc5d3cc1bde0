// A plain model of ID matching for the fuzz targets to hold the engine to:
// a table over pattern and ID prefixes instead of the engine's single pass,
// so that the two share no shortcut.
#pragma once

#include <string>
#include <vector>

#include "fuzz_input.h"

// '*' stands for any text, the empty one too; every other character for
// itself, ASCII letters in either case.
inline bool ReferenceWildcardMatch(const std::wstring& id, const std::wstring& pattern) {
  // row[j]: the pattern so far matches the first j characters of the ID.
  std::vector<char> row(id.size() + 1, 0);
  row[0] = 1;
  for (wchar_t p : pattern) {
    std::vector<char> next(id.size() + 1, 0);
    if (p == L'*') {
      char reached = 0;
      for (size_t j = 0; j <= id.size(); ++j) {
        reached = static_cast<char>(reached | row[j]);
        next[j] = reached;
      }
    } else {
      for (size_t j = 1; j <= id.size(); ++j) {
        next[j] = static_cast<char>(row[j - 1] && FoldAscii(id[j - 1]) == FoldAscii(p));
      }
    }
    row.swap(next);
  }
  return row[id.size()] != 0;
}

// One selection argument as the engine reads it: '@' first for an instance
// ID, then an apostrophe for a literal text in which '*' is no wildcard.
struct ReferencePattern {
  std::wstring text;
  bool literal = false;
  bool instanceId = false;
};

inline ReferencePattern ReadReferencePattern(const std::wstring& argument) {
  ReferencePattern pattern;
  pattern.text = argument;
  if (!pattern.text.empty() && pattern.text[0] == L'@') {
    pattern.instanceId = true;
    pattern.text.erase(0, 1);
  }
  if (!pattern.text.empty() && pattern.text[0] == L'\'') {
    pattern.literal = true;
    pattern.text.erase(0, 1);
  }
  return pattern;
}

inline bool ReferenceMatches(const std::wstring& id, const ReferencePattern& pattern) {
  if (pattern.literal || pattern.text.find(L'*') == std::wstring::npos) return SameIgnoringAsciiCase(id, pattern.text);
  return ReferenceWildcardMatch(id, pattern.text);
}
