// The text a message of the table becomes on the console, for comparing
// output whose wording is the message table's: composed by the platform's
// FormatMessageW from the same table, with its trailing line ends made one
// line feed and its inner CR LF pairs written as line feeds. Inserts are wide strings, or unsigned numbers where the text
// asks for them. Messages are named as tests/messages.txt names them.
#pragma once

#include <string>

#include "message_numbers.h"
#include "platform/sim/sim.h"

inline std::string ExpectedMessage(DWORD id, ...) {
  va_list inserts;
  va_start(inserts, id);
  LPWSTR buffer = nullptr;
  DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE, nullptr, id, 0,
                                reinterpret_cast<LPWSTR>(&buffer), 0, &inserts);
  va_end(inserts);
  std::wstring text(buffer ? buffer : L"", length);
  LocalFree(buffer);
  size_t end = text.find_last_not_of(L"\r\n");
  if (end + 1 != text.size()) text = text.substr(0, end + 1) + L"\n";
  for (size_t crlf = text.find(L"\r\n"); crlf != std::wstring::npos; crlf = text.find(L"\r\n", crlf)) {
    text.erase(crlf, 1);  // the console writes a CR LF pair as one line end
  }
  return sim::Utf8(text);
}
