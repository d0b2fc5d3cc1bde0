// The engine's command line: options, the command word, the result codes and
// their messages on standard error, and the restart that -r asks for.
#include <string>
#include <vector>

#include "engine/engine.h"
#include "expected_message.h"
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
  void SetUp() override {
    SimTest::SetUp();
    answer = 0;
  }
  int Run(const std::vector<std::wstring>& items) {
    std::vector<const wchar_t*> argv;
    for (const std::wstring& item : items) argv.push_back(item.c_str());
    given = "not run";
    return RunEngineTable(kTable, static_cast<int>(argv.size()), argv.data());
  }
};

TEST_F(EngineCommandLine, OptionsThenACommandWord) {
  const std::wstring huge(50000, L'm');
  const struct {
    std::vector<std::wstring> args;
    int code;
    std::string handlerGot;
    std::string error;
  } rows[] = {
      {{L"x.exe"}, 3, "not run", ExpectedMessage(60000, L"x.exe")},
      {{L"C:\\t\\x.exe", L"-r", L"-f", L"/M:pc"}, 3, "not run", ExpectedMessage(60000, L"x.exe")},
      {{L"C:/t/x.exe", L"nosuch"}, 3, "not run", ExpectedMessage(60000, L"C:/t/x.exe")},
      {{L"x.exe", L"ReScAn"}, 0, "-|0|", ""},
      {{L"x.exe", L"/rescan", L"more"}, 0, "-|0|more ", ""},
      {{L"x.exe", L"-M:PC7", L"-R", L"findall", L"a"}, 0, "PC7|0|a ", ""},
      {{L"x.exe", L"/f", L"-m:one", L"/m:two", L"-F", L"remove", L"-f", L"-r"}, 0, "two|1|-f -r ", ""},
      {{L"x.exe", L"-m:" + huge, L"findall", L"%1"}, 0, sim::Utf8(huge) + "|0|%1 ", ""},
      // A malformed option is taken as the command word, which is unknown.
      {{L"x.exe", L"-m:", L"rescan"}, 3, "not run", ExpectedMessage(60000, L"x.exe")},
      {{L"x.exe", L"-rx", L"rescan"}, 3, "not run", ExpectedMessage(60000, L"x.exe")},
      {{L"x.exe", L"--rescan"}, 3, "not run", ExpectedMessage(60000, L"x.exe")},
      {{L"x.exe", L"-", L"rescan"}, 3, "not run", ExpectedMessage(60000, L"x.exe")},
      {{L"%1%2%n", L"%1!s!"}, 3, "not run", ExpectedMessage(60000, L"%1%2%n")},
  };
  for (const auto& row : rows) {
    sim::ClearOutput();
    std::string line = sim::Utf8(row.args.back()).substr(0, 40);
    EXPECT_EQ(row.code, Run(row.args)) << line;
    EXPECT_EQ(row.handlerGot, given) << line;
    EXPECT_EQ(row.error, sim::StdErr()) << line;
    EXPECT_EQ("", sim::StdOut()) << line;
  }
  EXPECT_EQ(3, RunEngineTable(kTable, 0, nullptr));
}

TEST_F(EngineCommandLine, ResultsAndTheirMessages) {
  const struct {
    int handlerAnswer;
    std::string error;  // naming the command as the table holds it
  } rows[] = {{0, ""}, {1, ""}, {2, ExpectedMessage(60001, L"tool.exe", L"remove")},
              {3, ExpectedMessage(60002, L"tool.exe", L"remove")}, {7, ExpectedMessage(60001, L"tool.exe", L"remove")}};
  for (const auto& row : rows) {
    sim::ClearOutput();
    answer = row.handlerAnswer;
    EXPECT_EQ(row.handlerAnswer, Run({L"C:\\x\\tool.exe", L"REMOVE", L"a"}));
    EXPECT_EQ(row.error, sim::StdErr()) << row.handlerAnswer;
  }
  EXPECT_TRUE(sim::RestartRequests().empty()) << "no restart without -r";
}

TEST_F(EngineCommandLine, RestartOnlyWhenNeededAndAskedFor) {
  const struct {
    int handlerAnswer;
    std::vector<std::wstring> options;
    const char* failing;  // without the privilege the request is still made
    size_t restarts;
  } rows[] = {
      {1, {L"-r"}, "", 1}, {1, {L"-m:far", L"-r"}, "", 1}, {1, {}, "", 0}, {0, {L"-r"}, "", 0},
      {2, {L"-r"}, "", 0}, {1, {L"-r"}, "OpenProcessToken", 1}, {1, {L"-r"}, "LookupPrivilegeValueW", 1},
      {1, {L"-r"}, "AdjustTokenPrivileges", 1},
  };
  for (const auto& row : rows) {
    sim::Reset();
    if (*row.failing) sim::FailCall(row.failing, ERROR_ACCESS_DENIED);
    answer = row.handlerAnswer;
    std::vector<std::wstring> args{L"x.exe"};
    args.insert(args.end(), row.options.begin(), row.options.end());
    args.push_back(L"rescan");
    EXPECT_EQ(row.handlerAnswer, Run(args));
    ASSERT_EQ(row.restarts, sim::RestartRequests().size()) << row.failing;
    EXPECT_EQ(0, sim::OpenHandles()) << row.failing;
    if (!row.restarts) continue;
    const sim::RestartRequest& request = sim::RestartRequests()[0];
    EXPECT_TRUE(request.localMachine && request.reboot && !request.forceAppsClosed && !request.timeoutSeconds);
    EXPECT_EQ(0x80010002u, request.reason);  // planned, hardware installation
    EXPECT_EQ(!*row.failing, request.hadShutdownPrivilege) << row.failing;
  }
}

}  // namespace
