// The simulated machine the fuzz targets run against: devices of several
// classes, present and absent, with long, odd and unreadable IDs, a remote
// machine, driver packages in a folder and in the driver store.
#pragma once

#include <string>
#include <vector>

#include "platform/sim/sim_devices.h"
#include "platform/sim/sim_store.h"

// The remote machine's name as a machine option gives it.
const wchar_t* const kFuzzRemoteMachine = L"PC7";

// Devices whose properties answer the same on every read, in tree order, so
// that a target can work out which of them a selection must reach.
inline std::vector<sim::DeviceSpec> SteadyDevices() {
  std::vector<sim::DeviceSpec> devices;
  sim::DeviceSpec net = sim::Device(L"PCI\\VEN_8086&DEV_1234\\3&11583659&0&C8", L"Net",
                                    {L"PCI\\VEN_8086&DEV_1234&SUBSYS_00018086", L"PCI\\VEN_8086&DEV_1234"},
                                    {L"PCI\\VEN_8086", L"PCI\\CC_0200"});
  sim::SetProperty(net, SPDRP_FRIENDLYNAME, sim::Sz(L"Sample Network Adapter"));
  devices.push_back(net);

  sim::DeviceSpec mouse = sim::Device(L"USB\\VID_046D&PID_C52B\\5&2A7B&0&1", L"USB",
                                      {L"USB\\VID_046D&PID_C52B&REV_1201", L"USB\\VID_046D&PID_C52B"},
                                      {L"USB\\Class_03&SubClass_01", L"USB\\Class_03"});
  mouse.present = false;
  sim::SetProperty(mouse, SPDRP_DEVICEDESC, sim::Sz(L"USB Input Device"));
  devices.push_back(mouse);

  sim::DeviceSpec odd = sim::Device(L"ROOT\\%1*'@\\0000", L"System", {L"*", L"'", L"@", L"="}, {L""});
  sim::SetProperty(odd, SPDRP_FRIENDLYNAME, sim::Sz(std::wstring(300, L'\u03A9')));
  odd.removal = sim::Removal::kNeedsReboot;
  devices.push_back(odd);

  sim::DeviceSpec silent = sim::Device(L"USB\\SILENT\\0", L"USB", {}, {L"USB\\CLASS_09"});
  silent.idReadWritesNothing = true;
  silent.removal = sim::Removal::kFailsAtInstaller;
  devices.push_back(silent);

  // 200 characters: as long as an instance ID can be, and unreadable.
  sim::DeviceSpec unreadable = sim::Device(L"ROOT\\" + std::wstring(195, L'X'), L"Sample", {L"X"});
  unreadable.idReadFails = true;
  devices.push_back(unreadable);

  // The longest ID that reads whole, and more hardware IDs than a first read holds.
  std::vector<std::wstring> many;
  for (int i = 0; i < 200; ++i) many.push_back(L"PELMORA\\MANY_" + std::to_wstring(i) + L"&REV_0001");
  sim::DeviceSpec longId = sim::Device(L"ROOT\\" + std::wstring(194, L'Y'), L"Sample", many, {L"PELMORA\\MANY"});
  longId.removal = sim::Removal::kNeedsRestart;
  devices.push_back(longId);

  // A hardware ID stored as a plain string.
  sim::DeviceSpec hid = sim::Device(L"HID\\VID_1234&PID_0001\\7&1", L"HIDClass", {});
  sim::SetProperty(hid, SPDRP_HARDWAREID, sim::Sz(L"HID\\VID_1234&PID_0001"));
  hid.removal = sim::Removal::kFailsAtSetParams;
  devices.push_back(hid);

  sim::DeviceSpec accented = sim::Device(L"USB\\VID_0000&PID_\u00C9\\\u03A9", L"Ports", {L"USB\\\u00E9T\u00C9"});
  devices.push_back(accented);

  sim::DeviceSpec bare = sim::Device(L"ACPI\\PNP0A03\\0", L"System", {});
  bare.present = false;
  devices.push_back(bare);

  sim::DeviceSpec lower = sim::Device(L"pci\\ven_8086&dev_1234\\4&1", L"Net", {L"pci\\ven_8086&dev_1234"});
  devices.push_back(lower);

  sim::DeviceSpec sample = sim::Device(L"ROOT\\SAMPLE\\0000", L"Sample", {L"PELMORA\\SAMPLE"});
  devices.push_back(sample);

  sim::DeviceSpec remoteNet = sim::Device(L"PCI\\VEN_10EC&DEV_8168\\4&1", L"Net", {L"PCI\\VEN_10EC&DEV_8168"});
  remoteNet.machine = kFuzzRemoteMachine;
  devices.push_back(remoteNet);

  sim::DeviceSpec remoteSample = sim::Device(L"ROOT\\SAMPLE\\0000", L"Sample", {L"PELMORA\\SAMPLE"});
  remoteSample.machine = kFuzzRemoteMachine;
  devices.push_back(remoteSample);
  return devices;
}

// Classes of the machine; "Ports" has two GUIDs, of which a name selects the first.
inline void AddFuzzClasses() {
  sim::AddClassGuid(L"Ports", sim::MakeGuid(90));
  sim::AddClassGuid(L"Ports", sim::MakeGuid(91));
  sim::AddClass(L"HIDClass");
  sim::AddClass(L"Empty");
}

