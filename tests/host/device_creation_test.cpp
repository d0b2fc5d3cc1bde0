// "install <inf> <hardware ID>": a new root-enumerated device of the INF's
// class with that ID, and its driver installed from the INF.
#include "engine/engine.h"
#include "expected_message.h"
#include "platform/sim/sim_devices.h"
#include "sim_test.h"

namespace {

const wchar_t kInf[] = L"C:\\work\\drivers\\sample.inf";
const wchar_t kId[] = L"ROOT\\PELMORA_SAMPLE";
const wchar_t kCreated[] = L"ROOT\\PELMORASAMPLE\\0000";

std::string SampleInf(const std::string& className = "PelmoraSample") {
  return "[Version]\r\nSignature = \"$Windows NT$\"\r\nClass = " + className +
         "\r\nClassGuid = {6f1c2a3e-8d4b-4c7a-9e21-5b0d3f7a9c41}\r\n[Manufacturer]\r\nP = Models\r\n[Models]\r\n%D% = Install, ROOT\\PELMORA_SAMPLE\r\n"
         "[Strings]\r\nD = \"Pelmora sample device\"\r\n";
}

std::wstring PathOf(size_t length) { return L"C:\\work\\" + std::wstring(length - 12, L'p') + L".inf"; }

class DeviceCreation : public SimTest {
 protected:
  void SetUp() override {  // also a fresh machine for each row of a table
    SimTest::SetUp();
    sim::AddFile(kInf, SampleInf());
  }
  static int Install(const std::wstring& inf, const std::wstring& id, const std::wstring& option = L"-f") {
    return EngineRun(5, Args{L"x.exe", option, L"install", inf, id}.argv());
  }
};

TEST_F(DeviceCreation, CreatesRegistersAndInstallsWithForce) {
  sim::SetCurrentDirectory(L"C:\\work");
  EXPECT_EQ(0, EngineRun(6, Args{L"x.exe", L"-f", L"INSTALL", L"drivers\\sample.inf", kId, L"more"}.argv()));
  EXPECT_TRUE(sim::DriverUpdates().size() == 1 && sim::DriverUpdates()[0].installFlags == 1);  // forced
  // A device per run; the longest path and ID are taken; the update's restart is passed on.
  std::wstring longestId = L"ROOT\\" + std::wstring(250, L'H');
  sim::AddFile(PathOf(259), SampleInf());
  sim::SetDriverUpdateOutcome(true, true);
  EXPECT_EQ(1, Install(PathOf(259), longestId));
  EXPECT_EQ(ExpectedMessage(MSG_DEVICE_CREATED) + ExpectedMessage(MSG_UPDATING_DRIVERS, kId, kInf) + ExpectedMessage(MSG_DRIVERS_UPDATED) +
                ExpectedMessage(MSG_DEVICE_CREATED) + ExpectedMessage(MSG_UPDATING_DRIVERS, longestId.c_str(), PathOf(259).c_str()) +
                ExpectedMessage(MSG_DRIVERS_UPDATED), sim::StdOut());
  EXPECT_EQ((std::vector<std::wstring>{kCreated, L"ROOT\\PELMORASAMPLE\\0001"}), sim::DeviceIds());
  EXPECT_EQ(sim::MultiSz({longestId}).data, sim::DeviceProperty(L"ROOT\\PELMORASAMPLE\\0001", SPDRP_HARDWAREID).data);
}

// Misuse (3) is refused at once; a path of 260 characters, an ID of 256, a class name too long... fail (2).
TEST_F(DeviceCreation, NothingIsCreatedWhenAStepBeforeRegistrationFails) {
  const struct {
    std::wstring inf, id, option;
    const char* failing;
    int code, steps;  // steps: 0 refused at once, 1 failed before the INF is read, 2 after
  } rows[] = {
      {kInf, kId, L"-m:PC7", "", 3, 0}, {L"", kId, L"-f", "", 3, 0}, {kInf, L"", L"-f", "", 3, 0},
      {PathOf(260), kId, L"-f", "", 2, 1}, {kInf, kId, L"-f", "GetFullPathNameW", 2, 1},
      {kInf, L"ROOT\\" + std::wstring(251, L'H'), L"-f", "", 2, 1}, {L"C:\\work\\none.inf", kId, L"-f", "", 2, 2},
      {L"C:\\work\\long.inf", kId, L"-f", "", 2, 2}, {kInf, kId, L"-f", "SetupDiCallClassInstaller", 2, 2},
  };
  for (const auto& row : rows) {
    SetUp();
    sim::AddFile(PathOf(260), SampleInf());
    sim::AddFile(L"C:\\work\\long.inf", SampleInf(std::string(32, 'C')));  // a class name too long
    if (*row.failing) sim::FailCall(row.failing, ERROR_GEN_FAILURE);
    EXPECT_EQ(row.code, Install(row.inf, row.id, row.option)) << sim::Utf8(row.inf);
    EXPECT_EQ(row.steps, sim::CountCalls("GetFullPathNameW") + sim::CountCalls("SetupDiGetINFClassW"));
    EXPECT_TRUE(sim::DeviceIds().empty() && sim::DriverUpdates().empty() && sim::StdOut().empty() &&
                sim::OpenHandles() == 0) << sim::OpenHandleReport();
  }
  EXPECT_EQ(3, EngineRun(3, Args{L"x.exe", L"install", kInf}.argv()));
}

TEST_F(DeviceCreation, FailedDriverUpdateKeepsTheRegisteredDevice) {
  const std::string updating = ExpectedMessage(MSG_UPDATING_DRIVERS, kId, kInf);
  void (*const arrangements[])() = {
      [] { sim::FailCall("GetFileAttributesW", ERROR_ACCESS_DENIED); }, [] { sim::RemoveLibrary(L"newdev.dll"); },
      [] { sim::RemoveExport(L"newdev.dll", "UpdateDriverForPlugAndPlayDevicesW"); },
      [] { sim::SetDriverUpdateOutcome(false, false, ERROR_NO_COMPAT_DRIVERS); },  // the update is tried
  };
  for (auto arrange : arrangements) {
    SetUp();
    arrange();
    EXPECT_EQ(2, Install(kInf, kId));
    EXPECT_EQ(ExpectedMessage(MSG_DEVICE_CREATED) + (arrange == arrangements[3] ? updating : ""), sim::StdOut());
    EXPECT_EQ(ExpectedMessage(MSG_COMMAND_FAILED, L"x.exe", L"install"), sim::StdErr());
    EXPECT_TRUE(sim::DeviceRegistered(kCreated) && sim::OpenHandles() == 0) << sim::OpenHandleReport();
  }
}

}  // namespace
