// Starting a program hidden: the command line it gets, how it is started, the
// bounded wait, the quiet failure, and "exec" splitting its argument.
#include "frontend/frontend.h"
#include "frontend/launcher.h"
#include "platform/sim/sim_process.h"
#include "sim_test.h"

namespace {

const wchar_t* const kSetup = L"C:\\tools\\setup.exe";

class Launcher : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    sim::AddFile(kSetup, "MZ");
  }

  // The one start the program made, checked for the way every start is made.
  sim::ProcessStart OnlyStart() {
    EXPECT_EQ(1u, sim::ProcessStarts().size());
    if (sim::ProcessStarts().empty()) return sim::ProcessStart{};
    sim::ProcessStart start = sim::ProcessStarts()[0];
    EXPECT_TRUE(start.applicationNameGiven);
    EXPECT_TRUE(start.commandLineGiven);
    EXPECT_FALSE(start.processAttributesGiven);
    EXPECT_FALSE(start.threadAttributesGiven);
    EXPECT_FALSE(start.inheritHandles);
    EXPECT_EQ(static_cast<unsigned long>(CREATE_DEFAULT_ERROR_MODE), start.creationFlags);
    EXPECT_FALSE(start.environmentGiven);
    EXPECT_FALSE(start.currentDirectoryGiven);
    EXPECT_TRUE(start.startupInfoGiven);
    EXPECT_EQ(sizeof(STARTUPINFOW), start.startupInfoSize);
    EXPECT_EQ(static_cast<unsigned long>(STARTF_USESHOWWINDOW), start.startupFlags);
    EXPECT_EQ(SW_HIDE, start.showWindow);
    EXPECT_TRUE(start.startupInfoRestZero);
    return start;
  }

  void ExpectQuiet() {
    EXPECT_EQ("", sim::StdOut());
    EXPECT_EQ("", sim::StdErr());
  }
};

struct CommandLineCase {
  const wchar_t* program;
  const wchar_t* parameters;
  const wchar_t* commandLine;
};

void PrintTo(const CommandLineCase& form, std::ostream* out) {
  *out << '"' << sim::Utf8(form.program) << "\" with \"" << sim::Utf8(form.parameters) << '"';
}

class LauncherCommandLine : public Launcher, public ::testing::WithParamInterface<CommandLineCase> {};

TEST_P(LauncherCommandLine, FileNameThenParametersAfterOneBlank) {
  const CommandLineCase& form = GetParam();
  sim::AddFile(L"C:\\work\\setup.exe", "MZ");
  sim::AddFile(L"C:\\Program Files\\My Tools\\set up.exe", "MZ");
  sim::AddFile(L"C:\\tools\\sub\\x\\y.exe", "MZ");

  EXPECT_EQ(0u, RunProgramHidden(form.program, form.parameters, 60));

  sim::ProcessStart start = OnlyStart();
  EXPECT_EQ(form.program, start.applicationName);
  EXPECT_EQ(form.commandLine, start.commandLine);
  EXPECT_TRUE(start.created);
  ExpectQuiet();
}

INSTANTIATE_TEST_SUITE_P(
    Forms, LauncherCommandLine,
    ::testing::Values(
        CommandLineCase{kSetup, L"/quiet /norestart", L"setup.exe /quiet /norestart"},
        CommandLineCase{kSetup, L" /quiet", L"setup.exe /quiet"},
        CommandLineCase{kSetup, L"  /quiet", L"setup.exe  /quiet"},
        CommandLineCase{kSetup, L"\t/quiet", L"setup.exe \t/quiet"},
        CommandLineCase{kSetup, L"", L"setup.exe"},
        CommandLineCase{kSetup, L" ", L"setup.exe "},
        CommandLineCase{kSetup, L"a;b \"c d\"", L"setup.exe a;b \"c d\""},
        CommandLineCase{L"setup.exe", L"/q", L"setup.exe /q"},
        CommandLineCase{L"C:/tools/setup.exe", L"/q", L"C:/tools/setup.exe /q"},
        CommandLineCase{L"C:\\tools/sub\\x/y.exe", L"/q", L"x/y.exe /q"},
        CommandLineCase{L"C:\\Program Files\\My Tools\\set up.exe", L"a b",
                        L"set up.exe a b"}));

TEST_F(Launcher, TrailingBackslashLeavesAnEmptyFileName) {
  // The folder itself cannot be started, but the command line is built first.
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), RunProgramHidden(L"C:\\tools\\", L"/q", 60));
  EXPECT_EQ(L" /q", OnlyStart().commandLine);

  sim::SetProcessStartResult(ERROR_SUCCESS);
  EXPECT_EQ(0u, RunProgramHidden(L"C:\\tools\\", L"", 60));
  EXPECT_EQ(L"", sim::ProcessStarts().at(1).commandLine);
  EXPECT_EQ(L"C:\\tools\\", sim::ProcessStarts().at(1).applicationName);
}

TEST_F(Launcher, WaitsOnTheProcessForTheGivenSecondsThenClosesBothHandles) {
  EXPECT_EQ(0u, RunProgramHidden(kSetup, L"", 60));
  sim::ProcessStart start = OnlyStart();
  ASSERT_EQ(1u, sim::ProcessWaits().size());
  EXPECT_EQ(60000u, sim::ProcessWaits()[0].milliseconds);
  EXPECT_TRUE(sim::ProcessWaits()[0].onProcess);
  EXPECT_EQ(start.process, sim::ProcessWaits()[0].handle);
  EXPECT_EQ(2u, sim::CountCalls("CloseHandle"));
  EXPECT_EQ(0, sim::OpenHandles());

  EXPECT_EQ(0u, RunProgramHidden(kSetup, L"", 7));
  EXPECT_EQ(7000u, sim::ProcessWaits().at(1).milliseconds);
}

