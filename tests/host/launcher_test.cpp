// "exec program;arguments": the command line the program gets, how it is
// started and waited for, what is never started, and the quiet failures.
#include <vector>

#include "frontend/frontend.h"
#include "platform/sim/sim_process.h"
#include "sim_test.h"

namespace {

class Exec : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    for (const wchar_t* file : {L"C:\\tools\\setup.exe", L"C:\\work\\setup.exe", L"C:\\My Tools\\set up.exe",
                                L"C:\\tools\\sub\\x\\y.exe", L"C:\\tools\\t.bat", L"C:\\tools\\T.CMD",
                                L"C:\\tools\\t.bat.exe"})
      sim::AddFile(file, "MZ");
  }
  int Run(const std::wstring& argument) {
    return RunFrontEnd(4, Args{L"pelmora.exe", L"exec", argument, L"ignored;extra"}.argv());
  }
};

TEST_F(Exec, ProgramGetsItsFileNameAndParametersOrNothingStarts) {
  struct {
    const wchar_t* argument;
    int exitCode;
    const wchar_t* applicationName;  // null: nothing is started
    const wchar_t* commandLine;
  } const cases[] = {
      {L"C:\\tools\\setup.exe;/quiet /norestart", 0, L"C:\\tools\\setup.exe", L"setup.exe /quiet /norestart"},
      {L"C:\\tools\\setup.exe; /q", 0, L"C:\\tools\\setup.exe", L"setup.exe /q"},
      {L"C:\\tools\\setup.exe;", 0, L"C:\\tools\\setup.exe", L"setup.exe"},
      {L"C:\\tools\\setup.exe;/a;/b \"c d\"", 0, L"C:\\tools\\setup.exe", L"setup.exe /a;/b \"c d\""},
      {L"setup.exe;/q", 0, L"setup.exe", L"setup.exe /q"},
      {L"C:/tools/setup.exe;/q", 0, L"C:/tools/setup.exe", L"C:/tools/setup.exe /q"},
      {L"C:\\tools/sub\\x/y.exe;/q", 0, L"C:\\tools/sub\\x/y.exe", L"x/y.exe /q"},
      {L"C:\\My Tools\\set up.exe;--flag value", 0, L"C:\\My Tools\\set up.exe", L"\"set up.exe\" --flag value"},
      {L"C:\\tools\\t.bat.exe;x", 0, L"C:\\tools\\t.bat.exe", L"t.bat.exe x"},
      {L"C:\\tools\\absent.exe;/q", 2, L"C:\\tools\\absent.exe", L"absent.exe /q"},
      {L";;", 2, L"", L" ;"},
      {L"C:\\tools\\setup.exe /q", 2, nullptr, nullptr},
      {L"C:\\tools\\t.bat;x & del C:\\tools\\setup.exe", 2, nullptr, nullptr},
      {L"C:\\tools\\T.CMD;x", 2, nullptr, nullptr},
      {L"C:/tools/t.Bat. ;x", 2, nullptr, nullptr},
      {L"C:\\tools\\.bat;x", 2, nullptr, nullptr},
  };
  for (const auto& c : cases) {
    const size_t before = sim::ProcessStarts().size();
    EXPECT_EQ(c.exitCode, Run(c.argument)) << sim::Utf8(c.argument);
    ASSERT_EQ(before + (c.applicationName ? 1 : 0), sim::ProcessStarts().size()) << sim::Utf8(c.argument);
    if (!c.applicationName) continue;
    const sim::ProcessStart& start = sim::ProcessStarts().back();
    EXPECT_EQ(c.applicationName, start.applicationName);
    EXPECT_EQ(c.commandLine, start.commandLine) << sim::Utf8(c.argument);
    EXPECT_EQ(c.exitCode == 0, start.created);
    // Hidden (SW_HIDE), CREATE_DEFAULT_ERROR_MODE alone; nothing inherited; the caller's environment and folder.
    EXPECT_EQ((std::vector<unsigned long>{0x04000000u, sizeof(STARTUPINFOW), 1u, 0u}),
              (std::vector<unsigned long>{start.creationFlags, start.startupInfoSize, start.startupFlags,
                                          start.showWindow}));
    EXPECT_TRUE(start.applicationNameGiven && start.commandLineGiven && start.startupInfoGiven &&
                start.startupInfoRestZero && !start.processAttributesGiven && !start.threadAttributesGiven &&
                !start.inheritHandles && !start.environmentGiven && !start.currentDirectoryGiven);
  }
  EXPECT_EQ("", sim::StdOut() + sim::StdErr());
}

// A program still running after sixty seconds counts as started; a failed start answers 2, quietly.
TEST_F(Exec, WaitsSixtySecondsAndFailedStartsAnswerTwo) {
  sim::SetWaitResult(WAIT_TIMEOUT);
  EXPECT_EQ(0, Run(L"C:\\tools\\setup.exe;/q"));
  ASSERT_EQ(1u, sim::ProcessWaits().size());
  EXPECT_TRUE(sim::ProcessWaits()[0].milliseconds == 60000 &&
              sim::ProcessWaits()[0].handle == sim::ProcessStarts()[0].process);
  sim::FailCall("WaitForSingleObject", ERROR_INVALID_HANDLE);
  EXPECT_EQ(0, Run(L"C:\\tools\\setup.exe;/q"));
  for (unsigned long error : {5ul, 193ul, 0ul}) {
    sim::FailCall("CreateProcessW", error);
    EXPECT_EQ(2, Run(L"C:\\tools\\setup.exe;/q")) << "last error " << error;
  }
  EXPECT_EQ("", sim::StdOut() + sim::StdErr());
}

}  // namespace
