// "dp_add" and "dp_delete": what reaches the driver store, the message of
// each outcome, and the library that "dp_delete" loads.
#include <algorithm>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/message_ids.h"
#include "engine_output.h"
#include "expected_message.h"
#include "platform/sim/sim_store.h"
#include "sim_test.h"

namespace {

std::string Inf(const std::string& tag) {
  return "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Sample\r\n"
         "ClassGuid={6f1c2a3e-8d4b-4c7a-9e21-5b0d3f7a9c41}\r\nProvider=Pelmora\r\n; " +
         tag + "\r\n";
}

std::wstring Stored(const std::wstring& name) { return std::wstring(sim::kInfDirectory) + L"\\" + name; }

int Engine(std::initializer_list<std::wstring> items) {
  Args args(items);
  return EngineRun(args.argc(), args.argv());
}

int AddPackage(const std::wstring& path) { return Engine({L"dummy.exe", L"dp_add", path}); }

// "C:\" + folders + "\p.inf", exactly `length` characters.
std::wstring PathOfLength(size_t length) {
  std::wstring path = L"C:\\" + std::wstring(length - 9, L'd') + L"\\p.inf";
  path[60] = L'\\';  // two folders, so that no name is longer than Windows allows
  return path;
}

class DpAdd : public SimTest {};
class DpDelete : public SimTest {
 protected:
  // A package as "dp_add" leaves it, with the call log and output cleared.
  void Store(const std::wstring& name, const std::string& content) {
    sim::AddFile(Stored(name), content);
    sim::ClearCalls();
    sim::ClearOutput();
  }
};

TEST_F(DpAdd, StoresUnderTheLowestFreeOemNameAndReportsOnlyTheName) {
  sim::AddFile(L"C:\\pkgs\\a.inf", Inf("a"));
  sim::AddFile(L"C:\\pkgs\\b.inf", Inf("b"));
  sim::AddFile(L"C:\\pkgs\\c.inf", Inf("c"));

  EXPECT_EQ(ENGINE_DONE, AddPackage(L"C:\\pkgs\\a.inf"));
  EXPECT_EQ(ENGINE_DONE, AddPackage(L"C:\\pkgs\\b.inf"));
  std::string content;
  ASSERT_TRUE(sim::ReadFile(Stored(L"oem1.inf"), &content));
  EXPECT_EQ(Inf("b"), content);
  EXPECT_NE(std::string::npos, sim::StdOut().find("oem0.inf"));
  EXPECT_NE(std::string::npos, sim::StdOut().find("oem1.inf"));
  EXPECT_EQ(std::string::npos, sim::StdOut().find("INF\\")) << "only the file name is reported";
  EXPECT_EQ("", sim::StdErr());

  ASSERT_TRUE(sim::RemoveFile(Stored(L"oem0.inf")));
  sim::ClearOutput();
  EXPECT_EQ(ENGINE_DONE, AddPackage(L"C:\\pkgs\\c.inf"));
  EXPECT_NE(std::string::npos, sim::StdOut().find("oem0.inf"));
  EXPECT_EQ((std::vector<std::wstring>{L"oem0.inf", L"oem1.inf"}), sim::StoredPackages());
  EXPECT_EQ((std::vector<unsigned long>{MSG_DP_ADDED, MSG_DP_ADDED, MSG_DP_ADDED}), MessagesComposed());
}

TEST_F(DpAdd, PackageWithTheSameBytesKeepsItsStoredName) {
  sim::AddFile(L"C:\\pkgs\\a.inf", Inf("same"));
  sim::AddFile(L"C:\\elsewhere\\copy.inf", Inf("same"));
  EXPECT_EQ(ENGINE_DONE, AddPackage(L"C:\\pkgs\\a.inf"));
  EXPECT_EQ(ENGINE_DONE, AddPackage(L"C:\\elsewhere\\copy.inf"));
  EXPECT_EQ(std::vector<std::wstring>{L"oem0.inf"}, sim::StoredPackages());
  std::string out = sim::StdOut();
  EXPECT_EQ(2, std::count(out.begin(), out.end(), '\n'));
}

TEST_F(DpAdd, CopiesTheFullPathWithFixedArguments) {
  sim::AddFile(L"C:\\pkgs\\a.inf", Inf("a"));
  EXPECT_EQ(ENGINE_DONE, AddPackage(L"C:\\pkgs\\a.inf"));
  EXPECT_EQ(std::vector<std::string>{"GetFullPathNameW(\"C:\\pkgs\\a.inf\", 260)"},
            sim::CallsTo("GetFullPathNameW"));
  EXPECT_EQ(std::vector<std::string>{"SetupCopyOEMInfW(\"C:\\pkgs\\a.inf\", null, 1, 0x0, 260)"},
            sim::CallsTo("SetupCopyOEMInfW"));
}

TEST_F(DpAdd, RelativePathsResolveAgainstTheCurrentDirectory) {
  sim::SetCurrentDirectory(L"C:\\work\\drivers");
  sim::AddFile(L"C:\\work\\drivers\\here.inf", Inf("here"));
  sim::AddFile(L"C:\\work\\other\\up.inf", Inf("up"));
  EXPECT_EQ(ENGINE_DONE, AddPackage(L"here.inf"));
  EXPECT_EQ(ENGINE_DONE, AddPackage(L"..\\other\\up.inf"));
  EXPECT_EQ(ENGINE_DONE, AddPackage(L".\\here.inf"));
  EXPECT_EQ((std::vector<std::string>{
                "SetupCopyOEMInfW(\"C:\\work\\drivers\\here.inf\", null, 1, 0x0, 260)",
                "SetupCopyOEMInfW(\"C:\\work\\other\\up.inf\", null, 1, 0x0, 260)",
                "SetupCopyOEMInfW(\"C:\\work\\drivers\\here.inf\", null, 1, 0x0, 260)"}),
            sim::CallsTo("SetupCopyOEMInfW"));
}

TEST_F(DpAdd, AcceptsBlanksNonAsciiForwardSlashesAndTrailingDots) {
  sim::AddFile(L"C:\\Pakete f\u00fcr Ger\u00e4te\\\u03a9 driver.inf", Inf("omega"));
  EXPECT_EQ(ENGINE_DONE, AddPackage(L"C:/Pakete f\u00fcr Ger\u00e4te/\u03a9 driver.inf."));
  EXPECT_EQ(std::vector<std::string>{"SetupCopyOEMInfW(\"C:\\Pakete f\u00fcr Ger\u00e4te\\\u03a9 driver.inf\", "
                                     "null, 1, 0x0, 260)"},
            sim::CallsTo("SetupCopyOEMInfW"));
  EXPECT_EQ(std::vector<std::wstring>{L"oem0.inf"}, sim::StoredPackages());
}

TEST_F(DpAdd, FullPathOf259CharactersIsAcceptedAnd260OrMoreRefusedWithoutCopy) {
  for (size_t length : {259u, 260u, 261u}) {
    sim::Reset();
    std::wstring path = PathOfLength(length);
    ASSERT_EQ(length, path.size());
    sim::AddFile(path, Inf("long"));
    int result = AddPackage(path);
    if (length == 259) {
      EXPECT_EQ(ENGINE_DONE, result);
      EXPECT_EQ(1u, sim::CountCalls("SetupCopyOEMInfW"));
      continue;
    }
    EXPECT_EQ(ENGINE_FAILED, result) << length;
    EXPECT_EQ(0u, sim::CountCalls("SetupCopyOEMInfW")) << length;
    EXPECT_EQ((std::vector<unsigned long>{MSG_DP_ADD_BAD_PATH, MSG_COMMAND_FAILED}), MessagesComposed());
    EXPECT_TRUE(sim::StoredPackages().empty());
  }
}

TEST_F(DpAdd, RelativePathWhoseFullFormReaches260IsRefused) {
  std::wstring folder = PathOfLength(259).substr(0, 250);  // C:\ and 247 more characters
  sim::SetCurrentDirectory(folder);
  sim::AddFile(folder + L"\\abc.inf", Inf("x"));  // 258 characters
  sim::AddFile(folder + L"\\abcd.inf", Inf("y"));  // 259
  sim::AddFile(folder + L"\\abcde.inf", Inf("z"));  // 260
  EXPECT_EQ(ENGINE_DONE, AddPackage(L"abc.inf"));
  EXPECT_EQ(ENGINE_DONE, AddPackage(L"abcd.inf"));
  EXPECT_EQ(ENGINE_FAILED, AddPackage(L"abcde.inf"));
  EXPECT_EQ(2u, sim::CountCalls("SetupCopyOEMInfW"));
}

TEST_F(DpAdd, PathThatCannotBeMadeFullFailsWith61113) {
  sim::FailCall("GetFullPathNameW", ERROR_INVALID_PARAMETER);
  EXPECT_EQ(ENGINE_FAILED, AddPackage(L"C:\\pkgs\\a.inf"));
  EXPECT_EQ(ENGINE_FAILED, AddPackage(L""));  // Windows has no full form for an empty name
  EXPECT_EQ(0u, sim::CountCalls("SetupCopyOEMInfW"));
  EXPECT_EQ((std::vector<unsigned long>{MSG_DP_ADD_BAD_PATH, MSG_COMMAND_FAILED, MSG_DP_ADD_BAD_PATH,
                                        MSG_COMMAND_FAILED}),
            MessagesComposed());
}

TEST_F(DpAdd, WhatCannotBeCopiedFailsWith61114AndStoresNothing) {
  sim::AddFile(L"C:\\pkgs\\empty.inf", "");
  sim::AddFile(L"C:\\pkgs\\text.inf", "not an INF file at all\r\n");
  sim::AddFile(L"C:\\pkgs\\nosig.inf", "[Version]\r\nClass=Sample\r\n");
  sim::AddDirectory(L"C:\\pkgs\\folder.inf");
  for (const wchar_t* path : {L"C:\\pkgs\\missing.inf", L"C:\\nowhere\\a.inf", L"C:\\pkgs\\empty.inf",
                              L"C:\\pkgs\\text.inf", L"C:\\pkgs\\nosig.inf", L"C:\\pkgs\\folder.inf"}) {
    sim::ClearCalls();
    sim::ClearOutput();
    EXPECT_EQ(ENGINE_FAILED, AddPackage(path)) << sim::Utf8(path);
    EXPECT_EQ((std::vector<unsigned long>{MSG_DP_ADD_FAILED, MSG_COMMAND_FAILED}), MessagesComposed());
    EXPECT_EQ(ExpectedMessage(MSG_DP_ADD_FAILED, sim::FullPath(path).c_str()), sim::StdOut());
    EXPECT_NE(std::string::npos, sim::StdErr().find("dummy.exe")) << "inserts of the failure message";
    EXPECT_NE(std::string::npos, sim::StdErr().find("dp_add"));
  }
  EXPECT_TRUE(sim::StoredPackages().empty());
}

TEST_F(DpAdd, InjectedCopyFailureFailsWith61114) {
  sim::AddFile(L"C:\\pkgs\\a.inf", Inf("a"));
  sim::FailCall("SetupCopyOEMInfW", ERROR_ACCESS_DENIED);
  EXPECT_EQ(ENGINE_FAILED, AddPackage(L"C:\\pkgs\\a.inf"));
  EXPECT_EQ((std::vector<unsigned long>{MSG_DP_ADD_FAILED, MSG_COMMAND_FAILED}), MessagesComposed());
  EXPECT_TRUE(sim::StoredPackages().empty());
}

TEST_F(DpAdd, WithoutArgumentIsBadUsageAndWritesNothingItself) {
  EXPECT_EQ(ENGINE_BAD_USAGE, AddDriverPackage(L"dummy.exe", nullptr, 0, 0, nullptr));
  EXPECT_TRUE(sim::Calls().empty());
  EXPECT_EQ("", sim::StdOut() + sim::StdErr());

  EXPECT_EQ(ENGINE_BAD_USAGE, Engine({L"dummy.exe", L"dp_add"}));
  EXPECT_EQ(std::vector<unsigned long>{MSG_COMMAND_MISUSED}, MessagesComposed());
  EXPECT_EQ("", sim::StdOut());
}

TEST_F(DpAdd, MachineFlagsAndExtraArgumentsAreIgnored) {
  sim::AddFile(L"C:\\pkgs\\a.inf", Inf("a"));
  EXPECT_EQ(ENGINE_DONE, Engine({L"dummy.exe", L"-m:PC7", L"-f", L"dp_add", L"C:\\pkgs\\a.inf", L"extra"}));
  EXPECT_EQ(std::vector<std::string>{"SetupCopyOEMInfW(\"C:\\pkgs\\a.inf\", null, 1, 0x0, 260)"},
            sim::CallsTo("SetupCopyOEMInfW"));
}

TEST_F(DpAdd, MissingMessageTextChangesNothingButTheOutput) {
  sim::AddFile(L"C:\\pkgs\\a.inf", Inf("a"));
  sim::HideMessage(MSG_DP_ADDED);
  EXPECT_EQ(ENGINE_DONE, AddPackage(L"C:\\pkgs\\a.inf"));
  EXPECT_EQ("", sim::StdOut());
  EXPECT_EQ(std::vector<std::wstring>{L"oem0.inf"}, sim::StoredPackages());
}

TEST_F(DpDelete, RemovesAStoredPackageWithFlagsZeroWithoutForce) {
  Store(L"oem3.inf", Inf("a"));
  sim::AddFile(Stored(L"oem3.pnf"), "precompiled");
  EXPECT_EQ(ENGINE_DONE, Engine({L"dummy.exe", L"dp_delete", L"oem3.inf"}));
  EXPECT_FALSE(sim::FileExists(Stored(L"oem3.inf")));
  EXPECT_FALSE(sim::FileExists(Stored(L"oem3.pnf")));
  EXPECT_EQ((std::vector<std::string>{"GetSystemDirectoryW(260)",
                                      "LoadLibraryW(\"C:\\Windows\\system32\\setupapi.dll\")",
                                      "GetProcAddress(SetupUninstallOEMInfW)",
                                      "SetupUninstallOEMInfW(\"oem3.inf\", 0x0)",
                                      "FormatMessageW(61119, 0x900)", "FreeLibrary(setupapi.dll)"}),
            sim::Calls());
  EXPECT_NE(std::string::npos, sim::StdOut().find("oem3.inf"));
  EXPECT_EQ("", sim::StdErr());
}

TEST_F(DpDelete, ForcePassesSuoiForceDelete) {
  Store(L"oem0.inf", Inf("a"));
  EXPECT_EQ(ENGINE_DONE, Engine({L"dummy.exe", L"-f", L"dp_delete", L"oem0.inf"}));
  EXPECT_EQ(std::vector<std::string>{"SetupUninstallOEMInfW(\"oem0.inf\", 0x1)"},
            sim::CallsTo("SetupUninstallOEMInfW"));
  EXPECT_EQ(std::vector<unsigned long>{MSG_DP_DELETED}, MessagesComposed());
}

TEST_F(DpDelete, PackageInUseNeedsForce) {
  Store(L"oem1.inf", Inf("a"));
  sim::MarkPackageInUse(L"OEM1.INF");
  EXPECT_EQ(ENGINE_FAILED, Engine({L"dummy.exe", L"dp_delete", L"oem1.inf"}));
  EXPECT_TRUE(sim::FileExists(Stored(L"oem1.inf")));
  EXPECT_EQ((std::vector<unsigned long>{MSG_DP_IN_USE, MSG_COMMAND_FAILED}), MessagesComposed());
  EXPECT_EQ(ExpectedMessage(MSG_DP_IN_USE), sim::StdOut());
  EXPECT_EQ(1u, sim::CountCalls("FreeLibrary"));

  sim::ClearCalls();
  EXPECT_EQ(ENGINE_DONE, Engine({L"dummy.exe", L"-f", L"dp_delete", L"oem1.inf"}));
  EXPECT_FALSE(sim::FileExists(Stored(L"oem1.inf")));
}

TEST_F(DpDelete, NameThatIsNoInstalledOemInfGives61118AndIsPassedUnchanged) {
  Store(L"oem0.inf", Inf("a"));
  sim::AddFile(Stored(L"machine.inf"), Inf("system"));
  for (const wchar_t* name : {L"oem9.inf", L"machine.inf", L"C:\\Windows\\INF\\oem0.inf", L"oem0"}) {
    sim::ClearCalls();
    sim::ClearOutput();
    EXPECT_EQ(ENGINE_FAILED, Engine({L"dummy.exe", L"-f", L"dp_delete", name}));
    EXPECT_EQ(std::vector<std::string>{"SetupUninstallOEMInfW(\"" + sim::Utf8(name) + "\", 0x1)"},
              sim::CallsTo("SetupUninstallOEMInfW"));
    EXPECT_EQ((std::vector<unsigned long>{MSG_DP_NOT_OEM, MSG_COMMAND_FAILED}), MessagesComposed());
    EXPECT_EQ(0u, sim::CountCalls("GetFullPathNameW"));
  }
  EXPECT_TRUE(sim::FileExists(Stored(L"oem0.inf")));
  EXPECT_TRUE(sim::FileExists(Stored(L"machine.inf")));
}

TEST_F(DpDelete, AnyOtherFailureGives61116) {
  Store(L"oem0.inf", Inf("a"));
  sim::FailCall("SetupUninstallOEMInfW", ERROR_ACCESS_DENIED);
  EXPECT_EQ(ENGINE_FAILED, Engine({L"dummy.exe", L"dp_delete", L"oem0.inf"}));
  EXPECT_EQ((std::vector<unsigned long>{MSG_DP_DELETE_FAILED, MSG_COMMAND_FAILED}), MessagesComposed());
  EXPECT_EQ(ExpectedMessage(MSG_DP_DELETE_FAILED), sim::StdOut());
}

TEST_F(DpDelete, FunctionAbsentFailsSilentlyAndReleasesTheLibrary) {
  Store(L"oem0.inf", Inf("a"));
  sim::RemoveExport(L"setupapi.dll", "SetupUninstallOEMInfW");
  EXPECT_EQ(ENGINE_FAILED, DeleteDriverPackage(L"dummy.exe", nullptr, ENGINE_FLAG_FORCE, 1,
                                               Args{L"oem0.inf"}.argv()));
  EXPECT_EQ((std::vector<std::string>{"GetSystemDirectoryW(260)",
                                      "LoadLibraryW(\"C:\\Windows\\system32\\setupapi.dll\")",
                                      "GetProcAddress(SetupUninstallOEMInfW)",
                                      "FreeLibrary(setupapi.dll)"}),
            sim::Calls());
  EXPECT_EQ("", sim::StdOut() + sim::StdErr());
  EXPECT_TRUE(sim::FileExists(Stored(L"oem0.inf")));
}

TEST_F(DpDelete, LookupFailureFailsSilentlyAndReleasesTheLibrary) {
  sim::FailCall("GetProcAddress", ERROR_PROC_NOT_FOUND);
  EXPECT_EQ(ENGINE_FAILED, Engine({L"dummy.exe", L"dp_delete", L"oem0.inf"}));
  EXPECT_EQ(1u, sim::CountCalls("FreeLibrary"));
  EXPECT_EQ(std::vector<unsigned long>{MSG_COMMAND_FAILED}, MessagesComposed());
  EXPECT_EQ("", sim::StdOut());
}

TEST_F(DpDelete, LibraryMissingFailsSilentlyWithNothingToRelease) {
  Store(L"oem0.inf", Inf("a"));
  sim::RemoveLibrary(L"setupapi.dll");
  EXPECT_EQ(ENGINE_FAILED, DeleteDriverPackage(L"dummy.exe", nullptr, 0, 1, Args{L"oem0.inf"}.argv()));
  EXPECT_EQ((std::vector<std::string>{"GetSystemDirectoryW(260)",
                                      "LoadLibraryW(\"C:\\Windows\\system32\\setupapi.dll\")"}),
            sim::Calls());
  EXPECT_EQ("", sim::StdOut() + sim::StdErr());
}

TEST_F(DpDelete, WithoutArgumentIsBadUsageAndLoadsNothing) {
  EXPECT_EQ(ENGINE_BAD_USAGE, DeleteDriverPackage(L"dummy.exe", nullptr, ENGINE_FLAG_FORCE, 0, nullptr));
  EXPECT_TRUE(sim::Calls().empty());
  EXPECT_EQ(ENGINE_BAD_USAGE, Engine({L"dummy.exe", L"-f", L"dp_delete"}));
  EXPECT_EQ(0u, sim::CountCalls("LoadLibraryW"));
  EXPECT_EQ(std::vector<unsigned long>{MSG_COMMAND_MISUSED}, MessagesComposed());
}

TEST_F(DpDelete, RemovesWhatDpAddStored) {
  sim::AddFile(L"C:\\pkgs\\a.inf", Inf("a"));
  ASSERT_EQ(ENGINE_DONE, AddPackage(L"C:\\pkgs\\a.inf"));
  EXPECT_EQ(ENGINE_DONE, Engine({L"dummy.exe", L"-f", L"dp_delete", sim::StoredPackages().at(0)}));
  EXPECT_TRUE(sim::StoredPackages().empty());
  EXPECT_TRUE(sim::FileExists(L"C:\\pkgs\\a.inf")) << "the source stays";
}

}  // namespace
