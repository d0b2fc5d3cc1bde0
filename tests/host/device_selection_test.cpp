#include <map>
#include <vector>

#include "device_test_support.h"
#include "engine/device_selection.h"
#include "engine/engine.h"

namespace {

struct Visits : VisitorContext {
  std::vector<DEVINST> devices;
  std::vector<DWORD> indexes;
  int stopAfter = 0;  // a nonzero result after this many visits (0: never)
};

int RecordVisit(HDEVINFO devs, SP_DEVINFO_DATA* devInfo, DWORD index, VisitorContext* context) {
  EXPECT_NE(INVALID_HANDLE_VALUE, devs);
  Visits& visits = *static_cast<Visits*>(context);
  visits.devices.push_back(devInfo->DevInst);
  visits.indexes.push_back(index);
  if (visits.stopAfter && static_cast<int>(visits.devices.size()) == visits.stopAfter) return 42;
  return 0;
}

class DeviceSelection : public SimTest {
 protected:
  DEVINST Add(const sim::DeviceSpec& device) {
    DEVINST devInst = sim::AddDevice(device);
    names_[devInst] = sim::Utf8(device.instanceId);
    return devInst;
  }

  // Adds a small machine: two Net cards (one not present), a USB hub with
  // only compatible IDs, a root device without any ID.
  void AddMachine() {
    Add(sim::Device(L"PCI\\VEN_8086&DEV_1234\\3&1", L"Net", {L"PCI\\VEN_8086&DEV_1234", L"PCI\\VEN_8086"}));
    sim::DeviceSpec absent = sim::Device(L"PCI\\VEN_10EC&DEV_8168\\4&2", L"Net", {L"PCI\\VEN_10EC&DEV_8168"});
    absent.present = false;
    Add(absent);
    Add(sim::Device(L"USB\\ROOT_HUB\\5&3", L"USB", {}, {L"USB\\ROOT_HUB"}));
    Add(sim::Device(L"ROOT\\LEGACY_FOO\\0000", L"System", {}));
  }

  int Run(std::initializer_list<std::wstring> arguments, const wchar_t* machine = nullptr) {
    Args args(arguments);
    visits_ = Visits();
    return ForEachMatchingDevice(machine, args.argc(), args.argv(), RecordVisit, &visits_);
  }

  // The instance IDs visited, in order, joined by ' '.
  std::string Visited() {
    std::string joined;
    for (DEVINST devInst : visits_.devices) joined += (joined.empty() ? "" : " ") + names_[devInst];
    return joined;
  }

