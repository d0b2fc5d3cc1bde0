// Finished texts and message inserts of every kind through the engine's
// output routine.
#include "engine/message_ids.h"
#include "engine/message_output.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sim::Reset();
  std::wstring text = WideText(data, size);
  WriteEngineMessage(TEXT_STDOUT, MSG_FINISHED_TEXT, text.c_str());
  WriteEngineMessage(TEXT_STDERR, MSG_COMMAND_MISUSED, text.c_str(), text.c_str());
  WriteEngineMessage(TEXT_STDOUT, MSG_FINDALL_COUNT_REMOTE, static_cast<unsigned>(size), text.c_str());
  const std::string out = sim::StdOut();
  // A text that ended in line ends comes out ending in exactly one.
  if (out.size() >= 2 && out[out.size() - 1] == '\n' && out[out.size() - 2] == '\r') __builtin_trap();
  RequireNothingOpen();
  return 0;
}
