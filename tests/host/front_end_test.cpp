#include <string>

#include "frontend/frontend.h"
#include "sim_test.h"

namespace {

const char kUsage[] =
    "usage: Pelmora [command] [arg]\n"
    "where command is remove, install, rescan, version, is64bit, iswinxsp3orlater, iswin2000orlater\n";
const char kError[] = "ERROR: command required argument\n";

class FrontEnd : public SimTest {
 protected:
  int Run(std::initializer_list<std::wstring> items) {
    Args args(items);
    return RunFrontEnd(args.argc(), args.argv());
  }
};

TEST_F(FrontEnd, MissingOrUnknownWordPrintsUsageAndFails) {
  const std::wstring words[] = {L"Install",          L"REMOVE",  L"remove ",       L" exec",
                                L"iswinxsp3orlater", L"installx", L"",             L"%1%n%%",
                                L"\u03A9\u00E9",     L"rescan\t", std::wstring(40000, L'x')};
  EXPECT_EQ(1, Run({L"pelmora.exe"}));
  EXPECT_EQ(kUsage, sim::StdOut());
  for (const std::wstring& word : words) {
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
    EXPECT_EQ(std::string(kError) + kUsage, sim::StdOut());
    EXPECT_EQ("", sim::StdErr()) << "the install banner comes only with a folder";
  }
  EXPECT_TRUE(sim::Calls().empty());
}

TEST_F(FrontEnd, InstallWritesItsBannerToStandardError) {
  Run({L"pelmora.exe", L"install", L"C:\\nowhere"});
  EXPECT_EQ("Installing USB-driver...\n", sim::StdErr());
}

TEST_F(FrontEnd, FixedAnswersIgnoreTheirArgumentAndQueryNothing) {
  EXPECT_EQ(1, Run({L"pelmora.exe", L"version"}));
  EXPECT_EQ(1, Run({L"pelmora.exe", L"version", L"extra", L"more"}));
  EXPECT_EQ(0, Run({L"pelmora.exe", L"is64bit"}));
  EXPECT_EQ(0, Run({L"pelmora.exe", L"is64bit", L"extra"}));
  EXPECT_TRUE(sim::Calls().empty());
  EXPECT_EQ("", sim::StdOut());
  EXPECT_EQ("", sim::StdErr());
}

TEST_F(FrontEnd, ExecWithoutSemicolonStartsNothing) {
  EXPECT_EQ(2, Run({L"pelmora.exe", L"exec", L"C:\\tool.exe arguments"}));
  EXPECT_EQ(0u, sim::CountCalls("CreateProcessW"));
  EXPECT_EQ("", sim::StdOut());
}

TEST_F(FrontEnd, DispatchRefusesUnknownCodes) {
  EXPECT_EQ(2, DispatchCommand(-1, L""));
  EXPECT_EQ(2, DispatchCommand(CMD_UNKNOWN, L""));
  EXPECT_EQ(2, DispatchCommand(1000, L"x"));
  EXPECT_TRUE(sim::Calls().empty());
}

TEST_F(FrontEnd, ClassifyCommandNeverAnswersInstall) {
  EXPECT_EQ(CMD_UNKNOWN, ClassifyCommand(L"install"));
  EXPECT_EQ(CMD_REMOVE, ClassifyCommand(L"remove"));
  EXPECT_EQ(CMD_ISWIN2000ORLATER, ClassifyCommand(L"iswin2000orlater"));
  EXPECT_EQ(CMD_UNKNOWN, ClassifyCommand(L"iswin2000orlate"));
}

struct VersionCase {
  unsigned major, minor, servicePack;
  int xpSp3OrLater, win2000OrLater;
};

TEST_F(FrontEnd, VersionQuestionsFollowTheReportedVersion) {
  const VersionCase cases[] = {
      {4, 0, 6, 2, 2}, {5, 0, 4, 2, 0}, {5, 1, 2, 2, 0}, {5, 1, 3, 0, 0}, {5, 1, 4, 0, 0},
      {5, 2, 0, 2, 0}, {5, 2, 2, 2, 0}, {6, 0, 0, 0, 0}, {6, 1, 1, 0, 0}, {10, 0, 0, 0, 0},
  };
  for (const VersionCase& c : cases) {
    sim::SetVersion(c.major, c.minor, c.servicePack);
    EXPECT_EQ(c.xpSp3OrLater, Run({L"pelmora.exe", L"iswinxpsp3orlater"}))
        << c.major << "." << c.minor << " SP" << c.servicePack;
    EXPECT_EQ(c.win2000OrLater, Run({L"pelmora.exe", L"iswin2000orlater", L"ignored"}))
        << c.major << "." << c.minor << " SP" << c.servicePack;
  }
  EXPECT_EQ("GetVersionExW(" + std::to_string(sizeof(OSVERSIONINFOEXW)) + ")", sim::Calls().front())
      << "the extended record, so that the service pack is filled in";
}

TEST_F(FrontEnd, FailingVersionQueryAnswersNo) {
  sim::FailCall("GetVersionExW", ERROR_INVALID_PARAMETER, 1, 0);
  EXPECT_EQ(2, Run({L"pelmora.exe", L"iswinxpsp3orlater"}));
  EXPECT_EQ(2, Run({L"pelmora.exe", L"iswin2000orlater"}));
  EXPECT_EQ("", sim::StdOut());
}

}  // namespace
