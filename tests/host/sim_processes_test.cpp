// The simulated CreateProcessW and WaitForSingleObject answer as Windows does,
// so that the launcher's tests rest on sound ground.
#include "platform/sim/sim_process.h"
#include "sim_test.h"

namespace {

class SimProcesses : public SimTest {
 protected:
  // Starts with the given names; returns the last error, or 0 on success
  // (after closing what was handed out).
  DWORD Start(const wchar_t* applicationName, const wchar_t* commandText) {
    std::wstring text = commandText;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(applicationName, &text[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
      return GetLastError();
    }
    EXPECT_TRUE(CloseHandle(process.hProcess));
    EXPECT_TRUE(CloseHandle(process.hThread));
    return 0;
  }
};

TEST_F(SimProcesses, ApplicationNameIsResolvedAgainstTheCurrentDirectoryOnly) {
  sim::AddFile(L"C:\\work\\tool.exe", "MZ");
  sim::AddDirectory(L"C:\\empty");
  EXPECT_EQ(0u, Start(L"tool.exe", L"x"));
  EXPECT_EQ(0u, Start(L"C:/work/tool.exe", L"x"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), Start(L"tool", L"x"));  // no ".exe" added
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), Start(L"C:\\empty\\tool.exe", L"x"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), Start(L"C:\\none\\tool.exe", L"x"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), Start(L"C:\\empty", L"x"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), Start(L"", L"x"));
  EXPECT_EQ(7u, sim::ProcessStarts().size());
}

TEST_F(SimProcesses, WithoutApplicationNameTheFirstTokenIsTheProgram) {
  sim::AddFile(L"C:\\work\\tool.exe", "MZ");
  EXPECT_EQ(0u, Start(nullptr, L"tool /q"));
  EXPECT_EQ(0u, Start(nullptr, L"\"tool.exe\" /q"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), Start(nullptr, L"other /q"));
  EXPECT_FALSE(sim::ProcessStarts()[0].applicationNameGiven);
}

TEST_F(SimProcesses, WaitNeedsAnOpenHandleAndAnswersWhatTheTestChose) {
  sim::AddFile(L"C:\\work\\tool.exe", "MZ");
  std::wstring text = L"tool.exe";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessW(L"tool.exe", &text[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &process));
  EXPECT_NE(process.dwProcessId, 0u);
  EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(process.hProcess, 5));
  sim::SetWaitResult(WAIT_TIMEOUT);
  EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(process.hThread, 6));
  ASSERT_EQ(2u, sim::ProcessWaits().size());
  EXPECT_TRUE(sim::ProcessWaits()[0].onProcess);
  EXPECT_FALSE(sim::ProcessWaits()[1].onProcess);
  EXPECT_EQ(6u, sim::ProcessWaits()[1].milliseconds);
  EXPECT_TRUE(CloseHandle(process.hProcess));
  EXPECT_TRUE(CloseHandle(process.hThread));
  EXPECT_EQ(static_cast<DWORD>(WAIT_FAILED), WaitForSingleObject(process.hProcess, 5));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
  EXPECT_EQ(2u, sim::ProcessWaits().size());
}

}  // namespace
