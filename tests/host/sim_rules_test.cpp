// The simulated machine's answers held to Windows', a row per answer naming where Windows' behaviour is recorded
// (append rows as the program comes to depend on more). Answers whose effect a program test shows (continued
// lines, '=' in a field, ANSI text, what the store refuses, path limits, the INF folder's order) are rows of
// those tests instead.
#include <cstdio>
#include <functional>
#include <string>

#include "engine/engine.h"
#include "frontend/frontend.h"
#include "platform/sim/sim_devices.h"
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
  return answer + " " + std::to_string(size) + sim::Utf8(list);
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
    {"install.c test_inffilelist: a missing folder is an empty list", [] { return FileList(L"C:\\none"); }, "1/3 1"},
};

class SimRules : public SimTest {};

TEST_F(SimRules, AnswerAsWindowsDoes) {
  for (const Rule& rule : kRules) {
    SCOPED_TRACE(rule.evidence);
    sim::Reset();
    EXPECT_EQ(rule.expected, rule.answer());
  }
}

int Engine(const Args& args) { return EngineRun(args.argc(), args.argv()); }
std::string Outcome(int exitCode) {
  std::string out = std::to_string(exitCode) + "|" + sim::StdOut();
  sim::Reset();
  return out;
}
TEST_F(SimRules, DevicesFilesAndProcessesAnswerAsWindowsDoes) {
  // devinst.c, test_get_inf_class: a known ClassGUID without Class names the class.
  sim::AddFile(L"C:\\d\\x.inf", std::string(kVersion) + "ClassGUID={4d36e97d-e325-11ce-bfc1-08002be10318}\r\n");
  EXPECT_EQ(0, Engine({L"e.exe", L"install", L"C:\\d\\x.inf", L"PELMORA\\NEW"}));
  EXPECT_EQ(std::vector<std::wstring>{L"ROOT\\SYSTEM\\0000"}, sim::DeviceIds());
  sim::Reset();
  // docs "CM_Get_Device_ID_ExW": no remote machine from Windows 8 (6.2) on.
  std::string remote;
  sim::DeviceSpec device = sim::Device(L"PCI\\VEN_1\\0", L"Net", {L"PCI\\VEN_1"});
  device.machine = L"PC7";
  for (unsigned minor : {1, 2}) {
    sim::AddRemoteMachine(L"PC7");
    sim::AddDevice(device);
    sim::SetVersion(6, minor, 0);
    remote += Outcome(Engine({L"e.exe", L"-m:\\\\PC7", L"findall", L"*"}));
  }
  EXPECT_EQ("0|PCI\\VEN_1\\0\n1 matching device(s) found on \\\\PC7.\n2|", remote);
  // Not settled: whether a property read too small for its buffer reports the type. A long ID list is
  // read again either way; one whose size cannot be had leaves the device unreadable, never without IDs.
  std::string longLists;
  for (int way : {0, 1, 2}) {
    sim::SetTypeReportedWhenTooSmall(way == 1);
    sim::AddDevice(sim::Device(L"ROOT\\LONG\\0000", L"Sample", {std::wstring(4100, L'I'), L"PELMORA\\LONG"}));
    sim::AddDevice(sim::Device(L"PCI\\VEN_1\\0", L"Net", {L"PCI\\VEN_1"}));
    if (way == 2) sim::FailCall("SetupDiGetDeviceRegistryPropertyW", ERROR_INSUFFICIENT_BUFFER, 1, 0);
    int exitCode = Engine({L"e.exe", L"remove", L"PELMORA\\LONG"});
    longLists += std::to_string(exitCode) + "/" + std::to_string(sim::DeviceIds().size()) + " ";
    sim::Reset();
  }
  EXPECT_EQ("0/1 0/1 2/2 ", longLists);
  // docs "CharNextW": a combining mark is one step with the character before it; a pattern still asks for it.
  sim::AddDevice(sim::Device(L"ROOT\\A\\0", L"Sample", {L"PELMORA\\A\u030A"}));
  sim::AddDevice(sim::Device(L"ROOT\\B\\0", L"Sample", {L"PELMORA\\A"}));
  EXPECT_EQ("0|ROOT\\A\\0\n1 matching device(s) found.\n", Outcome(Engine({L"e.exe", L"findall", L"*\u030A"})));
  // Windows' loader: a file that is not a program image is not started (ERROR_BAD_EXE_FORMAT, 193).
  sim::AddFile(L"C:\\tools\\readme.txt", "text");
  EXPECT_EQ(2, RunFrontEnd(3, Args{L"pelmora.exe", L"exec", L"C:\\tools\\readme.txt;x"}.argv()));
}
}  // namespace
