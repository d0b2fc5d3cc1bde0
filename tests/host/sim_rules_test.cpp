// The simulated machine's answers that the program's limits are built on, held
// to Windows': a drifted simulation would pass tests on a machine that does not exist.
#include <string>

#include "platform/sim/sim_store.h"
#include "sim_test.h"

namespace {
const char kVersion[] = "[Version]\r\nSignature=\"$Windows NT$\"\r\n";
std::string Answer(unsigned long result) { return std::to_string(result) + "/" + std::to_string(GetLastError()) + " "; }
class SimRules : public SimTest {};
TEST_F(SimRules, AnswerAsWindowsDoes) {
  std::string fullPaths;  // 259 characters fit; 260 ask for 261 and leave the buffer alone
  for (size_t characters : {259, 260}) {
    WCHAR buffer[MAX_PATH] = L"#";
    SetLastError(0);
    fullPaths += Answer(GetFullPathNameW((L"C:\\" + std::wstring(characters - 3, L'p')).c_str(), MAX_PATH, buffer, 0));
    fullPaths += *buffer == L'#' ? "# " : "";
  }
  EXPECT_EQ("259/0 261/0 # ", fullPaths);
  std::string lineTexts;  // no key, quotes, blanks or comment; the size needed even when it does not fit
  sim::AddFile(L"C:\\a.inf", std::string(kVersion) + "[A]\r\n k = \"ab\" ,%S% ; c\r\n[Strings]\r\nS=cd\r\n");
  HINF inf = SetupOpenInfFileW(L"C:\\a.inf", nullptr, INF_STYLE_WIN4, nullptr);
  for (DWORD room : {64, 5}) {
    INFCONTEXT line;
    WCHAR text[64] = {};
    DWORD needed = 0;
    lineTexts += Answer(SetupFindFirstLineW(inf, L"a", nullptr, &line) &&
                        SetupGetLineTextW(&line, nullptr, nullptr, nullptr, text, room, &needed));
    lineTexts += sim::Utf8(text) + std::to_string(needed) + " ";
  }
  SetupCloseInfFile(inf);
  EXPECT_EQ("1/0 ab,cd6 0/122 6 ", lineTexts);
  std::string storedNames;  // the lowest free oemN.inf, oem0.inf freed before the third
  for (const char* tag : {"1", "2", "3"}) {
    if (*tag == '3') sim::RemoveFile(L"C:\\Windows\\INF\\oem0.inf");
    sim::AddFile(L"C:\\p.inf", kVersion + std::string("; ") + tag);
    WCHAR name[MAX_PATH] = {};
    PWSTR file = name;
    storedNames += Answer(SetupCopyOEMInfW(L"C:\\p.inf", nullptr, SPOST_PATH, 0, name, MAX_PATH, nullptr, &file));
    storedNames += sim::Utf8(file) + " ";
  }
  EXPECT_EQ("1/0 oem0.inf 1/0 oem1.inf 1/0 oem0.inf ", storedNames);
}
}  // namespace
