// "?": the list of commands, one command's detailed help, a note on a word
// that is no command.
#include <string>

#include "engine/engine.h"
#include "expected_message.h"
#include "sim_test.h"

namespace {

// The seven one-line descriptions, each ended by a line feed of its own.
std::string CommandList() {
  return ExpectedMessage(60407, L"findall") + "\n" + ExpectedMessage(61001, L"install") + "\n" +
         ExpectedMessage(61201, L"remove") + "\n" + ExpectedMessage(61301, L"rescan") + "\n" +
         ExpectedMessage(61108, L"dp_add") + "\n" + ExpectedMessage(61110, L"dp_delete") + "\n" + ExpectedMessage(61321, L"dp_enum") + "\n";
}

class EngineHelp : public SimTest {};

TEST_F(EngineHelp, ListDetailOrNote) {
  const struct {
    Args args;
    std::string out;
  } rows[] = {
      {{L"C:\\tools\\x.exe", L"?"}, ExpectedMessage(60100, L"x.exe") + CommandList()},
      {{L"x.exe", L"?", L"?"}, ExpectedMessage(60100, L"x.exe") + CommandList()},
      {{L"x.exe", L"-r", L"/?", L"Remove", L"more"}, ExpectedMessage(61200, L"x.exe", L"remove")},
      {{L"x.exe", L"?", L"findall"}, ExpectedMessage(60406, L"x.exe", L"findall")},
      {{L"x.exe", L"?", L"install"}, ExpectedMessage(61000, L"x.exe", L"install")},
      {{L"x.exe", L"?", L"rescan"}, ExpectedMessage(61300, L"x.exe", L"rescan")},
      {{L"x.exe", L"?", L"dp_add"}, ExpectedMessage(61107, L"x.exe", L"dp_add")},
      {{L"x.exe", L"?", L"dp_delete"}, ExpectedMessage(61109, L"x.exe", L"dp_delete")},
      {{L"x.exe", L"?", L"DP_ENUM"}, ExpectedMessage(61320, L"x.exe", L"dp_enum")},
      {{L"x.exe", L"?", L"nosuch"}, ExpectedMessage(60102, L"x.exe", L"nosuch") + CommandList()},
      // A word with insert syntax is shown as typed.
      {{L"x.exe", L"?", L"%1!u!%n"}, ExpectedMessage(60102, L"x.exe", L"%1!u!%n") + CommandList()},
  };
  for (const auto& row : rows) {
    sim::ClearOutput();
    EXPECT_EQ(0, EngineRun(row.args.argc(), row.args.argv()));
    EXPECT_EQ(row.out, sim::StdOut());
    EXPECT_EQ("", sim::StdErr());
  }
  EXPECT_NE(std::string::npos, ExpectedMessage(60102, L"x.exe", L"%1!u!%n").find("%1!u!%n"));
}

}  // namespace