  Visits visits_;
  std::map<DEVINST, std::string> names_;
};

const char kAll[] = "PCI\\VEN_8086&DEV_1234\\3&1 PCI\\VEN_10EC&DEV_8168\\4&2 USB\\ROOT_HUB\\5&3 ROOT\\LEGACY_FOO\\0000";

TEST_F(DeviceSelection, StarAloneSelectsEveryDevicePresentOrNotWithoutMatching) {
  AddMachine();
  EXPECT_EQ(ENGINE_DONE, Run({L"*"}));
  EXPECT_EQ(kAll, Visited());
  EXPECT_EQ((std::vector<DWORD>{0, 1, 2, 3}), visits_.indexes);
  EXPECT_EQ(0u, sim::CountCalls("SetupDiGetDeviceRegistryPropertyW"));
  EXPECT_EQ(std::vector<std::string>{"SetupDiGetClassDevsExW(no class, null, 0x4, new set, null)"},
            sim::CallsTo("SetupDiGetClassDevsExW"));
  // Later patterns do not narrow it.
  EXPECT_EQ(ENGINE_DONE, Run({L"*", L"NOTHING"}));
  EXPECT_EQ(kAll, Visited());
}

TEST_F(DeviceSelection, ClassArgumentSelectsThatClassOnly) {
  AddMachine();
  EXPECT_EQ(ENGINE_DONE, Run({L"=net"}));
  EXPECT_EQ("PCI\\VEN_8086&DEV_1234\\3&1 PCI\\VEN_10EC&DEV_8168\\4&2", Visited());
  EXPECT_EQ(0u, sim::CountCalls("SetupDiGetDeviceRegistryPropertyW"));
  std::string netGuid = "{4D36E972-E325-11CE-BFC1-08002BE10318}";
  EXPECT_EQ(std::vector<std::string>{"SetupDiGetClassDevsExW(" + netGuid + ", null, 0x0, new set, null)"},
            sim::CallsTo("SetupDiGetClassDevsExW"));
  EXPECT_EQ(ENGINE_DONE, Run({L"=Net", L"*8168"}));
  EXPECT_EQ("PCI\\VEN_10EC&DEV_8168\\4&2", Visited());
  EXPECT_EQ(ENGINE_DONE, Run({L"=Net", L"*"}));
  EXPECT_EQ(2u, visits_.devices.size());
}

TEST_F(DeviceSelection, UnknownClassVisitsNothingAndIsNoFailure) {
  AddMachine();
  EXPECT_EQ(ENGINE_DONE, Run({L"=NoSuchClass", L"X"}));
  EXPECT_EQ("", Visited());
  EXPECT_EQ(0u, sim::CountCalls("SetupDiGetClassDevsExW"));
}

TEST_F(DeviceSelection, ClassWithSeveralGuidsUsesTheFirst) {
  sim::AddClassGuid(L"Twice", sim::MakeGuid(900));
  sim::AddClassGuid(L"Twice", sim::MakeGuid(901));
  sim::DeviceSpec first = sim::Device(L"ROOT\\FIRST\\0000", L"Twice", {L"A"});
  Add(first);
  sim::AddClassGuid(L"Other", sim::MakeGuid(901));
  Add(sim::Device(L"ROOT\\SECOND\\0000", L"Other", {L"A"}));
  EXPECT_EQ(ENGINE_DONE, Run({L"=Twice"}));
  EXPECT_EQ("ROOT\\FIRST\\0000", Visited());
}

TEST_F(DeviceSelection, FailingClassLookupFails) {
  AddMachine();
  sim::FailCall("SetupDiClassGuidsFromNameExW", ERROR_INVALID_MACHINENAME);
  EXPECT_EQ(ENGINE_FAILED, Run({L"=Net"}));
  EXPECT_EQ(0u, sim::CountCalls("SetupDiGetClassDevsExW"));
}

TEST_F(DeviceSelection, LoneEqualsSignIsAPattern) {
  Add(sim::Device(L"ROOT\\ODD\\0000", L"System", {L"="}));
  Add(sim::Device(L"ROOT\\PLAIN\\0000", L"System", {L"X"}));
  EXPECT_EQ(ENGINE_DONE, Run({L"="}));
  EXPECT_EQ("ROOT\\ODD\\0000", Visited());
  EXPECT_EQ(0u, sim::CountCalls("SetupDiClassGuidsFromNameExW"));
}

TEST_F(DeviceSelection, PatternsMatchHardwareThenCompatibleIdsIgnoringCase) {
  AddMachine();
  EXPECT_EQ(ENGINE_DONE, Run({L"pci\\ven_8086*"}));
  EXPECT_EQ("PCI\\VEN_8086&DEV_1234\\3&1", Visited());
  EXPECT_EQ(ENGINE_DONE, Run({L"usb\\root_hub"}));
  EXPECT_EQ("USB\\ROOT_HUB\\5&3", Visited());
  EXPECT_EQ(ENGINE_DONE, Run({L"*8168", L"USB*"}));
  EXPECT_EQ("PCI\\VEN_10EC&DEV_8168\\4&2 USB\\ROOT_HUB\\5&3", Visited());
  // The instance ID is not a hardware ID.
  EXPECT_EQ(ENGINE_DONE, Run({L"ROOT\\LEGACY_FOO\\0000"}));
  EXPECT_EQ("", Visited());
}

TEST_F(DeviceSelection, StarAfterAPatternNeedsAtLeastOneId) {
  AddMachine();
  EXPECT_EQ(ENGINE_DONE, Run({L"X", L"*"}));
  EXPECT_EQ("PCI\\VEN_8086&DEV_1234\\3&1 PCI\\VEN_10EC&DEV_8168\\4&2 USB\\ROOT_HUB\\5&3", Visited());
  EXPECT_EQ(ENGINE_DONE, Run({L"***"}));
  EXPECT_EQ(3u, visits_.devices.size());
}

TEST_F(DeviceSelection, IndexCountsTheDevicesPassedOver) {
  AddMachine();
  EXPECT_EQ(ENGINE_DONE, Run({L"USB\\ROOT_HUB"}));
  EXPECT_EQ(std::vector<DWORD>{2}, visits_.indexes);
}

TEST_F(DeviceSelection, ExactInstanceIdsAreOpenedIntoAnEmptySet) {
  AddMachine();
  EXPECT_EQ(ENGINE_DONE, Run({L"@root\\legacy_foo\\0000"}));
  EXPECT_EQ("ROOT\\LEGACY_FOO\\0000", Visited());
  EXPECT_EQ(0u, sim::CountCalls("SetupDiGetClassDevsExW"));
  EXPECT_EQ(std::vector<std::string>{"SetupDiCreateDeviceInfoListExW(no class, null)"},
            sim::CallsTo("SetupDiCreateDeviceInfoListExW"));
  EXPECT_EQ(0u, sim::CountCalls("CM_Get_Device_ID_ExW"));  // asked for by name: no matching

  EXPECT_EQ(ENGINE_DONE, Run({L"@ROOT\\NONE\\0000", L"@USB\\ROOT_HUB\\5&3", L"@ROOT\\LEGACY_FOO\\0000"}));
  EXPECT_EQ("USB\\ROOT_HUB\\5&3 ROOT\\LEGACY_FOO\\0000", Visited());
  // One of another class than the class argument adds nothing.
  EXPECT_EQ(ENGINE_DONE, Run({L"=Net", L"@ROOT\\LEGACY_FOO\\0000"}));
  EXPECT_EQ("", Visited());
}

TEST_F(DeviceSelection, InstanceIdWildcardsMatchEveryDevicesInstanceId) {
  AddMachine();
  EXPECT_EQ(ENGINE_DONE, Run({L"@ROOT\\*"}));
  EXPECT_EQ("ROOT\\LEGACY_FOO\\0000", Visited());
  EXPECT_EQ(1u, sim::CountCalls("SetupDiGetClassDevsExW"));
  EXPECT_EQ(4u, sim::CountCalls("CM_Get_Device_ID_ExW"));
  // Mixed with an exact one, matching is needed for all of them.
  EXPECT_EQ(ENGINE_DONE, Run({L"@USB\\ROOT_HUB\\5&3", L"*8086"}));
  EXPECT_EQ("PCI\\VEN_8086&DEV_1234\\3&1 USB\\ROOT_HUB\\5&3", Visited());
}

TEST_F(DeviceSelection, ApostropheMakesTheStarLiteral) {
  Add(sim::Device(L"ROOT\\A\\0000", L"System", {L"ROOT\\*"}));
  Add(sim::Device(L"ROOT\\B\\0000", L"System", {L"ROOT\\X"}));
  EXPECT_EQ(ENGINE_DONE, Run({L"'root\\*"}));
  EXPECT_EQ("ROOT\\A\\0000", Visited());
  EXPECT_EQ(ENGINE_DONE, Run({L"root\\*"}));
  EXPECT_EQ("ROOT\\A\\0000 ROOT\\B\\0000", Visited());
  // An apostrophe alone matches only an empty ID; '@' alone names no device.
  EXPECT_EQ(ENGINE_DONE, Run({L"'"}));
  EXPECT_EQ("", Visited());
  EXPECT_EQ(ENGINE_DONE, Run({L"@"}));
  EXPECT_EQ("", Visited());
}

TEST_F(DeviceSelection, IdsAreReadOncePerDeviceHoweverManyPatterns) {
  AddMachine();
  EXPECT_EQ(ENGINE_DONE, Run({L"A", L"B", L"C", L"@X", L"@Y"}));
  EXPECT_EQ("", Visited());
  EXPECT_EQ(8u, sim::CountCalls("SetupDiGetDeviceRegistryPropertyW"));  // two lists per device
  EXPECT_EQ(4u, sim::CountCalls("CM_Get_Device_ID_ExW"));
}

TEST_F(DeviceSelection, ThousandsOfPatterns) {
  AddMachine();
  std::vector<std::wstring> texts;
  for (int i = 0; i < 5000; ++i) texts.push_back(L"NO*MATCH" + std::to_wstring(i));
  texts.push_back(L"*ROOT_HUB");
  std::vector<const wchar_t*> argv;
  for (const std::wstring& text : texts) argv.push_back(text.c_str());
  visits_ = Visits();
  EXPECT_EQ(ENGINE_DONE, ForEachMatchingDevice(nullptr, static_cast<int>(argv.size()), argv.data(), RecordVisit,
                                               &visits_));
  EXPECT_EQ("USB\\ROOT_HUB\\5&3", Visited());
}

TEST_F(DeviceSelection, HugeAndChangingIdListsAreReadWhole) {
  std::vector<std::wstring> many(500, L"PCI\\VEN_FFFF&DEV_0000&SUBSYS_00000000");
  many.push_back(L"PCI\\LAST");
  Add(sim::Device(L"PCI\\HUGE\\0", L"System", many));
  sim::DeviceSpec changing = sim::Device(L"PCI\\CHANGING\\0", L"System", {});
  std::vector<std::wstring> grown(400, L"PCI\\GROWING_ID_WITH_SOME_LENGTH");
  grown.push_back(L"PCI\\LAST");
  sim::SetChangingProperty(changing, SPDRP_HARDWAREID,
                           {sim::MultiSz(std::vector<std::wstring>(400, L"PCI\\SHORTER")), sim::MultiSz(grown)});
  Add(changing);
  EXPECT_EQ(ENGINE_DONE, Run({L"pci\\last"}));
  EXPECT_EQ("PCI\\HUGE\\0 PCI\\CHANGING\\0", Visited());
  EXPECT_EQ(3, sim::PropertyReads(L"PCI\\CHANGING\\0", SPDRP_HARDWAREID));
}

TEST_F(DeviceSelection, UnreadableInstanceIdIsEmptyNeverLeftOver) {
  Add(sim::Device(L"ROOT\\SEEN\\0000", L"System", {L"A"}));
  sim::DeviceSpec silent = sim::Device(L"ROOT\\SILENT\\0000", L"System", {L"A"});
  silent.idReadWritesNothing = true;
  Add(silent);
  sim::DeviceSpec failing = sim::Device(L"ROOT\\FAILING\\0000", L"System", {L"A"});
  failing.idReadFails = true;
  Add(failing);
  // The buffer of the device before must not be taken for theirs.
  EXPECT_EQ(ENGINE_DONE, Run({L"@ROOT\\*"}));
  EXPECT_EQ("ROOT\\SEEN\\0000", Visited());
  // An empty ID still matches a lone star.
  EXPECT_EQ(ENGINE_DONE, Run({L"@*"}));
  EXPECT_EQ(3u, visits_.devices.size());
}

TEST_F(DeviceSelection, InstanceIdsOf199And200Characters) {
  std::wstring longest = L"ROOT\\" + std::wstring(194, L'L');  // 199: the most Windows allows
  std::wstring tooLong = L"ROOT\\" + std::wstring(195, L'T');  // 200: leaves no room for the terminator
  Add(sim::Device(longest, L"System", {L"A"}));
  Add(sim::Device(tooLong, L"System", {L"A"}));
  EXPECT_EQ(ENGINE_DONE, Run({L"@ROOT\\*"}));
  EXPECT_EQ(sim::Utf8(longest), Visited());
  EXPECT_EQ(ENGINE_DONE, Run({L"@" + longest}));
  EXPECT_EQ(sim::Utf8(longest), Visited());
}

TEST_F(DeviceSelection, RemoteMachineIsWalkedThroughItsOwnHandle) {
  AddMachine();
  sim::AddRemoteMachine(L"PC7");
  sim::DeviceSpec remote = sim::Device(L"ROOT\\REMOTE\\0000", L"System", {L"R"});
  remote.machine = L"PC7";
  Add(remote);
  EXPECT_EQ(ENGINE_DONE, Run({L"@ROOT\\*"}, L"\\\\PC7"));
  EXPECT_EQ("ROOT\\REMOTE\\0000", Visited());
  EXPECT_EQ(std::vector<std::string>{"CM_Get_Device_ID_ExW(104, 200, 0x0, pc7)"},
            sim::CallsTo("CM_Get_Device_ID_ExW"));
  EXPECT_EQ(ENGINE_DONE, Run({L"=System"}, L"PC7"));
  EXPECT_EQ("ROOT\\REMOTE\\0000", Visited());
  EXPECT_EQ(ENGINE_FAILED, Run({L"*"}, L"NOWHERE"));
  EXPECT_EQ(ENGINE_FAILED, Run({L"@ROOT\\REMOTE\\0000"}, L"NOWHERE"));
}

TEST_F(DeviceSelection, VisitorCanEndTheWalk) {
  AddMachine();
  Args args{L"*"};
  visits_ = Visits();
  visits_.stopAfter = 2;
  EXPECT_EQ(42, ForEachMatchingDevice(nullptr, args.argc(), args.argv(), RecordVisit, &visits_));
  EXPECT_EQ(2u, visits_.devices.size());
  EXPECT_EQ(1u, sim::CountCalls("SetupDiDestroyDeviceInfoList"));
}

TEST_F(DeviceSelection, EachFailingCallOfTheWalk) {
  AddMachine();
  sim::FailCall("SetupDiGetClassDevsExW", ERROR_INVALID_PARAMETER);
  EXPECT_EQ(ENGINE_FAILED, Run({L"*"}));
  sim::FailCall("SetupDiCreateDeviceInfoListExW", ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(ENGINE_FAILED, Run({L"@ROOT\\LEGACY_FOO\\0000"}));
  sim::FailCall("SetupDiGetDeviceInfoListDetailW", ERROR_INVALID_HANDLE);
  EXPECT_EQ(ENGINE_FAILED, Run({L"*"}));
  EXPECT_EQ("", Visited());
  sim::FailCall("SetupDiOpenDeviceInfoW", ERROR_NO_SUCH_DEVINST);
  EXPECT_EQ(ENGINE_DONE, Run({L"@ROOT\\LEGACY_FOO\\0000"}));
  EXPECT_EQ("", Visited());
  sim::FailCall("SetupDiEnumDeviceInfo", ERROR_INVALID_HANDLE, 2);
  EXPECT_EQ(ENGINE_DONE, Run({L"*"}));
  EXPECT_EQ("PCI\\VEN_8086&DEV_1234\\3&1", Visited());
  sim::FailCall("SetupDiGetDeviceRegistryPropertyW", ERROR_INVALID_DATA, 1, 2);
  EXPECT_EQ(ENGINE_DONE, Run({L"PCI*"}));
  EXPECT_EQ("PCI\\VEN_10EC&DEV_8168\\4&2", Visited());
  sim::FailCall("CM_Get_Device_ID_ExW", CR_FAILURE);
  EXPECT_EQ(ENGINE_DONE, Run({L"@*1"}));
  EXPECT_EQ("", Visited());
  // Every set made was destroyed.
  EXPECT_EQ(sim::CountCalls("SetupDiDestroyDeviceInfoList"),
            sim::CountCalls("SetupDiGetClassDevsExW") + sim::CountCalls("SetupDiCreateDeviceInfoListExW") - 2);
}

}  // namespace
