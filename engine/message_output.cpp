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

}  // namespace

void WriteEngineMessage(TextStream stream, DWORD messageId, ...) {
  va_list inserts;
  va_start(inserts, messageId);
  std::wstring text = ComposeMessage(messageId, &inserts);
  va_end(inserts);
  if (text.empty()) return;
  NormaliseLineEnd(text);
  WriteWideText(stream, text.c_str());
}
