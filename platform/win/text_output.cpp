// Console text on Windows. printf, std::cout and std::wcout all end in the C
// runtime's stdout, so their writes keep their order.
#include <climits>
#include <cstdio>
#include <cwchar>
#include <iostream>
#include <string>

#include "platform/platform.h"

namespace {

FILE* File(TextStream stream) { return stream == TEXT_STDERR ? stderr : stdout; }

// In the "C" locale the runtime fails on a character it cannot convert and
// the stream then drops every later write; such characters become '?'. A CR
// LF pair (message texts carry them) becomes a line feed, which text mode
// writes as CR LF: otherwise each such line would end in CR CR LF.
std::wstring Representable(const wchar_t* text) {
  std::wstring safe;
  for (; *text; ++text) {
    if (text[0] == L'\r' && text[1] == L'\n') continue;
    char bytes[MB_LEN_MAX];
    std::mbstate_t state = std::mbstate_t();
    safe += std::wcrtomb(bytes, *text, &state) == static_cast<size_t>(-1) ? L'?' : *text;
  }
  return safe;
}

}  // namespace

void PrintNarrow(TextStream stream, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vfprintf(File(stream), format, args);
  va_end(args);
}

void WriteNarrowLine(TextStream stream, const char* line) {
  std::ostream& out = stream == TEXT_STDERR ? std::cerr : std::cout;
  out << line << std::endl;
}

void WriteWideText(TextStream stream, const wchar_t* text) {
  std::wostream& out = stream == TEXT_STDERR ? std::wcerr : std::wcout;
  out << Representable(text);
  if (!out) out.clear();
}
