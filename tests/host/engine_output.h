// What the engine wrote, seen through the simulation: which messages it
// composed, and a message's text as the table gives it, for tests that check
// the order of engine messages among other output.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/sim/sim.h"

// IDs of the messages composed so far, in order, from the call log.
inline std::vector<unsigned long> MessagesComposed() {
  std::vector<unsigned long> ids;
  for (const std::string& call : sim::CallsTo("FormatMessageW")) {
    unsigned long id = 0;
    if (std::sscanf(call.c_str(), "FormatMessageW(%lu,", &id) == 1) ids.push_back(id);
  }
  return ids;
}

// The text of a message without inserts, its trailing line ends made one
// line feed as the engine writes it. Call it after the run under test: it
// goes through the simulated FormatMessageW.
inline std::string MessageText(unsigned long id) {
  LPWSTR buffer = nullptr;
  DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE, nullptr,
                                static_cast<DWORD>(id), 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  std::wstring text = length ? std::wstring(buffer, length) : std::wstring();
  if (buffer) LocalFree(buffer);
  size_t end = text.find_last_not_of(L"\r\n");
  if (end + 1 < text.size()) text = text.substr(0, end + 1) + L"\n";
  return sim::Utf8(text);
}
