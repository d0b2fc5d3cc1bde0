// The front end's command words, usage text and fixed answers.
#include <string>

#include "frontend/frontend.h"
#include "sim_test.h"

namespace {

const char kUsage[] =
    "usage: Pelmora [command] [arg]\n"
    "where command is remove, install, rescan, version, is64bit, exec, iswinxpsp3orlater, iswin2000orlater\n";

class FrontEnd : public SimTest {
 protected:
  int Run(std::initializer_list<std::wstring> items) {
    Args args(items);
    return RunFrontEnd(args.argc(), args.argv());
  }
};

TEST_F(FrontEnd, MissingOrUnknownWordPrintsUsageAndFails) {
  EXPECT_EQ(1, Run({L"pelmora.exe"}));
  EXPECT_EQ(kUsage, sim::StdOut());
  EXPECT_EQ("usage: Pelmora [command] [arg]\r\n", sim::RawStdOut().substr(0, 32)) << "lines end in CR LF";
  for (const std::wstring& word : {std::wstring(L"Install"), std::wstring(L"remove "), std::wstring(L"iswinxsp3orlater"),
                                   std::wstring(L""), std::wstring(L"%1%n"), std::wstring(L"\u03A9"),
                                   std::wstring(40000, L'x')}) {
    sim::ClearOutput();
    EXPECT_EQ(1, Run({L"pelmora.exe", word, L"C:\\folder"})) << sim::Utf8(word);
    EXPECT_EQ(kUsage, sim::StdOut());
    EXPECT_EQ("", sim::StdErr());
  }
  EXPECT_TRUE(sim::Calls().empty()) << "no operation may start before the word is known";
}

TEST_F(FrontEnd, CommandsThatNeedAnArgumentSayWhatIsMissing) {
  for (const wchar_t* word : {L"remove", L"install", L"exec"}) {
    sim::ClearOutput();
    EXPECT_EQ(1, Run({L"pelmora.exe", word}));
    EXPECT_EQ(std::string("ERROR: command required argument\n") + kUsage, sim::StdOut());
    EXPECT_EQ("", sim::StdErr()) << "the install banner comes only with a folder";
  }
  EXPECT_TRUE(sim::Calls().empty());
}

TEST_F(FrontEnd, FixedAnswersIgnoreTheirArgumentAndQueryNothing) {
  EXPECT_EQ(1, Run({L"pelmora.exe", L"version", L"extra"}));
  EXPECT_EQ(0, Run({L"pelmora.exe", L"is64bit", L"extra"}));
  EXPECT_EQ(2, DispatchCommand(CMD_UNKNOWN, L""));
  EXPECT_EQ(CMD_UNKNOWN, ClassifyCommand(L"install")) << "the caller recognises install itself";
  EXPECT_TRUE(sim::Calls().empty());
  EXPECT_EQ("", sim::StdOut() + sim::StdErr());
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
