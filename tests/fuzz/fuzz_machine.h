// The simulated machine the front end's fuzz target runs against: devices
// with long, odd, unreadable and shifting IDs, driver packages in folders and
// in the driver store, and a program to start.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "platform/sim/sim_devices.h"
#include "platform/sim/sim_store.h"

inline void AddFuzzMachine() {
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

  auto inf = [](const std::string& rest) { return "[Version]\r\nSignature=\"$Windows NT$\"\r\n" + rest; };
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
inline bool Kept(const std::vector<std::wstring>& before, const std::vector<std::wstring>& after) {
  auto kept = [&](const std::wstring& name) { return std::find(after.begin(), after.end(), name) != after.end(); };
  return std::all_of(before.begin(), before.end(), kept);
}
