#include <algorithm>

#include "device_test_support.h"
#include "engine/device_commands.h"
#include "engine/engine.h"
#include "engine/message_ids.h"
#include "expected_message.h"

namespace {

class DeviceListing : public SimTest {
 protected:
  void Add(const std::wstring& id, const wchar_t* friendlyName, const wchar_t* description,
           const std::wstring& machine = L"") {
    sim::DeviceSpec device = sim::Device(id, L"System", {L"PELMORA\\LISTED"});
    if (friendlyName) sim::SetProperty(device, SPDRP_FRIENDLYNAME, sim::Sz(friendlyName));
    if (description) sim::SetProperty(device, SPDRP_DEVICEDESC, sim::Sz(description));
    device.machine = machine;
    sim::AddDevice(device);
  }

  int List(std::initializer_list<std::wstring> arguments, const wchar_t* machine = nullptr) {
    Args args(arguments);
    return ListDevices(L"dummy.exe", machine, 0, args.argc(), args.argv());
  }

  static std::string Line(const std::string& id, const std::string& name) {
    std::string padded = id;
    if (padded.size() < 60) padded.resize(60, ' ');
    return padded + ": " + name + "\n";
  }
};

TEST_F(DeviceListing, NoArgumentIsMisuseAndListsNothing) {
  Add(L"ROOT\\A\\0000", L"A", nullptr);
  EXPECT_EQ(ENGINE_BAD_USAGE, List({}));
  EXPECT_TRUE(sim::Calls().empty());
  EXPECT_EQ("", sim::StdOut());
}

TEST_F(DeviceListing, EveryDeviceOnceWithItsNameAndACountThatMatchesTheLines) {
  Add(L"ROOT\\A\\0000", L"Friendly A", L"Description A");
  Add(L"ROOT\\B\\0000", nullptr, L"Description B");
  Add(L"ROOT\\C\\0000", nullptr, nullptr);
  sim::DeviceSpec absent = sim::Device(L"ROOT\\D\\0000", L"Net", {});
  absent.present = false;
  sim::SetProperty(absent, SPDRP_FRIENDLYNAME, sim::Sz(L"Not present"));
  sim::AddDevice(absent);
  EXPECT_EQ(ENGINE_DONE, List({L"*"}));
  std::string expected = Line("ROOT\\A\\0000", "Friendly A") + Line("ROOT\\B\\0000", "Description B") +
                         "ROOT\\C\\0000\n" + Line("ROOT\\D\\0000", "Not present") + ExpectedMessage(MSG_FINDALL_COUNT, 4u, nullptr);
  EXPECT_EQ(expected, sim::StdOut());
}

TEST_F(DeviceListing, NothingMatchedLocallyOrRemotely) {
  Add(L"ROOT\\A\\0000", L"A", nullptr);
  EXPECT_EQ(ENGINE_DONE, List({L"NOTHING"}));
  EXPECT_EQ(ExpectedMessage(MSG_FINDALL_NONE, nullptr), sim::StdOut());
  sim::ClearOutput();
  sim::AddRemoteMachine(L"PC7");
  EXPECT_EQ(ENGINE_DONE, List({L"NOTHING"}, L"PC7"));
  EXPECT_EQ(ExpectedMessage(MSG_FINDALL_NONE_REMOTE, L"PC7"), sim::StdOut());
}

TEST_F(DeviceListing, RemoteMachineIsReadThroughTheSetsHandleAndNamed) {
  sim::AddRemoteMachine(L"PC7");
  Add(L"ROOT\\LOCAL\\0000", L"Local", nullptr);
  Add(L"ROOT\\REMOTE\\0000", L"Remote", nullptr, L"PC7");
  EXPECT_EQ(ENGINE_DONE, List({L"*"}, L"\\\\PC7"));
  EXPECT_EQ(Line("ROOT\\REMOTE\\0000", "Remote") + ExpectedMessage(MSG_FINDALL_COUNT_REMOTE, 1u, L"\\\\PC7"), sim::StdOut());
  EXPECT_EQ(std::vector<std::string>{"CM_Get_Device_ID_ExW(101, 200, 0x0, pc7)"},
            sim::CallsTo("CM_Get_Device_ID_ExW"));
}

TEST_F(DeviceListing, LongIdIsPrintedWhole) {
  std::wstring id = L"ROOT\\" + std::wstring(60, L'I') + L"\\0000";
  Add(id, L"Name", nullptr);
  EXPECT_EQ(ENGINE_DONE, List({L"*"}));
  EXPECT_EQ(sim::Utf8(id) + ": Name\n" + ExpectedMessage(MSG_FINDALL_COUNT, 1u, nullptr), sim::StdOut());
}

TEST_F(DeviceListing, LineCutAt255KeepsItsLineEnd) {
  std::wstring name(300, L'N');
  Add(L"ROOT\\A\\0000", name.c_str(), nullptr);
  Add(L"ROOT\\B\\0000", L"Next", nullptr);
  EXPECT_EQ(ENGINE_DONE, List({L"*"}));
  std::string cut = Line("ROOT\\A\\0000", sim::Utf8(name)).substr(0, 254) + "\n";
  EXPECT_EQ(255u, cut.size());
  EXPECT_EQ(cut + Line("ROOT\\B\\0000", "Next") + ExpectedMessage(MSG_FINDALL_COUNT, 2u, nullptr), sim::StdOut());
  // A line of exactly 255 characters is not cut.
  sim::Reset();
  std::wstring fits(255 - 62 - 1, L'F');
  Add(L"ROOT\\A\\0000", fits.c_str(), nullptr);
  EXPECT_EQ(ENGINE_DONE, List({L"*"}));
  EXPECT_EQ(Line("ROOT\\A\\0000", sim::Utf8(fits)) + ExpectedMessage(MSG_FINDALL_COUNT, 1u, nullptr), sim::StdOut());
}

TEST_F(DeviceListing, UnreadableIdIsAQuestionMarkAndStillCounted) {
  Add(L"ROOT\\A\\0000", L"A", nullptr);
  sim::DeviceSpec failing = sim::Device(L"ROOT\\B\\0000", L"System", {});
  failing.idReadFails = true;
  sim::AddDevice(failing);
  sim::DeviceSpec silent = sim::Device(L"ROOT\\C\\0000", L"System", {});
  silent.idReadWritesNothing = true;
  sim::SetProperty(silent, SPDRP_DEVICEDESC, sim::Sz(L"Silent"));
  sim::AddDevice(silent);
  EXPECT_EQ(ENGINE_DONE, List({L"*"}));
  EXPECT_EQ(Line("ROOT\\A\\0000", "A") + "?\n" + Line("", "Silent") + ExpectedMessage(MSG_FINDALL_COUNT, 3u, nullptr),
            sim::StdOut());
  // The details failing gives the same question mark.
  sim::ClearOutput();
  sim::FailCall("SetupDiGetDeviceInfoListDetailW", ERROR_INVALID_HANDLE, 2);
  EXPECT_EQ(ENGINE_DONE, List({L"@ROOT\\A\\0000"}));
  EXPECT_EQ(Line("?", "A") + ExpectedMessage(MSG_FINDALL_COUNT, 1u, nullptr), sim::StdOut());
}

TEST_F(DeviceListing, PercentSignsAndNonAsciiNamesComeOutAsTheyAre) {
  Add(L"ROOT\\%1\\0000", L"100% %1 %n", nullptr);
  Add(L"ROOT\\OMEGA\\0000", L"\u03A9 caf\u00E9", nullptr);
  EXPECT_EQ(ENGINE_DONE, List({L"*"}));
  EXPECT_EQ(Line("ROOT\\%1\\0000", "100% %1 %n") + Line("ROOT\\OMEGA\\0000", "\xCE\xA9 caf\xC3\xA9") +
                ExpectedMessage(MSG_FINDALL_COUNT, 2u, nullptr),
            sim::StdOut());
}

TEST_F(DeviceListing, NameTheConsoleCannotShowDoesNotSilenceLaterLines) {
  sim::RedirectOutput(437);
  Add(L"ROOT\\OMEGA\\0000", L"\u4E2Dmega", nullptr);
  Add(L"ROOT\\AFTER\\0000", L"After", nullptr);
  EXPECT_EQ(ENGINE_DONE, List({L"*"}));
  EXPECT_EQ(Line("ROOT\\OMEGA\\0000", "?mega") + Line("ROOT\\AFTER\\0000", "After") +
                ExpectedMessage(MSG_FINDALL_COUNT, 2u, nullptr),
            sim::StdOut());
}

TEST_F(DeviceListing, FailingWalkReturnsItsResultWithoutSummary) {
  Add(L"ROOT\\A\\0000", L"A", nullptr);
  EXPECT_EQ(ENGINE_FAILED, List({L"*"}, L"NOWHERE"));
  EXPECT_EQ("", sim::StdOut());
  Args args{L"dummy.exe", L"-m:NOWHERE", L"findall", L"*"};
  EXPECT_EQ(ENGINE_FAILED, EngineRun(args.argc(), args.argv()));
  EXPECT_EQ("", sim::StdOut());
  EXPECT_NE(std::string::npos, sim::StdErr().find("findall"));
}

TEST_F(DeviceListing, ThroughTheEngineWithClassAndPattern) {
  Add(L"ROOT\\A\\0000", L"A", nullptr);
  sim::AddDevice(sim::Device(L"PCI\\NET\\1", L"Net", {L"PCI\\VEN_1"}));
  Args byClass{L"C:\\tools\\pelmora-engine.exe", L"FindAll", L"=Net"};
  EXPECT_EQ(ENGINE_DONE, EngineRun(byClass.argc(), byClass.argv()));
  EXPECT_EQ("PCI\\NET\\1\n" + ExpectedMessage(MSG_FINDALL_COUNT, 1u, nullptr), sim::StdOut());
}

}  // namespace
