#include "device_test_support.h"
#include "engine/engine.h"
#include "engine/message_ids.h"
#include "expected_message.h"
#include "packages/packages.h"

namespace {

const wchar_t kInf[] = L"C:\\work\\drivers\\sample.inf";
const wchar_t kHardwareId[] = L"ROOT\\PELMORA_SAMPLE";
const wchar_t kCreatedId[] = L"ROOT\\PELMORASAMPLE\\0000";

const char kSampleInf[] =
    "[Version]\r\n"
    "Signature = \"$Windows NT$\"\r\n"
    "Class     = PelmoraSample\r\n"
    "ClassGuid = {6f1c2a3e-8d4b-4c7a-9e21-5b0d3f7a9c41}\r\n"
    "\r\n"
    "[Manufacturer]\r\n"
    "%Provider% = Models\r\n"
    "\r\n"
    "[Models]\r\n"
    "%Device% = Install, ROOT\\PELMORA_SAMPLE\r\n"
    "\r\n"
    "[Strings]\r\n"
    "Provider = \"Pelmora Project\"\r\n"
    "Device   = \"Pelmora sample device\"\r\n";

class DeviceCreation : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    sim::AddFile(kInf, kSampleInf);
  }

  int Install(std::initializer_list<std::wstring> arguments, const wchar_t* machine = nullptr) {
    Args args(arguments);
    return InstallRootDevice(L"dummy.exe", machine, 0, args.argc(), args.argv());
  }

  static std::string Messages(bool updated = true) {
    std::string text = ExpectedMessage(MSG_DEVICE_CREATED) +
                       ExpectedMessage(MSG_UPDATING_DRIVERS, kHardwareId, kInf);
    return updated ? text + ExpectedMessage(MSG_DRIVERS_UPDATED) : text;
  }

  // Nothing created, nothing written, nothing left open.
  void ExpectNothingDone() {
    EXPECT_EQ("", sim::StdOut());
    EXPECT_TRUE(sim::DeviceIds().empty());
    EXPECT_TRUE(sim::DriverUpdates().empty());
  }
};

TEST_F(DeviceCreation, MisuseIsRefusedBeforeAnyCall) {
  for (auto* routine : {InstallRootDevice, UpdateDriverFromInf}) {
    Args two{kInf, kHardwareId};
    Args one{kInf};
    Args emptyPath{L"", kHardwareId};
    Args emptyId{kInf, L""};
    EXPECT_EQ(ENGINE_BAD_USAGE, routine(L"dummy.exe", L"PC7", 0, two.argc(), two.argv()));
    EXPECT_EQ(ENGINE_BAD_USAGE, routine(L"dummy.exe", nullptr, 0, one.argc(), one.argv()));
    EXPECT_EQ(ENGINE_BAD_USAGE, routine(L"dummy.exe", nullptr, 0, 0, nullptr));
    EXPECT_EQ(ENGINE_BAD_USAGE, routine(L"dummy.exe", nullptr, 0, emptyPath.argc(), emptyPath.argv()));
    EXPECT_EQ(ENGINE_BAD_USAGE, routine(L"dummy.exe", nullptr, 0, emptyId.argc(), emptyId.argv()));
  }
  EXPECT_TRUE(sim::Calls().empty());
  ExpectNothingDone();
}

TEST_F(DeviceCreation, CreatesRegistersAndInstallsWithForce) {
  sim::SetCurrentDirectory(L"C:\\work");
  EXPECT_EQ(ENGINE_DONE, Install({L"drivers\\sample.inf", kHardwareId, L"ignored"}));
  EXPECT_EQ(Messages(), sim::StdOut());
  EXPECT_EQ(std::vector<std::wstring>{kCreatedId}, sim::DeviceIds());
  EXPECT_TRUE(sim::DeviceRegistered(kCreatedId));
  EXPECT_EQ(sim::MultiSz({kHardwareId}).data, sim::DeviceProperty(kCreatedId, SPDRP_HARDWAREID).data);
  size_t listBytes = (std::wcslen(kHardwareId) + 2) * sizeof(WCHAR);
  EXPECT_EQ(std::vector<std::string>{"SetupDiSetDeviceRegistryPropertyW(ROOT\\PELMORASAMPLE\\0000, 1, " +
                                     std::to_string(listBytes) + ")"},
            sim::CallsTo("SetupDiSetDeviceRegistryPropertyW"));
  EXPECT_EQ(std::vector<std::string>{"SetupDiCreateDeviceInfoW(\"PelmoraSample\", "
                                     "{6F1C2A3E-8D4B-4C7A-9E21-5B0D3F7A9C41}, null, 0x1)"},
            sim::CallsTo("SetupDiCreateDeviceInfoW"));
  ASSERT_EQ(1u, sim::DriverUpdates().size());
  const sim::DriverUpdate& update = sim::DriverUpdates()[0];
  EXPECT_EQ(kHardwareId, update.hardwareId);
  EXPECT_EQ(kInf, update.infPath);
  EXPECT_EQ(static_cast<DWORD>(INSTALLFLAG_FORCE), update.installFlags);
  EXPECT_TRUE(update.rebootFlagCleared);
  EXPECT_EQ(1u, sim::CountCalls("FreeLibrary"));
  EXPECT_EQ(1u, sim::CountCalls("SetupDiDestroyDeviceInfoList"));
}

