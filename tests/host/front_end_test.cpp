// The front end's command words, usage text and fixed answers.
#include <string>
#include <vector>

#include "expected_message.h"
#include "frontend/exit_codes.h"
#include "frontend/frontend.h"
#include "sim_test.h"

namespace {

const std::string kUsage =
    "usage: Pelmora [command] [arg]\r\n"
    "where command is remove, install, rescan, version, is64bit, exec, iswinxpsp3orlater, iswin2000orlater\r\n";

class FrontEnd : public SimTest {};

TEST_F(FrontEnd, UsageErrorsAndFixedAnswers) {
  const std::string missing = "ERROR: command required argument\r\n" + kUsage;
  const std::string tooMany = "ERROR: too many arguments (quote an argument that holds blanks)\r\n" + kUsage;
  const struct {
    std::vector<std::wstring> args;  // after the program's own name
    int exitCode;
    std::string out;
    DWORD err = 0;  // the one line on standard error
  } cases[] = {{{}, 1, kUsage}, {{L"Install", L"C:\\x"}, 1, kUsage}, {{L"remove ", L"a|b"}, 1, kUsage},
               {{L"iswinxsp3orlater"}, 1, kUsage}, {{L"%1%n"}, 1, kUsage}, {{std::wstring(40000, L'x')}, 1, kUsage},
               {{L"remove"}, 1, missing}, {{L"install"}, 1, missing}, {{L"exec"}, 1, missing},
               {{L"install", L""}, 1, missing}, {{L"install", L" \t "}, 1, missing},
               {{L"install", L"C:\\Program", L"Files\\Vendor"}, 2, tooMany}, {{L"remove", L"A|B", L" ", L"x"}, 2, tooMany},
               {{L"exec", L"C:\\Program", L"Files\\x.exe;"}, 2, tooMany}, {{L"install", L"", L"C:\\x"}, 2, tooMany},
               {{L"install", L"C:\\drivers\" /quiet"}, 2, tooMany},  // "[DRIVERS]" /quiet as the C runtime reads it
               {{L"version", L"x"}, 1, ""}, {{L"is64bit", L"x", L"y"}, 0, ""},
               // Empty and blank elements after the argument are an installer's empty properties.
               {{L"install", L"", L" \t"}, 1, missing},
               {{L"remove", L"NOTHING\\HERE|", L"", L" \t"}, 0, "No devices were removed.\r\n"},
               {{L"exec", L";", L""}, 2, "", MSG_EXEC_WITHOUT_PROGRAM}, {{L"exec", L" \t;/q"}, 2, "", MSG_EXEC_WITHOUT_PROGRAM}};
  for (const auto& c : cases) {
    sim::ClearOutput();
    std::vector<const wchar_t*> argv{L"pelmora.exe"};
    for (const std::wstring& arg : c.args) argv.push_back(arg.c_str());
    EXPECT_EQ(c.exitCode, RunFrontEnd(static_cast<int>(argv.size()), argv.data()));
    EXPECT_EQ(c.out, sim::RawStdOut()) << argv.size();
    EXPECT_EQ(c.err ? ExpectedMessage(c.err, L"pelmora.exe") : "", sim::StdErr()) << "no install banner";
    EXPECT_EQ(c.out.find("No devices") == 0, sim::CountCalls("SetupDiGetClassDevsExW") == 2)
        << "the every-device rule and the removal walk the devices once each";
    EXPECT_EQ(0u, sim::CountCalls("CreateProcessW"));
    EXPECT_TRUE((c.err != 0 || c.exitCode == 0) || sim::Calls().empty()) << "nothing starts on a wrong command line";
    sim::Reset();
  }
  EXPECT_EQ(2, ExitCodeFor(DispatchCommand(CMD_UNKNOWN, L"")));
}

TEST_F(FrontEnd, VersionQuestionsFollowTheReportedVersion) {
  struct {
    unsigned major, minor, servicePack;
    int xpSp3OrLater, win2000OrLater;
  } const cases[] = {{4, 0, 6, 2, 2}, {5, 0, 4, 2, 0}, {5, 1, 2, 2, 0}, {5, 1, 3, 0, 0},
                     {5, 2, 2, 2, 0}, {6, 0, 0, 0, 0}, {10, 0, 0, 0, 0}};
  for (const auto& c : cases) {
    sim::SetVersion(c.major, c.minor, c.servicePack);
    EXPECT_EQ(c.xpSp3OrLater, RunFrontEnd(2, Args{L"pelmora.exe", L"iswinxpsp3orlater"}.argv())) << c.major << "." << c.minor;
    EXPECT_EQ(c.win2000OrLater, RunFrontEnd(3, Args{L"pelmora.exe", L"iswin2000orlater", L"ignored"}.argv())) << c.major;
  }
  sim::FailCall("GetVersionExW", ERROR_INVALID_PARAMETER, 1, 0);
  EXPECT_EQ(2, RunFrontEnd(2, Args{L"pelmora.exe", L"iswinxpsp3orlater"}.argv()));
  EXPECT_EQ(2, RunFrontEnd(2, Args{L"pelmora.exe", L"iswin2000orlater"}.argv()));
}

}  // namespace
