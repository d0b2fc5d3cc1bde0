// A plain model of ID matching for the fuzz targets to hold the engine to:
// a table over pattern and ID prefixes instead of the engine's single pass,
// so that the two share no shortcut.
#pragma once

#include <string>
#include <vector>

#include "fuzz_input.h"

// One selection argument as the engine reads it: '@' first for an instance
// ID, then an apostrophe for a literal text in which '*' is no wildcard.
struct ReferencePattern {
  std::wstring text;
  bool literal = false;
  bool instanceId = false;
};

inline ReferencePattern ReadReferencePattern(const std::wstring& argument) {
  ReferencePattern pattern{argument};
  pattern.instanceId = !argument.empty() && argument[0] == L'@';
  pattern.text.erase(0, pattern.instanceId ? 1 : 0);
  pattern.literal = !pattern.text.empty() && pattern.text[0] == L'\'';
  pattern.text.erase(0, pattern.literal ? 1 : 0);
  return pattern;
}

// '*' stands for any text, the empty one too; every other character for
// itself, ASCII letters in either case.
inline bool ReferenceMatches(const std::wstring& id, const ReferencePattern& pattern) {
  if (pattern.literal) return SameIgnoringAsciiCase(id, pattern.text);
  // reached[j]: the pattern so far matches the first j characters of the ID.
  std::vector<char> reached(id.size() + 1, 0);
  reached[0] = 1;
  for (wchar_t p : pattern.text) {
    if (p == L'*') {
      for (size_t j = 1; j <= id.size(); ++j) reached[j] = static_cast<char>(reached[j] || reached[j - 1]);
      continue;
    }
    for (size_t j = id.size(); j > 0; --j) {
      reached[j] = static_cast<char>(reached[j - 1] && FoldAscii(id[j - 1]) == FoldAscii(p));
    }
    reached[0] = 0;
  }
  return reached[id.size()] != 0;
}
