// Finished texts, device lines and message inserts of every kind through the
// engine's output routines.
#include "engine/message_output.h"
#include "fuzz_input.h"
#include "messages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sim::Reset();
  std::wstring text = WideText(data, size);
  WriteEngineMessage(TEXT_STDOUT, MSG_FINISHED_TEXT, text.c_str());
  // A trailing run of CR and LF becomes exactly one line end, written CR LF.
  const bool endsInLine = !text.empty() && text.find_last_not_of(L"\r\n") + 1 != text.size();
  std::string out = sim::RawStdOut();
  const size_t n = out.size();
  Require(endsInLine == (n >= 2 && out.compare(n - 2, 2, "\r\n") == 0));
  Require(!endsInLine || n == 2 || (out[n - 3] != '\r' && out[n - 3] != '\n'));
  WriteEngineMessage(TEXT_STDERR, MSG_COMMAND_MISUSED, text.c_str(), text.c_str());
  WriteEngineMessage(TEXT_STDOUT, MSG_FINDALL_COUNT_REMOTE, static_cast<unsigned>(size), text.c_str());

  // A device line steers no terminal: no control character but a tab and its line end.
  sim::ClearOutput();
  WriteDeviceLine(text.c_str());
  out = sim::RawStdOut();
  for (size_t i = 0; i < out.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(out[i]);
    Require(c >= 0x20 || c == '\t' || (i + 2 >= out.size() && (c == '\r' || c == '\n')));
    Require(!(c == 0xC2 && i + 1 < out.size() && static_cast<unsigned char>(out[i + 1]) < 0xA0));  // no C1
  }
  RequireNothingOpen();
  return 0;
}
