// Whole command lines of pelmora.exe (split at code unit 0) against a machine with devices, packages and
// a program to start: no crash, nothing left open, an exit code the program has, no change not asked for.
#include <algorithm>

#include "frontend/frontend.h"
#include "fuzz_input.h"
#include "platform/sim/sim_devices.h"
#include "platform/sim/sim_process.h"
#include "platform/sim/sim_store.h"

// The machine: devices with long, odd, unreadable and shifting IDs, driver
// packages in folders and in the driver store, and a program to start.
static void AddFuzzMachine() {
  sim::AddClassGuid(L"Ports", sim::MakeGuid(90));  // two GUIDs, of which a name selects the first
  sim::AddClassGuid(L"Ports", sim::MakeGuid(91));
  sim::AddClass(L"HIDClass");
  sim::AddClass(L"Empty");
  sim::AddDevice(sim::Device(L"PCI\\VEN_8086&DEV_1234\\3&11583659&0&C8", L"Net",
                             {L"PCI\\VEN_8086&DEV_1234&SUBSYS_00018086", L"PCI\\VEN_8086&DEV_1234"},
                             {L"PCI\\VEN_8086", L"PCI\\CC_0200"}));
  sim::DeviceSpec d = sim::Device(L"USB\\VID_046D&PID_C52B\\5&2A7B&0&1", L"USB",
                                  {L"USB\\VID_046D&PID_C52B&REV_1201", L"USB\\VID_046D&PID_C52B"},
                                  {L"USB\\Class_03&SubClass_01", L"USB\\Class_03"});
  d.present = false;
  sim::AddDevice(d);
  d = sim::Device(L"ROOT\\%1*'@\\0000", L"System", {L"*", L"'", L"@", L"="}, {L""});
  d.removal = sim::Removal::kNeedsReboot;
  sim::AddDevice(d);
  d = sim::Device(L"USB\\SILENT\\0", L"USB", {}, {L"USB\\CLASS_09"});
  d.idReadWritesNothing = true;
  d.removal = sim::Removal::kFailsAtInstaller;
  sim::AddDevice(d);
  d = sim::Device(L"ROOT\\" + std::wstring(195, L'X'), L"Sample", {L"X"});  // 200 characters
  d.idReadFails = true;
  sim::AddDevice(d);
  // The longest ID that reads whole, and more hardware IDs than a first read holds.
  std::vector<std::wstring> many;
  for (int i = 0; i < 200; ++i) many.push_back(L"PELMORA\\MANY_" + std::to_wstring(i) + L"&REV_0001");
  d = sim::Device(L"ROOT\\" + std::wstring(194, L'Y'), L"Sample", many, {L"PELMORA\\MANY"});
  d.removal = sim::Removal::kNeedsRestart;
  sim::AddDevice(d);
  d = sim::Device(L"HID\\VID_1234&PID_0001\\7&1", L"HIDClass", {});
  sim::SetProperty(d, SPDRP_HARDWAREID, sim::Sz(L"HID\\VID_1234&PID_0001"));  // a plain string
  d.removal = sim::Removal::kFailsAtSetParams;
  sim::AddDevice(d);
  sim::AddDevice(sim::Device(L"USB\\VID_0000&PID_\u00C9\\\u03A9", L"Ports", {L"USB\\\u00E9T\u00C9"}));
  d = sim::Device(L"ACPI\\PNP0A03\\0", L"System", {});
  d.present = false;
  sim::AddDevice(d);
  sim::AddDevice(sim::Device(L"pci\\ven_8086&dev_1234\\4&1", L"Net", {L"pci\\ven_8086&dev_1234"}));
  sim::AddDevice(sim::Device(L"ROOT\\SAMPLE\\0000", L"Sample", {L"PELMORA\\SAMPLE"}));
  // Hardware IDs that outgrow the first buffer, grow again and shrink; values without terminators.
  d = sim::Device(L"ROOT\\GROWING\\0000", L"Sample", {});
  auto ids = [](size_t count) { return sim::MultiSz(std::vector<std::wstring>(count, L"PELMORA\\GROWING")); };
  sim::SetChangingProperty(d, SPDRP_HARDWAREID, {ids(300), ids(400), ids(2)});
  sim::AddDevice(d);
  d = sim::Device(L"ROOT\\RAW\\0000", L"Sample", {});
  sim::SetProperty(d, SPDRP_HARDWAREID, sim::RawValue(REG_MULTI_SZ, L"PELMORA\\RAW"));
  sim::SetProperty(d, SPDRP_COMPATIBLEIDS, sim::RawValue(REG_BINARY, std::wstring(5000, L'B')));
  sim::AddDevice(d);
  auto inf = [](const std::string& rest) { return "[Version]\r\nSignature=\"$Windows NT$\"\r\n" + rest + "[Manufacturer]\r\nP=M\r\n"; };
  const std::string models = "[Models]\r\n%Sample% = Install, PELMORA\\SAMPLE\r\n[Strings]\r\nSample=\"Sample\"\r\n";
  const std::string sample = inf("Class=Sample\r\n" + models);
  const std::string net = inf("Class=Net\r\n[Models]\r\nx = y, PCI\\VEN_8086&DEV_1234\r\n");
  sim::AddFile(L"C:\\drivers\\sample.inf",
               inf("Class=Sample\r\nClassGuid={5E1C0003-7E1D-4C2B-9A3F-6D0E8B1C2A44}\r\n" + models));
  sim::AddFile(L"C:\\drivers\\net.inf", net);
  sim::AddFile(L"C:\\drivers\\noclass.inf", inf(models));
  sim::AddFile(L"C:\\drivers\\broken.inf", "[Version\r\nSignature=\"$Windows NT$\"\r\n");
  sim::AddFile(L"C:\\drivers\\readme.txt", "not a package\r\n");
  sim::AddFile(L"C:\\drivers\\sub\\deep.inf", inf("Class=USB\r\n"));
  sim::AddFile(L"C:\\work\\drivers\\relative.inf", sample);
  // A folder whose files' full paths come close to MAX_PATH and pass it.
  const std::wstring deep = L"C:\\" + std::wstring(240, L'd') + L"\\";
  sim::AddFile(deep + L"a.inf", sample);
  sim::AddFile(deep + std::wstring(20, L'e') + L".inf", sample);
  const std::wstring store = std::wstring(sim::kInfDirectory) + L"\\";
  sim::AddFile(store + L"oem0.inf", sample);
  sim::AddFile(store + L"oem1.inf", net);
  sim::AddFile(store + L"oem1.pnf", "precompiled");
  sim::AddFile(store + L"OEM7.INF", inf("[Models]\r\n; PELMORA\\SAMPLE only in a comment\r\n"));
  sim::AddFile(store + L"oemx.inf", inf(models));
  sim::AddFile(store + L"machine.inf", inf("Class=System\r\n" + models));
  sim::MarkPackageInUse(L"oem1.inf");
  sim::AddFile(L"C:\\tools\\setup.exe", "MZ");
}

