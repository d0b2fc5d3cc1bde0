// "install <folder>": every INF file directly in the folder goes to the
// engine's "dp_add" under the program's own name; the exit code is always 0.
#include <string>
#include <vector>

#include "expected_message.h"
#include "frontend/frontend.h"
#include "platform/sim/sim_store.h"
#include "sim_test.h"

namespace {

std::string Inf(const std::string& tag) { return PackageInf("", "; " + tag + "\r\n"); }

const char kBanner[] = "Installing USB-driver...\n";

class InstallFolder : public SimTest {
 protected:
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
  EXPECT_EQ(0, RunFrontEnd(3, Args{L"pelmora.exe", L"install", L"C:\\pkgs"}.argv()));
  EXPECT_EQ((std::vector<std::string>{"C:\\pkgs\\a.inf", "C:\\pkgs\\B.INF", "C:\\pkgs\\c.Inf",
                                      "C:\\pkgs\\empty.inf", "C:\\pkgs\\folder.inf"}),
            Copied());
  EXPECT_TRUE(sim::StoredPackages().size() == 3 &&
              sim::StdOut().find(ExpectedMessage(MSG_DP_ADD_FAILED, L"C:\\pkgs\\folder.inf", L"0x00000005 Access is denied.")) !=
                  std::string::npos);
  const std::string failed = ExpectedMessage(MSG_COMMAND_FAILED, L"pelmora.exe", L"dp_add");
  EXPECT_EQ(kBanner + failed + failed, sim::StdErr());
}

// The folder is made full once; each package path is that folder and a name side by side, as a plain
// path, handed on only when the system reads it back unchanged: a device name (con.inf, nul.txt.inf)
// or a path that cannot be read back is refused by name. dp_add takes a full path of 259 characters
// and refuses 260. A folder that cannot be searched, or holds no package, is named on standard error.
TEST_F(InstallFolder, PackagePathsAreTheFullFolderAndTheNameAsFound) {
  const std::wstring deep = L"C:\\" + std::wstring(250, L'd'), unc = L"\\\\server\\share\\" + std::wstring(238, L'u');
  const struct {
    std::wstring folder, file;  // the argument, and the one package it holds
    std::string copied;         // the path that reaches the driver store; "" when it is refused
    DWORD refused = 0;          // or the line on standard error, naming the folder or (MSG_PACKAGE_NAME_REFUSED) the file
    std::wstring reason = L"";  // the system's code and text in it
    int failingFullPath = 0;    // the GetFullPathNameW call that fails
  } cases[] = {
      {L"sub\\..\\sub", L"C:\\work\\sub\\a.inf", "C:\\work\\sub\\a.inf"},
      {L"C:\\par\\drv", L"C:\\par\\drv\\..inf", "C:\\par\\drv\\..inf"},
      {L"C:\\a. \\drv. ", L"C:\\a. \\drv\\x.inf", "C:\\a. \\drv\\x.inf"},  // only the last component loses them
      {L"C:\\dev", L"C:\\dev\\con.inf", "", MSG_PACKAGE_NAME_REFUSED}, {L"C:\\dev", L"C:\\dev\\Nul .txt.inf", "", MSG_PACKAGE_NAME_REFUSED},
      {L"C:\\dev", L"C:\\dev\\com10.inf", "C:\\dev\\com10.inf"}, {L"C:\\dev", L"C:\\dev\\a.inf", "", MSG_PACKAGE_NAME_REFUSED, L"", 3},
      {L"\\\\server\\share\\drivers\\", L"\\\\server\\share\\drivers\\a.inf", "\\\\server\\share\\drivers\\a.inf"},
      {L"C:\\Program Files\\V\\drivers\" \t", L"C:\\Program Files\\V\\drivers\\a.inf",
       "C:\\Program Files\\V\\drivers\\a.inf"},  // "...\drivers\" and a blank, as the C runtime hands them on
      {L"D:\"", L"D:\\a.inf", "D:\\a.inf"}, {L"c:", L"C:\\a.inf", "c:\\a.inf"},  // the root, not C:\work
      {L"\\\\?\\C:\\pre", L"C:\\pre\\a.inf", "C:\\pre\\a.inf"},  // given in the prefixed form: the store gets it plain
      {L"\\\\?\\UNC\\server\\share\\pre", L"\\\\server\\share\\pre\\a.inf", "\\\\server\\share\\pre\\a.inf"},
      {L"C:\\walk", L"C:\\walk\\a.inf", "C:\\walk\\a.inf", MSG_FOLDER_WALK_CUT_SHORT, L"0x00000005 Access is denied."},
      {deep, deep + L"\\a.inf", sim::Utf8(deep) + "\\a.inf"},  // 259 characters
      {deep + L"d", deep + L"d\\a.inf", ""}, {unc + L"u", unc + L"u\\a.inf", ""},  // 260 characters
      {unc, unc + L"\\a.inf", sim::Utf8(unc) + "\\a.inf"}, {L"C:\\odd", L"C:\\odd\\a.inf_", "", MSG_FOLDER_WITHOUT_INF},  // a short name
      {L"C:\\missing", L"C:\\sub\\c.inf", "", MSG_FOLDER_NOT_SEARCHED, L"0x00000003 The system cannot find the path specified."},
      {L"C:\\locked", L"C:\\locked\\a.inf", "", MSG_FOLDER_NOT_SEARCHED, L"0x00000005 Access is denied."},
      {L"C:\\empty", L"C:\\empty\\notes.txt", "", MSG_FOLDER_WITHOUT_INF},
      {L"C:\\nested\\" + std::wstring(600, L'x') + L"\\..", L"C:\\nested\\sub\\deep.inf", "", MSG_FOLDER_WITHOUT_INF},
  };
  for (const auto& c : cases) {
    sim::Reset();
    sim::AddFile(c.file, Inf("package"));
    sim::AddFile(L"C:\\sub\\b.inf", Inf("not meant"));
    sim::AddFile(L"C:\\parinf", Inf("not meant"));
    if (c.folder == L"C:\\locked") sim::FailCall("FindFirstFileW", ERROR_ACCESS_DENIED);
    if (c.refused == MSG_FOLDER_WALK_CUT_SHORT) sim::FailCall("FindNextFileW", ERROR_ACCESS_DENIED);
    if (c.failingFullPath) sim::FailCall("GetFullPathNameW", ERROR_ACCESS_DENIED, c.failingFullPath);
    EXPECT_EQ(0, RunFrontEnd(3, Args{L"pelmora.exe", L"install", c.folder}.argv()));
    EXPECT_EQ(c.copied.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.copied}, Copied());
    EXPECT_EQ(!c.copied.empty() ? ExpectedMessage(MSG_DP_ADDED, L"oem0.inf")
              : c.refused       ? ""
                                : ExpectedMessage(MSG_DP_ADD_BAD_PATH, c.file.c_str(), L""),  // too long: no code
              sim::StdOut()) << sim::Utf8(c.folder);
    const std::wstring named = c.refused == MSG_PACKAGE_NAME_REFUSED ? c.file : c.folder.substr(0, c.folder.find(L'"'));
    EXPECT_EQ(kBanner + (c.refused          ? ExpectedMessage(c.refused, L"pelmora.exe", named.c_str(), c.reason.c_str())
                         : c.copied.empty() ? ExpectedMessage(MSG_COMMAND_FAILED, L"pelmora.exe", L"dp_add")
                                            : ""),
              sim::StdErr()) << sim::Utf8(c.file);
  }
}

}  // namespace
