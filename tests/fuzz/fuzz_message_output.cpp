// Finished texts and message inserts of every kind through the engine's
// output routine.
#include "engine/message_ids.h"
#include "engine/message_output.h"
#include "fuzz_input.h"

namespace {

// What a finished text must come out as: itself, but for a trailing run of
// CR and LF, which becomes one line feed; the simulated console then writes
// each CR LF pair as its line feed.
std::wstring Expected(const std::wstring& text) {
  size_t end = text.size();
  while (end > 0 && (text[end - 1] == L'\r' || text[end - 1] == L'\n')) --end;
  std::wstring kept = text.substr(0, end);
  if (end != text.size()) kept += L'\n';
  std::wstring shown;
  for (size_t i = 0; i < kept.size(); ++i) {
    if (!(kept[i] == L'\r' && i + 1 < kept.size() && kept[i + 1] == L'\n')) shown += kept[i];
  }
  return shown;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sim::Reset();
  std::wstring text = WideText(data, size);
  WriteEngineMessage(TEXT_STDOUT, MSG_FINISHED_TEXT, text.c_str());
  Require(sim::StdOut() == sim::Utf8(Expected(text)));
  WriteEngineMessage(TEXT_STDERR, MSG_COMMAND_MISUSED, text.c_str(), text.c_str());
  WriteEngineMessage(TEXT_STDOUT, MSG_FINDALL_COUNT_REMOTE, static_cast<unsigned>(size), text.c_str());
  const std::string out = sim::StdOut();
  // A text that ended in line ends comes out ending in exactly one.
  Require(!(out.size() >= 2 && out[out.size() - 1] == '\n' && out[out.size() - 2] == '\r'));
  RequireNothingOpen();
  return 0;
}
