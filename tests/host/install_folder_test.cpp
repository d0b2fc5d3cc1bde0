// "install <folder>": every INF file directly in the folder goes to the
// engine's "dp_add" under the program's own name; the exit code is always 0.
#include <string>
#include <vector>

#include "expected_message.h"
#include "frontend/frontend.h"
#include "platform/sim/sim_store.h"
#include "sim_test.h"

namespace {

std::string Inf(const std::string& tag) { return "[Version]\r\nSignature=\"$Windows NT$\"\r\n; " + tag + "\r\n"; }

const char kBanner[] = "Installing USB-driver...\n";

class InstallFolder : public SimTest {
 protected:
  int Install(const std::wstring& folder) {
    return RunFrontEnd(4, Args{L"pelmora.exe", L"install", folder, L"ignored"}.argv());
  }
  // The INF files the engine copied into the driver store, in order.
  std::vector<std::string> Copied() {
    std::vector<std::string> sources;
    for (const std::string& call : sim::CallsTo("SetupCopyOEMInfW")) {
      size_t start = call.find('"') + 1;
      sources.push_back(call.substr(start, call.find('"', start) - start));
    }
    return sources;
  }
};

// Only a long name that ends in .inf is a package (the search also yields short-name matches); a
// package the engine cannot add is reported under the program's own name, and the walk goes on.
TEST_F(InstallFolder, AddsTheEntriesWhoseLongNameEndsInInf) {
  for (const wchar_t* name : {L"a.inf", L"a.inf_", L"B.INF", L"x.inf~", L"b.inff", L"c.Inf", L"z.infold",
                              L"d.inf.txt", L"readme.txt", L"sub\\deep.inf"}) {
    sim::AddFile(std::wstring(L"C:\\pkgs\\") + name, Inf(sim::Utf8(name)));
  }
  sim::AddFile(L"C:\\pkgs\\empty.inf", "");
  sim::AddDirectory(L"C:\\pkgs\\folder.inf");
  EXPECT_EQ(0, Install(L"C:\\pkgs"));
  EXPECT_EQ((std::vector<std::string>{"C:\\pkgs\\a.inf", "C:\\pkgs\\B.INF", "C:\\pkgs\\c.Inf",
                                      "C:\\pkgs\\empty.inf", "C:\\pkgs\\folder.inf"}), Copied());
  EXPECT_TRUE(sim::StoredPackages().size() == 3 &&
              sim::StdOut().find(ExpectedMessage(61114, L"C:\\pkgs\\folder.inf")) != std::string::npos);
  const std::string failed = ExpectedMessage(60001, L"pelmora.exe", L"dp_add");
  EXPECT_EQ(kBanner + failed + failed, sim::StdErr());
}

TEST_F(InstallFolder, FolderWithoutPackagesIsNamedOnStandardError) {
  sim::AddFile(L"C:\\empty\\notes.txt", "text");
  sim::AddFile(L"C:\\odd\\a.inf_", Inf("short name only"));
  sim::AddFile(L"C:\\nested\\sub\\deep.inf", Inf("deep"));
  sim::AddFile(L"C:\\locked\\a.inf", Inf("a"));
  std::wstring longest = L"C:\\nested\\";  // 1022 characters that name C:\nested, searched; 1023 are not
  for (int i = 0; i < 506; ++i) longest += L".\\";
  struct {
    std::wstring folder;
    DWORD message;
  } const cases[] = {{L"C:\\missing", 61111}, {L"C:\\empty\\notes.txt", 61111},
                     {longest + L".", 61111}, {longest, 61112},
                     {L"C:\\" + std::wstring(254, L'f'), 61111},   // the pattern outgrows MAX_PATH
                     {L"C:\\locked", 61111}, {L"C:\\empty", 61112}, {L"C:\\odd", 61112}};
  for (const auto& c : cases) {
    sim::ClearOutput();
    if (c.folder == L"C:\\locked") sim::FailCall("FindFirstFileW", ERROR_ACCESS_DENIED);
    EXPECT_EQ(0, Install(c.folder));
    EXPECT_EQ(kBanner + ExpectedMessage(c.message, L"pelmora.exe", c.folder.c_str()), sim::StdErr());
  }
  EXPECT_TRUE(Copied().empty() && sim::StdOut().empty());
}

// The shell's path functions stop at MAX_PATH; such a package still reaches the engine whole, which
// refuses it by name rather than it vanishing without a word.
TEST_F(InstallFolder, PackagePathBeyondTheShellLimitReachesTheEngineWhole) {
  const std::wstring path = L"C:\\" + std::wstring(247, L'd') + L"\\long-package-name.inf";
  sim::AddFile(path, Inf("long"));
  EXPECT_EQ(0, Install(path.substr(0, 250)));
  EXPECT_EQ(ExpectedMessage(61113, path.c_str()), sim::StdOut());
}

}  // namespace
