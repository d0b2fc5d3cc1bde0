// Whole argument vectors of pelmora-engine.exe (split at code unit 0) against
// a machine with devices, OEM packages, other INF files and files outside the
// INF folder: no crash, nothing left open, an exit code the command allows,
// no file deleted but a package of the store, and no device removed that a
// plain model of the selection does not pick.
#include <set>

#include "engine/engine.h"
#include "fuzz_input.h"
#include "platform/sim/sim_devices.h"
#include "wildcard_model.h"

namespace {

struct ModelDevice {
  std::wstring instanceId;
  std::wstring className;
  std::vector<std::wstring> ids;  // hardware, then compatible
  bool present;
  bool idReadFails;
};

const ModelDevice kDevices[] = {
    {L"PCI\\VEN_8086&DEV_1234\\3&1", L"Net", {L"PCI\\VEN_8086&DEV_1234", L"PCI\\CC_0200"}, true, false},
    {L"USB\\VID_046D&PID_C52B\\5&2", L"USB", {L"USB\\VID_046D&PID_C52B", L"USB\\Class_03"}, false, false},
    {L"ROOT\\SAMPLE\\0000", L"Sample", {L"PELMORA\\SAMPLE"}, true, false},
    {L"ROOT\\SAMPLE\\0001", L"Sample", {L"ROOT\\OTHER", L"PELMORA\\SAMPLE"}, true, false},
    {L"ROOT\\LEGACY_X\\0000", L"System", {}, true, false},   // no ID at all
    {L"ACPI\\PNP0A03\\0", L"System", {}, false, false},      // no ID, not present
    {L"ROOT\\*'@\\0000", L"System", {L"*", L"'", L"@", L"="}, true, false},
    {L"ROOT\\UNREAD\\0000", L"Sample", {L"PELMORA\\UNREAD"}, true, true},
};

// Packages of the store, other INF files, and files elsewhere that no
// deletion may reach.
const wchar_t* const kFiles[] = {
    L"C:\\Windows\\INF\\oem0.inf", L"C:\\Windows\\INF\\OEM1.INF", L"C:\\Windows\\INF\\oem12.inf",
    L"C:\\Windows\\INF\\oem01.inf", L"C:\\Windows\\INF\\machine.inf", L"C:\\Windows\\INF\\oem.inf",
    L"C:\\Windows\\INF\\oemx.inf", L"C:\\Windows\\INF\\sub\\oem6.inf", L"C:\\Windows\\win.ini",
    L"C:\\Windows\\system32\\setupapi.dll", L"C:\\work\\oem5.inf", L"C:\\drivers\\a.inf", L"C:\\oem7.inf",
};

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = FoldAscii(c);
  return text;
}

void AddMachine() {
  const std::string inf = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Sample\r\nProvider=Pelmora\r\n"
                          "[Models]\r\nx = Install, PELMORA\\SAMPLE\r\n";
  for (const wchar_t* file : kFiles) sim::AddFile(file, inf);
  for (const ModelDevice& model : kDevices) {
    std::vector<std::wstring> hardware(model.ids.begin(), model.ids.begin() + (model.ids.empty() ? 0 : 1));
    std::vector<std::wstring> compatible(model.ids.begin() + static_cast<long>(hardware.size()), model.ids.end());
    sim::DeviceSpec device = sim::Device(model.instanceId, model.className, hardware, compatible);
    device.present = model.present;
    device.idReadFails = model.idReadFails;
    device.hasDriverKey = true;
    device.infPath = L"oem0.inf";
    sim::AddDevice(device);
  }
  sim::AddRemoteMachine(L"PC7");
  sim::DeviceSpec remote = sim::Device(L"ROOT\\SAMPLE\\0000", L"Sample", {L"PELMORA\\SAMPLE"});
  remote.machine = L"PC7";
  sim::AddDevice(remote);
}

