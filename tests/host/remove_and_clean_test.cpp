// "pelmora.exe remove pattern|text": how the argument is split, which
// selections are refused, and which packages the clean-up deletes.
#include <cwchar>
#include <vector>

#include "device_test_support.h"
#include "expected_message.h"
#include "packages/packages.h"
#include "platform/sim/sim_store.h"

namespace {

std::wstring InInfDirectory(const std::wstring& name) { return L"C:\\Windows\\INF\\" + name; }

void AddInf(const std::wstring& name, const std::string& body) {
  sim::AddFile(InInfDirectory(name), "[Version]\r\nSignature=\"$Windows NT$\"\r\n" + body);
}

class RemoveAndClean : public SimTest {};

TEST_F(RemoveAndClean, ArgumentDecidesWhatIsRemovedAndDeleted) {
  struct Row {
    const wchar_t* argument;
    int exitCode;
    bool deviceGone;
    bool packageGone;
  };
  const Row rows[] = {
      {L"PELMORA\\SAMPLE", 2, false, false},  // no bar: nothing at all
      {L"|", 0, false, false},
      {L"|PELMORA\\SAMPLE", 0, false, true},
      {L"PELMORA\\SAMPLE|", 0, true, false},
      {L"pelmora\\*|PELMORA\\SAMPLE", 0, true, true},
      {L"*SAMPLE|PELMORA\\SAMPLE", 0, true, true},
      {L"=Sample|PELMORA\\SAMPLE", 0, true, true},
      {L"NOTHING\\HERE|PELMORA\\SAMPLE", 0, false, true},  // a device not plugged in
      {L"@|PELMORA\\SAMPLE", 0, false, true},
      // Every device of the computer is refused before anything is touched.
      {L"*|PELMORA\\SAMPLE", 2, false, false},
      {L"@*|PELMORA\\SAMPLE", 2, false, false},
      {L"**|", 2, false, false},
      {L"|left|right", 0, false, true},  // a further bar belongs to the text
      {L"| \t ", 0, false, false},       // no visible character: nothing deleted
      // Blanks and tabs around the pattern are dropped first; the text stays as given.
      {L" \tPELMORA\\SAMPLE \t|PELMORA\\SAMPLE", 0, true, true},
      {L"PELMORA\\SAMPLE | PELMORA\\SAMPLE", 0, true, false},
      {L" \t |PELMORA\\SAMPLE", 0, false, true},
      {L"\t* |", 2, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(sim::Utf8(row.argument));
    sim::Reset();
    sim::AddDevice(sim::Device(L"ROOT\\SAMPLE\\0000", L"Sample", {L"PELMORA\\SAMPLE"}));
    AddInf(L"oem1.inf", "[Models]\r\nx = y, PELMORA\\SAMPLE\r\n[Strings]\r\nA = \"left|right\"\r\n");
    AddInf(L"oem2.inf", "[Strings]\r\nA = \"right\"\r\n");
    EXPECT_EQ(row.exitCode, RemoveDevicesAndPackages(row.argument));
    EXPECT_EQ(row.deviceGone, !sim::DeviceExists(L"ROOT\\SAMPLE\\0000"));
    EXPECT_EQ(row.packageGone, !sim::FileExists(InInfDirectory(L"oem1.inf")));
    EXPECT_TRUE(sim::FileExists(InInfDirectory(L"oem2.inf")));
    if (row.exitCode == 2) {  // refused before anything is touched, with a line saying why
      EXPECT_EQ(0u, sim::CountCalls("SetupDiGetClassDevsExW") + sim::CountCalls("SetupGetInfFileListW"));
    }
    if (!std::wcschr(row.argument, L'|')) {
      EXPECT_EQ(ExpectedMessage(61305, L"pelmora.exe"), sim::StdErr());
    }
  }
}

TEST_F(RemoveAndClean, CleanUpDeletesOnlyOemPackagesThatHoldTheText) {
  struct Row {
    const char* name;
    std::vector<std::pair<std::wstring, std::string>> files;
    const char* failing;  // calls that fail from the nth on (count 0: all), or null
    int nth;
    int count;
    unsigned long error;
    int exitCode;
    std::vector<std::wstring> kept;
    size_t deletions;  // runs of the engine's dp_delete
  };
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
       "SetupGetInfFileListW", 1, 1, ERROR_ACCESS_DENIED, 2, {L"oem1.inf"}, 0},
      {"the list cannot be filled", {{L"oem1.inf", "[A]\r\nwidget\r\n"}},
       "SetupGetInfFileListW", 2, 1, ERROR_INSUFFICIENT_BUFFER, 2, {L"oem1.inf"}, 0},
      {"a file that cannot be opened is passed over",
       {{L"oem1.inf", "[A]\r\nwidget\r\n"}, {L"oem2.inf", "[A]\r\nwidget\r\n"}},
       "SetupOpenInfFileW", 1, 0, ERROR_ACCESS_DENIED, 0, {L"oem1.inf", L"oem2.inf"}, 0},
      {"sections that never end still end the walk", {{L"oem1.inf", "[A]\r\nwidget\r\n"}},
       "SetupEnumInfSectionsW", 1, 0, ERROR_GEN_FAILURE, 0, {L"oem1.inf"}, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    sim::Reset();
    for (const auto& file : row.files) AddInf(file.first, file.second);
    sim::MarkPackageInUse(L"oem4.inf");
    if (row.failing) sim::FailCall(row.failing, row.error, row.nth, row.count);
    EXPECT_EQ(row.exitCode, RemoveDevicesAndPackages(L"|widget"));
    std::vector<std::wstring> kept;
    for (const auto& file : row.files) {
      if (sim::FileExists(InInfDirectory(file.first))) kept.push_back(file.first);
    }
    EXPECT_EQ(row.kept, kept);
    EXPECT_EQ(row.deletions, sim::CountCalls("SetupUninstallOEMInfW"));
  }
}

TEST_F(RemoveAndClean, PackagesAreDeletedInListOrderAndBlankTextsDeleteNothing) {
  AddInf(L"oem7.inf", "[A]\r\nwidget\r\n");
  AddInf(L"oem2.inf", "[A]\r\nwidget\r\n");
  EXPECT_EQ(0, DeleteMatchingOemPackages(L" "));
  EXPECT_EQ(0, DeleteMatchingOemPackages(L""));
  EXPECT_EQ(0, DeleteOemPackageIfMatch(L"oem7.inf", L"\t"));
  EXPECT_TRUE(sim::Calls().empty());
  EXPECT_EQ(0, DeleteMatchingOemPackages(L"widget"));
  EXPECT_EQ(ExpectedMessage(61119, L"oem7.inf") + ExpectedMessage(61119, L"oem2.inf"), sim::StdOut());
}

}  // namespace
