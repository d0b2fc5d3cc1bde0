#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/message_ids.h"
#include "expected_message.h"
#include "sim_test.h"

namespace {

// What the recording handler was called with, and what it answers.
struct HandlerCall {
  std::wstring baseName;
  bool hasMachine = false;
  std::wstring machine;
  DWORD flags = 0;
  std::vector<std::wstring> args;
};
std::vector<HandlerCall> calls;
int answer = ENGINE_DONE;

int Record(const wchar_t* baseName, const wchar_t* machine, DWORD flags, int argc, const wchar_t* const* argv) {
  HandlerCall call;
  call.baseName = baseName;
  call.hasMachine = machine != nullptr;
  if (machine) call.machine = machine;
  call.flags = flags;
  for (int i = 0; i < argc; ++i) call.args.push_back(argv[i]);
  calls.push_back(call);
  return answer;
}

const EngineCommandEntry kTable[] = {
    {L"findall", Record, 0, 0},
    {L"remove", Record, 0, 0},
    {L"rescan", Record, 0, 0},
    {nullptr, nullptr, 0, 0},
};

class EngineCommandLine : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    calls.clear();
    answer = ENGINE_DONE;
  }
  int Run(std::initializer_list<std::wstring> items) {
    Args args(items);
    return RunEngineTable(kTable, args.argc(), args.argv());
  }
};

TEST_F(EngineCommandLine, NoCommandWordGivesUsage) {
  EXPECT_EQ(ENGINE_BAD_USAGE, Run({L"dummy.exe"}));
  EXPECT_EQ(ENGINE_BAD_USAGE, Run({L"dummy.exe", L"-r", L"-f", L"/M:pc"}));
  EXPECT_EQ(ExpectedMessage(MSG_USAGE, L"dummy.exe") + ExpectedMessage(MSG_USAGE, L"dummy.exe"), sim::StdErr());
  EXPECT_EQ("", sim::StdOut());
  EXPECT_TRUE(calls.empty());
}

TEST_F(EngineCommandLine, WordsAreFoundWithoutRegardToCaseAndOneLeadingSwitch) {
  for (const wchar_t* word : {L"RESCAN", L"/rescan", L"-rescan", L"ReScAn"}) {
    EXPECT_EQ(ENGINE_DONE, Run({L"dummy.exe", word}));
  }
  EXPECT_EQ(4u, calls.size());
  EXPECT_EQ("", sim::StdErr());
}

TEST_F(EngineCommandLine, MalformedOptionsBecomeTheCommandWord) {
  const wchar_t* malformed[] = {L"-m:", L"-m", L"-rx", L"-ff", L"-x", L"-", L"--r", L"/", L"-mPC",
                                L"rescan-", L"\u00C9rescan", L"--rescan"};
  for (const wchar_t* option : malformed) {
    sim::ClearOutput();
    EXPECT_EQ(ENGINE_BAD_USAGE, Run({L"dummy.exe", option, L"rescan"})) << sim::Utf8(option);
    EXPECT_EQ(ExpectedMessage(MSG_USAGE, L"dummy.exe"), sim::StdErr());
  }
  EXPECT_TRUE(calls.empty());
}

TEST_F(EngineCommandLine, OptionsReachTheHandler) {
  EXPECT_EQ(ENGINE_DONE, Run({L"dummy.exe", L"-M:PC7", L"-R", L"findall", L"x"}));
  EXPECT_EQ(ENGINE_DONE, Run({L"dummy.exe", L"/f", L"-m:one", L"/m:two", L"-F", L"remove", L"-f", L"-r"}));
  EXPECT_EQ(ENGINE_DONE, Run({L"dummy.exe", L"rescan"}));
  ASSERT_EQ(3u, calls.size());

  EXPECT_EQ(L"PC7", calls[0].machine);
  EXPECT_EQ(0u, calls[0].flags);
  EXPECT_EQ(std::vector<std::wstring>{L"x"}, calls[0].args);

  EXPECT_EQ(L"two", calls[1].machine) << "a later machine option replaces an earlier one";
  EXPECT_EQ(static_cast<DWORD>(ENGINE_FLAG_FORCE), calls[1].flags);
  EXPECT_EQ((std::vector<std::wstring>{L"-f", L"-r"}), calls[1].args)
      << "option-like arguments after the word belong to the command";

  EXPECT_FALSE(calls[2].hasMachine);
  EXPECT_TRUE(calls[2].args.empty());
}

TEST_F(EngineCommandLine, BaseNameIsTheTextAfterTheLastBackslash) {
  Run({L"C:\\tools\\sub\\x.exe", L"rescan"});
  Run({L"C:/tools/y.exe", L"rescan"});
  Run({L"C:\\tools\\", L"rescan"});
  Run({L"plain.exe", L"rescan"});
  ASSERT_EQ(4u, calls.size());
  EXPECT_EQ(L"x.exe", calls[0].baseName);
  EXPECT_EQ(L"C:/tools/y.exe", calls[1].baseName);
  EXPECT_EQ(L"", calls[2].baseName);
  EXPECT_EQ(L"plain.exe", calls[3].baseName);
}