TEST_F(DeviceCreation, RestartRequiredByTheDriverUpdate) {
  sim::SetDriverUpdateOutcome(true, true);
  EXPECT_EQ(ENGINE_NEEDS_REBOOT, Install({kInf, kHardwareId}));
  EXPECT_EQ(Messages(), sim::StdOut());
}

TEST_F(DeviceCreation, ForceOptionMakesNoDifference) {
  for (bool force : {false, true}) {
    Args args = force ? Args{L"pelmora-engine.exe", L"-f", L"install", kInf, kHardwareId}
                      : Args{L"pelmora-engine.exe", L"INSTALL", kInf, kHardwareId};
    EXPECT_EQ(ENGINE_DONE, EngineRun(args.argc(), args.argv()));
  }
  ASSERT_EQ(2u, sim::DriverUpdates().size());
  EXPECT_EQ(static_cast<DWORD>(INSTALLFLAG_FORCE), sim::DriverUpdates()[0].installFlags);
  EXPECT_EQ(static_cast<DWORD>(INSTALLFLAG_FORCE), sim::DriverUpdates()[1].installFlags);
  // Each run makes a device of its own.
  EXPECT_EQ((std::vector<std::wstring>{kCreatedId, L"ROOT\\PELMORASAMPLE\\0001"}), sim::DeviceIds());
}

TEST_F(DeviceCreation, HardwareIdOf255IsTakenAnd256IsRefusedBeforeAnyDevice) {
  std::wstring longest = L"ROOT\\" + std::wstring(250, L'H');
  std::wstring tooLong = longest + L"H";
  EXPECT_EQ(ENGINE_FAILED, Install({kInf, tooLong}));
  EXPECT_EQ(0u, sim::CountCalls("SetupDiGetINFClassW"));
  ExpectNothingDone();
  sim::AddDevice(sim::Device(L"ROOT\\OTHER\\0000", L"System", {longest}));  // gives the update a device
  EXPECT_EQ(ENGINE_DONE, Install({kInf, longest}));
  EXPECT_EQ(sim::MultiSz({longest}).data, sim::DeviceProperty(kCreatedId, SPDRP_HARDWAREID).data);
}

TEST_F(DeviceCreation, InfPathOf259CharactersIsTakenAnd260Refused) {
  // C:\work\ and a name: the full path has exactly as many characters as asked.
  auto pathOf = [](size_t length) { return L"C:\\work\\" + std::wstring(length - 12, L'p') + L".inf"; };
  sim::AddFile(pathOf(259), kSampleInf);
  sim::AddFile(pathOf(260), kSampleInf);
  EXPECT_EQ(ENGINE_FAILED, Install({pathOf(260), kHardwareId}));
  ExpectNothingDone();
  EXPECT_EQ(ENGINE_DONE, Install({pathOf(259), kHardwareId}));
  EXPECT_EQ(std::vector<std::wstring>{kCreatedId}, sim::DeviceIds());
}

TEST_F(DeviceCreation, MissingInfFailsBeforeAnyDevice) {
  EXPECT_EQ(ENGINE_FAILED, Install({L"C:\\work\\none.inf", kHardwareId}));
  ExpectNothingDone();
  EXPECT_EQ(0u, sim::CountCalls("SetupDiCreateDeviceInfoList"));
}

