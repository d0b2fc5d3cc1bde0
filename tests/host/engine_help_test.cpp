#include <string>

#include "engine/engine.h"
#include "engine/message_ids.h"
#include "expected_message.h"
#include "sim_test.h"

namespace {

class EngineHelp : public SimTest {
 protected:
  int Run(std::initializer_list<std::wstring> items) {
    Args args(items);
    return EngineRun(args.argc(), args.argv());
  }
  // The six one-line descriptions, each followed by its own line feed.
  static std::string CommandList() {
    std::string list;
    const std::pair<DWORD, const wchar_t*> rows[] = {
        {60407, L"findall"}, {61001, L"install"}, {61201, L"remove"},
        {61301, L"rescan"},  {61108, L"dp_add"},  {61110, L"dp_delete"}};
    for (const auto& row : rows) list += ExpectedMessage(row.first, row.second) + "\n";
    return list;
  }
};

TEST_F(EngineHelp, QuestionMarkListsEveryCommandButItself) {
  EXPECT_EQ(ENGINE_DONE, Run({L"C:\\tools\\x.exe", L"?"}));
  EXPECT_EQ(ExpectedMessage(MSG_HELP_HEADER, L"x.exe") + CommandList(), sim::StdOut());
  EXPECT_EQ("", sim::StdErr());

  std::string list = CommandList();
  size_t lines = 0;
  for (char c : list) lines += c == '\n';
  EXPECT_EQ(6u, lines) << "one-line descriptions end without a line end of their own";
}

TEST_F(EngineHelp, KnownWordShowsOnlyItsDetailedHelp) {
  EXPECT_EQ(ENGINE_DONE, Run({L"dummy.exe", L"?", L"Remove", L"ignored"}));
  EXPECT_EQ(ExpectedMessage(MSG_REMOVE_LONG_HELP, L"dummy.exe", L"remove"), sim::StdOut());
  EXPECT_NE(std::string::npos, sim::StdOut().find("dummy.exe")) << sim::StdOut();
}

TEST_F(EngineHelp, UnknownWordGetsANoteAndTheList) {
  EXPECT_EQ(ENGINE_DONE, Run({L"dummy.exe", L"?", L"nosuch"}));
  EXPECT_EQ(ExpectedMessage(MSG_HELP_UNKNOWN, L"dummy.exe", L"nosuch") + CommandList(), sim::StdOut());
  EXPECT_NE(std::string::npos, sim::StdOut().find("nosuch"));

  sim::ClearOutput();
  EXPECT_EQ(ENGINE_DONE, Run({L"dummy.exe", L"-r", L"?", L"%1!u!%n"}));
  EXPECT_NE(std::string::npos, sim::StdOut().find("%1!u!%n")) << "an inserted word is not read as syntax";
}

TEST_F(EngineHelp, HelpOnHelpShowsTheList) {
  EXPECT_EQ(ENGINE_DONE, Run({L"dummy.exe", L"?", L"?"}));
  EXPECT_EQ(ExpectedMessage(MSG_HELP_HEADER, L"dummy.exe") + CommandList(), sim::StdOut());
}

TEST_F(EngineHelp, EveryMessageOfTheEngineHasAText) {
  const DWORD ids[] = {60000, 60001, 60002, 60100, 60102, 60402, 60403, 60404, 60405, 60406, 60407,
                       61000, 61001, 61002, 61102, 61106, 61107, 61108, 61109, 61110, 61113, 61114,
                       61115, 61116, 61117, 61118, 61119, 61200, 61201, 61202, 61203, 61204, 61300,
                       61301, 61302, 61303, 61304};
  for (DWORD id : ids) EXPECT_TRUE(sim::HasMessage(id)) << id;
  EXPECT_FALSE(sim::HasMessage(60003));
}

TEST_F(EngineHelp, InsertsLandWhereTheCatalogueSays) {
  std::string remote = ExpectedMessage(MSG_FINDALL_COUNT_REMOTE, 4294967295u, L"PC7");
  EXPECT_NE(std::string::npos, remote.find("4294967295")) << remote;
  EXPECT_NE(std::string::npos, remote.find("PC7")) << remote;
  EXPECT_NE(std::string::npos, ExpectedMessage(MSG_REMOVED_REBOOT, 3u).find('3'));
  EXPECT_NE(std::string::npos, ExpectedMessage(MSG_DP_ADDED, L"oem7.inf").find("oem7.inf"));
  std::string update = ExpectedMessage(MSG_UPDATING_DRIVERS, L"ROOT\\X", L"C:\\a.inf");
  EXPECT_LT(update.find("ROOT\\X"), update.find("C:\\a.inf")) << update;
}

}  // namespace
