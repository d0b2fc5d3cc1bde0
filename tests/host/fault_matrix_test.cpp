// Every platform call of every command, failing in turn.
//
// Each scenario is run once to record the calls it makes, then once more per
// recorded call with that call failing, for each error the call can really
// give. Every rerun must end with a result the command allows, nothing open,
// no output line beyond what the command writes on its failure paths, and,
// for "remove", no package deleted while a selected device is still there,
// and for every command, no package deleted that a present device is
// installed from.
#include <algorithm>
#include <iostream>
#include <map>
#include <regex>
#include <sstream>

#include "fault_matrix.h"
#include "platform/sim/sim_devices.h"
#include "sim_test.h"

namespace {

const std::map<std::string, std::vector<unsigned long>> kErrors = {
    // Releasing calls fail only on a handle the program never had.
    {"CloseHandle", {}}, {"FindClose", {}}, {"FreeLibrary", {}}, {"LocalFree", {}},
    {"SetupDiDestroyDeviceInfoList", {}}, {"SetupCloseInfFile", {}},
    {"GetVersionExW", {ERROR_INSUFFICIENT_BUFFER}},
    {"CM_Locate_DevNodeW", {CR_NO_SUCH_DEVNODE, CR_FAILURE, CR_ACCESS_DENIED}},
    {"CM_Reenumerate_DevNode", {CR_FAILURE, CR_ACCESS_DENIED, CR_INVALID_DEVNODE}},
    {"CM_Get_Device_ID_ExW", {CR_INVALID_DEVNODE, CR_BUFFER_SMALL, CR_REMOTE_COMM_FAILURE}},
    {"GetFullPathNameW", {ERROR_FILENAME_EXCED_RANGE, ERROR_INVALID_NAME}},
    {"GetFileAttributesW", {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED}},
    {"FindFirstFileW", {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED}},
    {"FindNextFileW", {ERROR_NO_MORE_FILES, ERROR_ACCESS_DENIED}},
    {"SetupCopyOEMInfW", {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_WRONG_INF_STYLE}},
    {"GetSystemDirectoryW", {ERROR_NOT_ENOUGH_MEMORY}}, {"GetSystemWindowsDirectoryW", {ERROR_NOT_ENOUGH_MEMORY}},
    {"SetupDiOpenDevRegKey", {ERROR_KEY_DOES_NOT_EXIST, ERROR_ACCESS_DENIED, ERROR_INVALID_FLAGS}},
    {"RegQueryValueExW", {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_MORE_DATA}}, {"RegCloseKey", {}},
    {"CM_Get_Device_IDW", {CR_INVALID_DEVNODE, CR_BUFFER_SMALL}}, {"GetModuleFileNameW", {ERROR_INSUFFICIENT_BUFFER}},
    {"LoadLibraryW", {ERROR_MOD_NOT_FOUND, ERROR_NOT_ENOUGH_MEMORY}}, {"GetProcAddress", {ERROR_PROC_NOT_FOUND}},
    {"SetupUninstallOEMInfW", {ERROR_INF_IN_USE_BY_DEVICES, ERROR_NOT_AN_INSTALLED_OEM_INF, ERROR_ACCESS_DENIED}},
    {"FormatMessageW", {ERROR_MR_MID_NOT_FOUND, ERROR_NOT_ENOUGH_MEMORY}},
    {"CreateProcessW", {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_BAD_EXE_FORMAT}},
    {"WaitForSingleObject", {ERROR_INVALID_HANDLE}}, {"GetExitCodeProcess", {ERROR_INVALID_HANDLE}}, {"OpenProcessToken", {ERROR_ACCESS_DENIED}},
    {"LookupPrivilegeValueW", {1313 /* ERROR_NO_SUCH_PRIVILEGE */}}, {"AdjustTokenPrivileges", {ERROR_ACCESS_DENIED}},
    {"InitiateSystemShutdownExW", {ERROR_PRIVILEGE_NOT_HELD, 1115 /* ERROR_SHUTDOWN_IN_PROGRESS */}},
    {"SetupDiClassGuidsFromNameExW", {ERROR_INVALID_MACHINENAME, ERROR_NOT_ENOUGH_MEMORY}},
    {"SetupDiGetClassDevsExW", {ERROR_INVALID_MACHINENAME, ERROR_ACCESS_DENIED}},
    {"SetupDiCreateDeviceInfoListExW", {ERROR_INVALID_MACHINENAME, ERROR_NOT_ENOUGH_MEMORY}},
    {"SetupDiCreateDeviceInfoList", {ERROR_INVALID_CLASS, ERROR_NOT_ENOUGH_MEMORY}},
    {"SetupDiOpenDeviceInfoW", {ERROR_NO_SUCH_DEVINST, ERROR_CLASS_MISMATCH}},
    {"SetupDiEnumDeviceInfo", {ERROR_NO_MORE_ITEMS, ERROR_INVALID_HANDLE}},
    {"SetupDiGetDeviceInfoListDetailW", {ERROR_INVALID_USER_BUFFER, ERROR_INVALID_HANDLE}},
    {"SetupDiGetDeviceRegistryPropertyW", {ERROR_INVALID_DATA, ERROR_NO_SUCH_DEVINST}},
    {"SetupDiSetDeviceRegistryPropertyW", {ERROR_INVALID_REG_PROPERTY, ERROR_ACCESS_DENIED}},
    {"SetupDiSetClassInstallParamsW", {ERROR_INVALID_PARAMETER, ERROR_INVALID_USER_BUFFER}},
    {"SetupDiCallClassInstaller", {ERROR_ACCESS_DENIED, ERROR_NO_SUCH_DEVINST, ERROR_DI_DO_DEFAULT}},
    {"SetupDiGetDeviceInstallParamsW", {ERROR_INVALID_USER_BUFFER}},
    {"SetupDiGetINFClassW", {ERROR_FILE_NOT_FOUND, ERROR_INVALID_CLASS}},
    {"SetupDiCreateDeviceInfoW", {ERROR_DEVINST_ALREADY_EXISTS, ERROR_INVALID_CLASS}},
    {"UpdateDriverForPlugAndPlayDevicesW", {ERROR_NO_SUCH_DEVINST, ERROR_FILE_NOT_FOUND}},
    {"SetupGetInfFileListW", {ERROR_PATH_NOT_FOUND, ERROR_NOT_ENOUGH_MEMORY}},
    {"SetupOpenInfFileW", {ERROR_FILE_NOT_FOUND, ERROR_WRONG_INF_STYLE}},
    {"SetupEnumInfSectionsW", {ERROR_NO_MORE_ITEMS, ERROR_INSUFFICIENT_BUFFER, ERROR_INVALID_HANDLE}},
    {"SetupFindFirstLineW", {ERROR_LINE_NOT_FOUND}}, {"SetupFindNextLine", {ERROR_LINE_NOT_FOUND}},
    {"SetupGetLineTextW", {ERROR_INSUFFICIENT_BUFFER, ERROR_INVALID_PARAMETER}},
};

struct Outcome {
  int result;
  std::vector<std::string> calls;
  std::vector<std::string> lines;  // standard output, then standard error
  bool packageDeleted = false;     // an OEM package the arranged machine had is gone
  bool devicePresent = false;      // a selected device is still there
  bool deviceLeft = false;         // ... and not waiting for a restart
  int packagesInUse = 0;           // OEM packages present devices are installed from
  bool packageInUseDeleted = false;  // ... of which one is gone
};

// One run on a freshly arranged machine, with `failing` (when not empty)
// failing on its nth call with `error`.
Outcome RunOnce(const FaultScenario& scenario, const std::string& failing = "", int nth = 0, unsigned long error = 0) {
  sim::Reset();
  scenario.arrange();
  std::vector<std::wstring> infFiles = sim::ListDirectory(sim::kInfDirectory);
  sim::ClearCalls();
  sim::ClearOutput();
  if (!failing.empty()) sim::FailCall(failing, error, nth);
  Outcome outcome{scenario.act(), sim::Calls(), {}};
  std::istringstream output(sim::StdOut() + sim::StdErr());
  for (std::string line; std::getline(output, line);) outcome.lines.push_back(line);
  for (const std::wstring& name : infFiles) {
    bool oem = name.size() > 3 && (name[0] | 0x20) == L'o' && (name[1] | 0x20) == L'e' && (name[2] | 0x20) == L'm';
    outcome.packageDeleted |= oem && !sim::FileExists(std::wstring(sim::kInfDirectory) + L"\\" + name);
  }
  for (const std::wstring& name : sim::PackagesOfPresentDevices()) {
    if (std::find(infFiles.begin(), infFiles.end(), name) == infFiles.end()) continue;
    ++outcome.packagesInUse;
    outcome.packageInUseDeleted |= !sim::FileExists(std::wstring(sim::kInfDirectory) + L"\\" + name);
  }
  for (const std::wstring& id : scenario.matched) {
    outcome.devicePresent |= sim::DeviceExists(id);
    outcome.deviceLeft |= sim::DeviceExists(id) && !sim::DeviceRemovalPending(id);
  }
  return outcome;
}

// Faults after which the platform itself shows a device as not selected:
// its ID lists read as absent, or the walk told that the devices ended.
bool HidesDevices(const std::string& call, unsigned long error) {
  return (call == "SetupDiGetDeviceRegistryPropertyW" || call == "SetupDiEnumDeviceInfo") &&
         (error == ERROR_INVALID_DATA || error == ERROR_NO_MORE_ITEMS);
}

// Faults after which the platform itself shows a device as installed from
// no package.
bool HidesPackage(const std::string& call, unsigned long error) {
  return (call == "SetupDiOpenDevRegKey" && error == ERROR_KEY_DOES_NOT_EXIST) ||
         (call == "RegQueryValueExW" && error == ERROR_FILE_NOT_FOUND);
}

class FaultMatrix : public SimTest {};

TEST_F(FaultMatrix, EveryCallOfEveryCommandFailingInTurn) {
  int failurePoints = 0;
  int removalsChecked = 0;
  int packagesInUseChecked = 0;
  std::set<std::string> unknownCalls;
  for (const FaultScenario& scenario : FaultScenarios()) {
    Outcome baseline = RunOnce(scenario);
    ASSERT_EQ(0, sim::OpenHandles()) << scenario.name << ": baseline left open " << sim::OpenHandleReport();
    ASSERT_TRUE(scenario.allowedResults.count(baseline.result)) << scenario.name << ": baseline " << baseline.result;
    ASSERT_FALSE(baseline.calls.empty()) << scenario.name;
    EXPECT_FALSE(baseline.packageInUseDeleted) << scenario.name << ": the package of a present device deleted";
    std::set<std::string> seen(baseline.lines.begin(), baseline.lines.end());
    std::vector<std::regex> patterns(scenario.failureLines.begin(), scenario.failureLines.end());
    std::map<std::string, int> occurrences;
    for (const std::string& logged : baseline.calls) {
      std::string name = logged.substr(0, logged.find('('));
      int nth = ++occurrences[name];
      if (!kErrors.count(name)) unknownCalls.insert(name);
      for (unsigned long error : kErrors.count(name) ? kErrors.at(name) : std::vector<unsigned long>{}) {
        ++failurePoints;
        Outcome failed = RunOnce(scenario, name, nth, error);
        std::string where = scenario.name + ": " + name + " #" + std::to_string(nth) + " failing with " +
                            std::to_string(error);
        EXPECT_TRUE(scenario.allowedResults.count(failed.result)) << where << " gave " << failed.result;
        if (!HidesPackage(name, error)) {
          packagesInUseChecked += failed.packagesInUse;
          EXPECT_FALSE(failed.packageInUseDeleted) << where << ": the package of a present device deleted";
        }
        EXPECT_EQ(0, sim::OpenHandles()) << where << " left open " << sim::OpenHandleReport();
        for (const std::string& line : failed.lines) {
          auto matches = [&line](const std::regex& pattern) { return std::regex_match(line, pattern); };
          EXPECT_TRUE(seen.count(line) || std::any_of(patterns.begin(), patterns.end(), matches))
              << where << " wrote: " << line;
        }
        if (scenario.matched.empty() || HidesDevices(name, error)) continue;
        ++removalsChecked;
        EXPECT_FALSE(failed.packageDeleted && failed.devicePresent) << where << ": package deleted, device kept";
        EXPECT_FALSE(failed.result == 0 && failed.deviceLeft) << where << ": 0 with a device still there";
      }
    }
  }
  EXPECT_TRUE(unknownCalls.empty()) << "calls without an error list: " << ::testing::PrintToString(unknownCalls);
  std::cout << "fault matrix: " << FaultScenarios().size() << " scenarios, " << failurePoints << " failure points, "
            << removalsChecked << " of them removals held to what they leave behind, " << packagesInUseChecked
            << " checks that no package of a present device was deleted\n";
  EXPECT_GT(failurePoints, static_cast<int>(FaultScenarios().size()));
  EXPECT_GT(removalsChecked, 100);
  EXPECT_GT(packagesInUseChecked, 100);
}

}  // namespace
