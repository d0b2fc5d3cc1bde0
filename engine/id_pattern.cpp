// Wildcard matching of device IDs.
#include "engine/ascii.h"
#include "engine/device_selection.h"

namespace {

bool SameLetter(wchar_t a, wchar_t b) { return AsciiLower(a) == AsciiLower(b); }

// The first `count` characters of `text` equal `segment`; `text` may be
// shorter, which is no match.
bool StartsWith(const wchar_t* text, const wchar_t* segment, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (text[i] == 0 || !SameLetter(text[i], segment[i])) return false;
  }
  return true;
}

size_t Length(const wchar_t* text, const wchar_t* end) {
  size_t count = 0;
  while (text + count != end && text[count] != 0) ++count;
  return count;
}

const wchar_t* NextStar(const wchar_t* p) {
  while (*p && *p != L'*') ++p;
  return p;
}

// The first place in `s` where `c` stands, either letter case. Patterns and
// IDs are compared and stepped a code unit at a time: Windows' CharNextW
// steps over combining marks with the character before them, so it would
// never stop at a mark that a pattern asks for, or would drop one after '*'.
const wchar_t* FindLetter(const wchar_t* s, wchar_t c) {
  for (; *s; ++s) {
    if (SameLetter(*s, c)) return s;
  }
  return nullptr;
}

// The pattern from its first star on, against the rest of the ID.
bool MatchFromStar(const wchar_t* s, const wchar_t* p) {
  while (*p) {
    if (*p == L'*') {
      ++p;
      continue;
    }
    const wchar_t* segmentEnd = NextStar(p);
    size_t segmentLength = Length(p, segmentEnd);
    if (*segmentEnd == 0) {
      size_t rest = Length(s, nullptr);
      return rest >= segmentLength && StartsWith(s + rest - segmentLength, p, segmentLength);
    }
    for (;;) {
      s = FindLetter(s, *p);
      if (!s) return false;
      if (StartsWith(s, p, segmentLength)) break;
      ++s;
    }
    s += segmentLength;
    p = segmentEnd;
  }
  return true;
}

}  // namespace

bool MatchIdPattern(const wchar_t* id, const IdPattern& pattern) {
  if (!pattern.firstStar) return EqualIgnoringAsciiCase(id, pattern.text);
  size_t prefixLength = static_cast<size_t>(pattern.firstStar - pattern.text);
  if (!StartsWith(id, pattern.text, prefixLength)) return false;
  return MatchFromStar(id + prefixLength, pattern.firstStar);
}
