// "install <folder>": every INF entry directly in the folder goes to the
// engine's "dp_add", one run per entry, and the result is always 0.
#include <string>
#include <vector>

#include "engine/message_ids.h"
#include "engine_output.h"
#include "frontend/frontend.h"
#include "packages/packages.h"
#include "platform/sim/sim_store.h"
#include "sim_test.h"

namespace {

std::string Inf(const std::string& tag) {
  return "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Sample\r\nProvider=Pelmora\r\n; " + tag + "\r\n";
}

// The package paths the engine was given, in order: "dp_add" makes each one
// full first.
std::vector<std::string> PackagePaths() {
  std::vector<std::string> paths;
  const std::string tail = "\", 260)";
  for (const std::string& call : sim::CallsTo("GetFullPathNameW")) {
    size_t start = call.find('"') + 1;
    paths.push_back(call.substr(start, call.size() - tail.size() - start));
  }
  return paths;
}

std::vector<std::string> CopiedSources() {
  std::vector<std::string> sources;
  for (const std::string& call : sim::CallsTo("SetupCopyOEMInfW")) {
    size_t start = call.find('"') + 1;
    sources.push_back(call.substr(start, call.find('"', start) - start));
  }
  return sources;
}

class InstallFolder : public SimTest {
 protected:
  void ExpectNothingRun() {
    EXPECT_EQ(0u, sim::CountCalls("GetFullPathNameW"));
    EXPECT_EQ("", sim::StdOut() + sim::StdErr());
    EXPECT_TRUE(sim::StoredPackages().empty());
  }
};

TEST_F(InstallFolder, RunsTheEngineOncePerInfEntryInSearchOrder) {
  sim::AddFile(L"C:\\pkgs\\c.inf", Inf("c"));
  sim::AddFile(L"C:\\pkgs\\readme.txt", "text");
  sim::AddFile(L"C:\\pkgs\\A.INF", Inf("a"));
  sim::AddFile(L"C:\\pkgs\\b.inf.txt", Inf("not matched"));
  sim::AddFile(L"C:\\pkgs\\sub\\deep.inf", Inf("subfolders are not searched"));
  sim::AddFile(L"C:\\pkgs\\b.inf", Inf("b"));

  EXPECT_EQ(0, InstallPackagesFromFolder(L"C:\\pkgs"));
  EXPECT_EQ(std::vector<std::string>{"FindFirstFileW(\"C:\\pkgs\\*.inf\")"}, sim::CallsTo("FindFirstFileW"));
  EXPECT_EQ((std::vector<std::string>{"C:\\pkgs\\c.inf", "C:\\pkgs\\A.INF", "C:\\pkgs\\b.inf"}), PackagePaths());
  EXPECT_EQ((std::vector<unsigned long>{MSG_DP_ADDED, MSG_DP_ADDED, MSG_DP_ADDED}), MessagesComposed());
  EXPECT_EQ(3u, sim::StoredPackages().size());
  EXPECT_EQ(1u, sim::CountCalls("FindClose"));
  EXPECT_EQ("", sim::StdErr());
}

TEST_F(InstallFolder, EngineFailuresAreIgnoredAndTheWalkGoesOn) {
  sim::AddFile(L"C:\\pkgs\\good1.inf", Inf("1"));
  sim::AddFile(L"C:\\pkgs\\empty.inf", "");
  sim::AddDirectory(L"C:\\pkgs\\folder.inf");
  sim::AddFile(L"C:\\pkgs\\good2.inf", Inf("2"));

  EXPECT_EQ(0, InstallPackagesFromFolder(L"C:\\pkgs"));
  EXPECT_EQ((std::vector<std::string>{"C:\\pkgs\\good1.inf", "C:\\pkgs\\empty.inf", "C:\\pkgs\\folder.inf",
                                      "C:\\pkgs\\good2.inf"}),
            PackagePaths());
  EXPECT_EQ((std::vector<unsigned long>{MSG_DP_ADDED, MSG_DP_ADD_FAILED, MSG_COMMAND_FAILED, MSG_DP_ADD_FAILED,
                                        MSG_COMMAND_FAILED, MSG_DP_ADDED}),
            MessagesComposed());
  EXPECT_EQ(2u, sim::StoredPackages().size());
}

TEST_F(InstallFolder, TrailingBackslashOrNotGivesTheSamePackagePaths) {
  sim::AddFile(L"C:\\pkgs\\a.inf", Inf("a"));
  sim::AddFile(L"C:\\pkgs\\b.inf", Inf("b"));
  InstallPackagesFromFolder(L"C:\\pkgs");
  std::vector<std::string> without = PackagePaths();
  sim::ClearCalls();
  InstallPackagesFromFolder(L"C:\\pkgs\\");
  EXPECT_EQ(without, PackagePaths());
  EXPECT_EQ((std::vector<std::string>{"C:\\pkgs\\a.inf", "C:\\pkgs\\b.inf"}), without);

  for (const wchar_t* spelling : {L"C:/pkgs/", L"C:\\pkgs.", L"C:\\other\\..\\pkgs"}) {
    sim::ClearCalls();
    InstallPackagesFromFolder(spelling);
    EXPECT_EQ((std::vector<std::string>{"C:\\pkgs\\a.inf", "C:\\pkgs\\b.inf"}), CopiedSources())
        << sim::Utf8(spelling);
  }
}

TEST_F(InstallFolder, RelativeFolderGivesRelativePathsResolvedAgainstTheCurrentDirectory) {
  sim::SetCurrentDirectory(L"C:\\work");
  sim::AddFile(L"C:\\work\\drivers\\a.inf", Inf("a"));
  sim::AddFile(L"C:\\pkgs\\b.inf", Inf("b"));

  EXPECT_EQ(0, InstallPackagesFromFolder(L"drivers"));
  EXPECT_EQ(0, InstallPackagesFromFolder(L"..\\pkgs"));
  EXPECT_EQ(0, InstallPackagesFromFolder(L".\\drivers\\"));
  EXPECT_EQ((std::vector<std::string>{"drivers\\a.inf", "..\\pkgs\\b.inf", "drivers\\a.inf"}), PackagePaths());
  EXPECT_EQ((std::vector<std::string>{"C:\\work\\drivers\\a.inf", "C:\\pkgs\\b.inf", "C:\\work\\drivers\\a.inf"}),
            CopiedSources());
}

TEST_F(InstallFolder, MissingOrEmptyFolderRunsNothing) {
  sim::AddFile(L"C:\\empty\\notes.txt", "text");
  sim::AddFile(L"C:\\nested\\sub\\deep.inf", Inf("deep"));
  for (const wchar_t* folder : {L"C:\\missing", L"C:\\empty", L"C:\\nested", L"C:\\empty\\notes.txt"}) {
    sim::ClearCalls();
    EXPECT_EQ(0, InstallPackagesFromFolder(folder));
    EXPECT_EQ(1u, sim::CountCalls("FindFirstFileW")) << sim::Utf8(folder);
    EXPECT_EQ(0u, sim::CountCalls("FindClose"));
    ExpectNothingRun();
  }
}

TEST_F(InstallFolder, FailingSearchRunsNothing) {
  sim::AddFile(L"C:\\pkgs\\a.inf", Inf("a"));
  sim::FailCall("FindFirstFileW", ERROR_ACCESS_DENIED);
  EXPECT_EQ(0, InstallPackagesFromFolder(L"C:\\pkgs"));
  ExpectNothingRun();
}

TEST_F(InstallFolder, FindNextFailureEndsTheWalkAndClosesTheSearch) {
  sim::AddFile(L"C:\\pkgs\\a.inf", Inf("a"));
  sim::AddFile(L"C:\\pkgs\\b.inf", Inf("b"));
  sim::FailCall("FindNextFileW", ERROR_ACCESS_DENIED);
  EXPECT_EQ(0, InstallPackagesFromFolder(L"C:\\pkgs"));
  EXPECT_EQ(std::vector<std::string>{"C:\\pkgs\\a.inf"}, PackagePaths());
  EXPECT_EQ(1u, sim::CountCalls("FindClose"));
  EXPECT_EQ(0, sim::OpenFindHandles());
}

TEST_F(InstallFolder, SubfolderNamedLikeAnInfIsHandedOnAndRefusedByTheEngine) {
  sim::AddDirectory(L"C:\\pkgs\\looks.inf");
  EXPECT_EQ(0, InstallPackagesFromFolder(L"C:\\pkgs"));
  EXPECT_EQ(std::vector<std::string>{"C:\\pkgs\\looks.inf"}, PackagePaths());
  EXPECT_EQ((std::vector<unsigned long>{MSG_DP_ADD_FAILED, MSG_COMMAND_FAILED}), MessagesComposed());
}

TEST_F(InstallFolder, FolderLongerThan1022CharactersIsRefusedUnsearched) {
  std::wstring folder = L"C:\\" + std::wstring(1020, L'f');  // 1023 characters
  EXPECT_EQ(0, InstallPackagesFromFolder(folder));
  EXPECT_TRUE(sim::Calls().empty());
  EXPECT_EQ("", sim::StdOut() + sim::StdErr());

  // 1022 fits the buffers; the shell functions then refuse it for MAX_PATH.
  folder.pop_back();
  EXPECT_EQ(0, InstallPackagesFromFolder(folder));
  EXPECT_EQ(1u, sim::CountCalls("PathAddBackslashW"));
  EXPECT_EQ(0u, sim::CountCalls("FindFirstFileW"));
}

TEST_F(InstallFolder, SearchPatternMustFitInMaxPath) {
  std::wstring fits = L"C:\\" + std::wstring(250, L'f');  // 253 characters: pattern of 259
  sim::AddFile(fits + L"\\a.inf", Inf("a"));
  EXPECT_EQ(0, InstallPackagesFromFolder(fits));
  ASSERT_EQ(1u, PackagePaths().size());
  EXPECT_EQ(259u, PackagePaths()[0].size());
  EXPECT_EQ(1u, sim::StoredPackages().size());

  sim::ClearCalls();
  std::wstring tooLong = fits + L"g";
  sim::AddFile(tooLong + L"\\b.inf", Inf("b"));
  EXPECT_EQ(0, InstallPackagesFromFolder(tooLong));
  EXPECT_EQ(0u, sim::CountCalls("FindFirstFileW"));
  EXPECT_EQ(0u, sim::CountCalls("GetFullPathNameW"));
}

TEST_F(InstallFolder, EntryWhosePathOutgrowsMaxPathIsStillReportedByTheEngine) {
  std::wstring longName = std::wstring(251, L'n') + L".inf";  // C:\p\ + 255 = 260 characters
  sim::AddFile(L"C:\\p\\" + longName, Inf("long"));
  sim::AddFile(L"C:\\p\\short.inf", Inf("short"));
  EXPECT_EQ(0, InstallPackagesFromFolder(L"C:\\p"));
  EXPECT_EQ((std::vector<std::string>{"C:\\p\\" + sim::Utf8(longName), "C:\\p\\short.inf"}), PackagePaths());
  EXPECT_EQ((std::vector<unsigned long>{MSG_DP_ADD_BAD_PATH, MSG_COMMAND_FAILED, MSG_DP_ADDED}),
            MessagesComposed());
  EXPECT_EQ(std::vector<std::string>{"C:\\p\\short.inf"}, CopiedSources());
}

TEST_F(InstallFolder, BlanksAndNonAsciiLettersInFolderAndNames) {
  sim::AddFile(L"C:\\Treiber f\u00fcr Ger\u00e4te\\\u03a9 port.inf", Inf("omega"));
  EXPECT_EQ(0, InstallPackagesFromFolder(L"C:\\Treiber f\u00fcr Ger\u00e4te"));
  EXPECT_EQ(std::vector<std::string>{"C:\\Treiber f\u00fcr Ger\u00e4te\\\u03a9 port.inf"}, CopiedSources());
  EXPECT_EQ(1u, sim::StoredPackages().size());
}

TEST_F(InstallFolder, ThousandsOfEntriesAreAllWalked) {
  const int count = 2000;
  for (int i = 0; i < count; ++i) {
    std::wstring name = L"C:\\many\\pkg" + std::to_wstring(i) + L".inf";
    sim::AddFile(name, i % 100 == 7 ? std::string("not an INF") : Inf(std::to_string(i)));
  }
  EXPECT_EQ(0, InstallPackagesFromFolder(L"C:\\many"));
  EXPECT_EQ(static_cast<size_t>(count), sim::CountCalls("GetFullPathNameW"));
  EXPECT_EQ(static_cast<size_t>(count), sim::CountCalls("FindNextFileW"));
  EXPECT_EQ(static_cast<size_t>(count - count / 100), sim::StoredPackages().size());
  EXPECT_EQ("oem1979.inf", sim::Utf8(sim::StoredPackages().back()));
  EXPECT_EQ(1u, sim::CountCalls("FindClose"));
}

TEST_F(InstallFolder, FrontEndWritesTheBannerFirstAndAlwaysAnswersZero) {
  sim::AddFile(L"C:\\pkgs\\a.inf", Inf("a"));
  sim::AddFile(L"C:\\pkgs\\bad.inf", "");
  Args args{L"pelmora.exe", L"install", L"C:\\pkgs", L"ignored"};
  EXPECT_EQ(0, RunFrontEnd(args.argc(), args.argv()));
  const std::string banner = "Installing USB-driver...\n";
  EXPECT_EQ(banner, sim::StdErr().substr(0, banner.size()));
  EXPECT_NE(std::string::npos, sim::StdErr().find("dp_add", banner.size()));
  EXPECT_EQ((std::vector<std::string>{"C:\\pkgs\\a.inf", "C:\\pkgs\\bad.inf"}), PackagePaths());
}

}  // namespace