TEST_F(EngineCommandLine, ResultsBecomeMessagesOnStandardError) {
  answer = ENGINE_BAD_USAGE;
  EXPECT_EQ(ENGINE_BAD_USAGE, Run({L"C:\\x\\tool.exe", L"REMOVE"}));
  EXPECT_EQ(ExpectedMessage(MSG_COMMAND_MISUSED, L"tool.exe", L"remove"), sim::StdErr())
      << "the command as the table holds it, not as typed";

  sim::ClearOutput();
  answer = ENGINE_FAILED;
  EXPECT_EQ(ENGINE_FAILED, Run({L"dummy.exe", L"Rescan"}));
  EXPECT_EQ(ExpectedMessage(MSG_COMMAND_FAILED, L"dummy.exe", L"rescan"), sim::StdErr());

  sim::ClearOutput();
  answer = 7;
  EXPECT_EQ(7, Run({L"dummy.exe", L"rescan"})) << "any other result is reported as a failure and returned";
  EXPECT_EQ(ExpectedMessage(MSG_COMMAND_FAILED, L"dummy.exe", L"rescan"), sim::StdErr());

  sim::ClearOutput();
  answer = ENGINE_NEEDS_REBOOT;
  EXPECT_EQ(ENGINE_NEEDS_REBOOT, Run({L"dummy.exe", L"rescan"}));
  EXPECT_EQ("", sim::StdErr());
  EXPECT_EQ("", sim::StdOut());
  EXPECT_TRUE(sim::RestartRequests().empty()) << "no restart without -r";
}

TEST_F(EngineCommandLine, RebootOptionRequestsOneRestartOnlyWhenNeeded) {
  EXPECT_EQ(ENGINE_DONE, Run({L"dummy.exe", L"-r", L"rescan"}));
  answer = ENGINE_FAILED;
  EXPECT_EQ(ENGINE_FAILED, Run({L"dummy.exe", L"-r", L"rescan"}));
  EXPECT_TRUE(sim::RestartRequests().empty());

  sim::ClearOutput();
  answer = ENGINE_NEEDS_REBOOT;
  EXPECT_EQ(ENGINE_NEEDS_REBOOT, Run({L"dummy.exe", L"-m:far", L"-r", L"rescan"}));
  ASSERT_EQ(1u, sim::RestartRequests().size());
  const sim::RestartRequest& request = sim::RestartRequests()[0];
  EXPECT_TRUE(request.localMachine) << "the machine option never redirects the restart";
  EXPECT_TRUE(request.hadShutdownPrivilege);
  EXPECT_EQ(0u, request.timeoutSeconds);
  EXPECT_FALSE(request.forceAppsClosed);
  EXPECT_TRUE(request.reboot);
  EXPECT_EQ(0x80010002u, request.reason);
  EXPECT_EQ("", sim::StdOut());
  EXPECT_EQ("", sim::StdErr());
}

TEST_F(EngineCommandLine, RestartIsRequestedEvenWhenThePrivilegeCannotBeHad) {
  answer = ENGINE_NEEDS_REBOOT;
  const char* failing[] = {"OpenProcessToken", "LookupPrivilegeValueW", "AdjustTokenPrivileges",
                           "InitiateSystemShutdownExW"};
  for (const char* call : failing) {
    sim::Reset();
    sim::FailCall(call, ERROR_ACCESS_DENIED);
    EXPECT_EQ(ENGINE_NEEDS_REBOOT, Run({L"dummy.exe", L"-r", L"rescan"})) << call;
    EXPECT_EQ(1u, sim::CountCalls("InitiateSystemShutdownExW")) << call;
    EXPECT_EQ(0, sim::OpenHandles()) << call << ": the token is closed on every path";
    EXPECT_EQ("", sim::StdOut() + sim::StdErr()) << call;
  }
  sim::Reset();
  sim::FailCall("LookupPrivilegeValueW", ERROR_ACCESS_DENIED);
  Run({L"dummy.exe", L"-r", L"rescan"});
  EXPECT_EQ(0u, sim::CountCalls("AdjustTokenPrivileges"));
  EXPECT_EQ(1u, sim::CountCalls("CloseHandle"));
}

TEST_F(EngineCommandLine, EmptyVectorAndHostileArgumentsAreSafe) {
  EXPECT_EQ(ENGINE_BAD_USAGE, RunEngineTable(kTable, 0, nullptr));
  std::wstring huge(50000, L'r');
  EXPECT_EQ(ENGINE_BAD_USAGE, Run({huge, L"-" + huge}));
  EXPECT_EQ(ENGINE_BAD_USAGE, Run({L"%1%2%n", L"%1!s!"}));
  EXPECT_EQ(ENGINE_DONE, Run({L"dummy.exe", L"-m:" + huge, L"findall", L"%1"}));
  ASSERT_EQ(1u, calls.size());
  EXPECT_EQ(huge, calls[0].machine);
  EXPECT_EQ(L"%1", calls[0].args[0]);
}

TEST_F(EngineCommandLine, TheEngineTableHasSevenCommandsInOrder) {
  const wchar_t* names[] = {L"findall", L"install", L"remove", L"rescan", L"dp_add", L"dp_delete", L"?"};
  const DWORD shortIds[] = {60407, 61001, 61201, 61301, 61108, 61110, 0};
  const DWORD longIds[] = {60406, 61000, 61200, 61300, 61107, 61109, 0};
  int rows = 0;
  for (const EngineCommandEntry* row = EngineCommandTable; row->name; ++row, ++rows) {
    ASSERT_LT(rows, 7);
    EXPECT_EQ(std::wstring(names[rows]), row->name);
    EXPECT_EQ(shortIds[rows], row->shortHelpId);
    EXPECT_EQ(longIds[rows], row->longHelpId);
    EXPECT_NE(nullptr, row->handler);
  }
  EXPECT_EQ(7, rows);
}

}  // namespace
