#include "device_test_support.h"
#include "engine/device_commands.h"
#include "engine/engine.h"
#include "engine/message_ids.h"
#include "expected_message.h"

namespace {

class DeviceRemoval : public SimTest {
 protected:
  void Add(const std::wstring& id, sim::Removal removal = sim::Removal::kRemoved,
           const std::wstring& hardwareId = L"PELMORA\\SAMPLE") {
    sim::DeviceSpec device = sim::Device(id, L"Sample", {hardwareId});
    device.removal = removal;
    sim::AddDevice(device);
  }

  int Remove(std::initializer_list<std::wstring> patterns, const wchar_t* machine = nullptr, DWORD flags = 0) {
    Args args(patterns);
    return RemoveMatchingDevices(L"dummy.exe", machine, flags, args.argc(), args.argv());
  }

  static std::string Line(const std::string& id, const std::string& label) {
    std::string padded = id;
    if (padded.size() < 60) padded.resize(60, ' ');
    return padded + ": " + label + "\n";
  }
};

TEST_F(DeviceRemoval, NoPatternOrAMachineIsMisuseWithoutAnyCall) {
  Add(L"ROOT\\SAMPLE\\0000");
  EXPECT_EQ(ENGINE_BAD_USAGE, Remove({}));
  EXPECT_EQ(ENGINE_BAD_USAGE, Remove({L"*"}, L"PC7"));
  EXPECT_TRUE(sim::Calls().empty());
  EXPECT_EQ("", sim::StdOut());
  EXPECT_TRUE(sim::DeviceExists(L"ROOT\\SAMPLE\\0000"));
}

TEST_F(DeviceRemoval, NothingMatchedSaysSoAndIsDone) {
  Add(L"ROOT\\SAMPLE\\0000");
  EXPECT_EQ(ENGINE_DONE, Remove({L"NOTHING*"}));
  EXPECT_EQ(ExpectedMessage(MSG_REMOVED_NONE), sim::StdOut());
  EXPECT_TRUE(sim::DeviceExists(L"ROOT\\SAMPLE\\0000"));
}

TEST_F(DeviceRemoval, OneFailingAndTwoRemoved) {
  Add(L"ROOT\\SAMPLE\\0000");
  Add(L"ROOT\\SAMPLE\\0001", sim::Removal::kFailsAtSetParams);
  Add(L"ROOT\\SAMPLE\\0002");
  Add(L"ROOT\\OTHER\\0000", sim::Removal::kRemoved, L"OTHER");
  EXPECT_EQ(ENGINE_DONE, Remove({L"pelmora\\*"}));
  EXPECT_EQ(Line("ROOT\\SAMPLE\\0000", "Remove succeeded") + Line("ROOT\\SAMPLE\\0001", "Remove failed") +
                Line("ROOT\\SAMPLE\\0002", "Remove succeeded") + ExpectedMessage(MSG_REMOVED, 2u),
            sim::StdOut());
  EXPECT_EQ((std::vector<std::wstring>{L"ROOT\\SAMPLE\\0001", L"ROOT\\OTHER\\0000"}), sim::DeviceIds());
  EXPECT_EQ(std::vector<std::string>{"SetupDiSetClassInstallParamsW(ROOT\\SAMPLE\\0000, " +
                                     std::to_string(sizeof(SP_REMOVEDEVICE_PARAMS)) +
                                     ", DIF_REMOVE, scope 1, profile 0)"},
            std::vector<std::string>{sim::CallsTo("SetupDiSetClassInstallParamsW").front()});
  // The failing device got no class installer call.
  EXPECT_EQ((std::vector<std::string>{"SetupDiCallClassInstaller(DIF_REMOVE, ROOT\\SAMPLE\\0000)",
                                      "SetupDiCallClassInstaller(DIF_REMOVE, ROOT\\SAMPLE\\0002)"}),
            sim::CallsTo("SetupDiCallClassInstaller"));
}

TEST_F(DeviceRemoval, RestartNeededByOneIsReportedForAll) {
  Add(L"ROOT\\SAMPLE\\0000");
  Add(L"ROOT\\SAMPLE\\0001", sim::Removal::kNeedsReboot);
  Add(L"ROOT\\SAMPLE\\0002");
  EXPECT_EQ(ENGINE_NEEDS_REBOOT, Remove({L"PELMORA\\SAMPLE"}));
  EXPECT_EQ(Line("ROOT\\SAMPLE\\0000", "Remove succeeded") + Line("ROOT\\SAMPLE\\0001", "Remove on reboot") +
                Line("ROOT\\SAMPLE\\0002", "Remove succeeded") +
                ExpectedMessage(MSG_REMOVED_REBOOT, 3u),
            sim::StdOut());
  EXPECT_TRUE(sim::DeviceRemovalPending(L"ROOT\\SAMPLE\\0001"));
}

TEST_F(DeviceRemoval, RestartFlagCountsAsWell) {
  Add(L"ROOT\\SAMPLE\\0000", sim::Removal::kNeedsRestart);
  EXPECT_EQ(ENGINE_NEEDS_REBOOT, Remove({L"PELMORA\\SAMPLE"}));
  EXPECT_EQ(Line("ROOT\\SAMPLE\\0000", "Remove on reboot") +
                ExpectedMessage(MSG_REMOVED_REBOOT, 1u),
            sim::StdOut());
}

TEST_F(DeviceRemoval, AllFailingRemovesNothingAndIsStillDone) {
  Add(L"ROOT\\SAMPLE\\0000", sim::Removal::kFailsAtSetParams);
  Add(L"ROOT\\SAMPLE\\0001", sim::Removal::kFailsAtInstaller);
  EXPECT_EQ(ENGINE_DONE, Remove({L"PELMORA\\SAMPLE"}));
  EXPECT_EQ(Line("ROOT\\SAMPLE\\0000", "Remove failed") + Line("ROOT\\SAMPLE\\0001", "Remove failed") +
                ExpectedMessage(MSG_REMOVED_NONE),
            sim::StdOut());
  EXPECT_EQ(2u, sim::DeviceIds().size());
}

TEST_F(DeviceRemoval, UnreadableInstallParametersStillCountAsRemoved) {
  Add(L"ROOT\\SAMPLE\\0000", sim::Removal::kNeedsReboot);
  sim::FailCall("SetupDiGetDeviceInstallParamsW", ERROR_INVALID_HANDLE);
  EXPECT_EQ(ENGINE_DONE, Remove({L"PELMORA\\SAMPLE"}));
  EXPECT_EQ(Line("ROOT\\SAMPLE\\0000", "Remove succeeded") + ExpectedMessage(MSG_REMOVED, 1u), sim::StdOut());
}

TEST_F(DeviceRemoval, DeviceWhoseDetailsOrIdCannotBeReadIsPassedOverSilently) {
  Add(L"ROOT\\SAMPLE\\0000");
  Add(L"ROOT\\SAMPLE\\0001");
  Add(L"ROOT\\SAMPLE\\0002");
  // The walk reads the details once, then the visitor once per device; the
  // first device's visit fails there, the second one's at its ID.
  sim::FailCall("SetupDiGetDeviceInfoListDetailW", ERROR_INVALID_HANDLE, 2);
  sim::FailCall("CM_Get_Device_ID_ExW", CR_FAILURE, 1);
  EXPECT_EQ(ENGINE_DONE, Remove({L"PELMORA\\SAMPLE"}));
  EXPECT_EQ(Line("ROOT\\SAMPLE\\0002", "Remove succeeded") + ExpectedMessage(MSG_REMOVED, 1u), sim::StdOut());
  EXPECT_EQ(1u, sim::CountCalls("SetupDiCallClassInstaller"));
}

TEST_F(DeviceRemoval, IdThatIsReportedReadButNotWrittenComesOutEmpty) {
  sim::DeviceSpec device = sim::Device(L"ROOT\\SILENT\\0000", L"Sample", {L"PELMORA\\SAMPLE"});
  device.idReadWritesNothing = true;
  sim::AddDevice(device);
  EXPECT_EQ(ENGINE_DONE, Remove({L"PELMORA\\SAMPLE"}));
  EXPECT_EQ(Line("", "Remove succeeded") + ExpectedMessage(MSG_REMOVED, 1u), sim::StdOut());
}

TEST_F(DeviceRemoval, LongIdsPushTheColonAndPercentSignsStay) {
  std::wstring longId = L"ROOT\\" + std::wstring(70, L'L') + L"\\0000";
  Add(longId);
  Add(L"ROOT\\%1%N%%\\0000");
  EXPECT_EQ(ENGINE_DONE, Remove({L"PELMORA\\SAMPLE"}));
  EXPECT_EQ(sim::Utf8(longId) + ": Remove succeeded\n" + Line("ROOT\\%1%N%%\\0000", "Remove succeeded") +
                ExpectedMessage(MSG_REMOVED, 2u),
            sim::StdOut());
}

TEST_F(DeviceRemoval, FailingWalkEndsWithoutSummary) {
  Add(L"ROOT\\SAMPLE\\0000");
  sim::FailCall("SetupDiGetClassDevsExW", ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(ENGINE_FAILED, Remove({L"*"}));
  EXPECT_EQ("", sim::StdOut());
}

TEST_F(DeviceRemoval, ForceChangesNothingAndTheEngineRunsIt) {
  Add(L"ROOT\\SAMPLE\\0000", sim::Removal::kNeedsReboot);
  Args args{L"dummy.exe", L"-f", L"REMOVE", L"@ROOT\\SAMPLE\\0000"};
  EXPECT_EQ(ENGINE_NEEDS_REBOOT, EngineRun(args.argc(), args.argv()));
  EXPECT_EQ(Line("ROOT\\SAMPLE\\0000", "Remove on reboot") +
                ExpectedMessage(MSG_REMOVED_REBOOT, 1u),
            sim::StdOut());
  EXPECT_TRUE(sim::RestartRequests().empty());
}

TEST_F(DeviceRemoval, VisitorAloneKeepsItsTally) {
  Add(L"ROOT\\SAMPLE\\0000", sim::Removal::kNeedsReboot);
  Add(L"ROOT\\SAMPLE\\0001", sim::Removal::kFailsAtInstaller);
  AllDevices all;
  RemovalTally tally;
  EXPECT_EQ(0, RemoveOneDevice(all.devs(), all.At(0), 0, &tally));
  EXPECT_EQ(0, RemoveOneDevice(all.devs(), all.At(1), 1, &tally));
  EXPECT_EQ(1u, tally.removedCount);
  EXPECT_TRUE(tally.restartNeeded);
}

}  // namespace
