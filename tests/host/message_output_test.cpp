// The engine's output routine, and device data that cannot steer the reader's terminal.
#include <string>

#include "engine/engine.h"
#include "engine/message_output.h"
#include "expected_message.h"
#include "platform/sim/sim_devices.h"
#include "sim_test.h"

namespace {

class MessageOutput : public SimTest {
 protected:
  // What a finished text, or a device line, shows.
  std::string Shown(const wchar_t* text, bool deviceLine = false) {
    sim::ClearOutput();
    deviceLine ? WriteDeviceLine(text) : WriteEngineMessage(TEXT_STDOUT, 0, text);
    return sim::StdOut();
  }
};

TEST_F(MessageOutput, TrailingLineEndsBecomeOneLineFeedAndTheRestStandsAsItIs) {
  const struct {
    const wchar_t* text;
    const char* shown;
  } cases[] = {{L"line\r\n", "line\n"}, {L"line\n\n\r\n", "line\n"}, {L"line\r", "line\n"}, {L"line", "line"},
               {L"\r\n\n\r", "\n"}, {L"a\nb\rc\r\n", "a\nb\rc\n"}, {L"", ""}, {L"100% %1 %n %%\n", "100% %1 %n %%\n"}};
  for (const auto& c : cases) EXPECT_EQ(c.shown, Shown(c.text)) << sim::Utf8(c.text);
  EXPECT_EQ(0u, sim::CountCalls("FormatMessageW")) << "a finished text is not composed";
}

TEST_F(MessageOutput, MessagesGoToTheStreamAskedForAndMissingTextsWriteNothing) {
  WriteEngineMessage(TEXT_STDERR, 60000, L"a.exe");
  EXPECT_EQ(ExpectedMessage(60000, L"a.exe"), sim::StdErr());
  sim::HideMessage(61115);
  WriteEngineMessage(TEXT_STDOUT, 61115, L"oem3.inf");
  WriteEngineMessage(TEXT_STDOUT, 59999, L"x");
  sim::FailCall("FormatMessageW", ERROR_NOT_ENOUGH_MEMORY);
  WriteEngineMessage(TEXT_STDOUT, 61202);
  EXPECT_EQ("", sim::StdOut());
  WriteEngineMessage(TEXT_STDOUT, 61202);
  EXPECT_EQ(ExpectedMessage(61202), sim::StdOut()) << "the next message still appears";
}

TEST_F(MessageOutput, ControlCharactersOfDeviceDataBecomeQuestionMarks) {
  const struct {
    const wchar_t* line;
    const char* shown;
  } cases[] = {{L"Caf\u00E9 \u03A9mega\tx\n", "Caf\xC3\xA9 \xCE\xA9mega\tx\n"},
               {L"a\x1B]0;title\x07" L"b\n", "a?]0;title?b\n"},
               {L"\x1B[2J\x1B[H\n", "?[2J?[H\n"},
               {L"x\r\ny\n", "x??y\n"},
               {L"\x7F\x80\x9B\x9F\xA0\n", "????\xC2\xA0\n"},
               {L"no line end\x01", "no line end?"}};
  for (const auto& c : cases) EXPECT_EQ(c.shown, Shown(c.line, true)) << sim::Utf8(c.line);
  EXPECT_TRUE(PrintableText(L"oem\x1B.inf") == L"oem?.inf" && PrintableText(nullptr).empty());
}

TEST_F(MessageOutput, FindallWritesDeviceNamesAndIdsThroughTheRule) {
  sim::DeviceSpec device = sim::Device(L"ROOT\\EVIL\x1B\\0000", L"System", {L"ROOT\\EVIL"});
  sim::SetProperty(device, SPDRP_FRIENDLYNAME, sim::Sz(L"Evil\x1B]0;owned\x07 \u00E9"));
  sim::AddDevice(device);
  Args args{L"pelmora-engine.exe", L"findall", L"*"};
  EXPECT_EQ(0, EngineRun(args.argc(), args.argv()));
  EXPECT_EQ("ROOT\\EVIL?\\0000" + std::string(45, ' ') + ": Evil?]0;owned? \xC3\xA9\n" +
                ExpectedMessage(60405, 1u, nullptr),
            sim::StdOut());
}

}  // namespace
