// "dp_add" and "dp_delete": what reaches the driver store, and the message
// and result of each outcome.
#include <cstdio>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "expected_message.h"
#include "platform/sim/sim_devices.h"
#include "platform/sim/sim_store.h"
#include "sim_test.h"

namespace {

const std::string kInf = PackageInf("Class=Sample\r\n");

// IDs of the messages composed so far (and codes whose system text was asked for), in order, from the call log.
std::vector<unsigned long> MessagesComposed() {
  std::vector<unsigned long> ids;
  for (const std::string& call : sim::CallsTo("FormatMessageW")) {
    unsigned long id = 0;
    if (std::sscanf(call.c_str(), "FormatMessageW(%lu,", &id) == 1) ids.push_back(id);
  }
  return ids;
}

bool Is(const char* text, const char* word) { return text && std::string(text) == word; }

int Engine(std::initializer_list<std::wstring> items) { Args args(items); return EngineRun(args.argc(), args.argv()); }

class DriverStore : public SimTest {};

// The package is stored under the name the store gives it and reported by that name alone; a path that
// cannot be made whole is named as given (MSG_DP_ADD_BAD_PATH; the length limit is InstallFolder's), a package that
// cannot be copied by its full path (MSG_DP_ADD_FAILED).
TEST_F(DriverStore, DpAddOutcomes) {
  const struct {
    std::wstring path;
    const char* failing;
    DWORD error;
    DWORD message;
    std::wstring named;
    std::wstring reason;  // the system's code and text, after the message's own words
  } rows[] = {
      {L"..\\other\\b.inf", nullptr, 0, MSG_DP_ADDED, L"oem0.inf", L""},
      {L"b.inf", "GetFullPathNameW", ERROR_INVALID_NAME, MSG_DP_ADD_BAD_PATH, L"b.inf",
       L" 0x0000007B The filename, directory name, or volume label syntax is incorrect."},
      // A code the system has no text for is given alone.
      {L"b.inf", "SetupCopyOEMInfW", 0xE0000100, MSG_DP_ADD_FAILED, L"C:\\work\\drivers\\b.inf", L"0xE0000100"},
      {L"\\\\?\\UNC\\pc\\s\\b.inf", "SetupCopyOEMInfW", 0xE0000100, MSG_DP_ADD_FAILED, L"\\\\pc\\s\\b.inf", L"0xE0000100"},  // named plain
      {L"b.inf", "SetupCopyOEMInfW", ERROR_BAD_EXE_FORMAT, MSG_DP_ADD_FAILED, L"C:\\work\\drivers\\b.inf",  // "%1" as it stands
       L"0x000000C1 %1 is not a valid Win32 application."},
      // From Vista the store wants a [Manufacturer] and every file CopyFiles names.
      {L"..\\other\\bare.inf", nullptr, 0, MSG_DP_ADD_FAILED, L"C:\\work\\other\\bare.inf", L"0xE000024A"},
      {L"..\\other\\bare.inf", "Windows XP", 0, MSG_DP_ADDED, L"oem0.inf", L""},
      {L"..\\other\\copies.inf", nullptr, 0, MSG_DP_ADD_FAILED, L"C:\\work\\other\\copies.inf",
       L"0x00000002 The system cannot find the file specified."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(sim::Utf8(row.path));
    sim::Reset();
    sim::SetCurrentDirectory(L"C:\\work\\drivers");
    sim::AddFile(L"C:\\work\\other\\b.inf", kInf + "; b\r\n");
    sim::AddFile(L"C:\\work\\other\\bare.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n");
    sim::AddFile(L"C:\\work\\other\\copies.inf", kInf + "[I]\r\nCopyFiles=@d.sys\r\n");
    if (Is(row.failing, "Windows XP")) {
      sim::SetVersion(5, 2, 2);
    } else if (row.failing) {
      sim::FailCall(row.failing, row.error);
    }
    int result = row.message == MSG_DP_ADDED ? 0 : 2;
    EXPECT_EQ(result, Engine({L"dummy.exe", L"dp_add", row.path}));
    EXPECT_EQ(ExpectedMessage(row.message, row.named.c_str(), row.reason.c_str()), sim::StdOut());
    EXPECT_EQ(result ? ExpectedMessage(MSG_COMMAND_FAILED, L"dummy.exe", L"dp_add") : "", sim::StdErr());
    std::string content, source;
    EXPECT_EQ(result == 0, sim::ReadFile(InInfDirectory(L"oem0.inf"), &content) && sim::ReadFile(row.path, &source) && content == source);
  }
  EXPECT_EQ(3, Engine({L"dummy.exe", L"dp_add"}));
}

TEST_F(DriverStore, DpDeleteOutcomes) {
  struct Row {
    const wchar_t* name;
    bool force;
    const char* failing;  // the uninstall fails, answers other codes, or its "export" or "library" is absent
    int result;
    std::vector<unsigned long> messages;
    bool reachesStore;  // SetupUninstallOEMInfW was called
  };
  const Row rows[] = {
      {L"oem3.inf", false, nullptr, 0, {MSG_DP_DELETED}, true},
      {L"OEM3.INF", true, nullptr, 0, {MSG_DP_DELETED}, true},
      {L"oem4.inf", false, nullptr, 2, {MSG_DP_IN_USE, MSG_COMMAND_FAILED}, true},  // in use
      {L"oem4.inf", true, nullptr, 0, {MSG_DP_DELETED}, true},
      {L"oem9.inf", true, nullptr, 2, {MSG_DP_NOT_OEM, MSG_COMMAND_FAILED}, true},  // not installed: "file not found"
      // Codes no source records for "in use" and "not installed": the
      // message follows the code, the answer and the store stay.
      {L"oem9.inf", true, "setupapi.h codes", 2, {MSG_DP_NOT_OEM, MSG_COMMAND_FAILED}, true},
      {L"oem9.inf", true, "other codes", 2, {ERROR_ACCESS_DENIED, MSG_DP_DELETE_FAILED, MSG_COMMAND_FAILED}, true},
      {L"oem4.inf", false, "other codes", 2, {ERROR_ACCESS_DENIED, MSG_DP_DELETE_FAILED, MSG_COMMAND_FAILED}, true},
      // Windows 10 deletes only a package with a [Manufacturer]; earlier systems any.
      {L"oem3.inf", true, "bare", 0, {MSG_DP_DELETED}, true},
      {L"oem3.inf", false, "Windows 10", 0, {MSG_DP_DELETED}, true},
      {L"oem3.inf", true, "Windows 10, bare", 2, {ERROR_INVALID_PARAMETER, MSG_DP_DELETE_FAILED, MSG_COMMAND_FAILED}, true},
      {L"oem3.inf", false, "SetupUninstallOEMInfW", 2, {ERROR_ACCESS_DENIED, MSG_DP_DELETE_FAILED, MSG_COMMAND_FAILED}, true},
      {L"oem3.inf", false, "export", 2, {MSG_COMMAND_FAILED}, false},
      {L"oem3.inf", false, "library", 2, {MSG_COMMAND_FAILED}, false},
  };
  std::vector<Row> cases(std::begin(rows), std::end(rows));
  // No name but oem<digits>.inf reaches the store.
  for (const wchar_t* name : {L"machine.inf", L"..\\win.ini", L"../system.ini", L"C:\\Windows\\INF\\oem3.inf",
                              L"oem3.inf\\..\\..\\win.ini", L"oemsetup.inf", L"oem.inf", L"oem3", L"oem3.inf.", L""}) {
    cases.push_back({name, true, nullptr, 2, {MSG_DP_NOT_OEM, MSG_COMMAND_FAILED}, false});
  }
  for (const Row& row : cases) {
    SCOPED_TRACE(sim::Utf8(row.name));
    sim::Reset();
    for (const wchar_t* name : {L"oem3.inf", L"oem4.inf", L"machine.inf"}) sim::AddFile(InInfDirectory(name), kInf);
    sim::AddFile(L"C:\\Windows\\win.ini", "[fonts]\r\n");
    sim::MarkPackageInUse(L"oem4.inf");
    if (Is(row.failing, "export")) sim::RemoveExport(L"setupapi.dll", "SetupUninstallOEMInfW");
    if (Is(row.failing, "library")) sim::RemoveLibrary(L"setupapi.dll");
    if (Is(row.failing, "SetupUninstallOEMInfW")) sim::FailCall(row.failing, ERROR_ACCESS_DENIED);
    if (Is(row.failing, "setupapi.h codes")) sim::SetUninstallAnswers(ERROR_INF_IN_USE_BY_DEVICES, ERROR_NOT_AN_INSTALLED_OEM_INF);
    if (Is(row.failing, "other codes")) sim::SetUninstallAnswers(ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED);
    if (row.failing && std::string(row.failing).find("Windows 10") == 0) sim::SetVersion(10, 0, 0);
    if (row.failing && std::string(row.failing).find("bare") != std::string::npos) sim::AddFile(InInfDirectory(L"oem3.inf"), "[Version]\r\nSignature=\"$Windows NT$\"\r\n");
    EXPECT_EQ(row.result, Engine({L"dummy.exe", row.force ? L"-f" : L"-r", L"dp_delete", row.name}));
    EXPECT_EQ(row.messages, MessagesComposed());
    if (Is(row.failing, "SetupUninstallOEMInfW")) {
      EXPECT_EQ(ExpectedMessage(MSG_DP_DELETE_FAILED, L"0x00000005 Access is denied."), sim::StdOut());
    }
    EXPECT_EQ(row.reachesStore, sim::CountCalls("SetupUninstallOEMInfW") == 1);
    EXPECT_TRUE(sim::FileExists(L"C:\\Windows\\win.ini") && sim::FileExists(InInfDirectory(L"machine.inf")));
    EXPECT_EQ(row.result == 0 ? 1u : 2u, sim::StoredPackages().size());
  }
  EXPECT_EQ(3, Engine({L"dummy.exe", L"-f", L"dp_delete"}));
}

// "dp_enum": the OEM packages with their [Version] values, or those the
// clean-up would delete for a text; it changes nothing.
TEST_F(DriverStore, DpEnumShowsWhatTheCleanUpWouldTake) {
  const std::string one = "oem1.inf  Provider: Pelmora  Class: Sample  DriverVer: 01/02/2026,1.2.3.4\n";
  // A line longer than the engine's line buffer is cut and keeps its line end.
  const std::string two = ("oem2.inf  Provider: " + std::string(600, 'P')).substr(0, 510) + "\n";
  const std::string three = "oem3.inf  Provider: Acme Corp";
  const struct {
    Args args;
    const char* failing;  // a call that fails, or "InfPath": the device's InfPath cannot be read whole
    int result;
    std::string out;
  } rows[] = {
      {{L"dummy.exe", L"dp_enum"}, nullptr, 0, one + two + three + "  [in use]\n" + ExpectedMessage(MSG_DP_ENUM_COUNT, 3u)},
      {{L"dummy.exe", L"-m:PC7", L"DP_ENUM"}, nullptr, 0, one + two + three + "  [in use]\n" + ExpectedMessage(MSG_DP_ENUM_COUNT, 3u)},
      {{L"dummy.exe", L"dp_enum", L"widget"}, nullptr, 0,
       one + three + "  [kept: a present device uses it]\n" + ExpectedMessage(MSG_DP_ENUM_COUNT, 2u)},
      // Line texts are searched with their %strkey% tokens replaced.
      {{L"dummy.exe", L"dp_enum", L"Acme"}, nullptr, 0, three + "  [kept: a present device uses it]\n" + ExpectedMessage(MSG_DP_ENUM_COUNT, 1u)},
      // '=' after the first field is text.
      {{L"dummy.exe", L"dp_enum", L"Mode=ACME1"}, nullptr, 0, one + ExpectedMessage(MSG_DP_ENUM_COUNT, 1u)},
      {{L"dummy.exe", L"dp_enum", L"nothing"}, nullptr, 0, ExpectedMessage(MSG_DP_ENUM_NONE)},
      {{L"dummy.exe", L"dp_enum", L" \t"}, nullptr, 0, ExpectedMessage(MSG_DP_ENUM_NONE)},
      {{L"dummy.exe", L"dp_enum"}, "GetSystemWindowsDirectoryW", 2, ""},
      {{L"dummy.exe", L"dp_enum", L"widget"}, "SetupDiOpenDevRegKey", 2, ""}, {{L"dummy.exe", L"dp_enum"}, "InfPath", 2, ""},
      {{L"dummy.exe", L"dp_enum", L"Acme", L"Corp"}, nullptr, 3, ""},  // a text with a blank, not quoted
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(sim::Utf8(row.args.argv()[row.args.argc() - 1]));
    sim::Reset();
    sim::AddFile(InInfDirectory(L"oem1.inf"), PackageInf("Class=Sample\r\nProvider=Pelmora\r\nDriverVer=01/02/2026,1.2.3.4\r\n",
                                                 "[A]\r\nwidget\r\nHKR,Parameters,Opt,0,Mode=ACME1\r\n"));
    sim::AddFile(InInfDirectory(L"oem2.inf"), PackageInf("Provider=" + std::string(600, 'P') + "\r\n", "[A]\r\nWIDGET\r\n"));
    sim::AddFile(InInfDirectory(L"oem3.inf"), PackageInf("Provider=%P%\r\n", "[A]\r\nx = widget\r\n[Strings]\r\nP = \"Acme Corp\"\r\n"));
    sim::AddFile(InInfDirectory(L"machine.inf"), kInf + "[A]\r\nwidget\r\n");
    sim::DeviceSpec device = sim::Device(L"ROOT\\X\\0000", L"System", {L"ROOT\\X"});
    device.hasDriverKey = true;
    device.infPath = Is(row.failing, "InfPath") ? std::wstring(MAX_PATH, L'x') : L"oem3.inf";  // or longer than any package name
    sim::AddDevice(device);
    if (row.failing && !Is(row.failing, "InfPath")) sim::FailCall(row.failing, ERROR_ACCESS_DENIED);
    EXPECT_EQ(row.result, EngineRun(row.args.argc(), row.args.argv()));
    EXPECT_EQ(row.out, sim::StdOut());
    EXPECT_EQ(row.result ? ExpectedMessage(row.result == 3 ? MSG_COMMAND_MISUSED : MSG_COMMAND_FAILED, L"dummy.exe", L"dp_enum") : "", sim::StdErr());
    EXPECT_EQ(3u, sim::StoredPackages().size());
  }
}

}  // namespace