// The devices of this computer that selection arguments pick: "=<class>"
// first, "*" first for all, '@' for instance IDs, an apostrophe for a
// literal. A device whose instance ID cannot be read is never picked by it.
std::set<std::wstring> ModelSelection(const std::vector<std::wstring>& args) {
  std::set<std::wstring> picked;
  size_t next = 0;
  std::wstring className;
  if (!args.empty() && args[0].size() > 1 && args[0][0] == L'=') {
    className = Lower(args[0].substr(1));
    const std::wstring known[] = {L"system", L"net", L"usb", L"sample"};
    if (std::find(std::begin(known), std::end(known), className) == std::end(known)) return picked;
    next = 1;
  }
  bool all = next >= args.size() || args[next] == L"*";
  for (const ModelDevice& device : kDevices) {
    if (!className.empty() && Lower(device.className) != className) continue;
    bool selected = all;
    for (size_t i = next; i < args.size() && !selected; ++i) {
      ReferencePattern pattern = ReadReferencePattern(args[i]);
      if (!args[i].empty() && args[i][0] == L'@') {
        selected = !device.idReadFails && ReferenceMatches(device.instanceId, pattern);
        continue;
      }
      for (const std::wstring& id : device.ids) selected = selected || ReferenceMatches(id, pattern);
    }
    if (selected) picked.insert(device.instanceId);
  }
  return picked;
}

struct ModelCommand {
  size_t word = 0;  // index of the command word; 0: none
  bool machine = false;
  std::wstring name;  // lower case, without a leading '-' or '/'
};

ModelCommand ReadCommand(const std::vector<std::wstring>& items) {
  ModelCommand command;
  size_t i = 1;
  for (; i < items.size(); ++i) {
    const std::wstring& item = items[i];
    if (item.empty() || (item[0] != L'-' && item[0] != L'/')) break;
    std::wstring rest = Lower(item.substr(1));
    if (rest.size() > 2 && rest[0] == L'm' && rest[1] == L':') {
      command.machine = true;
      continue;
    }
    if (rest != L"r" && rest != L"f") break;
  }
  if (i >= items.size()) return command;
  command.word = i;
  command.name = Lower(items[i]);
  if (!command.name.empty() && (command.name[0] == L'-' || command.name[0] == L'/')) command.name.erase(0, 1);
  return command;
}

std::set<int> AllowedResults(const std::wstring& name) {
  if (name == L"findall" || name == L"dp_add" || name == L"dp_delete") return {0, 2, 3};
  if (name == L"install" || name == L"remove") return {0, 1, 2, 3};
  if (name == L"rescan" || name == L"dp_enum") return {0, 2};
  if (name == L"?") return {0};
  return {3};
}

bool IsStorePackage(const std::wstring& path) {
  const std::wstring folder = L"c:\\windows\\inf\\";
  std::wstring lower = Lower(path);
  if (lower.compare(0, folder.size(), folder) != 0) return false;
  std::wstring name = lower.substr(folder.size());
  if (name.size() < 8 || name.compare(0, 3, L"oem") != 0 || name.compare(name.size() - 4, 4, L".inf") != 0) {
    return false;
  }
  std::wstring digits = name.substr(3, name.size() - 7);
  return digits.find_first_not_of(L"0123456789") == std::wstring::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sim::Reset();
  sim::KeepCallLog(false);
  AddMachine();
  FuzzArgs args(L"pelmora-engine.exe", data, size);
  std::vector<std::wstring> before = sim::DeviceIds();

  int result = EngineRun(args.argc(), args.argv());

  ModelCommand command = ReadCommand(args.items);
  Require(AllowedResults(command.name).count(result) == 1);
  std::set<std::wstring> removable;
  if (command.word && command.name == L"remove" && !command.machine) {
    removable = ModelSelection(std::vector<std::wstring>(args.items.begin() + static_cast<long>(command.word) + 1,
                                                         args.items.end()));
  }
  for (const std::wstring& id : before) Require(sim::DeviceExists(id) || removable.count(id) == 1);
  Require(sim::DeviceIds(L"PC7").size() == 1);
  for (const wchar_t* file : kFiles) Require(sim::FileExists(file) || IsStorePackage(file));
  RequireNothingOpen();
  return 0;
}