inline void AddSteadyDevices() {
  AddFuzzClasses();
  sim::AddRemoteMachine(kFuzzRemoteMachine);
  for (const sim::DeviceSpec& device : SteadyDevices()) sim::AddDevice(device);
}

// Devices whose answers change from read to read: a hardware ID list too
// long for the first buffer that grows again before the second read and
// shrinks before the third, a name that shrinks, and values without their
// terminators.
inline void AddShiftingDevices() {
  sim::DeviceSpec growing = sim::Device(L"ROOT\\GROWING\\0000", L"Sample", {});
  std::vector<sim::PropertyValue> lists;
  for (size_t count : {300, 400, 2}) {
    lists.push_back(sim::MultiSz(std::vector<std::wstring>(count, L"PELMORA\\GROWING")));
  }
  sim::SetChangingProperty(growing, SPDRP_HARDWAREID, lists);
  sim::SetChangingProperty(growing, SPDRP_FRIENDLYNAME,
                           {sim::Sz(std::wstring(2000, L'G')), sim::Sz(L"Growing"), sim::RawValue(REG_SZ, L"no end")});
  sim::AddDevice(growing);
  sim::DeviceSpec raw = sim::Device(L"ROOT\\RAW\\0000", L"Sample", {});
  sim::SetProperty(raw, SPDRP_HARDWAREID, sim::RawValue(REG_MULTI_SZ, L"PELMORA\\RAW"));
  sim::SetProperty(raw, SPDRP_COMPATIBLEIDS, sim::RawValue(REG_BINARY, std::wstring(5000, L'B')));
  sim::SetProperty(raw, SPDRP_DEVICEDESC, sim::RawValue(REG_SZ, L"Raw"));
  sim::AddDevice(raw);
}

inline std::string FuzzInf(const std::string& version, const std::string& body) {
  return "[Version]\r\nSignature=\"$Windows NT$\"\r\n" + version + body;
}

// Packages to add from folders, and packages already in the driver store.
inline void AddFuzzPackages() {
  const std::string models = "[Models]\r\n%Sample% = Install, PELMORA\\SAMPLE\r\n[Strings]\r\nSample=\"Sample\"\r\n";
  sim::AddFile(L"C:\\drivers\\sample.inf",
               FuzzInf("Class=Sample\r\nClassGuid={5E1C0003-7E1D-4C2B-9A3F-6D0E8B1C2A44}\r\n", models));
  sim::AddFile(L"C:\\drivers\\net.inf", FuzzInf("Class=Net\r\n", "[Models]\r\nx = y, PCI\\VEN_8086&DEV_1234\r\n"));
  sim::AddFile(L"C:\\drivers\\noclass.inf", FuzzInf("", models));
  sim::AddFile(L"C:\\drivers\\broken.inf", "[Version\r\nSignature=\"$Windows NT$\"\r\n");
  sim::AddFile(L"C:\\drivers\\readme.txt", "not a package\r\n");
  sim::AddFile(L"C:\\drivers\\sub\\deep.inf", FuzzInf("Class=USB\r\n", ""));
  sim::AddFile(L"C:\\work\\drivers\\relative.inf", FuzzInf("Class=Sample\r\n", models));
  // A folder whose files' full paths come close to MAX_PATH and pass it.
  std::wstring deep = L"C:\\" + std::wstring(240, L'd');
  sim::AddFile(deep + L"\\a.inf", FuzzInf("Class=Sample\r\n", models));
  sim::AddFile(deep + L"\\" + std::wstring(20, L'e') + L".inf", FuzzInf("Class=Sample\r\n", models));

  std::wstring inf = sim::kInfDirectory;
  sim::AddFile(inf + L"\\oem0.inf", FuzzInf("Class=Sample\r\n", models));
  sim::AddFile(inf + L"\\oem1.inf", FuzzInf("Class=Net\r\n", "[Models]\r\nx = y, PCI\\VEN_8086&DEV_1234\r\n"));
  sim::AddFile(inf + L"\\oem1.pnf", "precompiled");
  sim::AddFile(inf + L"\\OEM7.INF", FuzzInf("", "[Models]\r\n; PELMORA\\SAMPLE only in a comment\r\n"));
  sim::AddFile(inf + L"\\oemx.inf", FuzzInf("", models));
  sim::AddFile(inf + L"\\machine.inf", FuzzInf("Class=System\r\n", models));
  sim::MarkPackageInUse(L"oem1.inf");

  sim::AddFile(L"C:\\tools\\setup.exe", "MZ");
}

// What a command may change on the machine, before and after a run.
struct MachineSnapshot {
  std::vector<std::wstring> local;
  std::vector<std::wstring> remote;
  std::vector<std::wstring> infDirectory;
  size_t pending = 0;
};

inline MachineSnapshot TakeSnapshot() {
  MachineSnapshot snapshot;
  snapshot.local = sim::DeviceIds();
  snapshot.remote = sim::DeviceIds(kFuzzRemoteMachine);
  snapshot.infDirectory = sim::ListDirectory(sim::kInfDirectory);
  for (const std::wstring& id : snapshot.local) snapshot.pending += sim::DeviceRemovalPending(id) ? 1 : 0;
  return snapshot;
}

// Every name of `before` is in `after`.
inline bool Kept(const std::vector<std::wstring>& before, const std::vector<std::wstring>& after) {
  for (const std::wstring& name : before) {
    bool found = false;
    for (const std::wstring& item : after) found = found || item == name;
    if (!found) return false;
  }
  return true;
}