TEST_F(Launcher, ProgramStillRunningAfterTheWaitCountsAsStarted) {
  sim::SetWaitResult(WAIT_TIMEOUT);
  EXPECT_EQ(0u, RunProgramHidden(kSetup, L"/q", 60));
  EXPECT_EQ(1u, sim::ProcessWaits().size());
  EXPECT_EQ(2u, sim::CountCalls("CloseHandle"));
  EXPECT_EQ(0u, sim::CountCalls("FormatMessageW"));
  ExpectQuiet();
}

TEST_F(Launcher, FailedWaitStillCountsAsStarted) {
  sim::FailCall("WaitForSingleObject", ERROR_INVALID_HANDLE);
  EXPECT_EQ(0u, RunProgramHidden(kSetup, L"", 60));
  EXPECT_EQ(2u, sim::CountCalls("CloseHandle"));
}

TEST_F(Launcher, MissingProgramGivesTheSystemErrorQuietly) {
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), RunProgramHidden(L"C:\\tools\\absent.exe", L"/q", 60));
  EXPECT_FALSE(OnlyStart().created);
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), RunProgramHidden(L"C:\\absent\\setup.exe", L"", 60));
  EXPECT_EQ(0u, sim::ProcessWaits().size());
  EXPECT_EQ(0u, sim::CountCalls("WaitForSingleObject"));
  EXPECT_EQ(0u, sim::CountCalls("CloseHandle"));
  ExpectQuiet();
}

TEST_F(Launcher, ErrorTextIsFetchedAndItsBufferReleased) {
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), RunProgramHidden(L"C:\\tools\\absent.exe", L"", 60));
  std::vector<std::string> lookups = sim::CallsTo("FormatMessageW");
  ASSERT_EQ(1u, lookups.size());
  EXPECT_EQ("FormatMessageW(2, 0x1300)", lookups[0]);
  // The fixture fails if the system's buffer was not given back.
  ExpectQuiet();
}

TEST_F(Launcher, OtherStartErrorsComeBackUnchanged) {
  // A code with an insert in its text, and one the system has no text for.
  sim::SetProcessStartResult(ERROR_BAD_EXE_FORMAT);
  EXPECT_EQ(static_cast<DWORD>(ERROR_BAD_EXE_FORMAT), RunProgramHidden(kSetup, L"", 60));
  sim::SetProcessStartResult(1234);
  EXPECT_EQ(1234u, RunProgramHidden(kSetup, L"", 60));
  sim::FailCall("CreateProcessW", ERROR_NOT_ENOUGH_MEMORY);
  sim::SetProcessStartResult(ERROR_SUCCESS);
  EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY), RunProgramHidden(kSetup, L"", 60));
  EXPECT_EQ(0u, sim::CountCalls("WaitForSingleObject"));
  ExpectQuiet();
}

TEST_F(Launcher, ErrorCodeIsTakenBeforeTheTextLookupChangesIt) {
  sim::FailCall("FormatMessageW", ERROR_INVALID_PARAMETER);
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), RunProgramHidden(L"C:\\tools\\absent.exe", L"", 60));
  ExpectQuiet();
}

// "exec" through the whole front end.
class Exec : public Launcher {
 protected:
  int Run(const std::wstring& argument) {
    Args args{L"pelmora.exe", L"exec", argument, L"ignored;extra"};
    return RunFrontEnd(args.argc(), args.argv());
  }
};

TEST_F(Exec, SplitsAtTheFirstSemicolon) {
  EXPECT_EQ(0, Run(L"C:\\tools\\setup.exe;/a;/b;"));
  sim::ProcessStart start = OnlyStart();
  EXPECT_EQ(kSetup, start.applicationName);
  EXPECT_EQ(L"setup.exe /a;/b;", start.commandLine);
  ASSERT_EQ(1u, sim::ProcessWaits().size());
  EXPECT_EQ(60000u, sim::ProcessWaits()[0].milliseconds);
  ExpectQuiet();
}

TEST_F(Exec, TrailingSemicolonGivesEmptyParameters) {
  EXPECT_EQ(0, Run(L"C:\\tools\\setup.exe;"));
  EXPECT_EQ(L"setup.exe", OnlyStart().commandLine);
}

TEST_F(Exec, LeadingSemicolonStillTriesAnEmptyProgram) {
  EXPECT_EQ(2, Run(L";/q"));
  sim::ProcessStart start = OnlyStart();
  EXPECT_EQ(L"", start.applicationName);
  EXPECT_EQ(L" /q", start.commandLine);
  EXPECT_FALSE(start.created);

  EXPECT_EQ(2, Run(L";;"));
  EXPECT_EQ(L" ;", sim::ProcessStarts().at(1).commandLine);
  ExpectQuiet();
}

TEST_F(Exec, WithoutSemicolonStartsNothing) {
  EXPECT_EQ(2, Run(L"C:\\tools\\setup.exe /q"));
  EXPECT_EQ(0u, sim::ProcessStarts().size());
  EXPECT_EQ(0u, sim::CountCalls("CreateProcessW"));
  ExpectQuiet();
}

TEST_F(Exec, AnswersTwoForAnyStartErrorAndZeroForATimeOut) {
  EXPECT_EQ(2, Run(L"C:\\tools\\absent.exe;/q"));
  sim::SetProcessStartResult(ERROR_ACCESS_DENIED);
  EXPECT_EQ(2, Run(L"C:\\tools\\setup.exe;/q"));
  sim::SetProcessStartResult(ERROR_SUCCESS);
  sim::SetWaitResult(WAIT_TIMEOUT);
  EXPECT_EQ(0, Run(L"C:\\tools\\setup.exe;/q"));
  ExpectQuiet();
}

}  // namespace
