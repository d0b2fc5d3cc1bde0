// The simulated machine's answers that the program's limits and loops are
// built on, held to what Windows answers: if the simulation drifted, tests
// of the program would pass against a machine that does not exist.
#include <cwchar>
#include <functional>
#include <string>

#include "device_test_support.h"
#include "platform/sim/sim_store.h"

namespace {

// A call's result and the last error after it, as "result/error".
std::string Answer(unsigned long result) { return std::to_string(result) + "/" + std::to_string(GetLastError()); }

std::string FullPathOf(size_t characters) {
  std::wstring path = L"C:\\" + std::wstring(characters - 3, L'p');
  WCHAR buffer[MAX_PATH] = L"#";
  SetLastError(0);
  DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, buffer, nullptr);
  return Answer(length) + (buffer[0] == L'#' ? " untouched" : "");
}

std::string Search(const wchar_t* pattern) {
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW(pattern, &data);
  return search == INVALID_HANDLE_VALUE ? Answer(0) : FindClose(search) ? "found" : "not closed";
}

std::string Append(size_t baseCharacters) {
  WCHAR path[1024];
  std::wcscpy(path, (L"C:\\" + std::wstring(baseCharacters - 3, L'a')).c_str());
  return PathAppendW(path, L"*.inf") ? std::to_string(std::wcslen(path)) : "failed";
}

// Line 0 of section [A] read into `room` characters, and the size needed.
std::string InfLine(DWORD room) {
  sim::AddFile(std::wstring(sim::kInfDirectory) + L"\\oem1.inf",
               "[Version]\r\nSignature=\"$Windows NT$\"\r\n[A]\r\n k = \"ab\" ,%S% ; note\r\n[Strings]\r\nS=cd\r\n");
  HINF inf = SetupOpenInfFileW(L"oem1.inf", nullptr, INF_STYLE_WIN4, nullptr);
  INFCONTEXT line;
  WCHAR text[64] = {};
  DWORD needed = 0;
  bool read = SetupFindFirstLineW(inf, L"a", nullptr, &line) &&
              SetupGetLineTextW(&line, nullptr, nullptr, nullptr, text, room, &needed);
  std::string result = (read ? sim::Utf8(text) : Answer(0)) + " needs " + std::to_string(needed);
  SetupCloseInfFile(inf);
  return result;
}

std::string Sections() {
  sim::AddFile(L"C:\\a.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n[B]\r\nx\r\n[b]\r\ny\r\n");
  HINF inf = SetupOpenInfFileW(L"C:\\a.inf", nullptr, INF_STYLE_WIN4, nullptr);
  std::string names;
  WCHAR name[16];
  for (UINT i = 0; SetupEnumInfSectionsW(inf, i, name, 16, nullptr); ++i) names += sim::Utf8(name) + " ";
  SetupCloseInfFile(inf);
  return names + Answer(0);
}

std::string RemovedDevice() {
  sim::AddDevice(sim::Device(L"ROOT\\GONE\\0000", L"System", {L"HW"}));
  AllDevices all;
  SP_REMOVEDEVICE_PARAMS params = {};
  params.ClassInstallHeader = {sizeof(SP_CLASSINSTALL_HEADER), DIF_REMOVE};
  params.Scope = DI_REMOVEDEVICE_GLOBAL;
  SetupDiSetClassInstallParamsW(all.devs(), all.At(0), &params.ClassInstallHeader, sizeof params);
  SetupDiCallClassInstaller(DIF_REMOVE, all.devs(), all.At(0));
  BYTE buffer[64];
  BOOL read = SetupDiGetDeviceRegistryPropertyW(all.devs(), all.At(0), SPDRP_HARDWAREID, nullptr, buffer,
                                                sizeof buffer, nullptr);
  return Answer(static_cast<unsigned long>(read));
}

class SimRules : public SimTest {};

TEST_F(SimRules, AnswerAsWindowsDoes) {
  const struct {
    const char* rule;
    std::function<std::string()> observe;
    std::string expected;
  } rows[] = {
      {"a full path of 259 characters fits", [] { return FullPathOf(259); }, "259/0"},
      {"one of 260 asks for 261 and leaves the buffer", [] { return FullPathOf(260); }, "261/0 untouched"},
      {"a missing folder is no path", [] { return Search(L"C:\\none\\*.inf"); }, "0/3"},
      {"a folder without a match has no file", [] { sim::AddDirectory(L"C:\\e"); return Search(L"C:\\e\\*.inf"); },
       "0/2"},
      {"appending stays within 259 characters", [] { return Append(253); }, "259"},
      {"and fails beyond", [] { return Append(254); }, "failed"},
      {"a line's text: no key, quotes, blanks, comment", [] { return InfLine(64); }, "ab,cd needs 6"},
      {"a line that does not fit", [] { return InfLine(5); }, "0/122 needs 6"},
      {"sections in file order, then no more items", Sections, "Version B 0/259"},
      {"a removed device answers no more", RemovedDevice, "0/3758096907"},
  };
  for (const auto& row : rows) {
    sim::Reset();
    EXPECT_EQ(row.expected, row.observe()) << row.rule;
    EXPECT_EQ(0, sim::OpenHandles()) << row.rule;
  }
}

}  // namespace