TEST_F(DeviceCreation, EachFailureBeforeRegistrationLeavesNoDevice) {
  const std::pair<const char*, bool> failures[] = {
      {"GetFullPathNameW", false},           {"SetupDiGetINFClassW", false},
      {"SetupDiCreateDeviceInfoList", false}, {"SetupDiCreateDeviceInfoW", true},
      {"SetupDiSetDeviceRegistryPropertyW", true}, {"SetupDiCallClassInstaller", true},
  };
  for (const auto& failure : failures) {
    SCOPED_TRACE(failure.first);
    sim::Reset();
    sim::AddFile(kInf, kSampleInf);
    sim::FailCall(failure.first, ERROR_GEN_FAILURE);
    EXPECT_EQ(ENGINE_FAILED, Install({kInf, kHardwareId}));
    ExpectNothingDone();
    EXPECT_EQ(0, sim::OpenHandles()) << sim::OpenHandleReport();
    bool setMade = failure.second;
    EXPECT_EQ(setMade ? 1u : 0u, sim::CountCalls("SetupDiDestroyDeviceInfoList"));
  }
}

TEST_F(DeviceCreation, FailuresOfTheDriverUpdateKeepTheRegisteredDevice) {
  struct Case {
    const char* name;
    void (*arrange)();
    bool libraryLoaded;
    bool updateTried;
  };
  const Case cases[] = {
      {"file attributes", [] { sim::FailCall("GetFileAttributesW", ERROR_ACCESS_DENIED); }, false, false},
      {"no newdev.dll", [] { sim::RemoveLibrary(L"newdev.dll"); }, false, false},
      {"no export", [] { sim::RemoveExport(L"newdev.dll", "UpdateDriverForPlugAndPlayDevicesW"); }, true, false},
      {"update fails", [] { sim::SetDriverUpdateOutcome(false, false, ERROR_NO_COMPAT_DRIVERS); }, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sim::Reset();
    sim::AddFile(kInf, kSampleInf);
    c.arrange();
    EXPECT_EQ(ENGINE_FAILED, Install({kInf, kHardwareId}));
    std::string expected = c.updateTried ? Messages(false) : ExpectedMessage(MSG_DEVICE_CREATED);
    EXPECT_EQ(expected, sim::StdOut());
    EXPECT_TRUE(sim::DeviceRegistered(kCreatedId));
    EXPECT_EQ(c.updateTried ? 1u : 0u, sim::DriverUpdates().size());
    EXPECT_EQ(c.libraryLoaded ? 1u : 0u, sim::CountCalls("FreeLibrary"));
    EXPECT_EQ(0, sim::OpenHandles()) << sim::OpenHandleReport();
  }
}

TEST_F(DeviceCreation, UpdateAloneChecksTheFileFirst) {
  Args args{L"C:\\work\\none.inf", kHardwareId};
  EXPECT_EQ(ENGINE_FAILED, UpdateDriverFromInf(L"dummy.exe", nullptr, 0, args.argc(), args.argv()));
  EXPECT_EQ(0u, sim::CountCalls("LoadLibraryW"));
  EXPECT_EQ("", sim::StdOut());
}

TEST_F(DeviceCreation, ClassNameLongerThanItsBufferFails) {
  std::string inf = kSampleInf;
  inf.replace(inf.find("PelmoraSample"), 13, std::string(32, 'C'));
  sim::AddFile(kInf, inf);
  EXPECT_EQ(ENGINE_FAILED, Install({kInf, kHardwareId}));
  ExpectNothingDone();
}

TEST_F(DeviceCreation, CreatedDeviceIsListedAndRemovedLikeAnyOther) {
  EXPECT_EQ(ENGINE_DONE, Install({kInf, kHardwareId}));
  sim::ClearOutput();
  Args findall{L"pelmora-engine.exe", L"findall", L"root\\pelmora_sample"};
  EXPECT_EQ(ENGINE_DONE, EngineRun(findall.argc(), findall.argv()));
  EXPECT_EQ("ROOT\\PELMORASAMPLE\\0000\n" + ExpectedMessage(MSG_FINDALL_COUNT, 1u, nullptr), sim::StdOut());
  sim::ClearOutput();
  EXPECT_EQ(0, RemoveDevicesAndPackages(L"ROOT\\PELMORA_SAMPLE|"));
  EXPECT_TRUE(sim::DeviceIds().empty());
}

}  // namespace
