// "exec program;arguments": the command line the program gets, how it is
// started and waited for, what is never started, and the lines saying why.
#include <vector>

#include "expected_message.h"
#include "frontend/frontend.h"
#include "platform/sim/sim_process.h"
#include "sim_test.h"

namespace {

const wchar_t kCmd[] = L"C:\\Windows\\system32\\cmd.exe";

class Exec : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    for (const wchar_t* file : {L"C:\\tools\\setup.exe", L"C:\\work\\setup.exe", L"C:\\My Tools\\set up.exe",
                                L"C:\\tools\\sub\\x\\y.exe", L"C:\\tools\\t.bat", L"C:\\tools\\T.CMD",
                                L"C:\\tools\\t.bat.exe", L"C:\\tools\\a&b.bat", L"C:\\tools\\100%.cmd", kCmd})
      sim::AddFile(file, "MZ");
    sim::AddDirectory(L"C:\\tools\\d.bat");
  }
  int Run(const std::wstring& argument) {
    return RunFrontEnd(3, Args{L"pelmora.exe", L"exec", argument}.argv());
  }
};

// Batch files run through the system's cmd.exe by their full path, or not at all; every refusal
// and failed start writes one line on standard error naming the program and why.
TEST_F(Exec, ProgramGetsItsFileNameAndParametersOrNothingStarts) {
  struct {
    const wchar_t* argument;
    const wchar_t* applicationName;  // null: nothing is started
    const wchar_t* commandLine;
    DWORD message;  // on standard error, 0 for none (exit code 0), else exit code 2
    unsigned error;
  } const cases[] = {
      {L"C:\\tools\\setup.exe;/quiet /norestart", L"C:\\tools\\setup.exe", L"setup.exe /quiet /norestart", 0, 0},
      {L"C:\\tools\\setup.exe; /q", L"C:\\tools\\setup.exe", L"setup.exe /q", 0, 0},
      {L"C:\\tools\\setup.exe;", L"C:\\tools\\setup.exe", L"setup.exe", 0, 0},
      {L"C:\\tools\\setup.exe;/a;/b \"c d\" &x", L"C:\\tools\\setup.exe", L"setup.exe /a;/b \"c d\" &x", 0, 0},
      {L"setup.exe;/q", L"setup.exe", L"setup.exe /q", 0, 0},
      {L"C:/tools/setup.exe;/q", L"C:/tools/setup.exe", L"C:/tools/setup.exe /q", 0, 0},
      {L"C:\\tools/sub\\x/y.exe;/q", L"C:\\tools/sub\\x/y.exe", L"x/y.exe /q", 0, 0},
      {L"C:\\My Tools\\set up.exe;--flag value", L"C:\\My Tools\\set up.exe", L"\"set up.exe\" --flag value", 0, 0},
      {L"C:\\tools\\t.bat.exe;x", L"C:\\tools\\t.bat.exe", L"t.bat.exe x", 0, 0},
      {L"C:\\tools\\absent.exe;/q", L"C:\\tools\\absent.exe", L"absent.exe /q", MSG_NOT_STARTED, 2},
      {L";;", nullptr, nullptr, MSG_EXEC_WITHOUT_PROGRAM, 0}, {L"C:\\tools\\setup.exe /q", nullptr, nullptr, MSG_EXEC_WITHOUT_SEMICOLON, 0},
      {L"C:\\tools\\t.bat;configure quiet", kCmd, L"cmd.exe /d /c \"\"C:\\tools\\t.bat\" configure quiet\"", 0, 0},
      {L"..\\tools\\T.CMD;\t\"a b\"", kCmd, L"cmd.exe /d /c \"\"C:\\tools\\T.CMD\" \t\"a b\"\"", 0, 0},
      {L"C:/tools/t.Bat. ;", kCmd, L"cmd.exe /d /c \"\"C:\\tools\\t.Bat\"\"", 0, 0},
      {L"C:\\tools\\t.bat\\.;x", kCmd, L"cmd.exe /d /c \"\"C:\\tools\\t.bat\" x\"", 0, 0},
      {L"C:\\tools\\absent.bat;x", nullptr, nullptr, MSG_NOT_STARTED, 2}, {L"C:\\tools\\.bat;x", nullptr, nullptr, MSG_NOT_STARTED, 2},
      {L"C:\\tools\\d.bat;x", nullptr, nullptr, MSG_NOT_STARTED, 5},
      {L"C:\\tools\\t.bat;x & del C:\\tools\\setup.exe", nullptr, nullptr, MSG_BATCH_REFUSED, 0},
      {L"C:\\tools\\t.bat;a|b", nullptr, nullptr, MSG_BATCH_REFUSED, 0}, {L"C:\\tools\\t.bat;>o", nullptr, nullptr, MSG_BATCH_REFUSED, 0},
      {L"C:\\tools\\t.bat;<i", nullptr, nullptr, MSG_BATCH_REFUSED, 0}, {L"C:\\tools\\t.bat;a^b", nullptr, nullptr, MSG_BATCH_REFUSED, 0},
      {L"C:\\tools\\t.bat;%P%", nullptr, nullptr, MSG_BATCH_REFUSED, 0}, {L"C:\\tools\\t.bat;!x!", nullptr, nullptr, MSG_BATCH_REFUSED, 0},
      {L"C:\\tools\\t.bat;\"a\" \"", nullptr, nullptr, MSG_BATCH_REFUSED, 0}, {L"C:\\tools\\t.bat;a\nb", nullptr, nullptr, MSG_BATCH_REFUSED, 0},
      {L"C:\\tools\\a&b.bat;x", nullptr, nullptr, MSG_BATCH_REFUSED, 0}, {L"C:\\tools\\100%.cmd;", nullptr, nullptr, MSG_BATCH_REFUSED, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(sim::Utf8(c.argument));
    sim::ClearOutput();
    const size_t before = sim::ProcessStarts().size();
    EXPECT_EQ(c.message == 0 ? 0 : 2, Run(c.argument));
    const std::wstring program = std::wstring(c.argument).substr(0, std::wstring(c.argument).find(L';'));
    const wchar_t* reason = c.error == 2 ? L"0x00000002 The system cannot find the file specified." : L"0x00000005 Access is denied.";
    const std::string said = c.message == MSG_EXEC_WITHOUT_SEMICOLON || c.message == MSG_EXEC_WITHOUT_PROGRAM ? ExpectedMessage(c.message, L"pelmora.exe")
                             : c.message == MSG_BATCH_REFUSED ? ExpectedMessage(MSG_BATCH_REFUSED, L"pelmora.exe", program.c_str())
                                                  : ExpectedMessage(MSG_NOT_STARTED, L"pelmora.exe", program.c_str(), c.error,
                                                                    reason);
    EXPECT_EQ(c.message ? said : "", sim::StdErr());
    ASSERT_EQ(before + (c.applicationName ? 1 : 0), sim::ProcessStarts().size());
    if (!c.applicationName) continue;
    const sim::ProcessStart& start = sim::ProcessStarts().back();
    EXPECT_EQ(c.applicationName, start.applicationName);
    EXPECT_EQ(c.commandLine, start.commandLine);
    EXPECT_EQ(c.message == 0, start.created);
    // Hidden (SW_HIDE), CREATE_DEFAULT_ERROR_MODE alone; nothing inherited; the caller's environment and folder.
    EXPECT_EQ((std::vector<unsigned long>{0x04000000u, sizeof(STARTUPINFOW), 1u, 0u}),
              (std::vector<unsigned long>{start.creationFlags, start.startupInfoSize, start.startupFlags,
                                          start.showWindow}));
    EXPECT_TRUE(start.applicationNameGiven && start.commandLineGiven && start.startupInfoGiven &&
                start.startupInfoRestZero && !start.processAttributesGiven && !start.threadAttributesGiven &&
                !start.inheritHandles && !start.environmentGiven && !start.currentDirectoryGiven);
  }
  EXPECT_EQ("", sim::StdOut());
}

// A program still running after sixty seconds counts as started, whatever its code; one that ended
// at once with a loader status never ran; any other exit code is the program's own business.
TEST_F(Exec, WaitsSixtySecondsAndLoaderFailuresAnswerTwo) {
  sim::SetWaitResult(WAIT_TIMEOUT);
  sim::SetExitCode(0xC0000135);
  EXPECT_EQ(0, Run(L"C:\\tools\\setup.exe;/q"));
  ASSERT_EQ(1u, sim::ProcessWaits().size());
  EXPECT_TRUE(sim::ProcessWaits()[0].milliseconds == 60000 &&
              sim::ProcessWaits()[0].handle == sim::ProcessStarts()[0].process);
  sim::FailCall("WaitForSingleObject", ERROR_INVALID_HANDLE);
  EXPECT_EQ(0, Run(L"C:\\tools\\setup.exe;/q"));
  EXPECT_EQ("", sim::StdOut() + sim::StdErr());
  sim::SetWaitResult(WAIT_OBJECT_0);
  const unsigned loaderStatuses = 5;  // the first five codes
  const unsigned codes[] = {0xC0000135, 0xC0000138, 0xC0000139, 0xC000007B, 0xC0000142, 0, 1, 0xC0000005, 0xC0000134};
  for (unsigned i = 0; i < sizeof codes / sizeof codes[0]; ++i) {
    sim::ClearOutput();
    sim::SetExitCode(codes[i]);
    EXPECT_EQ(i < loaderStatuses ? 2 : 0, Run(L"C:\\tools\\t.bat;")) << std::hex << codes[i];
    EXPECT_EQ(i < loaderStatuses ? ExpectedMessage(MSG_NOT_LOADED, L"pelmora.exe", L"C:\\tools\\t.bat", codes[i]) : "", sim::StdErr());
  }
  sim::FailCall("CreateProcessW", 0);  // a failure that gave no code is a failure still
  EXPECT_EQ(2, Run(L"C:\\tools\\setup.exe;/q"));
  sim::FailCall("GetFileAttributesW", 0);
  EXPECT_EQ(2, Run(L"C:\\tools\\t.bat;"));
  sim::SetExitCode(0xC0000135);
  sim::FailCall("GetExitCodeProcess", ERROR_INVALID_HANDLE);
  EXPECT_EQ(0, Run(L"C:\\tools\\setup.exe;/q")) << "an unread code is no loader failure";
}

}  // namespace
