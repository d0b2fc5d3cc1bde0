#include "device_test_support.h"
#include "engine/message_ids.h"
#include "expected_message.h"
#include "packages/packages.h"
#include "platform/sim/sim_store.h"

namespace {

std::wstring InInfDirectory(const std::wstring& name) { return std::wstring(sim::kInfDirectory) + L"\\" + name; }

// An INF file of the given sections, each "[name]" followed by its lines.
std::string Inf(const std::string& body) { return "[Version]\r\nSignature=\"$Windows NT$\"\r\n" + body; }

class RemoveAndClean : public SimTest {
 protected:
  void AddInf(const std::wstring& name, const std::string& body) { sim::AddFile(InInfDirectory(name), Inf(body)); }

  // The packages the engine was asked to delete, in order, with their flags.
  static std::vector<std::string> Deletions() { return sim::CallsTo("SetupUninstallOEMInfW"); }
  static std::string Deletion(const std::string& name) { return "SetupUninstallOEMInfW(\"" + name + "\", 0x1)"; }

  static std::vector<std::string> Opened() { return sim::CallsTo("SetupOpenInfFileW"); }
};

TEST_F(RemoveAndClean, WithoutBarNothingIsDone) {
  sim::AddDevice(sim::Device(L"ROOT\\SAMPLE\\0000", L"Sample", {L"PELMORA\\SAMPLE"}));
  AddInf(L"oem1.inf", "[Models]\r\nx = y, PELMORA\\SAMPLE\r\n");
  EXPECT_EQ(2, RemoveDevicesAndPackages(L"PELMORA\\SAMPLE"));
  EXPECT_TRUE(sim::Calls().empty());
  EXPECT_EQ("", sim::StdOut());
}

TEST_F(RemoveAndClean, BarAloneDoesNothing) {
  AddInf(L"oem1.inf", "[Models]\r\nx = y\r\n");
  EXPECT_EQ(0, RemoveDevicesAndPackages(L"|"));
  EXPECT_TRUE(sim::Calls().empty());
}

TEST_F(RemoveAndClean, LeadingBarOnlyCleansUp) {
  sim::AddDevice(sim::Device(L"ROOT\\SAMPLE\\0000", L"Sample", {L"PELMORA\\SAMPLE"}));
  AddInf(L"oem1.inf", "[Models]\r\nx = y, PELMORA\\SAMPLE\r\n");
  EXPECT_EQ(0, RemoveDevicesAndPackages(L"|PELMORA\\SAMPLE"));
  EXPECT_EQ(0u, sim::CountCalls("SetupDiGetClassDevsExW"));
  EXPECT_EQ(std::vector<std::string>{Deletion("oem1.inf")}, Deletions());
  EXPECT_FALSE(sim::FileExists(InInfDirectory(L"oem1.inf")));
  EXPECT_TRUE(sim::DeviceExists(L"ROOT\\SAMPLE\\0000"));
}

TEST_F(RemoveAndClean, TrailingBarOnlyRemovesDevices) {
  sim::AddDevice(sim::Device(L"ROOT\\SAMPLE\\0000", L"Sample", {L"PELMORA\\SAMPLE"}));
  AddInf(L"oem1.inf", "[Models]\r\nx = y, PELMORA\\SAMPLE\r\n");
  EXPECT_EQ(0, RemoveDevicesAndPackages(L"PELMORA\\SAMPLE|"));
  EXPECT_FALSE(sim::DeviceExists(L"ROOT\\SAMPLE\\0000"));
  EXPECT_EQ(0u, sim::CountCalls("SetupGetInfFileListW"));
  EXPECT_TRUE(sim::FileExists(InInfDirectory(L"oem1.inf")));
}

TEST_F(RemoveAndClean, PendingRestartKeepsThePackagesAndIsTheResult) {
  sim::DeviceSpec device = sim::Device(L"ROOT\\SAMPLE\\0000", L"Sample", {L"PELMORA\\SAMPLE"});
  device.removal = sim::Removal::kNeedsReboot;
  sim::AddDevice(device);
  AddInf(L"oem1.inf", "[Models]\r\nx = y, PELMORA\\SAMPLE\r\n");
  EXPECT_EQ(1, RemoveDevicesAndPackages(L"PELMORA\\SAMPLE|PELMORA"));
  EXPECT_EQ(0u, sim::CountCalls("SetupGetInfFileListW"));
  EXPECT_TRUE(sim::FileExists(InInfDirectory(L"oem1.inf")));
  // A failing walk ends it the same way, with the engine's failure.
  sim::FailCall("SetupDiGetClassDevsExW", ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(2, RemoveDevicesAndPackages(L"PELMORA\\SAMPLE|PELMORA"));
  EXPECT_EQ(0u, sim::CountCalls("SetupGetInfFileListW"));
}

TEST_F(RemoveAndClean, NoMatchingDeviceStillCleansUp) {
  AddInf(L"oem1.inf", "[Models]\r\nx = y, PELMORA\\SAMPLE\r\n");
  EXPECT_EQ(0, RemoveDevicesAndPackages(L"NOTHING\\HERE|PELMORA\\SAMPLE"));
  EXPECT_EQ(ExpectedMessage(MSG_REMOVED_NONE) + ExpectedMessage(MSG_DP_DELETED, L"oem1.inf"), sim::StdOut());
  EXPECT_EQ(std::vector<std::string>{Deletion("oem1.inf")}, Deletions());
}

TEST_F(RemoveAndClean, TextAfterTheFirstBarKeepsFurtherBars) {
  AddInf(L"oem1.inf", "[Strings]\r\nA = \"left|right\"\r\n");
  AddInf(L"oem2.inf", "[Strings]\r\nA = \"right\"\r\n");
  EXPECT_EQ(0, RemoveDevicesAndPackages(L"|left|right"));
  EXPECT_EQ(std::vector<std::string>{Deletion("oem1.inf")}, Deletions());
}

TEST_F(RemoveAndClean, TwoMatchingPackagesAreDeletedInListOrderOncePerFile) {
  AddInf(L"oem7.inf", "[A]\r\nwidget\r\nwidget again\r\n[B]\r\nstill widget\r\n");
  AddInf(L"oem2.inf", "[A]\r\nnothing\r\n[B]\r\nx = widget\r\n");
  AddInf(L"oem3.inf", "[A]\r\nnothing\r\n");
  EXPECT_EQ(0, DeleteMatchingOemPackages(L"widget"));
  EXPECT_EQ((std::vector<std::string>{Deletion("oem7.inf"), Deletion("oem2.inf")}), Deletions());
  EXPECT_EQ(std::vector<std::wstring>{L"oem3.inf"}, sim::ListDirectory(sim::kInfDirectory));
  EXPECT_EQ(ExpectedMessage(MSG_DP_DELETED, L"oem7.inf") + ExpectedMessage(MSG_DP_DELETED, L"oem2.inf"),
            sim::StdOut());
}

TEST_F(RemoveAndClean, OnlyOemNamesAreOpenedInAnyLetterCase) {
  AddInf(L"machine.inf", "[A]\r\nwidget\r\n");
  AddInf(L"oem1.inf", "[A]\r\nwidget\r\n");
  AddInf(L"OeM2.INF", "[A]\r\nwidget\r\n");
  AddInf(L"xoem3.inf", "[A]\r\nwidget\r\n");
  EXPECT_EQ(0, DeleteMatchingOemPackages(L"widget"));
  EXPECT_EQ((std::vector<std::string>{"SetupOpenInfFileW(\"oem1.inf\", null, 0x2)",
                                      "SetupOpenInfFileW(\"OeM2.INF\", null, 0x2)"}),
            Opened());
  EXPECT_EQ((std::vector<std::string>{Deletion("oem1.inf"), "SetupUninstallOEMInfW(\"OeM2.INF\", 0x1)"}),
            Deletions());
  EXPECT_TRUE(sim::FileExists(InInfDirectory(L"machine.inf")));
}

TEST_F(RemoveAndClean, SearchIsCaseSensitiveAndSkipsComments) {
  AddInf(L"oem1.inf", "[A]\r\nWIDGET\r\n");
  AddInf(L"oem2.inf", "[A]\r\nx = y ; widget\r\n");
  AddInf(L"oem3.inf", "[A]\r\n; widget\r\n");
  EXPECT_EQ(0, DeleteMatchingOemPackages(L"widget"));
  EXPECT_TRUE(Deletions().empty());
}

TEST_F(RemoveAndClean, FilesThatCannotBeOpenedArePassedOver) {
  sim::AddFile(InInfDirectory(L"oem1.inf"), "[A]\r\nwidget\r\n");  // no signature: not in the list
  AddInf(L"oem2.inf", "[A]\r\nwidget\r\n");
  AddInf(L"oem3.inf", "[A]\r\nwidget\r\n");
  sim::FailCall("SetupOpenInfFileW", ERROR_ACCESS_DENIED);
  EXPECT_EQ(0, DeleteMatchingOemPackages(L"widget"));
  EXPECT_EQ(std::vector<std::string>{Deletion("oem3.inf")}, Deletions());
  EXPECT_EQ(2u, Opened().size());
}

TEST_F(RemoveAndClean, LineLongerThanTheBufferIsPassedOver) {
  std::string fits(1023 - 6, 'f');       // with "widget": 1023 characters and the terminator
  std::string tooLong(1024 - 6, 't');    // one more: does not fit
  AddInf(L"oem1.inf", "[A]\r\n" + tooLong + "widget\r\n");
  AddInf(L"oem2.inf", "[A]\r\n" + tooLong + "widget\r\nwidget\r\n");
  AddInf(L"oem3.inf", "[A]\r\n" + fits + "widget\r\n");
  EXPECT_EQ(0, DeleteMatchingOemPackages(L"widget"));
  EXPECT_EQ((std::vector<std::string>{Deletion("oem2.inf"), Deletion("oem3.inf")}), Deletions());
}

TEST_F(RemoveAndClean, SectionWhoseNameDoesNotFitIsSkippedAndTheWalkGoesOn) {
  std::string longest(255, 'S');  // needs 256 with its terminator: one more than offered
  AddInf(L"oem1.inf", "[" + longest + "]\r\nwidget\r\n");
  AddInf(L"oem2.inf", "[" + longest + "]\r\nwidget\r\n[Empty]\r\n[Later]\r\nwidget\r\n");
  AddInf(L"oem3.inf", "[" + std::string(254, 'S') + "]\r\nwidget\r\n");
  EXPECT_EQ(0, DeleteMatchingOemPackages(L"widget"));
  EXPECT_EQ((std::vector<std::string>{Deletion("oem2.inf"), Deletion("oem3.inf")}), Deletions());
}

TEST_F(RemoveAndClean, SectionWalkEndsWhateverTheSectionsCallAnswers) {
  // Sections [Version], [A], [B]: the name of [A] cannot be read, so [A] is
  // passed over and the walk goes on to [B].
  AddInf(L"oem1.inf", "[A]\r\nwidget\r\n[B]\r\nwidget\r\n");
  AddInf(L"oem2.inf", "[A]\r\nwidget\r\n");
  sim::FailCall("SetupEnumInfSectionsW", ERROR_GEN_FAILURE, 2);
  EXPECT_EQ(0, DeleteMatchingOemPackages(L"widget"));
  EXPECT_EQ((std::vector<std::string>{Deletion("oem1.inf"), Deletion("oem2.inf")}), Deletions());
  EXPECT_EQ(3u + 2u, sim::CountCalls("SetupEnumInfSectionsW"));
  // Every call failing with another error than the end of the sections.
  sim::Reset();
  AddInf(L"oem1.inf", "[A]\r\nwidget\r\n");
  AddInf(L"oem2.inf", "[A]\r\nwidget\r\n");
  sim::FailCall("SetupEnumInfSectionsW", ERROR_GEN_FAILURE, 1, 0);
  EXPECT_EQ(0, DeleteMatchingOemPackages(L"widget"));
  EXPECT_TRUE(Deletions().empty());
  EXPECT_EQ(2u * 65536u, sim::CountCalls("SetupEnumInfSectionsW"));
  EXPECT_EQ(2u, sim::CountCalls("SetupCloseInfFile"));
  // Even every name said not to fit ends.
  sim::Reset();
  AddInf(L"oem1.inf", "[A]\r\nwidget\r\n");
  sim::FailCall("SetupEnumInfSectionsW", ERROR_INSUFFICIENT_BUFFER, 1, 0);
  EXPECT_EQ(0, DeleteMatchingOemPackages(L"widget"));
  EXPECT_TRUE(Deletions().empty());
  EXPECT_EQ(65536u, sim::CountCalls("SetupEnumInfSectionsW"));
  EXPECT_EQ(1u, sim::CountCalls("SetupCloseInfFile"));
}

TEST_F(RemoveAndClean, FailingLineCallsPassTheLineOrSectionOver) {
  // Sections [Version], [A], [B]: the first line of [A] cannot be found, the
  // line of [B] cannot be read.
  AddInf(L"oem1.inf", "[A]\r\nwidget\r\n[B]\r\nwidget\r\n");
  sim::FailCall("SetupFindFirstLineW", ERROR_LINE_NOT_FOUND, 2);
  sim::FailCall("SetupGetLineTextW", ERROR_INVALID_PARAMETER, 2);
  EXPECT_EQ(0, DeleteMatchingOemPackages(L"widget"));
  EXPECT_TRUE(Deletions().empty());
  EXPECT_EQ(1u, sim::CountCalls("SetupCloseInfFile"));
  // A section whose next line cannot be found ends there.
  sim::Reset();
  AddInf(L"oem1.inf", "[A]\r\nnothing\r\nwidget\r\n");
  sim::FailCall("SetupFindNextLine", ERROR_LINE_NOT_FOUND, 2);
  EXPECT_EQ(0, DeleteMatchingOemPackages(L"widget"));
  EXPECT_TRUE(Deletions().empty());
  sim::ClearFaults();
  EXPECT_EQ(0, DeleteMatchingOemPackages(L"widget"));
  EXPECT_EQ(std::vector<std::string>{Deletion("oem1.inf")}, Deletions());
}

TEST_F(RemoveAndClean, ListThatCannotBeHadCleansNothing) {
  AddInf(L"oem1.inf", "[A]\r\nwidget\r\n");
  sim::FailCall("SetupGetInfFileListW", ERROR_ACCESS_DENIED);
  EXPECT_EQ(0, RemoveDevicesAndPackages(L"|widget"));
  sim::FailCall("SetupGetInfFileListW", ERROR_INSUFFICIENT_BUFFER, 2);
  EXPECT_EQ(0, RemoveDevicesAndPackages(L"|widget"));
  EXPECT_EQ(0u, Opened().size());
  EXPECT_TRUE(sim::FileExists(InInfDirectory(L"oem1.inf")));
  // The name, its terminator, the closing null, and one character more than asked.
  std::string list = std::to_string(std::wcslen(L"oem1.inf") + 3);
  EXPECT_EQ((std::vector<std::string>{"SetupGetInfFileListW(null, 0x2, no buffer, 0)",
                                      "SetupGetInfFileListW(null, 0x2, no buffer, 0)",
                                      "SetupGetInfFileListW(null, 0x2, buffer, " + list + ")"}),
            sim::CallsTo("SetupGetInfFileListW"));
}

TEST_F(RemoveAndClean, FailedDeletionIsReportedByTheEngineAndTheWalkGoesOn) {
  AddInf(L"oem1.inf", "[A]\r\nwidget\r\n");
  AddInf(L"oem2.inf", "[A]\r\nwidget\r\n");
  sim::FailCall("SetupUninstallOEMInfW", ERROR_ACCESS_DENIED);
  EXPECT_EQ(0, RemoveDevicesAndPackages(L"|widget"));
  EXPECT_EQ(ExpectedMessage(MSG_DP_DELETE_FAILED) + ExpectedMessage(MSG_DP_DELETED, L"oem2.inf"), sim::StdOut());
  EXPECT_EQ(ExpectedMessage(MSG_COMMAND_FAILED, L"pelmora.exe", L"dp_delete"), sim::StdErr());
  EXPECT_EQ(2u, Deletions().size());
}

TEST_F(RemoveAndClean, PackageInUseIsDeletedAnywayByForce) {
  AddInf(L"oem4.inf", "[A]\r\nwidget\r\n");
  sim::MarkPackageInUse(L"oem4.inf");
  EXPECT_EQ(0, RemoveDevicesAndPackages(L"|widget"));
  EXPECT_FALSE(sim::FileExists(InInfDirectory(L"oem4.inf")));
}

}  // namespace