// What a command may change on the machine, as it stands when taken.
struct MachineSnapshot {
  std::vector<std::wstring> local = sim::DeviceIds();
  std::vector<std::wstring> infDirectory = sim::ListDirectory(sim::kInfDirectory);
  long pending = std::count_if(local.begin(), local.end(), sim::DeviceRemovalPending);
};

// Every name of `before` is in `after`.
static bool Kept(const std::vector<std::wstring>& before, const std::vector<std::wstring>& after) {
  auto kept = [&](const std::wstring& name) { return std::find(after.begin(), after.end(), name) != after.end(); };
  return std::all_of(before.begin(), before.end(), kept);
}

static bool StartsWith(const std::string& text, const char* start) { return text.rfind(start, 0) == 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sim::Reset();
  AddFuzzMachine();
  const unsigned versions[][3] = {{6, 1, 1}, {5, 1, 2}, {5, 1, 3}, {5, 0, 4}, {4, 0, 6}, {10, 0, 0}};
  sim::SetVersion(versions[size % 6][0], versions[size % 6][1], versions[size % 6][2]);
  if (size % 5 == 4) sim::SetWaitResult(WAIT_TIMEOUT);
  if (size % 7 == 3) sim::RedirectOutput(size % 2 ? 437 : 0);
  const MachineSnapshot before;

  FuzzArgs args(L"C:\\pelmora.exe", data, size);
  const std::wstring word = args.argc() > 1 ? args.items[1] : L"";
  const bool takesOne = word == L"install" || word == L"remove" || word == L"exec";
  auto blank = [](const std::wstring& text) { return text.find_first_not_of(L" \t") == std::wstring::npos; };
  // More words are those with a visible character, and for install the text after a quote in the folder.
  bool moreWords = false;
  for (int i = 3; i < args.argc(); ++i) moreWords = moreWords || !blank(args.items[i]);
  const size_t quote = args.argc() > 2 && word == L"install" ? args.items[2].find(L'"') : std::wstring::npos;
  if (quote != std::wstring::npos) moreWords = moreWords || !blank(args.items[2].substr(quote + 1));
  // A folder of blanks alone is no folder.
  const bool missing = !moreWords && (args.argc() < 3 || (word == L"install" && blank(args.items[2])));
  int code = RunFrontEnd(args.argc(), args.argv());
  RequireNothingOpen();
  Require(code >= 0 && code <= 3);
  const bool installs = word == L"install" && args.argc() >= 3 && !missing && !moreWords;
  Require(StartsWith(sim::StdErr(), "Installing USB-driver...\n") == installs);
  if (installs) Require(code == 0);
  if (word == L"version") Require(code == 1);
  if (word == L"is64bit") Require(code == 0);
  if (takesOne && missing) Require(code == 1 && StartsWith(sim::StdOut(), "ERROR: command required argument\n"));
  if (takesOne && moreWords) Require(code == 2 && StartsWith(sim::StdOut(), "ERROR: too many arguments"));
  // The engine runs under the program's own name.
  Require(!StartsWith(sim::StdErr(), "dummy.exe:") && sim::StdErr().find("\ndummy.exe:") == std::string::npos);
  Require(sim::RestartRequests().empty() && sim::DriverUpdates().empty());
  Require(sim::ProcessStarts().size() <= (word == L"exec" ? 1u : 0u));
  if (!sim::ReenumerateRequests().empty()) Require(word == L"rescan");

  const MachineSnapshot after;
  if (!Kept(before.local, after.local) || before.pending != after.pending) Require(word == L"remove");
  if (!Kept(after.infDirectory, before.infDirectory)) Require(word == L"install");
  if (!Kept(before.infDirectory, after.infDirectory)) Require(word == L"remove");
  return 0;
}
