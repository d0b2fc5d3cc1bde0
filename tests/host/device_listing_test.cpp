// Engine "findall": one line per device, then the count.
#include <algorithm>

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
};

TEST_F(DeviceListing, EveryDeviceOnItsOwnLineAndACountThatMatches) {
  Add(L"ROOT\\A\\0000", L"Friendly 100% %1", L"Description A");
  Add(L"ROOT\\B\\0000", nullptr, L"Description B");
  Add(L"ROOT\\C\\0000", nullptr, nullptr);
  Add(L"", L"Unreadable", nullptr);
  Add(L"ROOT\\" + std::wstring(60, L'I'), std::wstring(1u << 20, L'N').c_str(), nullptr);  // more than any buffer
  Add(L"ROOT\\E\\0000", std::wstring(255 - 62 - 1, L'F').c_str(), nullptr);  // exactly 255: not cut
  EXPECT_EQ(0, EngineRun(3, Args{L"dummy.exe", L"findall", L"*"}.argv()));
  // The cut line keeps 254 characters and its line end.
  std::string cut = DeviceLine("ROOT\\" + std::string(60, 'I'), std::string(300, 'N')).substr(0, 254) + "\n";
  // Root devices come in instance-ID order, not in the order made (devinst.c, test_get_class_devs).
  EXPECT_EQ(DeviceLine("ROOT\\A\\0000", "Friendly 100% %1") + DeviceLine("ROOT\\B\\0000", "Description B") +
                "ROOT\\C\\0000\n" + DeviceLine("ROOT\\E\\0000", std::string(192, 'F')) + cut +
                DeviceLine("?", "Unreadable") + ExpectedMessage(MSG_FINDALL_COUNT, 6u, nullptr),
            sim::StdOut());
}

// A walk that finds nothing, lists another computer's devices, breaks off, or passes over a device
// whose IDs cannot be read (the list is then not whole: the summary counts the others, and the result
// is 2); misuse touches nothing.
TEST_F(DeviceListing, NothingFoundFailedWalkAndMisuse) {
  const std::string failed = ExpectedMessage(MSG_COMMAND_FAILED, L"dummy.exe", L"findall");
  const struct {
    Args args;
    const char* failing;  // fails on its first call, or its nth and the next
    int nth, code;
    std::string out, err;
  } rows[] = {
      {{L"dummy.exe", L"findall", L"NOTHING"}, nullptr, 0, 0, ExpectedMessage(MSG_FINDALL_NONE, nullptr), ""},
      {{L"dummy.exe", L"-m:PC7", L"findall", L"*"}, nullptr, 0, 0,
       "ROOT\\R\\0000\n" + ExpectedMessage(MSG_FINDALL_COUNT_REMOTE, 1u, L"PC7"), ""},
      {{L"dummy.exe", L"findall", L"*"}, "SetupDiEnumDeviceInfo", 2, 2, DeviceLine("ROOT\\A\\0000", "A"), failed},
      {{L"dummy.exe", L"findall", L"PELMORA\\*"}, "SetupDiGetDeviceRegistryPropertyW", 1, 2,
       DeviceLine("ROOT\\B\\0000", "B") + ExpectedMessage(MSG_FINDALL_COUNT, 1u, nullptr), failed},  // A's two ID lists
      {{L"dummy.exe", L"findall"}, nullptr, 0, 3, "", ExpectedMessage(MSG_COMMAND_MISUSED, L"dummy.exe", L"findall")},
      {{L"dummy.exe", L"-m:PC7", L"remove", L"*"}, nullptr, 0, 3, "", ExpectedMessage(MSG_COMMAND_MISUSED, L"dummy.exe", L"remove")},
  };
  for (const auto& row : rows) {
    sim::Reset();
    Add(L"ROOT\\A\\0000", L"A", nullptr);
    Add(L"ROOT\\B\\0000", L"B", nullptr);
    sim::AddRemoteMachine(L"PC7");
    sim::DeviceSpec remote = sim::Device(L"ROOT\\R\\0000", L"System", {L"ROOT\\R"});
    remote.machine = L"PC7";
    sim::AddDevice(remote);
    if (row.failing) sim::FailCall(row.failing, ERROR_INVALID_HANDLE, row.nth, 2);
    EXPECT_EQ(row.code, EngineRun(row.args.argc(), row.args.argv())) << row.code;
    EXPECT_EQ(row.out, sim::StdOut());
    EXPECT_EQ(row.err, sim::StdErr());
    EXPECT_EQ(row.code == 3 ? 0u : 1u, std::min<size_t>(1, sim::CountCalls("SetupDiGetClassDevsExW")));
    EXPECT_EQ(2u, sim::DeviceIds().size());
  }
}

}  // namespace
