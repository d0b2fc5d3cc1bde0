// Deferred custom actions of the MSI example. Each runs the pelmora.exe
// command line it is handed in CustomActionData, writes that line and its
// exit code to the installation log, and acts on the code as the command's
// exit-code table says. An EXE custom action could only tell 0 from non-zero,
// which loses remove's "done, restart needed".
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <string>
#include <vector>

namespace {

std::wstring CustomActionData(MSIHANDLE install) {
  wchar_t probe[1] = L"";
  DWORD size = 0;
  MsiGetPropertyW(install, L"CustomActionData", probe, &size);
  std::vector<wchar_t> text(size + 1);
  size = static_cast<DWORD>(text.size());
  if (MsiGetPropertyW(install, L"CustomActionData", text.data(), &size) != ERROR_SUCCESS) return L"";
  return std::wstring(text.data(), size);
}

// The command's exit code, or -1 when it could not be started or read.
long RunHidden(std::wstring commandLine) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (commandLine.empty() || !CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                                             nullptr, nullptr, &startup, &process))
    return -1;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  BOOL read = GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return read ? static_cast<long>(code) : -1;
}

long RunLogged(MSIHANDLE install) {
  std::wstring commandLine = CustomActionData(install);
  long code = RunHidden(commandLine);
  // MSI reads [...] in field 0 as a property reference, and a command line
  // may hold brackets: it travels in a numbered field.
  PMSIHANDLE record = MsiCreateRecord(2);
  MsiRecordSetStringW(record, 0, L"Pelmora: [1] -> exit code [2]");
  MsiRecordSetStringW(record, 1, commandLine.c_str());
  MsiRecordSetInteger(record, 2, code);
  MsiProcessMessage(install, INSTALLMESSAGE_INFO, record);
  return code;
}

}  // namespace

// "install" and "exec": 0 done (or started); any other code, 1 included (a
// wrong command line), fails the installation, which is then rolled back.
extern "C" __declspec(dllexport) UINT __stdcall PelmoraStep(MSIHANDLE install) {
  return RunLogged(install) == 0 ? ERROR_SUCCESS : ERROR_INSTALL_FAILURE;
}

// "remove": 0 done, 1 done once Windows restarts, 2 or 3 failed. A failure is
// in the log and the product's removal goes on, so that it can still be removed.
extern "C" __declspec(dllexport) UINT __stdcall PelmoraRemove(MSIHANDLE install) {
  if (RunLogged(install) == 1) MsiSetMode(install, MSIRUNMODE_REBOOTATEND, TRUE);
  return ERROR_SUCCESS;
}
