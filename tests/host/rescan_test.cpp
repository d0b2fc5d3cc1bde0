// "rescan": this computer's device tree re-enumerated from its root, whatever machine is named, with
// narrow progress lines among the engine's messages.
#include <string>

#include "engine/engine.h"
#include "expected_message.h"
#include "platform/sim/sim_store.h"
#include "sim_test.h"

namespace {

class Rescan : public SimTest {};

TEST_F(Rescan, LinesAndResult) {
  const std::string root = "Got device node " + std::to_string(sim::kRootDevInst) + "\n";
  const std::string went = "Reenumerate went well !\n";
  const struct {
    Args args;
    const char* failing;  // a call that answers `answer`, or "hidden": the two messages have no text
    unsigned long answer;
    int code;  // with its message on standard error
    std::string out;
  } rows[] = {
      {{L"x.exe", L"rescan", L"more"}, "", 0, 0, root + ExpectedMessage(61302) + went + ExpectedMessage(61304)},
      {{L"x.exe", L"-m:PC7", L"RESCAN"}, "", 0, 0, root + ExpectedMessage(61303) + went + ExpectedMessage(61304)},
      {{L"x.exe", L"rescan"}, "CM_Locate_DevNodeW", CR_NO_SUCH_DEVNODE, 2, ""},
      {{L"x.exe", L"rescan"}, "CM_Reenumerate_DevNode", 0xFFFFFFFFul, 2,
       root + ExpectedMessage(61302) + "Reenumerate failed with code = -1\n"},
      {{L"x.exe", L"rescan"}, "hidden", 0, 0, root + went},
  };
  for (const auto& row : rows) {
    sim::Reset();
    const bool hidden = std::string(row.failing) == "hidden";
    if (hidden) sim::HideMessage(61302);
    if (hidden) sim::HideMessage(61304);
    if (*row.failing && !hidden) sim::FailCall(row.failing, row.answer);
    EXPECT_EQ(row.code, EngineRun(row.args.argc(), row.args.argv())) << row.failing;
    EXPECT_EQ(row.out, sim::StdOut()) << row.failing;
    EXPECT_EQ(row.code ? ExpectedMessage(60001, L"x.exe", L"rescan") : "", sim::StdErr()) << row.failing;
    const auto& asked = sim::ReenumerateRequests();
    EXPECT_TRUE(row.code ? asked.empty() : asked.size() == 1 && asked[0].devInst == sim::kRootDevInst);
  }
}

}  // namespace
