// "install <inf> <hardware ID>": a new root-enumerated device of the INF's
// class with that ID, and its driver installed from the INF.
#include "device_test_support.h"
#include "engine/engine.h"
#include "expected_message.h"

namespace {

const wchar_t kInf[] = L"C:\\work\\drivers\\sample.inf";
const wchar_t kId[] = L"ROOT\\PELMORA_SAMPLE";
const wchar_t kCreated[] = L"ROOT\\PELMORASAMPLE\\0000";

std::string SampleInf(const std::string& className = "PelmoraSample") {
  return "[Version]\r\nSignature = \"$Windows NT$\"\r\nClass = " + className +
         "\r\nClassGuid = {6f1c2a3e-8d4b-4c7a-9e21-5b0d3f7a9c41}\r\n[Models]\r\n%D% = Install, ROOT\\PELMORA_SAMPLE\r\n"
         "[Strings]\r\nD = \"Pelmora sample device\"\r\n";
}

// A path of C:\work\ and a name, `length` characters in all.
std::wstring PathOf(size_t length) { return L"C:\\work\\" + std::wstring(length - 12, L'p') + L".inf"; }

class DeviceCreation : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    sim::AddFile(kInf, SampleInf());
  }
  static int Install(const std::wstring& inf, const std::wstring& id) {
    Args args{L"x.exe", L"install", inf, id};
    return EngineRun(args.argc(), args.argv());
  }
  static std::string Updating(const std::wstring& id = kId, const std::wstring& inf = kInf) {
    return ExpectedMessage(61102, id.c_str(), inf.c_str());
  }
};

TEST_F(DeviceCreation, MisuseIsRefusedBeforeAnyCall) {
  const struct {
    const wchar_t* machine;
    Args args;
  } rows[] = {
      {L"PC7", {kInf, kId}}, {nullptr, {kInf}}, {nullptr, {}}, {nullptr, {L"", kId}}, {nullptr, {kInf, L""}},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(3, InstallRootDevice(L"x.exe", row.machine, 0, row.args.argc(), row.args.argv()));
    EXPECT_EQ(3, UpdateDriverFromInf(L"x.exe", row.machine, 0, row.args.argc(), row.args.argv()));
  }
  EXPECT_TRUE(sim::Calls().empty());
  EXPECT_EQ("", sim::StdOut());
}

TEST_F(DeviceCreation, CreatesRegistersAndInstallsWithForce) {
  sim::SetCurrentDirectory(L"C:\\work");
  Args args{L"x.exe", L"-f", L"INSTALL", L"drivers\\sample.inf", kId, L"more"};
  EXPECT_EQ(0, EngineRun(args.argc(), args.argv()));
  EXPECT_EQ(ExpectedMessage(61002) + Updating() + ExpectedMessage(61106), sim::StdOut());
  EXPECT_TRUE(sim::DeviceRegistered(kCreated));
  EXPECT_EQ(sim::MultiSz({kId}).data, sim::DeviceProperty(kCreated, SPDRP_HARDWAREID).data);
  ASSERT_EQ(1u, sim::DriverUpdates().size());
  EXPECT_EQ(kId, sim::DriverUpdates()[0].hardwareId);
  EXPECT_EQ(kInf, sim::DriverUpdates()[0].infPath);
  EXPECT_EQ(1u, sim::DriverUpdates()[0].installFlags);  // forced
  // A device per run; the longest path and ID are taken; the update's restart is passed on.
  std::wstring longestId = L"ROOT\\" + std::wstring(250, L'H');
  sim::AddFile(PathOf(259), SampleInf());
  sim::SetDriverUpdateOutcome(true, true);
  sim::ClearOutput();
  EXPECT_EQ(1, Install(PathOf(259), longestId));
  EXPECT_EQ(ExpectedMessage(61002) + Updating(longestId, PathOf(259)) + ExpectedMessage(61106), sim::StdOut());
  EXPECT_EQ((std::vector<std::wstring>{kCreated, L"ROOT\\PELMORASAMPLE\\0001"}), sim::DeviceIds());
  EXPECT_EQ(sim::MultiSz({longestId}).data, sim::DeviceProperty(L"ROOT\\PELMORASAMPLE\\0001", SPDRP_HARDWAREID).data);
}

TEST_F(DeviceCreation, NothingIsCreatedWhenAStepBeforeRegistrationFails) {
  const struct {
    const char* name;
    std::wstring inf;
    std::wstring id;
    const char* failing;
    bool infRead;
  } rows[] = {
      {"path of 260 characters", PathOf(260), kId, "", false},
      {"full path fails", kInf, kId, "GetFullPathNameW", false},
      {"ID of 256 characters", kInf, L"ROOT\\" + std::wstring(251, L'H'), "", false},
      {"no such INF", L"C:\\work\\none.inf", kId, "", true},
      {"class name too long", L"C:\\work\\long.inf", kId, "", true},
      {"class unreadable", kInf, kId, "SetupDiGetINFClassW", true},
      {"no set", kInf, kId, "SetupDiCreateDeviceInfoList", true},
      {"no device", kInf, kId, "SetupDiCreateDeviceInfoW", true},
      {"ID not set", kInf, kId, "SetupDiSetDeviceRegistryPropertyW", true},
      {"not registered", kInf, kId, "SetupDiCallClassInstaller", true},
  };
  for (const auto& row : rows) {
    sim::Reset();
    sim::AddFile(kInf, SampleInf());
    sim::AddFile(PathOf(260), SampleInf());
    sim::AddFile(L"C:\\work\\long.inf", SampleInf(std::string(32, 'C')));
    if (*row.failing) sim::FailCall(row.failing, ERROR_GEN_FAILURE);
    EXPECT_EQ(2, Install(row.inf, row.id)) << row.name;
    EXPECT_EQ(row.infRead, sim::CountCalls("SetupDiGetINFClassW") == 1) << row.name;
    EXPECT_TRUE(sim::DeviceIds().empty()) << row.name;
    EXPECT_TRUE(sim::DriverUpdates().empty()) << row.name;
    EXPECT_EQ("", sim::StdOut()) << row.name;
    EXPECT_EQ(0, sim::OpenHandles()) << row.name << sim::OpenHandleReport();
  }
}

TEST_F(DeviceCreation, FailedDriverUpdateKeepsTheRegisteredDevice) {
  const struct {
    const char* name;
    void (*arrange)();
    bool updateTried;
  } rows[] = {
      {"file attributes", [] { sim::FailCall("GetFileAttributesW", ERROR_ACCESS_DENIED); }, false},
      {"no newdev.dll", [] { sim::RemoveLibrary(L"newdev.dll"); }, false},
      {"no export", [] { sim::RemoveExport(L"newdev.dll", "UpdateDriverForPlugAndPlayDevicesW"); }, false},
      {"update fails", [] { sim::SetDriverUpdateOutcome(false, false, ERROR_NO_COMPAT_DRIVERS); }, true},
  };
  for (const auto& row : rows) {
    sim::Reset();
    sim::AddFile(kInf, SampleInf());
    row.arrange();
    EXPECT_EQ(2, Install(kInf, kId)) << row.name;
    EXPECT_EQ(ExpectedMessage(61002) + (row.updateTried ? Updating() : ""), sim::StdOut()) << row.name;
    EXPECT_EQ(ExpectedMessage(60001, L"x.exe", L"install"), sim::StdErr()) << row.name;
    EXPECT_TRUE(sim::DeviceRegistered(kCreated)) << row.name;
    EXPECT_EQ(0, sim::OpenHandles()) << row.name << sim::OpenHandleReport();
  }
}

}  // namespace
