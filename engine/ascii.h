// Text rules that go by ASCII alone. Comparisons ignore ASCII letter case
// and nothing else: command words and device IDs are ASCII by convention,
// and other letters must match as they are.
#pragma once

#include <cwchar>

inline wchar_t AsciiLower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

inline bool EqualIgnoringAsciiCase(const wchar_t* a, const wchar_t* b) {
  for (; *a && *b; ++a, ++b) {
    if (AsciiLower(*a) != AsciiLower(*b)) return false;
  }
  return *a == *b;
}

// True for a text of blanks and tabs alone, or none: no visible character.
// Every package would hold it, and it names no folder.
inline bool IsBlankText(const wchar_t* text) { return text[std::wcsspn(text, L" \t")] == L'\0'; }
