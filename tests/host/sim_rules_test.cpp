// The simulated machine's answers that the program's limits are built on, held
// to Windows': a drifted simulation would pass tests on a machine that does not exist.
#include <string>

#include "engine/engine.h"
#include "frontend/frontend.h"
#include "platform/sim/sim_devices.h"
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
