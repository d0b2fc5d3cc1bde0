// Engine "findall": one line per device, then the count.
#include "engine/engine.h"
#include "expected_message.h"
#include "platform/sim/sim_devices.h"
#include "sim_test.h"

namespace {

class DeviceListing : public SimTest {
 protected:
  static void Add(const std::wstring& id, const wchar_t* friendlyName, const wchar_t* description) {
    sim::DeviceSpec device = sim::Device(id, L"System", {L"PELMORA\\LISTED"});
    if (friendlyName) sim::SetProperty(device, SPDRP_FRIENDLYNAME, sim::Sz(friendlyName));
    if (description) sim::SetProperty(device, SPDRP_DEVICEDESC, sim::Sz(description));
    if (id.empty()) device.instanceId = L"ROOT\\UNREADABLE\\0000", device.idReadFails = true;
    sim::AddDevice(device);
  }

  static int FindAll(std::initializer_list<std::wstring> items) {
    Args args(items);
    return EngineRun(args.argc(), args.argv());
  }

  static std::string Line(const std::string& id, const std::string& name) {
    return id + std::string(id.size() < 60 ? 60 - id.size() : 0, ' ') + ": " + name + "\n";
  }
};

TEST_F(DeviceListing, EveryDeviceOnItsOwnLineAndACountThatMatches) {
  Add(L"ROOT\\A\\0000", L"Friendly 100% %1", L"Description A");
  Add(L"ROOT\\B\\0000", nullptr, L"Description B");
  Add(L"ROOT\\C\\0000", nullptr, nullptr);
  Add(L"", L"Unreadable", nullptr);
  Add(L"ROOT\\" + std::wstring(60, L'I'), std::wstring(300, L'N').c_str(), nullptr);
  Add(L"ROOT\\E\\0000", std::wstring(255 - 62 - 1, L'F').c_str(), nullptr);  // exactly 255: not cut
  EXPECT_EQ(0, FindAll({L"dummy.exe", L"findall", L"*"}));
  // The cut line keeps 254 characters and its line end.
  std::string cut = Line("ROOT\\" + std::string(60, 'I'), std::string(300, 'N')).substr(0, 254) + "\n";
  EXPECT_EQ(Line("ROOT\\A\\0000", "Friendly 100% %1") + Line("ROOT\\B\\0000", "Description B") + "ROOT\\C\\0000\n" +
                Line("?", "Unreadable") + cut + Line("ROOT\\E\\0000", std::string(192, 'F')) +
                ExpectedMessage(60405, 6u, nullptr),
            sim::StdOut());
}

TEST_F(DeviceListing, NothingFoundHereOrThere) {
  Add(L"ROOT\\A\\0000", L"A", nullptr);
  sim::AddRemoteMachine(L"PC7");
  EXPECT_EQ(0, FindAll({L"dummy.exe", L"findall", L"NOTHING"}));
  EXPECT_EQ(0, FindAll({L"dummy.exe", L"-m:PC7", L"findall", L"*"}));
  EXPECT_EQ(ExpectedMessage(60403, nullptr) + ExpectedMessage(60402, L"PC7"), sim::StdOut());
  EXPECT_EQ(3, FindAll({L"dummy.exe", L"findall"}));
}

TEST_F(DeviceListing, FailedWalkWritesNoSummary) {
  Add(L"ROOT\\A\\0000", L"A", nullptr);
  Add(L"ROOT\\B\\0000", L"B", nullptr);
  sim::FailCall("SetupDiEnumDeviceInfo", ERROR_INVALID_HANDLE, 2);
  EXPECT_EQ(2, FindAll({L"dummy.exe", L"findall", L"*"}));
  EXPECT_EQ(Line("ROOT\\A\\0000", "A"), sim::StdOut());
  EXPECT_EQ(ExpectedMessage(60001, L"dummy.exe", L"findall"), sim::StdErr());
}

// A device whose IDs cannot be read is passed over, the others are listed
// and counted, and the result tells that the list is not whole.
TEST_F(DeviceListing, UnreadableIdsFailTheListAfterItsSummary) {
  Add(L"ROOT\\A\\0000", L"A", nullptr);
  Add(L"ROOT\\B\\0000", L"B", nullptr);
  sim::FailCall("SetupDiGetDeviceRegistryPropertyW", ERROR_INVALID_HANDLE, 1, 2);  // A's two ID lists
  EXPECT_EQ(2, FindAll({L"dummy.exe", L"findall", L"PELMORA\\*"}));
  EXPECT_EQ(Line("ROOT\\B\\0000", "B") + ExpectedMessage(60405, 1u, nullptr), sim::StdOut());
  EXPECT_EQ(ExpectedMessage(60001, L"dummy.exe", L"findall"), sim::StdErr());
}

}  // namespace
