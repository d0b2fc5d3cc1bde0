// The simulated device tree finds a device by its DEVINST and a set's element
// by the SP_DEVINFO_DATA the set handed out without walking the tree, and
// answers as it did when it walked: these tests hold it to that. The call
// log can be switched off for benchmarks without changing fault injection.
#include <string>

#include "device_test_support.h"

namespace {

std::wstring Numbered(unsigned number) { return L"ROOT\\LOOKUP\\" + std::to_wstring(number); }

std::string InstanceId(DEVINST devInst) {
  WCHAR id[MAX_DEVICE_ID_LEN] = {};
  if (CM_Get_Device_ID_ExW(devInst, id, MAX_DEVICE_ID_LEN, 0, nullptr) != CR_SUCCESS) return "(failed)";
  return sim::Utf8(id);
}

class SimDeviceLookup : public SimTest {};

TEST_F(SimDeviceLookup, EveryDevInstOfALargeTreeNamesItsOwnDevice) {
  std::vector<DEVINST> devInsts;
  for (unsigned i = 0; i < 3000; ++i) devInsts.push_back(sim::AddDevice(sim::Device(Numbered(i), L"System", {})));
  for (unsigned i : {0u, 1u, 1499u, 2999u}) EXPECT_EQ(sim::Utf8(Numbered(i)), InstanceId(devInsts[i]));
  EXPECT_EQ("(failed)", InstanceId(devInsts.back() + 1));
  EXPECT_EQ("(failed)", InstanceId(99));
  EXPECT_EQ("(failed)", InstanceId(0));
}

TEST_F(SimDeviceLookup, ACreatedDeviceIsFoundByItsDevInstAfterTheOthers) {
  sim::AddDevice(sim::Device(L"ROOT\\FIRST\\0000", L"System", {}));
  GUID system = sim::ClassGuids(L"System").front();
  HDEVINFO devs = SetupDiCreateDeviceInfoList(&system, nullptr);
  SP_DEVINFO_DATA data = {};
  data.cbSize = sizeof data;
  ASSERT_TRUE(SetupDiCreateDeviceInfoW(devs, L"ROOT\\CREATED\\0000", &system, L"Created", nullptr, 0, &data));
  EXPECT_EQ("ROOT\\CREATED\\0000", InstanceId(data.DevInst));
  WCHAR text[64] = {};
  EXPECT_TRUE(SetupDiGetDeviceRegistryPropertyW(devs, &data, SPDRP_DEVICEDESC, nullptr,
                                                reinterpret_cast<BYTE*>(text), sizeof text, nullptr));
  EXPECT_EQ("Created", sim::Utf8(text));
  EXPECT_TRUE(SetupDiDestroyDeviceInfoList(devs));
  EXPECT_EQ("(failed)", InstanceId(data.DevInst));  // never registered: gone with its set
}

TEST_F(SimDeviceLookup, DataIsMatchedByDevInstWhateverItsReservedField) {
  for (unsigned i = 0; i < 5; ++i) sim::AddDevice(sim::Device(Numbered(i), L"System", {L"HW\\" + std::to_wstring(i)}));
  AllDevices all;
  SP_DEVINFO_DATA data = *all.At(3);
  BYTE buffer[64];
  DWORD size = 0;
  for (ULONG_PTR reserved : {static_cast<ULONG_PTR>(0), static_cast<ULONG_PTR>(1), static_cast<ULONG_PTR>(99)}) {
    data.Reserved = reserved;
    EXPECT_TRUE(SetupDiGetDeviceRegistryPropertyW(all.devs(), &data, SPDRP_HARDWAREID, nullptr, buffer,
                                                  sizeof buffer, &size))
        << "Reserved " << reserved;
    EXPECT_EQ(sim::MultiSz({L"HW\\3"}).data, std::vector<BYTE>(buffer, buffer + size));
  }
  data.DevInst = 9999;  // in no set
  data.Reserved = 4;
  EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyW(all.devs(), &data, SPDRP_HARDWAREID, nullptr, buffer,
                                                 sizeof buffer, &size));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST_F(SimDeviceLookup, ARemovedDeviceKeepsItsElementButAnswersNoMore) {
  sim::AddDevice(sim::Device(L"ROOT\\KEPT\\0000", L"System", {L"HW\\KEPT"}));
  DEVINST gone = sim::AddDevice(sim::Device(L"ROOT\\GONE\\0000", L"System", {L"HW\\GONE"}));
  AllDevices all;
  SP_DEVINFO_DATA data = *all.At(1);
  SP_REMOVEDEVICE_PARAMS params = {};
  params.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
  params.ClassInstallHeader.InstallFunction = DIF_REMOVE;
  params.Scope = DI_REMOVEDEVICE_GLOBAL;
  ASSERT_TRUE(SetupDiSetClassInstallParamsW(all.devs(), &data, &params.ClassInstallHeader, sizeof params));
  ASSERT_TRUE(SetupDiCallClassInstaller(DIF_REMOVE, all.devs(), &data));
  sim::ClearCalls();
  EXPECT_EQ(gone, all.At(1)->DevInst);
  BYTE buffer[64];
  EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyW(all.devs(), all.At(1), SPDRP_HARDWAREID, nullptr, buffer,
                                                 sizeof buffer, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_NO_SUCH_DEVINST), GetLastError());
  // The log still names the removed device by its instance ID.
  EXPECT_EQ(std::vector<std::string>{"SetupDiGetDeviceRegistryPropertyW(ROOT\\GONE\\0000, 1, 64)"},
            sim::CallsTo("SetupDiGetDeviceRegistryPropertyW"));
  EXPECT_EQ("(failed)", InstanceId(gone));
}

TEST_F(SimDeviceLookup, WithoutTheLogCallsLeaveNoEntryButFaultsStillCountThem) {
  sim::FailCall("SetupDiCreateDeviceInfoList", ERROR_NOT_ENOUGH_MEMORY, 2);
  sim::KeepCallLog(false);
  HDEVINFO first = SetupDiCreateDeviceInfoList(nullptr, nullptr);
  EXPECT_NE(INVALID_HANDLE_VALUE, first);
  EXPECT_EQ(INVALID_HANDLE_VALUE, SetupDiCreateDeviceInfoList(nullptr, nullptr));  // the second call
  EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY), GetLastError());
  EXPECT_TRUE(sim::Calls().empty());
  sim::KeepCallLog(true);
  EXPECT_TRUE(SetupDiDestroyDeviceInfoList(first));
  EXPECT_EQ(std::vector<std::string>{"SetupDiDestroyDeviceInfoList()"}, sim::Calls());
}

TEST_F(SimDeviceLookup, ResetKeepsTheLogAgain) {
  sim::KeepCallLog(false);
  sim::Reset();
  HDEVINFO devs = SetupDiCreateDeviceInfoList(nullptr, nullptr);
  EXPECT_TRUE(SetupDiDestroyDeviceInfoList(devs));
  EXPECT_EQ(2u, sim::Calls().size());
}

}  // namespace
