// The simulated file calls, driver store and device tree root keep Windows'
// rules, which the program's limits are built on.
#include <cwchar>
#include <string>

#include "platform/sim/sim_store.h"
#include "sim_test.h"

namespace {

class SimFiles : public SimTest {};
class SimStore : public SimTest {};
class SimRoot : public SimTest {};

const char kInf[] = "[Version]\nSignature = \"$Chicago$\"\n";

TEST_F(SimFiles, FullPathNameReturnsLengthOrNeededSizeWithTerminator) {
  WCHAR buffer[MAX_PATH];
  LPWSTR filePart = nullptr;
  std::wstring path259 = L"C:\\" + std::wstring(256, L'a');
  EXPECT_EQ(259u, GetFullPathNameW(path259.c_str(), MAX_PATH, buffer, &filePart));
  EXPECT_EQ(path259, buffer);
  EXPECT_EQ(buffer + 3, filePart);

  std::wstring path260 = path259 + L"b";
  buffer[0] = L'#';
  EXPECT_EQ(261u, GetFullPathNameW(path260.c_str(), MAX_PATH, buffer, &filePart));
  EXPECT_EQ(L'#', buffer[0]) << "a buffer that is too small is left alone";
  EXPECT_EQ(261u, GetFullPathNameW(path260.c_str(), 0, nullptr, nullptr));

  EXPECT_EQ(7u, GetFullPathNameW(L"C:\\x\\y\\", MAX_PATH, buffer, &filePart));
  EXPECT_EQ(nullptr, filePart) << "a path ending in a separator has no file part";
  EXPECT_EQ(0u, GetFullPathNameW(L"", MAX_PATH, buffer, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), GetLastError());
}

TEST_F(SimFiles, AddBackslashStaysWithinMaxPath) {
  WCHAR path[1024] = L"";
  EXPECT_EQ(path, PathAddBackslashW(path)) << "an empty path stays empty";
  EXPECT_EQ(L"", std::wstring(path));

  std::wstring fits(258, L'a');
  std::wcscpy(path, fits.c_str());
  ASSERT_NE(nullptr, PathAddBackslashW(path));
  EXPECT_EQ(259u, std::wcslen(path));
  EXPECT_EQ(path + 259, PathAddBackslashW(path)) << "no second backslash";

  std::wstring full(259, L'a');
  std::wcscpy(path, full.c_str());
  EXPECT_EQ(nullptr, PathAddBackslashW(path));
  EXPECT_EQ(full, path);
}

TEST_F(SimFiles, AppendCanonicalisesAndFailsPastMaxPath) {
  WCHAR path[1024] = L"C:\\a\\..\\b";
  ASSERT_TRUE(PathAppendW(path, L"\\x.inf"));
  EXPECT_EQ(std::wstring(L"C:\\b\\x.inf"), path);
  std::wcscpy(path, L".\\pkgs\\");
  ASSERT_TRUE(PathAppendW(path, L"*.inf"));
  EXPECT_EQ(std::wstring(L"pkgs\\*.inf"), path);
  std::wcscpy(path, L"..\\pkgs");
  ASSERT_TRUE(PathAppendW(path, L"*.inf"));
  EXPECT_EQ(std::wstring(L"..\\pkgs\\*.inf"), path);

  std::wstring base = L"C:\\" + std::wstring(250, L'a');  // + "\*.inf" = 259
  std::wcscpy(path, base.c_str());
  EXPECT_TRUE(PathAppendW(path, L"*.inf"));
  base += L"a";
  std::wcscpy(path, base.c_str());
  EXPECT_FALSE(PathAppendW(path, L"*.inf"));
  EXPECT_EQ(L"", std::wstring(path));
}

TEST_F(SimFiles, RemoveFileSpecKeepsTheRoot) {
  struct Case {
    const wchar_t* before;
    const wchar_t* after;
    BOOL removed;
  };
  for (const Case& c : {Case{L"C:\\pkgs\\*.inf", L"C:\\pkgs", TRUE}, Case{L"C:\\*.inf", L"C:\\", TRUE},
                        Case{L"C:\\", L"C:\\", FALSE}, Case{L"*.inf", L"", TRUE},
                        Case{L"\\*.inf", L"\\", TRUE}, Case{L"pkgs\\*.inf", L"pkgs", TRUE}}) {
    WCHAR path[MAX_PATH];
    std::wcscpy(path, c.before);
    EXPECT_EQ(c.removed, PathRemoveFileSpecW(path)) << sim::Utf8(c.before);
    EXPECT_EQ(std::wstring(c.after), path) << sim::Utf8(c.before);
  }
}

TEST_F(SimFiles, FindFirstTellsMissingFolderFromNoMatch) {
  sim::AddFile(L"C:\\pkgs\\a.txt", "");
  WIN32_FIND_DATAW data;
  EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileW(L"C:\\none\\*.inf", &data));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
  EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileW(L"C:\\pkgs\\*.inf", &data));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
  EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileW(L"C:\\pkgs\\", &data));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());

  std::wstring deep = L"C:\\" + std::wstring(251, L'd');  // pattern of 260 characters
  sim::AddFile(deep + L"\\x.inf", "");
  EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileW((deep + L"\\*.inf").c_str(), &data));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
}

