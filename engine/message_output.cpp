#include "engine/message_output.h"

#include <string>

#include "engine/message_ids.h"

namespace {

std::wstring ComposeMessage(DWORD messageId, va_list* inserts) {
  if (messageId == MSG_FINISHED_TEXT) {
    const wchar_t* finished = va_arg(*inserts, const wchar_t*);
    return finished ? finished : L"";
  }
  LPWSTR buffer = nullptr;
  DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE, nullptr,
                                messageId, 0, reinterpret_cast<LPWSTR>(&buffer), 0, inserts);
  std::wstring text;
  if (length != 0 && buffer) text.assign(buffer, length);
  if (buffer) LocalFree(buffer);
  return text;
}

// Any mix of trailing CR and LF becomes a single line feed.
void NormaliseLineEnd(std::wstring& text) {
  size_t end = text.size();
  while (end > 0 && (text[end - 1] == L'\r' || text[end - 1] == L'\n')) --end;
  if (end == text.size()) return;
  text.resize(end);
  text += L'\n';
}

bool IsControl(wchar_t c) { return (c < 0x20 && c != L'\t') || (c >= 0x7F && c <= 0x9F); }

}  // namespace

std::wstring PrintableText(const wchar_t* text) {
  std::wstring shown = text ? text : L"";
  for (wchar_t& c : shown) {
    if (IsControl(c)) c = L'?';
  }
  return shown;
}

void WriteDeviceLine(const wchar_t* line) {
  std::wstring shown = PrintableText(line);
  if (!shown.empty() && line[shown.size() - 1] == L'\n') shown.back() = L'\n';
  WriteEngineMessage(TEXT_STDOUT, MSG_FINISHED_TEXT, shown.c_str());
}

void WriteEngineMessage(TextStream stream, DWORD messageId, ...) {
  va_list inserts;
  va_start(inserts, messageId);
  std::wstring text = ComposeMessage(messageId, &inserts);
  va_end(inserts);
  if (text.empty()) return;
  NormaliseLineEnd(text);
  WriteWideText(stream, text.c_str());
}
