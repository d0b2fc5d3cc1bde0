// "rescan": the root of the local device tree re-enumerated, and its narrow
// progress lines in order with the engine's messages.
#include <string>

#include "engine/engine.h"
#include "engine/message_ids.h"
#include "engine_output.h"
#include "expected_message.h"
#include "frontend/frontend.h"
#include "platform/sim/sim_store.h"
#include "sim_test.h"

namespace {

class Rescan : public SimTest {
 protected:
  int Run(std::initializer_list<std::wstring> items) {
    Args args(items);
    return EngineRun(args.argc(), args.argv());
  }
  static std::string GotRoot() { return "Got device node " + std::to_string(sim::kRootDevInst) + "\n"; }
};

TEST_F(Rescan, ReenumeratesTheRootAndWritesItsLinesInOrder) {
  EXPECT_EQ(ENGINE_DONE, Run({L"dummy.exe", L"rescan"}));
  EXPECT_EQ(std::vector<std::string>{"CM_Locate_DevNodeW(null, 0x0)"}, sim::CallsTo("CM_Locate_DevNodeW"));
  ASSERT_EQ(1u, sim::ReenumerateRequests().size());
  EXPECT_EQ(sim::kRootDevInst, sim::ReenumerateRequests()[0].devInst);
  EXPECT_EQ(0u, sim::ReenumerateRequests()[0].flags);
  std::string out = sim::StdOut();
  EXPECT_EQ("", sim::StdErr());
  EXPECT_EQ(GotRoot() + ExpectedMessage(MSG_RESCANNING) + "Reenumerate went well !\n" + ExpectedMessage(MSG_RESCANNED),
            out);
}

TEST_F(Rescan, MachineNameOnlyChangesTheMessage) {
  EXPECT_EQ(ENGINE_DONE, Run({L"dummy.exe", L"-m:PC7", L"rescan"}));
  EXPECT_EQ(std::vector<std::string>{"CM_Locate_DevNodeW(null, 0x0)"}, sim::CallsTo("CM_Locate_DevNodeW"));
  EXPECT_EQ(1u, sim::ReenumerateRequests().size());
  std::string out = sim::StdOut();
  EXPECT_EQ(GotRoot() + ExpectedMessage(MSG_RESCANNING_LOCAL) + "Reenumerate went well !\n" +
                ExpectedMessage(MSG_RESCANNED),
            out);
}

TEST_F(Rescan, SurplusArgumentsAndForceAreIgnored) {
  EXPECT_EQ(ENGINE_DONE, Run({L"dummy.exe", L"-f", L"RESCAN", L"extra", L"more"}));
  EXPECT_EQ(1u, sim::ReenumerateRequests().size());
  EXPECT_EQ((std::vector<unsigned long>{MSG_RESCANNING, MSG_RESCANNED}), MessagesComposed());
}

TEST_F(Rescan, RootNotFoundFailsWithoutAWordOfItsOwn) {
  for (unsigned long answer : {CR_FAILURE, CR_NO_SUCH_DEVNODE, CR_ACCESS_DENIED}) {
    sim::Reset();
    sim::FailCall("CM_Locate_DevNodeW", answer);
    EXPECT_EQ(ENGINE_FAILED, RescanDevices(L"dummy.exe", nullptr, 0, 0, nullptr));
    EXPECT_EQ(0u, sim::CountCalls("CM_Reenumerate_DevNode"));
    EXPECT_EQ(0u, sim::CountCalls("FormatMessageW"));
    EXPECT_EQ("", sim::StdOut() + sim::StdErr());
  }
  sim::Reset();
  sim::FailCall("CM_Locate_DevNodeW", CR_FAILURE);
  EXPECT_EQ(ENGINE_FAILED, Run({L"dummy.exe", L"rescan"}));
  EXPECT_EQ("", sim::StdOut());
  EXPECT_EQ(std::vector<unsigned long>{MSG_COMMAND_FAILED}, MessagesComposed());
}

TEST_F(Rescan, ReenumerateFailureWritesItsCodeAndNoEngineMessage) {
  sim::FailCall("CM_Reenumerate_DevNode", CR_FAILURE);
  EXPECT_EQ(ENGINE_FAILED, Run({L"dummy.exe", L"rescan"}));
  EXPECT_EQ((std::vector<unsigned long>{MSG_RESCANNING, MSG_COMMAND_FAILED}), MessagesComposed());
  EXPECT_EQ(GotRoot() + ExpectedMessage(MSG_RESCANNING) + "Reenumerate failed with code = 19\n", sim::StdOut());
  EXPECT_TRUE(sim::ReenumerateRequests().empty());
}

TEST_F(Rescan, ReenumerateCodeIsPrintedSigned) {
  sim::FailCall("CM_Reenumerate_DevNode", 0xFFFFFFFFul);
  EXPECT_EQ(ENGINE_FAILED, RescanDevices(L"dummy.exe", nullptr, 0, 0, nullptr));
  EXPECT_NE(std::string::npos, sim::StdOut().find("Reenumerate failed with code = -1\n"));
}

TEST_F(Rescan, MissingMessageTextsLeaveTheNarrowLines) {
  sim::HideMessage(MSG_RESCANNING);
  sim::HideMessage(MSG_RESCANNED);
  EXPECT_EQ(ENGINE_DONE, Run({L"dummy.exe", L"rescan"}));
  EXPECT_EQ(GotRoot() + "Reenumerate went well !\n", sim::StdOut());
}

TEST_F(Rescan, FrontEndPassesTheEngineResultOn) {
  Args ok{L"pelmora.exe", L"rescan", L"ignored"};
  EXPECT_EQ(0, RunFrontEnd(ok.argc(), ok.argv()));
  EXPECT_EQ(1u, sim::ReenumerateRequests().size());

  sim::FailCall("CM_Reenumerate_DevNode", CR_REMOTE_COMM_FAILURE);
  Args failing{L"pelmora.exe", L"rescan"};
  EXPECT_EQ(2, RunFrontEnd(failing.argc(), failing.argv()));
  EXPECT_NE(std::string::npos, sim::StdOut().find("Reenumerate failed with code = 59\n"));
  EXPECT_NE(std::string::npos, sim::StdErr().find("pelmora.exe: "));
  EXPECT_NE(std::string::npos, sim::StdErr().find("rescan"));
}

}  // namespace
