// "pelmora.exe remove pattern|text": how the argument is split, which
// selections are refused, and which packages the clean-up deletes.
#include <cstring>
#include <cwchar>
#include <vector>

#include "expected_message.h"
#include "frontend/exit_codes.h"
#include "packages/packages.h"
#include "platform/sim/sim_devices.h"
#include "platform/sim/sim_store.h"
#include "sim_test.h"

namespace {

void AddInf(const std::wstring& name, const std::string& body) {
  sim::AddFile(InInfDirectory(name), PackageInf("", body));
}

// Present devices installed from oem5.inf (named in another case), from no
// package (a driver key without InfPath), with no driver key; and a phantom
// installed from oem6.inf.
void AddInstalledDevices() {
  wchar_t place = L'0';  // root devices are listed by ID: these in this order
  for (const wchar_t* package : {L"OEM5.INF", L"", L"-", L"oem6.inf"}) {
    sim::DeviceSpec device = sim::Device(L"ROOT\\D\\" + std::wstring(1, place++) + package, L"System", {L"ROOT\\D"});
    device.hasDriverKey = *package != L'-';
    device.infPath = device.hasDriverKey ? package : L"";
    device.present = *package != L'o';
    sim::AddDevice(device);
  }
}

class RemoveAndClean : public SimTest {};

TEST_F(RemoveAndClean, ArgumentDecidesWhatIsRemovedAndDeleted) {
  struct Row {
    const wchar_t* argument;
    int exitCode;
    bool deviceGone, packageGone;
    DWORD refusal;         // the one line on standard error, or 0
    const char* failing;  // a call failing throughout, or null
    // The sample "alone", and/or beside a device whose IDs are "unreadable"; else beside the others.
    const char* machine = "";
  };
  const Row rows[] = {
      {L"PELMORA\\SAMPLE", 2, false, false, MSG_REMOVE_WITHOUT_BAR, nullptr},  // no bar: nothing at all
      {L"|PELMORA\\SAMPLE", 0, false, true, 0, nullptr},
      {L"PELMORA\\SAMPLE|", 0, true, false, 0, nullptr},
      {L"*SAMPLE|PELMORA\\SAMPLE", 0, true, true, 0, nullptr},
      {L"@|PELMORA\\SAMPLE", 0, false, true, 0, nullptr},
      {L"@ROOT\\*|PELMORA\\SAMPLE", 0, true, true, 0, nullptr},  // all but the card
      // Every device, however spelled, and the class selector: refused
      // before anything is removed or deleted.
      {L"=Sample|PELMORA\\SAMPLE", 2, false, false, MSG_REMOVE_CLASS_REFUSED, nullptr},
      {L"=|", 0, false, false, 0, nullptr},  // "=" alone is an ID pattern
      {L"*|PELMORA\\SAMPLE", 2, false, false, MSG_REMOVE_EVERY_DEVICE, nullptr},
      {L"**|", 2, false, false, MSG_REMOVE_EVERY_DEVICE, nullptr},
      {L"*\\*|PELMORA\\SAMPLE", 2, false, false, MSG_REMOVE_EVERY_DEVICE, nullptr},  // the device without IDs does not count
      {L"@*\\*|", 2, false, false, MSG_REMOVE_EVERY_DEVICE, nullptr},
      {L"@*|", 2, false, false, MSG_REMOVE_EVERY_DEVICE, nullptr, "alone"},   // a machine of one device: the spelling alone refuses
      {L"*\\*|", 0, true, false, 0, nullptr, "alone"},
      {L"*\\*|", 2, false, false, MSG_REMOVE_EVERY_DEVICE, nullptr, "alone, unreadable"},
      {L"*\\*|", 2, false, false, MSG_REMOVE_EVERY_DEVICE, nullptr, "unreadable"},
      // A device that cannot be read blocks no specific pattern; the removal passes it over and answers 2.
      {L"PELMORA\\SAMPLE|PELMORA\\SAMPLE", 2, true, false, 0, nullptr, "unreadable"},
      {L"*SAMPLE|", 2, false, false, MSG_REMOVE_UNCOUNTED, "SetupDiGetDeviceRegistryPropertyW"},
      {L"*SAMPLE|", 2, false, false, MSG_REMOVE_UNCOUNTED, "SetupDiEnumDeviceInfo"},
      {L"|left|right", 0, false, true, 0, nullptr},  // a further bar belongs to the text
      {L"| \t ", 0, false, false, 0, nullptr},       // no visible character: nothing deleted
      // Blanks and tabs around the pattern are dropped first; the text stays as given.
      {L" \tPELMORA\\SAMPLE \t|PELMORA\\SAMPLE", 0, true, true, 0, nullptr},
      {L"PELMORA\\SAMPLE | PELMORA\\SAMPLE", 0, true, false, 0, nullptr},
      {L" \t |PELMORA\\SAMPLE", 0, false, true, 0, nullptr},
      {L"\t* |", 2, false, false, MSG_REMOVE_EVERY_DEVICE, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(sim::Utf8(row.argument));
    sim::Reset();
    sim::AddDevice(sim::Device(L"ROOT\\SAMPLE\\0000", L"Sample", {L"PELMORA\\SAMPLE"}));
    if (!std::strstr(row.machine, "alone")) {  // a network card, and a device without any ID, which no pattern selects
      sim::AddDevice(sim::Device(L"PCI\\VEN_8086&DEV_1234\\3&1", L"Net", {L"PCI\\VEN_8086&DEV_1234"}));
      sim::AddDevice(sim::Device(L"ROOT\\LEGACY_X\\0000", L"System", {}));
    }
    if (std::strstr(row.machine, "unreadable")) {
      sim::DeviceSpec gone = sim::Device(L"USB\\VID_1&PID_2\\9", L"USB", {L"USB\\VID_1&PID_2"});
      gone.propertiesFail = true;
      sim::AddDevice(gone);
    }
    const size_t devices = sim::DeviceIds().size();
    AddInf(L"oem1.inf", "[Models]\r\nx = y, PELMORA\\SAMPLE\r\n[Strings]\r\nA = \"left|right\"\r\n");
    AddInf(L"oem2.inf", "[Strings]\r\nA = \"right\"\r\n");
    if (row.failing) sim::FailCall(row.failing, ERROR_ACCESS_DENIED, 1, 0);
    EXPECT_EQ(row.exitCode, ExitCodeFor(RemoveDevicesAndPackages(row.argument)));
    EXPECT_EQ(row.deviceGone, !sim::DeviceExists(L"ROOT\\SAMPLE\\0000"));
    EXPECT_EQ(row.packageGone, !sim::FileExists(InInfDirectory(L"oem1.inf")));
    EXPECT_TRUE(sim::FileExists(InInfDirectory(L"oem2.inf")));
    EXPECT_EQ(devices - (row.deviceGone ? 1u : 0u) - (std::wstring(row.argument).find(L"@ROOT") == 0 ? 1u : 0u),
              sim::DeviceIds().size());
    // The line names the pattern as the checks saw it: without the blanks and tabs around it.
    std::wstring pattern = std::wstring(row.argument).substr(0, std::wstring(row.argument).find(L'|'));
    pattern.erase(0, pattern.find_first_not_of(L" \t"));
    pattern.erase(pattern.find_last_not_of(L" \t") + 1);
    EXPECT_EQ(row.refusal                ? ExpectedMessage(row.refusal, L"pelmora.exe", pattern.c_str())
              : row.exitCode == 2 ? ExpectedMessage(MSG_COMMAND_FAILED, L"pelmora.exe", L"remove")
                                  : "",
              sim::StdErr());
    if (row.refusal) {
      EXPECT_EQ(0u, sim::CountCalls("SetupDiCallClassInstaller") + sim::CountCalls("SetupUninstallOEMInfW"));
    }
  }
}

TEST_F(RemoveAndClean, CleanUpDeletesOnlyOemPackagesThatHoldTheText) {
  struct Row {
    const char* name;
    std::vector<std::pair<std::wstring, std::string>> files;
    const char* failing;  // calls that fail from the nth on (count 0: all), or null
    int nth, count;
    unsigned long error;
    int exitCode;
    std::vector<std::wstring> kept;
    size_t deletions;  // runs of the engine's dp_delete
    DWORD errorMessage = 0;  // a line on standard error, naming oem5.inf where it names a package
    const wchar_t* argument = L"|widget";
    bool otherCodes = false;  // the store answers "in use" and "not installed" with ERROR_ACCESS_DENIED
  };
  const std::string runsFromStore = "[DestinationDirs]\r\nDefaultDestDir=13\r\n[A]\r\nwidget\r\n";
  const std::string longLine(1024 - 6, 't');  // with "widget" one more than the buffer holds
  const std::string longSection(255, 'S');    // its terminator does not fit
  const Row rows[] = {
      {"only oem<digits>.inf, any case",
       {{L"oem1.inf", "[A]\r\nwidget\r\n"}, {L"OeM2.INF", "[A]\r\nwidget\r\n"}, {L"oemsetup.inf", "[A]\r\nwidget\r\n"},
        {L"oem.inf", "[A]\r\nwidget\r\n"}, {L"machine.inf", "[A]\r\nwidget\r\n"}, {L"xoem3.inf", "[A]\r\nwidget\r\n"}},
       nullptr, 0, 0, 0, 0, {L"oemsetup.inf", L"oem.inf", L"machine.inf", L"xoem3.inf"}, 2},
      {"case-sensitive, comments not searched, once per file",
       {{L"oem1.inf", "[A]\r\nWIDGET\r\nx = y ; widget\r\n"}, {L"oem2.inf", "[A]\r\nwidget\r\n[B]\r\nwidget\r\n"}},
       nullptr, 0, 0, 0, 0, {L"oem1.inf"}, 1},
      {"line or section name too long is passed over",
       {{L"oem1.inf", "[A]\r\n" + longLine + "widget\r\n"}, {L"oem2.inf", "[" + longSection + "]\r\nwidget\r\n"},
        {L"oem3.inf", "[" + longSection + "]\r\nwidget\r\n[B]\r\n" + longLine + "widget\r\nwidget\r\n"}},
       nullptr, 0, 0, 0, 0, {L"oem1.inf", L"oem2.inf"}, 1},
      {"a package in use is deleted by force",
       {{L"oem4.inf", "[A]\r\nwidget\r\n"}}, nullptr, 0, 0, 0, 0, {}, 1},
      {"a failed deletion fails, the others are still tried",
       {{L"oem1.inf", "[A]\r\nwidget\r\n"}, {L"oem2.inf", "[A]\r\nwidget\r\n"}},
       "SetupUninstallOEMInfW", 1, 1, ERROR_ACCESS_DENIED, 2, {L"oem1.inf"}, 2},
      {"the list's size cannot be had", {{L"oem1.inf", "[A]\r\nwidget\r\n"}},
       "SetupGetInfFileListW", 1, 1, ERROR_ACCESS_DENIED, 2, {L"oem1.inf"}, 0, MSG_INF_LIST_UNREADABLE},
      {"the Windows directory cannot be had", {{L"oem1.inf", "[A]\r\nwidget\r\n"}},
       "GetSystemWindowsDirectoryW", 1, 1, ERROR_NOT_ENOUGH_MEMORY, 2, {L"oem1.inf"}, 0, MSG_INF_LIST_UNREADABLE},
      {"a present device's package is kept, a phantom's is not",
       {{L"oem5.inf", "[A]\r\nwidget\r\n"}, {L"oem6.inf", "[A]\r\nwidget\r\n"}, {L"oem7.inf", "[A]\r\nwidget\r\n"}},
       nullptr, 0, 0, 0, 2, {L"oem5.inf"}, 2, MSG_PACKAGE_KEPT},
      {"a device without a driver key keeps nothing", {{L"oem5.inf", "[A]\r\nwidget\r\n"}},
       "SetupDiOpenDevRegKey", 1, 1, ERROR_KEY_DOES_NOT_EXIST, 0, {}, 1},
      {"a driver key that cannot be opened", {{L"oem5.inf", "[A]\r\nwidget\r\n"}, {L"oem7.inf", "[A]\r\nwidget\r\n"}},
       "SetupDiOpenDevRegKey", 2, 1, ERROR_ACCESS_DENIED, 2, {L"oem5.inf", L"oem7.inf"}, 0, MSG_PRESENT_DEVICES_UNREADABLE},
      {"an InfPath that cannot be read", {{L"oem7.inf", "[A]\r\nwidget\r\n"}},
       "RegQueryValueExW", 1, 1, ERROR_ACCESS_DENIED, 2, {L"oem7.inf"}, 0, MSG_PRESENT_DEVICES_UNREADABLE},
      {"present devices that cannot be listed", {{L"oem7.inf", "[A]\r\nwidget\r\n"}},
       "SetupDiGetClassDevsExW", 1, 1, ERROR_ACCESS_DENIED, 2, {L"oem7.inf"}, 0, MSG_PRESENT_DEVICES_UNREADABLE},
      {"a walk over present devices that breaks off", {{L"oem7.inf", "[A]\r\nwidget\r\n"}},
       "SetupDiEnumDeviceInfo", 2, 1, ERROR_INVALID_HANDLE, 2, {L"oem7.inf"}, 0, MSG_PRESENT_DEVICES_UNREADABLE},
      {"the list cannot be filled", {{L"oem1.inf", "[A]\r\nwidget\r\n"}},
       "SetupGetInfFileListW", 2, 1, ERROR_INSUFFICIENT_BUFFER, 2, {L"oem1.inf"}, 0},
      {"a file that cannot be opened is passed over",
       {{L"oem1.inf", "[A]\r\nwidget\r\n"}, {L"oem2.inf", "[A]\r\nwidget\r\n"}},
       "SetupOpenInfFileW", 1, 0, ERROR_ACCESS_DENIED, 0, {L"oem1.inf", L"oem2.inf"}, 0},
      {"sections that never end still end the walk", {{L"oem1.inf", "[A]\r\nwidget\r\n"}},
       "SetupEnumInfSectionsW", 1, 0, ERROR_GEN_FAILURE, 0, {L"oem1.inf"}, 0},
      // Texts Windows finds: continued lines (not in quotes), '=' after the first field (setupapi/tests/parser.c,
      // key_names), ANSI bytes in the ANSI code page (docs "General guidelines for INF files").
      {"a continued line", {{L"oem1.inf", "[A]\r\nwid\\\r\nget\r\n"}, {L"oem2.inf", "[A]\r\n\"wid\\\"\r\nget\r\n"}},
       nullptr, 0, 0, 0, 0, {L"oem2.inf"}, 1},
      {"'=' in a field", {{L"oem1.inf", "[A]\r\nHKR,Parameters,Opt,0,Mode=ACME1\r\n"},
                           {L"oem5.inf", "[A]\r\nHKR,Parameters,Opt,0,Mode=ACME1\r\n"}},
       nullptr, 0, 0, 0, 2, {L"oem5.inf"}, 1, MSG_PACKAGE_KEPT, L"|Mode=ACME1"},
      {"an ANSI provider", {{L"oem1.inf", "[Version]\r\nProvider=M\xFCller\r\n"}, {L"oem2.inf", "[Version]\r\nProvider=M\xC3\xBCller\r\n"}},
       nullptr, 0, 0, 0, 0, {L"oem2.inf"}, 1, 0, L"|M\u00FCller"},
      // Run from the store and used by a phantom: kept even by force (docs "SetupUninstallOEMInfW"), whatever the code.
      {"run from the store, used by a phantom", {{L"oem6.inf", runsFromStore}, {L"oem7.inf", runsFromStore}},
       nullptr, 0, 0, 0, 2, {L"oem6.inf"}, 2},
      {"run from the store, other codes", {{L"oem6.inf", runsFromStore}, {L"oem7.inf", runsFromStore}},
       nullptr, 0, 0, 0, 2, {L"oem6.inf"}, 2, 0, L"|widget", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    sim::Reset();
    AddInstalledDevices();
    for (const auto& file : row.files) AddInf(file.first, file.second);
    sim::MarkPackageInUse(L"oem4.inf");
    if (row.failing) sim::FailCall(row.failing, row.error, row.nth, row.count);
    if (row.otherCodes) sim::SetUninstallAnswers(ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED);
    EXPECT_EQ(row.exitCode, ExitCodeFor(RemoveDevicesAndPackages(row.argument)));
    std::vector<std::wstring> kept;
    for (const auto& file : row.files) {
      if (sim::FileExists(InInfDirectory(file.first))) kept.push_back(file.first);
    }
    EXPECT_EQ(row.kept, kept);
    EXPECT_EQ(row.deletions, sim::CountCalls("SetupUninstallOEMInfW"));
    if (row.errorMessage) {
      EXPECT_EQ(ExpectedMessage(row.errorMessage, L"pelmora.exe", L"oem5.inf"), sim::StdErr());
    }
  }
}

// In the INF folder's order (NTFS: oem10.inf before oem2.inf, Windows' own INF files before and among them),
// from the shared Windows directory's INF folder, each package opened by its full path there.
TEST_F(RemoveAndClean, PackagesAreDeletedInListOrderFromTheInfFolder) {
  AddInf(L"oem2.inf", "[A]\r\nwidget\r\n");
  AddInf(L"oem10.inf", "[A]\r\nwidget\r\n");
  EXPECT_EQ(0, ExitCodeFor(DeleteMatchingOemPackages(L"widget")));
  EXPECT_EQ(ExpectedMessage(MSG_DP_DELETED, L"oem10.inf") + ExpectedMessage(MSG_DP_DELETED, L"oem2.inf"), sim::StdOut());
  EXPECT_EQ("SetupGetInfFileListW(\"C:\\Windows\\inf\", 0x2, no buffer, 0)", sim::CallsTo("SetupGetInfFileListW").at(0));
  EXPECT_EQ("SetupOpenInfFileW(\"C:\\Windows\\inf\\oem2.inf\", null, 0x2)", sim::CallsTo("SetupOpenInfFileW").at(1));
  EXPECT_TRUE(sim::FileExists(InInfDirectory(L"usb.inf")));
}

}  // namespace
