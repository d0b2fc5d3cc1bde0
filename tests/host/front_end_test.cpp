// The front end's command words, usage text and fixed answers.
#include <string>

#include "frontend/frontend.h"
#include "sim_test.h"

namespace {

const std::string kUsage =
    "usage: Pelmora [command] [arg]\r\n"
    "where command is remove, install, rescan, version, is64bit, exec, iswinxpsp3orlater, iswin2000orlater\r\n";

class FrontEnd : public SimTest {
 protected:
  int Run(std::initializer_list<std::wstring> items) {
    Args args(items);
    return RunFrontEnd(args.argc(), args.argv());
  }
};

TEST_F(FrontEnd, UsageErrorsAndFixedAnswers) {
  const std::string missing = "ERROR: command required argument\r\n" + kUsage;
  const struct {
    std::wstring word;  // empty: no command word at all
    int exitCode;
    std::string out;
  } cases[] = {{L"", 1, kUsage},          {L"Install", 1, kUsage},          {L"remove ", 1, kUsage},
               {L"iswinxsp3orlater", 1, kUsage}, {L"%1%n", 1, kUsage},    {std::wstring(40000, L'x'), 1, kUsage},
               {L"remove", 1, missing},   {L"install", 1, missing},         {L"exec", 1, missing},
               {L"version", 1, ""},       {L"is64bit", 0, ""}};
  for (const auto& c : cases) {
    sim::ClearOutput();
    if (c.word.empty()) {
      EXPECT_EQ(c.exitCode, Run({L"pelmora.exe"}));
    } else if (c.out == missing) {
      EXPECT_EQ(c.exitCode, Run({L"pelmora.exe", c.word}));
    } else {
      EXPECT_EQ(c.exitCode, Run({L"pelmora.exe", c.word, L"C:\\folder", L"extra"})) << sim::Utf8(c.word);
    }
    EXPECT_EQ(c.out, sim::RawStdOut()) << sim::Utf8(c.word);
    EXPECT_EQ("", sim::StdErr()) << "the install banner comes only with a folder";
  }
  EXPECT_TRUE(sim::Calls().empty()) << "no operation may start before the word is known";
  EXPECT_EQ(2, DispatchCommand(CMD_UNKNOWN, L""));
}

TEST_F(FrontEnd, VersionQuestionsFollowTheReportedVersion) {
  struct {
    unsigned major, minor, servicePack;
    int xpSp3OrLater, win2000OrLater;
  } const cases[] = {{4, 0, 6, 2, 2}, {5, 0, 4, 2, 0}, {5, 1, 2, 2, 0}, {5, 1, 3, 0, 0},
                     {5, 2, 2, 2, 0}, {6, 0, 0, 0, 0}, {10, 0, 0, 0, 0}};
  for (const auto& c : cases) {
    sim::SetVersion(c.major, c.minor, c.servicePack);
    EXPECT_EQ(c.xpSp3OrLater, Run({L"pelmora.exe", L"iswinxpsp3orlater"})) << c.major << "." << c.minor;
    EXPECT_EQ(c.win2000OrLater, Run({L"pelmora.exe", L"iswin2000orlater", L"ignored"})) << c.major;
  }
  sim::FailCall("GetVersionExW", ERROR_INVALID_PARAMETER, 1, 0);
  EXPECT_EQ(2, Run({L"pelmora.exe", L"iswinxpsp3orlater"}));
  EXPECT_EQ(2, Run({L"pelmora.exe", L"iswin2000orlater"}));
}

}  // namespace
