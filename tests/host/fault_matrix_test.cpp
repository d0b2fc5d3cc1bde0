// Every platform call of every command, failing in turn.
//
// Each scenario runs once undisturbed, recording the calls it makes, then once
// more per recorded call with that call failing, for each error the call can
// really give. Every run must end with a result the command allows, nothing
// open, no package deleted that a present device is installed from, and for
// "remove", none while a selected device is still there: a scenario that breaks
// one undisturbed stops the matrix. A rerun writes no output line beyond what
// the command writes on its failure paths. PELMORA_FAULT_SCENARIO=<name> runs one.
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "engine/engine.h"
#include "expected_message.h"
#include "frontend/frontend.h"
#include "platform/sim/sim_devices.h"
#include "platform/sim/sim_process.h"
#include "platform/sim/sim_store.h"
#include "sim_test.h"

namespace {

// The scenarios of the fault matrix: one command on one arranged machine,
// with what the command may answer and write when a platform call fails.
struct FaultScenario {
  std::string name;
  std::function<void()> arrange;  // builds the machine; makes no platform call
  std::function<int()> act;       // runs the command; its result or exit code
  std::set<int> allowedResults;
  // Output lines (regular expressions) the failure paths may write besides
  // what the undisturbed run writes.
  std::vector<std::string> failureLines;
  // For "remove": the devices the pattern selects. None may be left behind
  // by a result of 0, nor present while an OEM package was deleted.
  std::vector<std::wstring> matched = {};
  // The pattern selects every device with an ID: one of them must remain.
  bool everyDevice = false;
};

const std::string kValidInf =
    "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Sample\r\n"
    "ClassGuid={6D1F2E0A-3C84-4B7A-9E51-0B2F7C3D4A01}\r\nProvider=Pelmora\r\n"
    "[Manufacturer]\r\nPelmora=Models\r\n[Models]\r\nSample=Install,ROOT\\PELMORA_SAMPLE\r\n";
const std::string kSampleInf = kValidInf + "[Install]\r\nAddReg=Keys\r\n[Keys]\r\nHKR,,Tag,,\"PELMORA_SAMPLE\"\r\n";

// The lines of composed messages, as patterns; a text insert "@@" or a
// number insert 12345 stands for `wildcard`.
std::vector<std::string> Patterns(std::initializer_list<std::string> messages, const std::string& wildcard = "") {
  static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
  std::vector<std::string> patterns;
  for (const std::string& message : messages) {
    std::istringstream in(message);
    for (std::string line; std::getline(in, line);) {
      std::string pattern = std::regex_replace(line, special, R"(\$&)");
      for (const std::string placeholder : {"@@", "12345"}) {
        for (size_t at = pattern.find(placeholder); at != std::string::npos; at = pattern.find(placeholder, at + 1)) {
          pattern.replace(at, placeholder.size(), "(?:" + wildcard + ")");
        }
      }
      patterns.push_back(pattern);
    }
  }
  return patterns;
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// The front end when the program is pelmora.exe, the engine otherwise.
std::function<int()> Command(std::initializer_list<std::wstring> items) {
  auto args = std::make_shared<Args>(items);
  const bool frontEnd = *items.begin() == L"pelmora.exe";
  return [args, frontEnd] {
    return frontEnd ? RunFrontEnd(args->argc(), args->argv()) : EngineRun(args->argc(), args->argv());
  };
}

void ArrangePackageInUse() {
  sim::AddFile(InInfDirectory(L"oem3.inf"), kValidInf);
  sim::MarkPackageInUse(L"oem3.inf");
}

// A small machine: devices of three classes, one of them away, one named
// oddly, two carrying the sample's hardware ID; OEM packages of which two
// mention the sample.
std::function<void()> Devices(sim::Removal sampleRemoval) {
  return [sampleRemoval] {
    sim::DeviceSpec first = sim::Device(L"ROOT\\PELMORA_SAMPLE\\0000", L"Sample", {L"ROOT\\PELMORA_SAMPLE"});
    sim::SetProperty(first, SPDRP_FRIENDLYNAME, sim::Sz(L"Sample device 100%"));
    first.hasDriverKey = true;
    first.infPath = L"oem0.inf";
    sim::AddDevice(first);
    sim::DeviceSpec second =
        sim::Device(L"ROOT\\PELMORA_SAMPLE\\0001", L"Sample", {L"ROOT\\OTHER"}, {L"ROOT\\PELMORA_SAMPLE"});
    second.removal = sampleRemoval;
    sim::SetProperty(second, SPDRP_DEVICEDESC, sim::Sz(L"Sensor \u03A9"));
    sim::AddDevice(second);
    sim::DeviceSpec network = sim::Device(L"PCI\\VEN_8086&DEV_100E\\3&1", L"Net", {L"PCI\\VEN_8086&DEV_100E"});
    network.present = false;
    network.hasDriverKey = true;
    network.infPath = L"OEM2.inf";  // a phantom's package is deleted all the same
    sim::AddDevice(network);
    sim::DeviceSpec hub = sim::Device(L"USB\\VID_1234&PID_0001\\5", L"USB", {});
    hub.hasDriverKey = true;
    hub.infPath = L"OEM1.INF";  // present, not selected: its package stays
    sim::AddDevice(hub);
    sim::AddFile(InInfDirectory(L"oem0.inf"), kSampleInf);
    sim::AddFile(InInfDirectory(L"oem1.inf"), kValidInf);
    sim::AddFile(InInfDirectory(L"OEM2.inf"), kSampleInf + "[More]\r\nPELMORA_SAMPLE\r\n");
    sim::AddFile(InInfDirectory(L"machine.inf"), kSampleInf);
  };
}

// Device lines: an instance ID (or "?"), padded, a colon and a name or label;
// or the ID alone when the device has no name.
const char kDeviceLine[] = R"((\?|[A-Z]+\\\S+)( *: .*)?| {60}: Remove failed)";

std::vector<FaultScenario> BuildScenarios() {
  const auto failed = [](const wchar_t* command) {
    return Patterns({ExpectedMessage(MSG_COMMAND_FAILED, L"@@", command)}, R"(dummy\.exe|pelmora\.exe)");
  };
  const std::vector<std::string> dpAddFailures =
      Join({Patterns({ExpectedMessage(MSG_DP_ADD_BAD_PATH, L"@@", L"@@"), ExpectedMessage(MSG_DP_ADD_FAILED, L"@@", L"@@")}, ".*"),
            Patterns({ExpectedMessage(MSG_DP_ADDED, L"@@")}, R"(oem\d+\.inf)"), failed(L"dp_add")});
  // The system's code, and its text when it has one.
  const std::string reason = "0x[0-9A-F]{8}( .+)?";
  const std::vector<std::string> dpDeleteFailures =
      Join({Patterns({ExpectedMessage(MSG_DP_DELETE_FAILED, L"@@")}, reason),
            Patterns({ExpectedMessage(MSG_DP_IN_USE), ExpectedMessage(MSG_DP_NOT_OEM)}), failed(L"dp_delete")});
  const auto drivers = [] {
    sim::AddFile(L"C:\\drivers\\a.inf", kValidInf);
    sim::AddFile(L"C:\\drivers\\b.inf", kValidInf + "; second\r\n");
    sim::AddFile(L"C:\\drivers\\empty.inf", "");
  };
  const auto relative = [] {
    sim::AddFile(L"C:\\work\\pkg\\x.inf", kValidInf);
    sim::SetCurrentDirectory(L"C:\\work\\pkg");
  };
  std::vector<FaultScenario> scenarios = {
      {"pelmora rescan", [] {}, Command({L"pelmora.exe", L"rescan"}), {0, 2},
       Join({{R"(Reenumerate failed with code = -?\d+)"}, failed(L"rescan")})},
      {"pelmora install", drivers, Command({L"pelmora.exe", L"install", L"C:\\drivers\\"}), {0},
       Join({dpAddFailures, Patterns({ExpectedMessage(MSG_FOLDER_WITHOUT_INF, L"pelmora.exe", L"C:\\drivers\\")}),
             Patterns({ExpectedMessage(MSG_FOLDER_NOT_SEARCHED, L"pelmora.exe", L"C:\\drivers\\", L"@@"),
                       ExpectedMessage(MSG_FOLDER_WALK_CUT_SHORT, L"pelmora.exe", L"C:\\drivers\\", L"@@")},
                      reason),
             Patterns({ExpectedMessage(MSG_PACKAGE_NAME_REFUSED, L"pelmora.exe", L"@@")}, R"(C:\\drivers\\\w+\.inf)")})},
      {"engine dp_add, relative path", relative, Command({L"dummy.exe", L"dp_add", L"x.inf"}), {0, 2}, dpAddFailures},
      {"engine -f dp_delete", ArrangePackageInUse, Command({L"dummy.exe", L"-f", L"dp_delete", L"oem3.inf"}), {0, 2},
       dpDeleteFailures},
      {"engine dp_delete, package in use", ArrangePackageInUse, Command({L"dummy.exe", L"dp_delete", L"oem3.inf"}),
       {0, 2}, dpDeleteFailures},
      {"pelmora exec", [] { sim::AddFile(L"C:\\tools\\helper.exe", "MZ"); },
       Command({L"pelmora.exe", L"exec", L"C:\\tools\\helper.exe;-x y"}), {0, 2},
       Patterns({ExpectedMessage(MSG_NOT_STARTED, L"pelmora.exe", L"C:\\tools\\helper.exe", 12345u, L"@@")}, ".+")},
      {"pelmora exec of a batch file", [] { sim::AddFile(L"C:\\tools\\post.bat", "@echo off"); },
       Command({L"pelmora.exe", L"exec", L"C:\\tools\\post.bat;configure quiet"}), {0, 2},
       Patterns({ExpectedMessage(MSG_NOT_STARTED, L"pelmora.exe", L"C:\\tools\\post.bat", 12345u, L"@@")}, ".+")},
      {"engine help on one command", [] {}, Command({L"dummy.exe", L"?", L"dp_add"}), {0}, {}},
      // The note and the command list; a list line without text still gets the line feed written after it.
      {"engine help on an unknown word", [] {}, Command({L"dummy.exe", L"?", L"x"}), {0}, {""}},
  };
  const std::vector<std::string> removalLines =
      Join({{kDeviceLine}, Patterns({ExpectedMessage(MSG_REMOVED_NONE)}),
            Patterns({ExpectedMessage(MSG_REMOVED, 12345u), ExpectedMessage(MSG_REMOVED_REBOOT, 12345u)}, R"(\d+)"), failed(L"remove")});
  const std::vector<std::string> cleanupLines = Join(
      {removalLines, dpDeleteFailures, Patterns({ExpectedMessage(MSG_DP_DELETED, L"@@")}, R"(OEM\d\.inf|oem\d\.inf)"),
       // A platform that hides devices from the count makes a pattern look like "every device".
       Patterns({ExpectedMessage(MSG_REMOVE_UNCOUNTED, L"pelmora.exe", L"@@"), ExpectedMessage(MSG_REMOVE_EVERY_DEVICE, L"pelmora.exe", L"@@"),
                 ExpectedMessage(MSG_PACKAGE_KEPT, L"pelmora.exe", L"@@"),
                 ExpectedMessage(MSG_PRESENT_DEVICES_UNREADABLE, L"pelmora.exe"), ExpectedMessage(MSG_INF_LIST_UNREADABLE, L"pelmora.exe")},
                R"(\S+)")});
  const std::vector<std::wstring> samples = {L"ROOT\\PELMORA_SAMPLE\\0000", L"ROOT\\PELMORA_SAMPLE\\0001"};
  const std::wstring clean = L"ROOT\\PELMORA_SAMPLE|PELMORA_SAMPLE";
  scenarios.push_back({"pelmora remove with package clean-up", Devices(sim::Removal::kRemoved),
                       Command({L"pelmora.exe", L"remove", clean}), {0, 1, 2}, cleanupLines, samples});
  scenarios.push_back({"pelmora remove, a device needs a restart", Devices(sim::Removal::kNeedsReboot),
                       Command({L"pelmora.exe", L"remove", L"*" + clean}), {0, 1, 2}, cleanupLines, samples});
  scenarios.push_back({"pelmora remove, a device refuses", Devices(sim::Removal::kFailsAtInstaller),
                       Command({L"pelmora.exe", L"remove", clean}), {0, 1, 2}, cleanupLines, samples});
  scenarios.push_back({"pelmora remove, a pattern for every device with IDs", Devices(sim::Removal::kRemoved),
                       Command({L"pelmora.exe", L"remove", L"*\\*|PELMORA_SAMPLE"}), {0, 1, 2}, cleanupLines,
                       {L"ROOT\\PELMORA_SAMPLE\\0000", L"ROOT\\PELMORA_SAMPLE\\0001", L"PCI\\VEN_8086&DEV_100E\\3&1"},
                       true});
  const auto composite = [] {  // met first: its interface fails on the old set and is listed anew
    Devices(sim::Removal::kRemoved)();
    sim::SetChildDeparture(sim::ChildDeparture::kRelistedElsewhere);
    sim::AddDevice(sim::Device(L"USB\\VID_1234&PID_5678\\7", L"USB", {L"USB\\VID_1234&PID_5678"}));
    sim::DeviceSpec child = sim::Device(L"USB\\VID_1234&PID_5678&MI_00\\8", L"USB", {L"USB\\VID_1234&PID_5678&MI_00"});
    child.parent = L"USB\\VID_1234&PID_5678\\7";
    sim::AddDevice(child);
  };
  scenarios.push_back({"pelmora remove, a composite device", composite,
                       Command({L"pelmora.exe", L"remove", L"USB\\VID_1234&PID_5678*|PELMORA_SAMPLE"}), {0, 1, 2},
                       cleanupLines, {L"USB\\VID_1234&PID_5678\\7", L"USB\\VID_1234&PID_5678&MI_00\\8"}});
  scenarios.push_back({"engine -r remove, a device needs a restart", Devices(sim::Removal::kNeedsRestart),
                       Command({L"dummy.exe", L"-r", L"remove", L"=Sample", L"ROOT\\*"}), {0, 1, 2}, removalLines,
                       samples});
  const std::vector<std::string> listingLines = Join(
      {{kDeviceLine}, Patterns({ExpectedMessage(MSG_FINDALL_NONE), ExpectedMessage(MSG_FINDALL_NONE_REMOTE, L"PC7")}),
       Patterns({ExpectedMessage(MSG_FINDALL_COUNT, 12345u), ExpectedMessage(MSG_FINDALL_COUNT_REMOTE, 12345u, L"PC7")}, R"(\d+)"),
       failed(L"findall")});
  const auto remote = [] {
    Devices(sim::Removal::kRemoved)();
    sim::AddRemoteMachine(L"PC7");
    sim::DeviceSpec device = sim::Device(L"ROOT\\REMOTE\\0000", L"System", {L"ROOT\\REMOTE"});
    device.machine = L"PC7";
    sim::AddDevice(device);
  };
  const auto findall = [&](const char* name, std::function<void()> arrange, std::initializer_list<std::wstring> args) {
    scenarios.push_back({name, std::move(arrange), Command(args), {0, 2}, listingLines});
  };
  findall("engine findall *", Devices(sim::Removal::kRemoved), {L"dummy.exe", L"findall", L"*"});
  findall("engine findall by class and pattern", Devices(sim::Removal::kRemoved),
          {L"dummy.exe", L"findall", L"=Sample", L"*SAMPLE", L"'ROOT\\OTHER"});
  findall("engine findall by instance ID", Devices(sim::Removal::kRemoved),
          {L"dummy.exe", L"findall", L"@ROOT\\PELMORA_SAMPLE\\0001", L"@USB\\*"});
  findall("engine findall on another machine", remote, {L"dummy.exe", L"-m:PC7", L"findall", L"*"});
  const std::vector<std::string> creationLines = Join(
      {Patterns({ExpectedMessage(MSG_DEVICE_CREATED),
                 ExpectedMessage(MSG_UPDATING_DRIVERS, L"ROOT\\PELMORA_SAMPLE", L"C:\\drivers\\sample.inf"), ExpectedMessage(MSG_DRIVERS_UPDATED)}),
       failed(L"install")});
  const auto sample = [] { sim::AddFile(L"C:\\drivers\\sample.inf", kSampleInf); };
  scenarios.push_back({"engine install", sample,
                       Command({L"dummy.exe", L"install", L"C:\\drivers\\sample.inf", L"ROOT\\PELMORA_SAMPLE"}),
                       {0, 2}, creationLines});
  scenarios.push_back({"engine -r install, the driver needs a restart",
                       [sample] { sample(); sim::SetDriverUpdateOutcome(true, true); },
                       Command({L"dummy.exe", L"-r", L"install", L"..\\drivers\\sample.inf", L"ROOT\\PELMORA_SAMPLE"}),
                       {0, 1, 2}, creationLines});
  return scenarios;
}

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
    {"SetupCopyOEMInfW", {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_WRONG_INF_STYLE, 0xE000024A /* WRONG_INF_TYPE */}},
    {"GetSystemDirectoryW", {ERROR_NOT_ENOUGH_MEMORY}}, {"GetSystemWindowsDirectoryW", {ERROR_NOT_ENOUGH_MEMORY}},
    {"SetupDiOpenDevRegKey", {ERROR_KEY_DOES_NOT_EXIST, ERROR_ACCESS_DENIED, ERROR_INVALID_FLAGS}},
    {"RegQueryValueExW", {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_MORE_DATA}}, {"RegCloseKey", {}},
    {"CM_Get_Device_IDW", {CR_INVALID_DEVNODE, CR_BUFFER_SMALL}}, {"GetModuleFileNameW", {ERROR_INSUFFICIENT_BUFFER}},
    {"LoadLibraryW", {ERROR_MOD_NOT_FOUND, ERROR_NOT_ENOUGH_MEMORY}}, {"GetProcAddress", {ERROR_PROC_NOT_FOUND}},
    {"SetupUninstallOEMInfW", {ERROR_INF_IN_USE_BY_DEVICES, ERROR_NOT_AN_INSTALLED_OEM_INF, ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED}},
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

// Faults after which the platform itself shows a device as not selected:
// its ID lists read as absent, or the walk told that the devices ended.
bool HidesDevices(const std::string& call, unsigned long error) {
  return (call == "SetupDiGetDeviceRegistryPropertyW" || call == "SetupDiEnumDeviceInfo") &&
         (error == ERROR_INVALID_DATA || error == ERROR_NO_MORE_ITEMS);
}

// Faults after which the platform itself shows a device as installed from
// no package, or a list of present devices that ends before it.
bool HidesPackage(const std::string& call, unsigned long error) {
  return (call == "SetupDiOpenDevRegKey" && error == ERROR_KEY_DOES_NOT_EXIST) ||
         (call == "SetupDiEnumDeviceInfo" && error == ERROR_NO_MORE_ITEMS) ||
         (call == "RegQueryValueExW" && error == ERROR_FILE_NOT_FOUND);
}

struct RunRecord {  // one run of a scenario, as the rules see it
  int result;
  std::vector<std::string> calls;
  std::vector<std::string> lines;  // standard output, then standard error
  std::string broken = {};         // the rules every run keeps that this one broke, a line each
  int packagesInUse = 0;           // OEM packages of present devices checked to be kept
  bool removalChecked = false;     // held to what a removal leaves behind
};

// One run on a freshly arranged machine, with `failing` (when not empty)
// failing on its nth call with `error`, held to the rules every run keeps. A
// fault that hides a package or a device from the platform itself lifts the
// rules about it.
RunRecord RunOnce(const FaultScenario& scenario, const std::string& failing = "", int nth = 0, unsigned long error = 0) {
  sim::Reset();
  scenario.arrange();
  std::vector<std::wstring> infFiles = sim::ListDirectory(sim::kInfDirectory);
  sim::ClearCalls();
  sim::ClearOutput();
  if (!failing.empty()) sim::FailCall(failing, error, nth);
  RunRecord outcome{scenario.act(), sim::Calls(), {}};
  std::istringstream output(sim::StdOut() + sim::StdErr());
  for (std::string line; std::getline(output, line);) outcome.lines.push_back(line);
  const auto rule = [&outcome](bool kept, const std::string& what) { outcome.broken += kept ? "" : "\n  " + what; };
  const auto gone = [](const std::wstring& name) { return !sim::FileExists(InInfDirectory(name)); };
  rule(scenario.allowedResults.count(outcome.result), "gave " + std::to_string(outcome.result));
  rule(sim::OpenHandles() == 0, "left open " + sim::OpenHandleReport());
  for (const sim::ProcessStart& start : sim::ProcessStarts()) {
    const std::wstring& name = start.applicationName;
    rule(name.size() >= 3 && name.compare(1, 2, L":\\") == 0, "a program started by a path that is not full");
  }
  for (const std::wstring& name : sim::PackagesOfPresentDevices()) {
    if (HidesPackage(failing, error) || std::find(infFiles.begin(), infFiles.end(), name) == infFiles.end()) continue;
    ++outcome.packagesInUse;
    rule(!gone(name), "the package of a present device deleted");
  }
  outcome.removalChecked = !scenario.matched.empty() && !HidesDevices(failing, error);
  if (!outcome.removalChecked) return outcome;
  bool packageDeleted = false, devicePresent = false, deviceLeft = false, allSelectedGone = true;
  for (const std::wstring& name : infFiles) {
    bool oem = name.size() > 3 && (name[0] | 0x20) == L'o' && (name[1] | 0x20) == L'e' && (name[2] | 0x20) == L'm';
    packageDeleted |= oem && gone(name);
  }
  for (const std::wstring& id : scenario.matched) {
    devicePresent |= sim::DeviceExists(id);
    deviceLeft |= sim::DeviceExists(id) && !sim::DeviceRemovalPending(id);
    allSelectedGone &= !sim::DeviceExists(id);
  }
  rule(!(packageDeleted && devicePresent), "package deleted, device kept");
  rule(!(outcome.result == 0 && deviceLeft), "0 with a device still there");
  rule(!(scenario.everyDevice && allSelectedGone), "every device with IDs removed");
  return outcome;
}

class FaultMatrix : public SimTest {};

TEST_F(FaultMatrix, EveryCallOfEveryCommandFailingInTurn) {
  int failurePoints = 0;
  int removalsChecked = 0;
  int packagesInUseChecked = 0;
  std::set<std::string> unknownCalls;
  std::vector<FaultScenario> scenarios = BuildScenarios();
  const char* chosen = std::getenv("PELMORA_FAULT_SCENARIO");  // one scenario, by its name
  auto other = [chosen](const FaultScenario& scenario) { return chosen && scenario.name != chosen; };
  scenarios.erase(std::remove_if(scenarios.begin(), scenarios.end(), other), scenarios.end());
  ASSERT_FALSE(scenarios.empty()) << "no fault matrix scenario is named \"" << chosen << "\"";
  std::vector<RunRecord> baselines;  // every scenario undisturbed first, so that a broken one stops the matrix at once
  for (const FaultScenario& scenario : scenarios) {
    const RunRecord& undisturbed = baselines.emplace_back(RunOnce(scenario));
    ASSERT_FALSE(undisturbed.calls.empty()) << scenario.name;
    if (!undisturbed.broken.empty()) FAIL() << '"' << scenario.name << "\" breaks, undisturbed:" << undisturbed.broken;
  }
  for (size_t i = 0; i < scenarios.size(); ++i) {
    const FaultScenario& scenario = scenarios[i];
    const RunRecord& baseline = baselines[i];
    std::set<std::string> seen(baseline.lines.begin(), baseline.lines.end());
    std::vector<std::regex> patterns(scenario.failureLines.begin(), scenario.failureLines.end());
    std::map<std::string, int> occurrences;
    for (const std::string& logged : baseline.calls) {
      std::string name = logged.substr(0, logged.find('('));
      int nth = ++occurrences[name];
      if (!kErrors.count(name)) unknownCalls.insert(name);
      for (unsigned long error : kErrors.count(name) ? kErrors.at(name) : std::vector<unsigned long>{}) {
        ++failurePoints;
        RunRecord failed = RunOnce(scenario, name, nth, error);
        std::string where = scenario.name + ": " + name + " #" + std::to_string(nth) + " failing with " +
                            std::to_string(error);
        EXPECT_TRUE(failed.broken.empty()) << where << failed.broken;
        packagesInUseChecked += failed.packagesInUse;
        removalsChecked += failed.removalChecked;
        for (const std::string& line : failed.lines) {
          auto matches = [&line](const std::regex& pattern) { return std::regex_match(line, pattern); };
          EXPECT_TRUE(seen.count(line) || std::any_of(patterns.begin(), patterns.end(), matches))
              << where << " wrote: " << line;
        }
      }
    }
  }
  EXPECT_TRUE(unknownCalls.empty()) << "calls without an error list: " << ::testing::PrintToString(unknownCalls);
  std::cout << "fault matrix: " << scenarios.size() << " scenarios, " << failurePoints << " failure points, "
            << removalsChecked << " of them removals held to what they leave behind, " << packagesInUseChecked
            << " checks that no package of a present device was deleted\n";
  EXPECT_GT(failurePoints, static_cast<int>(scenarios.size()));
  if (chosen) return;
  EXPECT_GT(removalsChecked, 100);
  EXPECT_GT(packagesInUseChecked, 100);
}

}  // namespace
