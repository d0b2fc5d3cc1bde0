#include <string>

#include "engine/message_ids.h"
#include "engine/message_output.h"
#include "expected_message.h"
#include "sim_test.h"

namespace {

class MessageOutput : public SimTest {
 protected:
  std::string Finished(const wchar_t* text) {
    sim::ClearOutput();
    WriteEngineMessage(TEXT_STDOUT, MSG_FINISHED_TEXT, text);
    return sim::StdOut();
  }
};

TEST_F(MessageOutput, TrailingLineEndsBecomeOneLineFeed) {
  EXPECT_EQ("line\n", Finished(L"line\r\n"));
  EXPECT_EQ("line\n", Finished(L"line\n\n\r\n"));
  EXPECT_EQ("line\n", Finished(L"line\r"));
  EXPECT_EQ("line", Finished(L"line"));
  EXPECT_EQ("\n", Finished(L"\r\n\n\r"));
  EXPECT_EQ("a\nb\rc\n", Finished(L"a\nb\rc\r\n")) << "line ends inside stay as they are";
  EXPECT_EQ("a\nb\n", Finished(L"a\r\nb\r\n")) << "the console writes a CR LF pair as one line end";
  EXPECT_EQ("", Finished(L""));
}

TEST_F(MessageOutput, FinishedTextIsWrittenAsItStands) {
  EXPECT_EQ("100% %1 %n %% %0 %!\n", Finished(L"100% %1 %n %% %0 %!\n"));
  EXPECT_EQ("%", Finished(L"%"));
  EXPECT_EQ(0u, sim::CountCalls("FormatMessageW")) << "a finished text is not composed";
}

TEST_F(MessageOutput, MessagesGoToTheStreamAskedFor) {
  WriteEngineMessage(TEXT_STDERR, MSG_USAGE, L"a.exe");
  WriteEngineMessage(TEXT_STDOUT, MSG_DP_ADDED, L"oem3.inf");
  EXPECT_EQ(ExpectedMessage(MSG_USAGE, L"a.exe"), sim::StdErr());
  EXPECT_EQ(ExpectedMessage(MSG_DP_ADDED, L"oem3.inf"), sim::StdOut());
  EXPECT_EQ('\n', sim::StdOut().back());
  EXPECT_EQ(std::string::npos, sim::StdOut().find('\r')) << "the table's CR LF ends as one line feed";
}

TEST_F(MessageOutput, MissingOrFailingTextWritesNothing) {
  sim::HideMessage(MSG_DP_ADDED);
  WriteEngineMessage(TEXT_STDOUT, MSG_DP_ADDED, L"oem3.inf");
  WriteEngineMessage(TEXT_STDOUT, 59999, L"x");
  sim::FailCall("FormatMessageW", ERROR_NOT_ENOUGH_MEMORY);
  WriteEngineMessage(TEXT_STDOUT, MSG_REMOVED_NONE);
  EXPECT_EQ("", sim::StdOut());
  WriteEngineMessage(TEXT_STDOUT, MSG_REMOVED_NONE);
  EXPECT_EQ(ExpectedMessage(MSG_REMOVED_NONE), sim::StdOut()) << "the next message still appears";
}

TEST_F(MessageOutput, CharactersTheConsoleCannotShowDoNotSilenceLaterText) {
  sim::SetConsoleLatin1Only(true);
  WriteEngineMessage(TEXT_STDOUT, MSG_FINISHED_TEXT, L"Sensor \u03A9 caf\u00E9\n");
  WriteEngineMessage(TEXT_STDOUT, MSG_FINISHED_TEXT, L"next line\n");
  EXPECT_EQ("Sensor ? caf\xC3\xA9\nnext line\n", sim::StdOut());
}

}  // namespace
