// Console text, built on the platform's own calls on every host, so that the
// simulation runs the same rules as Windows. Nothing is buffered here: each
// write reaches the stream before the call returns, so narrow and wide writes
// keep their order.
#include <cstdio>
#include <string>

#include "platform/platform.h"

namespace {

// Pieces that the console of older Windows takes in one call.
const size_t kConsolePiece = 4096;

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// What the C runtime's text mode did: a line feed becomes CR LF, and a CR LF
// pair (message texts carry them) stays one line end, never CR CR LF.
std::wstring WithCrLf(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size() + 2);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) out += L'\r';
    out += text[i];
  }
  return out;
}

// Bidirectional controls reorder the rest of a console line, so that a device
// name could make a line read otherwise than it is. No text of ours holds
// one: wherever they come from, the console shows '?'.
bool IsBidiControl(wchar_t c) {
  return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

void WriteToConsole(HANDLE handle, std::wstring text) {
  for (wchar_t& c : text) {
    if (IsBidiControl(c)) c = L'?';
  }
  for (size_t done = 0; done < text.size();) {
    size_t piece = text.size() - done < kConsolePiece ? text.size() - done : kConsolePiece;
    if (done + piece < text.size() && IsHighSurrogate(text[done + piece - 1])) --piece;
    DWORD written = 0;
    if (!WriteConsoleW(handle, text.data() + done, static_cast<DWORD>(piece), &written, nullptr)) return;
    done += piece;
  }
}

std::string AsciiOnly(const std::wstring& text) {
  std::string bytes;
  for (wchar_t c : text) bytes += c < 0x80 ? static_cast<char>(c) : '?';
  return bytes;
}

// The text in `codePage`, '?' for a character it lacks (never a look-alike).
// Some code pages, UTF-8 among them, take neither flags nor a replacement;
// they are asked plainly, and a code page the system cannot convert to at all
// gets ASCII.
std::string Encode(const std::wstring& text, UINT codePage) {
  static const char kReplacement[] = "?";
  const int length = static_cast<int>(text.size());
  DWORD flags = WC_NO_BEST_FIT_CHARS;
  const char* replacement = kReplacement;
  int size = WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, replacement, nullptr);
  if (size <= 0) {
    flags = 0;
    replacement = nullptr;
    size = WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, replacement, nullptr);
  }
  if (size <= 0) return AsciiOnly(text);
  std::string bytes(static_cast<size_t>(size), '\0');
  size = WideCharToMultiByte(codePage, flags, text.data(), length, &bytes[0], size, replacement, nullptr);
  return size > 0 ? bytes.substr(0, static_cast<size_t>(size)) : AsciiOnly(text);
}

// Windows' own console tools write redirected text in the console's code
// page, or the OEM code page when there is no console.
UINT RedirectedCodePage() {
  UINT codePage = GetConsoleOutputCP();
  return codePage != 0 ? codePage : GetOEMCP();
}

void WriteText(TextStream stream, const std::wstring& text) {
  if (text.empty()) return;
  HANDLE handle = GetStdHandle(stream == TEXT_STDERR ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  const std::wstring lines = WithCrLf(text);
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) {
    WriteToConsole(handle, lines);
    return;
  }
  const std::string bytes = Encode(lines, RedirectedCodePage());
  DWORD written = 0;
  WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// Narrow text is the program's own ASCII; it takes the same way out.
std::wstring Widened(const std::string& text) {
  std::wstring wide;
  for (char c : text) wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
  return wide;
}

}  // namespace

void PrintNarrow(TextStream stream, const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list measure;
  va_copy(measure, args);
  int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (length > 0) {
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(&text[0], text.size(), format, args);
    text.resize(static_cast<size_t>(length));
    WriteText(stream, Widened(text));
  }
  va_end(args);
}

void WriteNarrowLine(TextStream stream, const char* line) { WriteText(stream, Widened(std::string(line) + "\n")); }

void WriteWideText(TextStream stream, const wchar_t* text) { WriteText(stream, text); }
