// "rescan": the root of this computer's device tree re-enumerated, with
// narrow progress lines among the engine's messages.
#include <string>

#include "engine/engine.h"
#include "expected_message.h"
#include "frontend/frontend.h"
#include "platform/sim/sim_store.h"
#include "sim_test.h"

namespace {

class Rescan : public SimTest {};

TEST_F(Rescan, LinesAndResult) {
  const std::string root = "Got device node " + std::to_string(sim::kRootDevInst) + "\n";
  const struct {
    Args args;
    const char* failing;
    unsigned long answer;
    int code;
    std::string out;
  } rows[] = {
      {{L"x.exe", L"rescan"}, "", 0, 0,
       root + ExpectedMessage(61302) + "Reenumerate went well !\n" + ExpectedMessage(61304)},
      // A machine name changes only the message: the tree is always this computer's.
      {{L"x.exe", L"-m:PC7", L"-f", L"RESCAN", L"more"}, "", 0, 0,
       root + ExpectedMessage(61303) + "Reenumerate went well !\n" + ExpectedMessage(61304)},
      {{L"x.exe", L"rescan"}, "CM_Locate_DevNodeW", CR_NO_SUCH_DEVNODE, 2, ""},
      {{L"x.exe", L"rescan"}, "CM_Reenumerate_DevNode", CR_FAILURE, 2,
       root + ExpectedMessage(61302) + "Reenumerate failed with code = 19\n"},
      {{L"x.exe", L"rescan"}, "CM_Reenumerate_DevNode", 0xFFFFFFFFul, 2,
       root + ExpectedMessage(61302) + "Reenumerate failed with code = -1\n"},
  };
  for (const auto& row : rows) {
    sim::Reset();
    if (*row.failing) sim::FailCall(row.failing, row.answer);
    EXPECT_EQ(row.code, EngineRun(row.args.argc(), row.args.argv())) << row.failing;
    EXPECT_EQ(row.out, sim::StdOut()) << row.failing;
    EXPECT_EQ(row.code ? ExpectedMessage(60001, L"x.exe", L"rescan") : "", sim::StdErr()) << row.failing;
    EXPECT_EQ(row.code ? 0u : 1u, sim::ReenumerateRequests().size()) << row.failing;
    if (row.code == 0) {
      EXPECT_EQ(sim::kRootDevInst, sim::ReenumerateRequests()[0].devInst);
    }
  }
  EXPECT_NE(ExpectedMessage(61302), ExpectedMessage(61303));
}

TEST_F(Rescan, WithoutMessageTextsTheNarrowLinesRemain) {
  sim::HideMessage(61302);
  sim::HideMessage(61304);
  Args args{L"x.exe", L"rescan"};
  EXPECT_EQ(0, EngineRun(args.argc(), args.argv()));
  EXPECT_EQ("Got device node " + std::to_string(sim::kRootDevInst) + "\nReenumerate went well !\n", sim::StdOut());
}

TEST_F(Rescan, FrontEndPassesTheResultOn) {
  Args args{L"pelmora.exe", L"rescan", L"more"};
  EXPECT_EQ(0, RunFrontEnd(args.argc(), args.argv()));
  sim::FailCall("CM_Reenumerate_DevNode", CR_REMOTE_COMM_FAILURE);
  EXPECT_EQ(2, RunFrontEnd(args.argc(), args.argv()));
  EXPECT_NE(std::string::npos, sim::StdOut().find("Reenumerate failed with code = 59\n"));
  EXPECT_EQ(1u, sim::ReenumerateRequests().size());
  EXPECT_EQ(ExpectedMessage(60001, L"pelmora.exe", L"rescan"), sim::StdErr());
}

}  // namespace
