// Whole argument vectors of pelmora-engine.exe (split at code unit 0) on a machine with devices, OEM packages,
// other INF files and files outside the INF folder: no crash, nothing open, an exit code the command allows, no
// file deleted but a store package, no device removed that a plain model of the selection does not pick.
#include <map>
#include <set>

#include "engine/engine.h"
#include "fuzz_input.h"
#include "platform/sim/sim_devices.h"
#include "wildcard_model.h"

namespace {

struct ModelDevice {
  std::wstring instanceId, className, hardwareId, compatibleId;  // an empty ID: none
  bool present, idReadFails;
};

const ModelDevice kDevices[] = {
    {L"PCI\\VEN_8086&DEV_1234\\3&1", L"Net", L"PCI\\VEN_8086&DEV_1234", L"PCI\\CC_0200", true, false},
    {L"USB\\VID_046D&PID_C52B\\5&2", L"USB", L"USB\\VID_046D&PID_C52B", L"USB\\Class_03", false, false},
    {L"ROOT\\SAMPLE\\0000", L"Sample", L"PELMORA\\SAMPLE", L"", true, false},
    {L"ROOT\\SAMPLE\\0001", L"Sample", L"ROOT\\OTHER", L"PELMORA\\SAMPLE", true, false},
    {L"ROOT\\LEGACY_X\\0000", L"System", L"", L"", true, false},
    {L"ACPI\\PNP0A03\\0", L"System", L"", L"", false, false},
    {L"ROOT\\*'@\\0000", L"System", L"*", L"=", true, false},
    {L"ROOT\\UNREAD\\0000", L"Sample", L"PELMORA\\UNREAD", L"", true, true},
};

const wchar_t* const kFiles[] = {
    L"C:\\Windows\\INF\\oem0.inf", L"C:\\Windows\\INF\\OEM1.INF", L"C:\\Windows\\INF\\oem12.inf",
    L"C:\\Windows\\INF\\oem01.inf", L"C:\\Windows\\INF\\machine.inf", L"C:\\Windows\\INF\\oem.inf",
    L"C:\\Windows\\INF\\sub\\oem6.inf", L"C:\\Windows\\win.ini", L"C:\\work\\oem5.inf", L"C:\\oem7.inf",
};

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = FoldAscii(c);
  return text;
}

void AddMachine() {
  for (const wchar_t* file : kFiles) {
    sim::AddFile(file, "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Sample\r\n[Manufacturer]\r\nP=M\r\n[M]\r\nx = y, PELMORA\\SAMPLE\r\n");
  }
  for (const ModelDevice& model : kDevices) {
    sim::DeviceSpec device = sim::Device(model.instanceId, model.className, {}, {});
    for (const auto& list : {std::make_pair(SPDRP_HARDWAREID, model.hardwareId),
                             std::make_pair(SPDRP_COMPATIBLEIDS, model.compatibleId)}) {
      if (!list.second.empty()) sim::SetProperty(device, list.first, sim::MultiSz({list.second}));
    }
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

// The local devices selection arguments pick: "=<class>" first, "*" first for all, '@' for instance IDs (never
// one that cannot be read), an apostrophe for a literal.
std::set<std::wstring> ModelSelection(const std::vector<std::wstring>& args) {
  std::set<std::wstring> picked;
  const std::set<std::wstring> classes = {L"system", L"net", L"usb", L"sample"};
  bool hasClass = !args.empty() && args[0].size() > 1 && args[0][0] == L'=';
  if (hasClass && !classes.count(Lower(args[0].substr(1)))) return picked;
  size_t next = hasClass ? 1 : 0;
  bool all = next >= args.size() || args[next] == L"*";
  for (const ModelDevice& device : kDevices) {
    if (hasClass && Lower(device.className) != Lower(args[0].substr(1))) continue;
    bool selected = all;
    for (size_t i = next; i < args.size(); ++i) {
      ReferencePattern pattern = ReadReferencePattern(args[i]);
      bool byInstance = args[i][0] == L'@';
      const std::wstring* ids[] = {&device.instanceId, &device.hardwareId, &device.compatibleId};
      for (size_t k = byInstance ? 0 : 1; k < (byInstance ? 1u : 3u) && !(byInstance && device.idReadFails); ++k) {
        selected = selected || (!ids[k]->empty() && ReferenceMatches(*ids[k], pattern));
      }
    }
    if (selected) picked.insert(device.instanceId);
  }
  return picked;
}

// The command word's position (0: none) and name, after the options "-m:<name>", "-r", "-f" ('-' or '/').
size_t CommandWord(const std::vector<std::wstring>& items, bool* machine) {
  for (size_t i = 1; i < items.size(); ++i) {
    std::wstring option = Lower(items[i]);
    if (option.empty() || (option[0] != L'-' && option[0] != L'/')) return i;
    if (option.size() > 3 && option.compare(1, 2, L"m:") == 0) {
      *machine = true;
    } else if (option != L"-r" && option != L"/r" && option != L"-f" && option != L"/f") {
      return i;
    }
  }
  return 0;
}

bool IsStorePackage(const std::wstring& path) {
  const std::wstring folder = L"c:\\windows\\inf\\oem", lower = Lower(path);
  if (lower.compare(0, folder.size(), folder) != 0 || lower.size() < folder.size() + 5) return false;
  return lower.find_first_not_of(L"0123456789", folder.size()) == lower.size() - 4 &&
         lower.compare(lower.size() - 4, 4, L".inf") == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sim::Reset();
  sim::KeepCallLog(false);
  AddMachine();
  FuzzArgs args(L"pelmora-engine.exe", data, size);
  std::vector<std::wstring> before = sim::DeviceIds();
  int result = EngineRun(args.argc(), args.argv());

  bool machine = false;
  size_t word = CommandWord(args.items, &machine);
  std::wstring name = word ? Lower(args.items[word]) : L"";
  if (!name.empty() && (name[0] == L'-' || name[0] == L'/')) name.erase(0, 1);
  const std::map<std::wstring, std::set<int>> allowed = {
      {L"findall", {0, 2, 3}}, {L"dp_add", {0, 2, 3}}, {L"dp_delete", {0, 2, 3}}, {L"install", {0, 1, 2, 3}},
      {L"remove", {0, 1, 2, 3}}, {L"rescan", {0, 2}}, {L"dp_enum", {0, 2, 3}}, {L"?", {0}}};
  Require((allowed.count(name) ? allowed.at(name) : std::set<int>{3}).count(result) == 1);
  std::set<std::wstring> removable;
  if (name == L"remove" && !machine) removable = ModelSelection({args.items.begin() + static_cast<long>(word) + 1,
                                                                 args.items.end()});
  for (const std::wstring& id : before) Require(sim::DeviceExists(id) || removable.count(id) == 1);
  Require(sim::DeviceIds(L"PC7").size() == 1);
  for (const wchar_t* file : kFiles) Require(sim::FileExists(file) || IsStorePackage(file));
  RequireNothingOpen();
  return 0;
}