TEST_F(SimFiles, SearchYieldsBareNamesAndCountsItsHandle) {
  sim::AddFile(L"C:\\pkgs\\a.inf", "12345");
  sim::AddDirectory(L"C:\\pkgs\\b.inf");
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW(L"C:\\pkgs\\*", &data);
  ASSERT_NE(INVALID_HANDLE_VALUE, search);
  EXPECT_EQ(1, sim::OpenFindHandles());
  std::vector<std::wstring> names{data.cFileName};
  while (FindNextFileW(search, &data)) names.push_back(data.cFileName);
  EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_FILES), GetLastError());
  EXPECT_EQ((std::vector<std::wstring>{L".", L"..", L"a.inf", L"b.inf"}), names);
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY), data.dwFileAttributes);
  EXPECT_TRUE(FindClose(search));
  EXPECT_EQ(0, sim::OpenFindHandles());
  EXPECT_FALSE(FindClose(search));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

TEST_F(SimFiles, AttributesOfFilesFoldersAndWhatIsNotThere) {
  sim::AddFile(L"C:\\pkgs\\a.inf", "");
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE), GetFileAttributesW(L"C:\\pkgs\\a.inf"));
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY), GetFileAttributesW(L"C:\\pkgs\\"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"C:\\pkgs\\b.inf"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"C:\\none\\b.inf"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
}

TEST_F(SimStore, CopyReportsTheStoredPathAndItsFileNameComponent) {
  sim::AddFile(L"C:\\pkgs\\a.inf", kInf);
  WCHAR stored[MAX_PATH];
  PWSTR component = nullptr;
  DWORD needed = 0;
  ASSERT_TRUE(SetupCopyOEMInfW(L"C:\\pkgs\\a.inf", nullptr, SPOST_PATH, 0, stored, MAX_PATH, &needed, &component));
  EXPECT_EQ(std::wstring(sim::kInfDirectory) + L"\\oem0.inf", stored);
  EXPECT_EQ(std::wstring(L"oem0.inf"), component);
  EXPECT_EQ(std::wcslen(stored) + 1, needed);
}

TEST_F(SimStore, TooSmallDestinationFailsAndStoresNothing) {
  sim::AddFile(L"C:\\pkgs\\a.inf", kInf);
  WCHAR stored[8];
  DWORD needed = 0;
  EXPECT_FALSE(SetupCopyOEMInfW(L"C:\\pkgs\\a.inf", nullptr, SPOST_PATH, 0, stored, 8, &needed, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
  EXPECT_EQ(std::wstring(sim::kInfDirectory).size() + 10, needed);
  EXPECT_TRUE(sim::StoredPackages().empty());
}

TEST_F(SimStore, UninstallChecksItsArguments) {
  sim::AddFile(std::wstring(sim::kInfDirectory) + L"\\oem0.inf", kInf);
  HMODULE setupapi = LoadLibraryW(L"setupapi.dll");
  auto uninstall = ProcAs<SetupUninstallOEMInfWFn>(GetProcAddress(setupapi, "SetupUninstallOEMInfW"));
  ASSERT_NE(nullptr, uninstall);
  EXPECT_FALSE(uninstall(L"oem0.inf", 0x2, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_FLAGS), GetLastError());
  int reserved = 0;
  EXPECT_FALSE(uninstall(L"oem0.inf", 0, &reserved));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
  EXPECT_FALSE(uninstall(L"oem00.inf", 0, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_AN_INSTALLED_OEM_INF), GetLastError());
  EXPECT_TRUE(uninstall(L"OEM0.INF", 0, nullptr));
  EXPECT_TRUE(sim::StoredPackages().empty());
  FreeLibrary(setupapi);
}

TEST_F(SimRoot, LocatesOnlyTheRootAndReenumeratesOnlyIt) {
  DEVINST root = 0;
  EXPECT_EQ(static_cast<CONFIGRET>(CR_SUCCESS), CM_Locate_DevNodeW(&root, L"", 0));
  EXPECT_EQ(sim::kRootDevInst, root);
  EXPECT_EQ(static_cast<CONFIGRET>(CR_INVALID_FLAG), CM_Locate_DevNodeW(&root, nullptr, 0x8));
  EXPECT_EQ(static_cast<CONFIGRET>(CR_INVALID_POINTER), CM_Locate_DevNodeW(nullptr, nullptr, 0));
  EXPECT_EQ(static_cast<CONFIGRET>(CR_INVALID_DEVNODE), CM_Reenumerate_DevNode(sim::kRootDevInst + 1, 0));
  EXPECT_EQ(static_cast<CONFIGRET>(CR_INVALID_FLAG), CM_Reenumerate_DevNode(sim::kRootDevInst, 0x8));
  EXPECT_TRUE(sim::ReenumerateRequests().empty());

  sim::FailCall("CM_Locate_DevNodeW", CR_MACHINE_UNAVAILABLE);
  SetLastError(7);
  EXPECT_EQ(static_cast<CONFIGRET>(CR_MACHINE_UNAVAILABLE), CM_Locate_DevNodeW(&root, nullptr, 0));
  EXPECT_EQ(7u, GetLastError()) << "the CM functions leave the last error alone";
}

}  // namespace
