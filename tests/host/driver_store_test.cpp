// "dp_add" and "dp_delete": what reaches the driver store, and the message
// and result of each outcome.
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine_output.h"
#include "expected_message.h"
#include "platform/sim/sim_store.h"
#include "sim_test.h"

namespace {

const char kInf[] = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Sample\r\n";

std::wstring Stored(const std::wstring& name) { return L"C:\\Windows\\INF\\" + name; }

bool Is(const char* text, const char* word) { return text && std::string(text) == word; }

int Engine(std::initializer_list<std::wstring> items) {
  Args args(items);
  return EngineRun(args.argc(), args.argv());
}

class DriverStore : public SimTest {};

TEST_F(DriverStore, DpAddStoresUnderTheLowestFreeOemNameAndReportsOnlyThatName) {
  sim::SetCurrentDirectory(L"C:\\work\\drivers");
  sim::AddFile(L"C:\\work\\drivers\\a.inf", kInf);
  sim::AddFile(L"C:\\work\\other\\b.inf", std::string(kInf) + "; b\r\n");
  sim::AddFile(L"C:\\work\\other\\c.inf", std::string(kInf) + "; c\r\n");
  EXPECT_EQ(0, Engine({L"dummy.exe", L"dp_add", L"a.inf"}));
  EXPECT_EQ(0, Engine({L"dummy.exe", L"dp_add", L"..\\other\\b.inf"}));
  ASSERT_TRUE(sim::RemoveFile(Stored(L"oem0.inf")));
  EXPECT_EQ(0, Engine({L"dummy.exe", L"dp_add", L"C:/work/other/c.inf."}));
  EXPECT_EQ(ExpectedMessage(61115, L"oem0.inf") + ExpectedMessage(61115, L"oem1.inf") +
                ExpectedMessage(61115, L"oem0.inf"),
            sim::StdOut());
  std::string content;
  ASSERT_TRUE(sim::ReadFile(Stored(L"oem0.inf"), &content));
  EXPECT_EQ(std::string(kInf) + "; c\r\n", content);
}

TEST_F(DriverStore, DpAddFailures) {
  struct Row {
    const char* name;
    size_t pathLength;  // of "C:\ddd...\p.inf"; 0: a file of this name exists
    const char* failing;
    int result;
    std::vector<unsigned long> messages;
  };
  const Row rows[] = {
      {"259 characters", 259, nullptr, 0, {61115}},
      {"260 characters", 260, nullptr, 2, {61113, 60001}},
      {"full path fails", 20, "GetFullPathNameW", 2, {61113, 60001}},
      {"copy fails", 20, "SetupCopyOEMInfW", 2, {61114, 60001}},
      {"missing file", 0, nullptr, 2, {61114, 60001}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    sim::Reset();
    std::wstring path = L"C:\\" + std::wstring(row.pathLength ? row.pathLength - 9 : 5, L'd') + L"\\p.inf";
    if (path.size() > 60) path[60] = L'\\';  // no name longer than Windows allows
    if (row.pathLength) sim::AddFile(path, kInf);
    if (row.failing) sim::FailCall(row.failing, ERROR_ACCESS_DENIED);
    EXPECT_EQ(row.result, Engine({L"dummy.exe", L"dp_add", path}));
    EXPECT_EQ(row.messages, MessagesComposed());
    EXPECT_EQ(row.result == 0, !sim::StoredPackages().empty());
  }
  EXPECT_EQ(3, Engine({L"dummy.exe", L"dp_add"}));
}

TEST_F(DriverStore, DpDeleteOutcomes) {
  struct Row {
    const wchar_t* name;
    bool force;
    const char* failing;  // a call that fails with ERROR_ACCESS_DENIED, or "export" / "library" when absent
    int result;
    std::vector<unsigned long> messages;
    bool reachesStore;  // SetupUninstallOEMInfW was called
  };
  const Row rows[] = {
      {L"oem3.inf", false, nullptr, 0, {61119}, true},
      {L"OEM3.INF", true, nullptr, 0, {61119}, true},
      {L"oem4.inf", false, nullptr, 2, {61117, 60001}, true},  // in use
      {L"oem4.inf", true, nullptr, 0, {61119}, true},
      {L"oem9.inf", true, nullptr, 2, {61118, 60001}, true},  // not installed
      {L"oem3.inf", false, "SetupUninstallOEMInfW", 2, {61116, 60001}, true},
      {L"oem3.inf", false, "GetProcAddress", 2, {60001}, false},
      {L"oem3.inf", false, "export", 2, {60001}, false},
      {L"oem3.inf", false, "library", 2, {60001}, false},
      // No name but oem<digits>.inf reaches the store.
      {L"machine.inf", true, nullptr, 2, {61118, 60001}, false},
      {L"..\\win.ini", true, nullptr, 2, {61118, 60001}, false},
      {L"../system.ini", true, nullptr, 2, {61118, 60001}, false},
      {L"..\\..\\x.txt", true, nullptr, 2, {61118, 60001}, false},
      {L"C:\\Windows\\INF\\oem3.inf", true, nullptr, 2, {61118, 60001}, false},
      {L"oem3.inf\\..\\..\\win.ini", true, nullptr, 2, {61118, 60001}, false},
      {L"oemsetup.inf", true, nullptr, 2, {61118, 60001}, false},
      {L"oem.inf", true, nullptr, 2, {61118, 60001}, false},
      {L"oem3", true, nullptr, 2, {61118, 60001}, false},
      {L"oem3.inf.", true, nullptr, 2, {61118, 60001}, false},
      {L"oem3.inx", true, nullptr, 2, {61118, 60001}, false},
      {L"", true, nullptr, 2, {61118, 60001}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(sim::Utf8(row.name));
    sim::Reset();
    for (const wchar_t* name : {L"oem3.inf", L"oem4.inf", L"machine.inf"}) sim::AddFile(Stored(name), kInf);
    sim::AddFile(L"C:\\Windows\\win.ini", "[fonts]\r\n");
    sim::MarkPackageInUse(L"oem4.inf");
    if (Is(row.failing, "export")) {
      sim::RemoveExport(L"setupapi.dll", "SetupUninstallOEMInfW");
    } else if (Is(row.failing, "library")) {
      sim::RemoveLibrary(L"setupapi.dll");
    } else if (row.failing) {
      sim::FailCall(row.failing, ERROR_ACCESS_DENIED);
    }
    sim::ClearCalls();
    int result = row.force ? Engine({L"dummy.exe", L"-f", L"dp_delete", row.name})
                           : Engine({L"dummy.exe", L"dp_delete", row.name});
    EXPECT_EQ(row.result, result);
    EXPECT_EQ(row.messages, MessagesComposed());
    EXPECT_EQ(row.reachesStore, sim::CountCalls("SetupUninstallOEMInfW") == 1);
    EXPECT_TRUE(sim::FileExists(L"C:\\Windows\\win.ini"));
    EXPECT_TRUE(sim::FileExists(Stored(L"machine.inf")));
    size_t left = sim::StoredPackages().size();
    EXPECT_EQ(row.result == 0 ? 1u : 2u, left);
  }
  EXPECT_EQ(3, Engine({L"dummy.exe", L"-f", L"dp_delete"}));
}

}  // namespace
