// The engine's command line: options, the command word, the result codes and
// their messages on standard error, the restart that -r asks for, "rescan", and
// "?" (the list of commands, one command's help, a note on a word that is no command).
#include <string>
#include <vector>

#include "engine/engine.h"
#include "expected_message.h"
#include "platform/sim/sim_store.h"
#include "sim_test.h"

namespace {

// What the handler of the test's table was given, as "machine|force|args".
std::string given;
int answer = 0;

int Record(const wchar_t*, const wchar_t* machine, DWORD flags, int argc, const wchar_t* const* argv) {
  given = (machine ? sim::Utf8(machine) : "-") + "|" + std::to_string(flags) + "|";
  for (int i = 0; i < argc; ++i) given += sim::Utf8(argv[i]) + " ";
  return answer;
}

const EngineCommandEntry kTable[] = {
    {L"findall", Record, 0, 0}, {L"remove", Record, 0, 0}, {L"rescan", Record, 0, 0}, {nullptr, nullptr, 0, 0}};

class EngineCommandLine : public SimTest {
 protected:
  int Run(const std::vector<std::wstring>& items) {
    std::vector<const wchar_t*> argv;
    for (const std::wstring& item : items) argv.push_back(item.c_str());
    given = "not run";
    return RunEngineTable(kTable, static_cast<int>(argv.size()), argv.data());
  }
};

// The handler's answer is the result; a failure or a misuse names the command as the table holds it. After an
// answer of 1, -r asks for a restart, which is made even without the privilege.
TEST_F(EngineCommandLine, OptionsThenACommandWordAndItsResult) {
  const std::string usage = ExpectedMessage(MSG_USAGE, L"x.exe"), failed = ExpectedMessage(MSG_COMMAND_FAILED, L"tool.exe", L"remove");
  const std::vector<std::wstring> asked{L"x.exe", L"-r", L"rescan"};
  const struct {
    std::vector<std::wstring> args;
    int answer, code;  // the handler's answer, and the result
    std::string handlerGot;
    std::string error;
    const char* failing = "";  // a call of the restart request that fails
    size_t restarts = 0;
  } rows[] = {
      {{L"x.exe"}, 0, 3, "not run", usage}, {{L"C:\\t\\x.exe", L"-r", L"-f", L"/M:pc"}, 0, 3, "not run", usage},
      {{L"C:/t/x.exe", L"nosuch"}, 0, 3, "not run", ExpectedMessage(MSG_USAGE, L"C:/t/x.exe")},
      {{L"x.exe", L"/ReScAn", L"more"}, 0, 0, "-|0|more ", ""},
      {{L"x.exe", L"-M:PC7", L"-R", L"findall", L"%1"}, 0, 0, "PC7|0|%1 ", ""},
      {{L"x.exe", L"/f", L"-m:one", L"/m:two", L"-F", L"remove", L"-f", L"-r"}, 0, 0, "two|1|-f -r ", ""},
      // A malformed option is taken as the command word, which is unknown.
      {{L"x.exe", L"-m:", L"rescan"}, 0, 3, "not run", usage}, {{L"x.exe", L"-rx", L"rescan"}, 0, 3, "not run", usage},
      {{L"x.exe", L"--rescan"}, 0, 3, "not run", usage},
      {{L"%1%2%n", L"%1!s!"}, 0, 3, "not run", ExpectedMessage(MSG_USAGE, L"%1%2%n")},
      {{L"C:\\x\\tool.exe", L"REMOVE"}, 1, 1, "-|0|", ""}, {{L"C:\\x\\tool.exe", L"REMOVE"}, 2, 2, "-|0|", failed},
      {{L"C:\\x\\tool.exe", L"REMOVE"}, 3, 3, "-|0|", ExpectedMessage(MSG_COMMAND_MISUSED, L"tool.exe", L"remove")},
      {{L"C:\\x\\tool.exe", L"REMOVE"}, 7, 7, "-|0|", failed},
      {asked, 1, 1, "-|0|", "", "", 1}, {{L"x.exe", L"-m:far", L"-r", L"rescan"}, 1, 1, "far|0|", "", "", 1},
      {asked, 0, 0, "-|0|", ""}, {asked, 2, 2, "-|0|", ExpectedMessage(MSG_COMMAND_FAILED, L"x.exe", L"rescan")},
      {asked, 1, 1, "-|0|", "", "OpenProcessToken", 1}, {asked, 1, 1, "-|0|", "", "LookupPrivilegeValueW", 1},
      {asked, 1, 1, "-|0|", "", "AdjustTokenPrivileges", 1},
  };
  for (const auto& row : rows) {
    sim::Reset();
    if (*row.failing) sim::FailCall(row.failing, ERROR_ACCESS_DENIED);
    answer = row.answer;
    std::string line = sim::Utf8(row.args.back()) + " " + std::to_string(row.answer) + " " + row.failing;
    EXPECT_EQ(row.code, Run(row.args)) << line;
    EXPECT_EQ(row.handlerGot, given) << line;
    EXPECT_EQ("|" + row.error, sim::StdOut() + "|" + sim::StdErr()) << line;  // nothing on standard output
    ASSERT_EQ(row.restarts, sim::RestartRequests().size()) << line;
    EXPECT_EQ(0, sim::OpenHandles()) << line;
    if (!row.restarts) continue;
    const sim::RestartRequest& request = sim::RestartRequests()[0];
    EXPECT_TRUE(request.localMachine && request.reboot && !request.forceAppsClosed && !request.timeoutSeconds);
    EXPECT_EQ(0x80010002u, request.reason);  // planned, hardware installation
    EXPECT_EQ(!*row.failing, request.hadShutdownPrivilege) << line;
  }
  EXPECT_EQ(3, RunEngineTable(kTable, 0, nullptr));
}

// The seven one-line descriptions, each ended by a line feed of its own.
std::string CommandList() {
  return ExpectedMessage(MSG_FINDALL_SHORT_HELP, L"findall") + "\n" + ExpectedMessage(MSG_INSTALL_SHORT_HELP, L"install") + "\n" +
         ExpectedMessage(MSG_REMOVE_SHORT_HELP, L"remove") + "\n" + ExpectedMessage(MSG_RESCAN_SHORT_HELP, L"rescan") + "\n" +
         ExpectedMessage(MSG_DP_ADD_SHORT_HELP, L"dp_add") + "\n" + ExpectedMessage(MSG_DP_DELETE_SHORT_HELP, L"dp_delete") + "\n" + ExpectedMessage(MSG_DP_ENUM_SHORT_HELP, L"dp_enum") + "\n";
}

// "rescan": this computer's device tree re-enumerated from its root, whatever machine is named, with
// narrow progress lines among the engine's messages. "?": the list of commands, one command's help, or
// a note on a word that is no command, and never a rescan.
class RescanAndHelp : public SimTest {};

TEST_F(RescanAndHelp, LinesAndResult) {
  const std::string root = "Got device node " + std::to_string(sim::kRootDevInst) + "\n";
  const std::string went = "Reenumerate went well !\n";
  const struct {
    Args args;
    std::string out;
    const char* failing = "";  // a call that answers `answer`, or "hidden": the two rescan messages have no text
    unsigned long answer = 0;
    int code = 0;  // with its message on standard error
  } rows[] = {
      {{L"x.exe", L"rescan", L"more"}, root + ExpectedMessage(MSG_RESCANNING) + went + ExpectedMessage(MSG_RESCANNED)},
      {{L"x.exe", L"-m:PC7", L"RESCAN"}, root + ExpectedMessage(MSG_RESCANNING_LOCAL) + went + ExpectedMessage(MSG_RESCANNED)},
      {{L"x.exe", L"rescan"}, "", "CM_Locate_DevNodeW", CR_NO_SUCH_DEVNODE, 2},
      {{L"x.exe", L"rescan"}, root + ExpectedMessage(MSG_RESCANNING) + "Reenumerate failed with code = -1\n",
       "CM_Reenumerate_DevNode", 0xFFFFFFFFul, 2},
      {{L"x.exe", L"rescan"}, root + went, "hidden"},
      {{L"C:\\tools\\x.exe", L"?"}, ExpectedMessage(MSG_HELP_HEADER, L"x.exe") + CommandList()},
      {{L"x.exe", L"?", L"?"}, ExpectedMessage(MSG_HELP_HEADER, L"x.exe") + CommandList()},
      {{L"x.exe", L"-r", L"/?", L"Remove", L"more"}, ExpectedMessage(MSG_REMOVE_LONG_HELP, L"x.exe", L"remove")},
      {{L"x.exe", L"?", L"findall"}, ExpectedMessage(MSG_FINDALL_LONG_HELP, L"x.exe", L"findall")},
      {{L"x.exe", L"?", L"install"}, ExpectedMessage(MSG_INSTALL_LONG_HELP, L"x.exe", L"install")},
      {{L"x.exe", L"?", L"rescan"}, ExpectedMessage(MSG_RESCAN_LONG_HELP, L"x.exe", L"rescan")},
      {{L"x.exe", L"?", L"dp_add"}, ExpectedMessage(MSG_DP_ADD_LONG_HELP, L"x.exe", L"dp_add")},
      {{L"x.exe", L"?", L"dp_delete"}, ExpectedMessage(MSG_DP_DELETE_LONG_HELP, L"x.exe", L"dp_delete")},
      {{L"x.exe", L"?", L"DP_ENUM"}, ExpectedMessage(MSG_DP_ENUM_LONG_HELP, L"x.exe", L"dp_enum")},
      {{L"x.exe", L"?", L"nosuch"}, ExpectedMessage(MSG_HELP_UNKNOWN, L"x.exe", L"nosuch") + CommandList()},
      // A word with insert syntax is shown as typed.
      {{L"x.exe", L"?", L"%1!u!%n"}, ExpectedMessage(MSG_HELP_UNKNOWN, L"x.exe", L"%1!u!%n") + CommandList()},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(sim::Utf8(row.args.argv()[row.args.argc() - 1]) + " " + row.failing);
    sim::Reset();
    const bool hidden = std::string(row.failing) == "hidden";
    if (hidden) sim::HideMessage(MSG_RESCANNING);
    if (hidden) sim::HideMessage(MSG_RESCANNED);
    if (*row.failing && !hidden) sim::FailCall(row.failing, row.answer);
    EXPECT_EQ(row.code, EngineRun(row.args.argc(), row.args.argv()));
    EXPECT_EQ(row.out, sim::StdOut());
    EXPECT_EQ(row.code ? ExpectedMessage(MSG_COMMAND_FAILED, L"x.exe", L"rescan") : "", sim::StdErr());
    const auto& asked = sim::ReenumerateRequests();
    EXPECT_TRUE(row.out.find(went) != std::string::npos ? asked.size() == 1 && asked[0].devInst == sim::kRootDevInst : asked.empty());
  }
  EXPECT_NE(std::string::npos, ExpectedMessage(MSG_HELP_UNKNOWN, L"x.exe", L"%1!u!%n").find("%1!u!%n"));
}

}  // namespace
