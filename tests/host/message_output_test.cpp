// The engine's output routine, and device data that cannot steer the reader's terminal.
#include <fstream>
#include <sstream>
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
  std::string Shown(const wchar_t* text, bool deviceLine) {
    sim::ClearOutput();
    deviceLine ? WriteDeviceLine(text) : WriteEngineMessage(TEXT_STDOUT, MSG_FINISHED_TEXT, text);
    return sim::StdOut();
  }
};

// Trailing line ends become one line feed and the rest of a text stands as it is; device data
// has its control characters shown as question marks.
TEST_F(MessageOutput, TextsAndDeviceLinesAsShown) {
  const struct {
    const wchar_t* text;
    bool deviceLine;
    const char* shown;
  } cases[] = {
      {L"line\r\n", false, "line\n"}, {L"line\n\n\r\n", false, "line\n"}, {L"line\r", false, "line\n"}, {L"\n\n", false, "\n"},
      {L"line", false, "line"}, {L"\r\n\n\r", false, "\n"}, {L"a\nb\rc\r\n", false, "a\nb\rc\n"}, {L"", false, ""},
      {L"100% %1 %n %%\n", false, "100% %1 %n %%\n"}, {L"x\r\ny\n", true, "x??y\n"},
      {L"Caf\u00E9 \u03A9mega\tx\n", true, "Caf\xC3\xA9 \xCE\xA9mega\tx\n"}, {L"no line end\x01", true, "no line end?"},
      {L"a\x1B]0;title\x07" L"b\n", true, "a?]0;title?b\n"}, {L"\x7F\x80\x9B\x9F\xA0\n", true, "????\xC2\xA0\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.shown, Shown(c.text, c.deviceLine)) << sim::Utf8(c.text);
  EXPECT_TRUE(ShownText(L"oem\x1B.inf") == L"oem?.inf" && ShownText(nullptr).empty());
}

// Device data and every insert taken from the command line, a file or the system: a word asked
// about, a hardware ID and INF path, a machine name, the program's own name.
TEST_F(MessageOutput, DeviceDataAndInsertsShowControlsAsQuestionMarks) {
  sim::DeviceSpec device = sim::Device(L"ROOT\\EVIL\x1B\\0000", L"System", {L"ROOT\\EVIL"});
  sim::SetProperty(device, SPDRP_FRIENDLYNAME, sim::Sz(L"Evil\x1B]0;owned\x07 \u00E9"));
  sim::AddDevice(device);
  sim::AddRemoteMachine(L"PC\x1B[2J");
  sim::AddFile(L"C:\\d\x1B[2J\\s.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=S\r\n"
                                      "ClassGuid={6f1c2a3e-8d4b-4c7a-9e21-5b0d3f7a9c41}\r\n[Manufacturer]\r\nP=M\r\n[M]\r\nD=I,ROOT\\S\r\n");
  const struct {
    std::initializer_list<std::wstring> args;
    std::string shown;  // the start of standard output
  } cases[] = {
      {{L"pelmora-engine.exe", L"findall", L"*"},
       "ROOT\\EVIL?\\0000" + std::string(45, ' ') + ": Evil?]0;owned? \xC3\xA9\n" + ExpectedMessage(MSG_FINDALL_COUNT, 1u, nullptr)},
      {{L"x\x1B]0;t\x07.exe", L"?", L"no\x1B[2J"}, ExpectedMessage(MSG_HELP_UNKNOWN, L"x?]0;t?.exe", L"no?[2J")},
      {{L"x.exe", L"-m:PC\x1B[2J", L"findall", L"NOTHING"}, ExpectedMessage(MSG_FINDALL_NONE_REMOTE, L"PC?[2J")},
      {{L"x.exe", L"install", L"C:\\d\x1B[2J\\s.inf", L"ROOT\\X\x1B]0;t\x07"},
       ExpectedMessage(MSG_DEVICE_CREATED) + ExpectedMessage(MSG_UPDATING_DRIVERS, L"ROOT\\X?]0;t?", L"C:\\d?[2J\\s.inf")},
  };
  for (const auto& c : cases) {
    sim::ClearOutput();
    Args args(c.args);
    EngineRun(args.argc(), args.argv());
    EXPECT_TRUE(sim::StdOut().compare(0, c.shown.size(), c.shown) == 0 &&
                (sim::StdOut() + sim::StdErr()).find_first_of("\x1B\x07") == std::string::npos) << sim::StdOut();
  }
}

// The product's header gives each message the number of tests/messages.txt, and names no other message.
TEST(MessageNames, GeneratedHeaderAgreesWithTheList) {
  std::ifstream header(PELMORA_MESSAGE_HEADER);
  std::map<std::string, DWORD> defined;
  std::string define, name, type, hex;
  for (std::string line; std::getline(header, line);) {
    if (std::istringstream(line) >> define >> name >> type >> hex && define == "#define" && type == "(DWORD)")
      defined[name] = static_cast<DWORD>(std::stoul(hex, nullptr, 16));
  }
  EXPECT_EQ(kMessageList, defined);
}

}  // namespace
