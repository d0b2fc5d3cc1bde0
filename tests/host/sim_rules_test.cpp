// The simulated machine's answers held to Windows', a row per answer naming where Windows' behaviour is recorded
// (append rows as the program comes to depend on more). Answers whose effect a program test shows (continued
// lines, '=' in a field, ANSI text, what the store refuses, path limits) are rows of those tests instead.
#include <cstdio>
#include <functional>
#include <string>

#include "platform/sim/sim_store.h"
#include "sim_test.h"

namespace {

const std::string kVersion = "[Version]\r\nSignature=\"$Windows NT$\"\r\n";

// A result and the last error (in hex): "0/7A".
std::string Answer(unsigned long result) {
  char text[32];
  std::snprintf(text, sizeof text, "%lu/%lX", result, static_cast<unsigned long>(GetLastError()));
  return text;
}

// The texts of section [A]'s lines joined by '|', or the error that stopped the
// reading; with a small `room`, each answer and the size needed.
std::string Texts(const std::string& content, DWORD room = 64) {
  sim::AddFile(L"C:\\t.inf", content);
  UINT errorLine = 0;
  HINF inf = SetupOpenInfFileW(L"C:\\t.inf", nullptr, INF_STYLE_WIN4, &errorLine);
  if (inf == INVALID_HANDLE_VALUE) return "open " + Answer(0) + " line " + std::to_string(errorLine);
  std::string texts;
  INFCONTEXT line;
  bool more = SetupFindFirstLineW(inf, L"a", nullptr, &line);
  std::string error = more ? "" : "find " + Answer(0);
  for (; more; more = SetupFindNextLine(&line, &line)) {
    WCHAR text[64] = {};
    DWORD needed = 0;
    BOOL given = SetupGetLineTextW(&line, nullptr, nullptr, nullptr, text, room, &needed);
    texts += (texts.empty() ? "" : "|") + (room < 64 ? Answer(given) + " " + std::to_string(needed) : sim::Utf8(text));
  }
  SetupCloseInfFile(inf);
  return texts + error;
}

std::string Store(const wchar_t* source) {
  WCHAR name[MAX_PATH] = {};
  PWSTR file = name;
  std::string answer = Answer(SetupCopyOEMInfW(source, nullptr, SPOST_PATH, 0, name, MAX_PATH, nullptr, &file));
  return answer + " " + sim::Utf8(file);
}

std::string FileList(const wchar_t* folder) {
  WCHAR list[256] = {};
  DWORD size = 0;
  std::string answer = Answer(SetupGetInfFileListW(folder, INF_STYLE_WIN4, list, 256, &size));
  answer += " " + std::to_string(size);
  for (const wchar_t* name = list; *name; name += std::wcslen(name) + 1) answer += " " + sim::Utf8(name);
  return answer;
}

struct Rule {
  const char* evidence;
  std::function<std::string()> answer;
  const char* expected;
};

const std::string kPrefix = kVersion + "[A]\r\n";  // and the lines of [A]
const std::string kLocalized = kPrefix + "%S%,%T%\r\n[Strings]\r\nS=en\r\nT=all\r\n[Strings.0407]\r\nS=de\r\n";
const char kNulAndCtrlZ[] = "abcd=ef\0gh\r\nab=c\x1A" "d\r\nx\r\n";

const Rule kRules[] = {
    {"setupapi/tests/parser.c key_names: no key, quotes, blanks, comment; %strkey%; the size needed",
     [] {
       const std::string inf = kPrefix + " k = \"ab\" ,%S% ; c\r\n[Strings]\r\nS=cd\r\n";
       return Texts(inf) + " " + Texts(inf, 5);
     },
     "ab,cd 0/7A 6"},
    {"parser.c key_names, install.c test_dirid: numeric directory IDs are replaced",
     [] { return Texts(kPrefix + "%24%,%24%\\fred,%10%\\x,%11%,%99%\r\n"); },
     "C:\\,C:\\fred,C:\\Windows\\x,C:\\Windows\\system32,%99%"},
    {"docs INF Strings Section, Creating International INF Files: [Strings.<language ID>] before [Strings]",
     [] {
       std::string answer = Texts(kLocalized);
       sim::SetLanguage(0x0407);
       return answer + " " + Texts(kLocalized);
     },
     "en,all de,all"},
    {"parser.c key_names: NUL reads as a blank, Ctrl-Z ends the file",
     [] { return Texts(kPrefix + std::string(kNulAndCtrlZ, sizeof kNulAndCtrlZ - 1)); }, "ef gh|c"},
    {"parser.c invalid_files, test_GLE: text before the first section; a missing section has no line",
     [] { return Texts("x\r\n" + kVersion) + ", " + Texts(kVersion + "[B]\r\nx\r\n"); },
     "open 0/E0000000 line 1, find 0/E0000102"},
    {"misc.c test_SetupCopyOEMInf: the lowest free oemN.inf; the same INF keeps its name",
     [] {
       std::string answer;
       for (const char* tag : {"1", "2", "2", "3"}) {
         if (*tag == '3') sim::RemoveFile(L"C:\\Windows\\INF\\oem0.inf");
         sim::AddFile(L"C:\\p.inf", PackageInf("", std::string("; ") + tag));
         answer += Store(L"C:\\p.inf") + " ";
       }
       return answer;
     },
     "1/0 oem0.inf 1/0 oem1.inf 1/0 oem1.inf 1/0 oem0.inf "},
    {"install.c test_inffilelist: a missing folder is an empty list; docs FindNextFileW: NTFS lists alphabetically",
     [] {
       for (const wchar_t* name : {L"oem2.inf", L"oem10.inf", L"_x.inf"}) sim::AddFile(L"C:\\Windows\\INF\\" + std::wstring(name), PackageInf(""));
       return FileList(L"C:\\none") + ", " + FileList(L"C:\\Windows\\INF");
     },
     "1/3 1, 1/0 76 1394.inf acpi.inf machine.inf oem10.inf oem2.inf usb.inf volume.inf _x.inf"},
};

class SimRules : public SimTest {};

TEST_F(SimRules, AnswerAsWindowsDoes) {
  for (const Rule& rule : kRules) {
    SCOPED_TRACE(rule.evidence);
    sim::Reset();
    EXPECT_EQ(rule.expected, rule.answer());
  }
}

}  // namespace
