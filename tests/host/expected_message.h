// The text a message of the table becomes on the console, for comparing
// output whose wording is the message table's: composed by the platform's
// FormatMessageW from the same table, with its trailing line ends made one
// line feed and its inner CR LF pairs written as line feeds. Inserts are wide strings, or unsigned numbers where the text
// asks for them.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "platform/sim/sim.h"

// Every "NAME NUMBER" line of tests/messages.txt, the one place tests hold message numbers.
inline std::map<std::string, DWORD> ReadMessageList() {
  std::map<std::string, DWORD> list;
  std::ifstream file(PELMORA_SOURCE_DIR "/tests/messages.txt");
  std::string name;
  DWORD number = 0;
  for (std::string line; std::getline(file, line);) {
    if (line[0] != '#' && std::istringstream(line) >> name >> number) list[name] = number;
  }
  return list;
}

// The number of the message named `name`; a name the list lacks fails the test.
inline DWORD Msg(const char* name) {
  static const std::map<std::string, DWORD> list = ReadMessageList();
  EXPECT_EQ(1u, list.count(name)) << name << " is not in tests/messages.txt";
  return list.count(name) ? list.at(name) : 0;
}

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
