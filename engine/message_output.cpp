#include "engine/message_output.h"

#include <cwchar>
#include <string>

#include "messages.h"
#include "platform/scoped_handle.h"

namespace {

// FormatMessageW's text in a buffer that it allocates; empty when it gives none.
std::wstring FormattedText(DWORD source, DWORD messageId, DWORD language, va_list* inserts) {
  LPWSTR allocated = nullptr;
  DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | source, nullptr, messageId, language,
                                reinterpret_cast<LPWSTR>(&allocated), 0, inserts);
  ScopedSystemText buffer(allocated);
  return length != 0 && buffer.valid() ? std::wstring(buffer.get(), length) : std::wstring();
}

std::wstring ComposeMessage(DWORD messageId, va_list* inserts) {
  if (messageId == MSG_FINISHED_TEXT) {
    const wchar_t* finished = va_arg(*inserts, const wchar_t*);
    return finished ? finished : L"";
  }
  return FormattedText(FORMAT_MESSAGE_FROM_HMODULE, messageId, 0, inserts);
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

// The user's language (LANG_USER_DEFAULT), as for the message table.
const DWORD kUserDefaultLanguage = 0x0400;

}  // namespace

// The code comes first so that a log is searchable whatever language the
// text is in. Inserts are ignored: the text's "%1" has nothing to take.
std::wstring SystemErrorText(DWORD code) {
  wchar_t hex[16];
  std::swprintf(hex, sizeof hex / sizeof hex[0], L"0x%08X", static_cast<unsigned>(code));
  std::wstring line = hex;
  std::wstring text =
      FormattedText(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, code, kUserDefaultLanguage, nullptr);
  // A text of several lines stays on the failure line: each line end is a blank.
  for (wchar_t& c : text) {
    if (c == L'\r' || c == L'\n') c = L' ';
  }
  size_t end = text.find_last_not_of(L' ');
  if (end == std::wstring::npos) return line;
  return line + L' ' + ShownText(text.substr(0, end + 1).c_str());
}

std::wstring ShownText(const wchar_t* text) {
  std::wstring shown = text ? text : L"";
  for (wchar_t& c : shown) {
    if (IsControl(c)) c = L'?';
  }
  return shown;
}

void WriteDeviceLine(const wchar_t* line) {
  std::wstring shown = ShownText(line);
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

std::wstring EngineMessageText(DWORD messageId, ...) {
  va_list inserts;
  va_start(inserts, messageId);
  std::wstring text = ComposeMessage(messageId, &inserts);
  va_end(inserts);
  return text;
}
