// The simulated device tree: devices, setup classes and remote machines, the
// test-facing API over them, and the Configuration Manager's ID read.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/sim/device_tree.h"

namespace sim {

using detail::Tree;

namespace {

std::wstring MachineKey(const std::wstring& name) {
  size_t start = name.find_first_not_of(L'\\');
  return detail::Lower(start == std::wstring::npos ? L"" : name.substr(start));
}

void AppendCharacters(std::vector<BYTE>& data, const std::wstring& text) {
  const BYTE* bytes = reinterpret_cast<const BYTE*>(text.data());
  data.insert(data.end(), bytes, bytes + text.size() * sizeof(WCHAR));
}

detail::SimDevice* FindLocalById(const std::wstring& instanceId) { return detail::FindDeviceById(nullptr, instanceId); }

}  // namespace

PropertyValue MultiSz(const std::vector<std::wstring>& strings) {
  PropertyValue value{REG_MULTI_SZ, {}};
  for (const std::wstring& text : strings) AppendCharacters(value.data, text + L'\0');
  AppendCharacters(value.data, std::wstring(1, L'\0'));
  return value;
}

PropertyValue Sz(const std::wstring& text) {
  PropertyValue value{REG_SZ, {}};
  AppendCharacters(value.data, text + L'\0');
  return value;
}

PropertyValue RawValue(DWORD type, const std::wstring& characters) {
  PropertyValue value{type, {}};
  AppendCharacters(value.data, characters);
  return value;
}

DeviceSpec Device(const std::wstring& instanceId, const std::wstring& className,
                  const std::vector<std::wstring>& hardwareIds, const std::vector<std::wstring>& compatibleIds) {
  DeviceSpec device;
  device.instanceId = instanceId;
  device.className = className;
  if (!hardwareIds.empty()) SetProperty(device, SPDRP_HARDWAREID, MultiSz(hardwareIds));
  if (!compatibleIds.empty()) SetProperty(device, SPDRP_COMPATIBLEIDS, MultiSz(compatibleIds));
  return device;
}

void SetProperty(DeviceSpec& device, DWORD property, const PropertyValue& value) {
  SetChangingProperty(device, property, {value});
}

void SetChangingProperty(DeviceSpec& device, DWORD property, const std::vector<PropertyValue>& values) {
  for (auto& entry : device.properties) {
    if (entry.first == property) {
      entry.second = values;
      return;
    }
  }
  device.properties.emplace_back(property, values);
}

DEVINST AddDevice(const DeviceSpec& spec) {
  detail::DeviceTree& tree = Tree();
  std::vector<GUID> guids = ClassGuids(spec.className);
  GUID classGuid = guids.empty() ? AddClass(spec.className) : guids.front();
  detail::SimDevice device;
  device.devInst = tree.nextDevInst++;
  device.spec = spec;
  device.classGuid = classGuid;
  for (const auto& entry : spec.properties) device.properties[entry.first] = entry.second;
  tree.devices.push_back(device);
  return device.devInst;
}

GUID MakeGuid(unsigned number) {
  GUID guid = {0x5e1c0000u + number, 0x7e1d, 0x4c2b, {0x9a, 0x3f, 0x6d, 0x0e, 0x8b, 0x1c, 0x2a, 0x44}};
  return guid;
}

GUID AddClass(const std::wstring& name) {
  GUID guid = MakeGuid(Tree().nextClassNumber++);
  AddClassGuid(name, guid);
  return guid;
}

void AddClassGuid(const std::wstring& name, const GUID& guid) { Tree().classes.emplace_back(name, guid); }

std::vector<GUID> ClassGuids(const std::wstring& name) {
  std::vector<GUID> guids;
  for (const auto& entry : Tree().classes) {
    if (detail::EqualNoCase(entry.first, name)) guids.push_back(entry.second);
  }
  return guids;
}

std::wstring ClassName(const GUID& guid) {
  for (const auto& entry : Tree().classes) {
    if (detail::SameGuid(entry.second, guid)) return entry.first;
  }
  return L"";
}

void AddRemoteMachine(const std::wstring& name) {
  Tree().machines.push_back(std::unique_ptr<detail::Machine>(new detail::Machine{MachineKey(name)}));
}

std::vector<std::wstring> DeviceIds(const std::wstring& machine) {
  const detail::Machine* found = nullptr;
  std::vector<std::wstring> ids;
  if (!detail::FindMachine(machine.c_str(), &found)) return ids;
  for (const detail::SimDevice& device : Tree().devices) {
    if (!device.removed && detail::OnMachine(device, found)) ids.push_back(device.spec.instanceId);
  }
  return ids;
}

bool DeviceExists(const std::wstring& instanceId) { return FindLocalById(instanceId) != nullptr; }

bool DeviceRemovalPending(const std::wstring& instanceId) {
  detail::SimDevice* device = FindLocalById(instanceId);
  return device && device->removalPending;
}

bool DeviceRegistered(const std::wstring& instanceId) {
  detail::SimDevice* device = FindLocalById(instanceId);
  return device && device->registered;
}

PropertyValue DeviceProperty(const std::wstring& instanceId, DWORD property) {
  detail::SimDevice* device = FindLocalById(instanceId);
  if (!device) return PropertyValue{REG_NONE, {}};
  auto found = device->properties.find(property);
  if (found == device->properties.end() || found->second.empty()) return PropertyValue{REG_NONE, {}};
  int reads = device->reads[property];
  size_t index = std::min(static_cast<size_t>(reads), found->second.size() - 1);
  return found->second[index];
}

void SetDriverUpdateOutcome(bool succeeds, bool needsReboot, DWORD error) {
  Tree().updateSucceeds = succeeds;
  Tree().updateNeedsReboot = needsReboot;
  Tree().updateError = error;
}

const std::vector<DriverUpdate>& DriverUpdates() { return Tree().updates; }

void SetChildDeparture(ChildDeparture answer) { Tree().childDeparture = answer; }

void SetTypeReportedWhenTooSmall(bool reported) { Tree().typeReportedWhenTooSmall = reported; }

namespace detail {

DeviceTree& Tree() {
  static DeviceTree tree;
  return tree;
}

bool SameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

std::string GuidText(const GUID& guid) {
  char text[64];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2],
                guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  return text;
}

std::string MachineText(const Machine* machine) { return machine ? Utf8(machine->name) : "local"; }

bool FindMachine(const wchar_t* name, const Machine** machine) {
  *machine = nullptr;
  if (!name || !*name) return true;
  std::wstring key = MachineKey(name);
  for (const auto& candidate : Tree().machines) {
    if (candidate->name == key) {
      *machine = candidate.get();
      return true;
    }
  }
  return false;
}

// Windows: docs "CM_Get_Device_ID_ExW", "SetupDiGetClassDevsExW": remote
// access was removed in Windows 8. No error is documented; the one that
// CM_Connect_MachineW's CR_ACCESS_DENIED maps to is taken. The program's
// answer depends only on the call failing.
DWORD ReachMachine(const wchar_t* name, const Machine** machine) {
  if (!FindMachine(name, machine)) return ERROR_INVALID_MACHINENAME;
  if (*machine && !RemoteMachinesSupported()) return ERROR_ACCESS_DENIED;
  return ERROR_SUCCESS;
}

void TakeChildrenAlong(const std::wstring& parentId) {
  DeviceTree& tree = Tree();
  // By index: a relisted child is appended, which moves the others.
  const size_t count = tree.devices.size();
  for (size_t i = 0; i < count; ++i) {
    const SimDevice& candidate = tree.devices[i];
    if (candidate.removed || candidate.spec.parent.empty() || !EqualNoCase(candidate.spec.parent, parentId)) continue;
    const std::wstring child = candidate.spec.instanceId;
    if (tree.childDeparture == sim::ChildDeparture::kStaysNotPresent) {
      tree.devices[i].spec.present = false;
    } else {
      tree.devices[i].removed = true;
      tree.devices[i].departed = true;
    }
    if (tree.childDeparture == sim::ChildDeparture::kRelistedElsewhere) {
      SimDevice relisted = tree.devices[i];
      relisted.devInst = tree.nextDevInst++;
      relisted.removed = false;
      relisted.departed = false;
      relisted.spec.present = false;
      relisted.reads.clear();
      tree.devices.push_back(relisted);
    }
    TakeChildrenAlong(child);
  }
}

bool OnMachine(const SimDevice& device, const Machine* machine) {
  std::wstring key = MachineKey(device.spec.machine);
  return machine ? key == machine->name : key.empty();
}

SimDevice* DeviceByNumber(DEVINST devInst) {
  // Every call on a device looks it up: a walk over the tree here would make
  // the simulation, not the program, cost more per device on a larger tree.
  std::vector<SimDevice>& devices = Tree().devices;
  if (devInst < kFirstDevInst || devInst - kFirstDevInst >= devices.size()) return nullptr;
  return &devices[devInst - kFirstDevInst];
}

SimDevice* FindDevice(DEVINST devInst) {
  SimDevice* device = DeviceByNumber(devInst);
  return device && !device->removed ? device : nullptr;
}

SimDevice* FindDeviceById(const Machine* machine, const std::wstring& instanceId) {
  for (SimDevice& device : Tree().devices) {
    if (!device.removed && OnMachine(device, machine) && EqualNoCase(device.spec.instanceId, instanceId)) {
      return &device;
    }
  }
  return nullptr;
}

void ResetDevices() {
  Tree() = DeviceTree();
  // Class GUIDs as Windows has them for its own classes.
  AddClassGuid(L"System", GUID{0x4d36e97d, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}});
  AddClassGuid(L"Net", GUID{0x4d36e972, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}});
  AddClassGuid(L"USB", GUID{0x36fc9e60, 0xc465, 0x11cf, {0x80, 0x56, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}});
  AddClass(L"Sample");
  RegisterDriverUpdate();
}

}  // namespace detail
}  // namespace sim

using namespace sim::detail;

namespace {

// The ID read of both CM functions. `writes` false: CR_SUCCESS without
// writing the buffer, as Wine 8 answers the machine-taking form.
CONFIGRET GiveDeviceId(DEVINST devInst, PWSTR buffer, ULONG bufferLen, ULONG flags, const Machine* machine,
                       bool writes) {
  if (!buffer) return CR_INVALID_POINTER;
  if (flags != 0) return CR_INVALID_FLAG;
  // Windows: devinst.c, test_device_info: a removed device's ID read fails
  // with ERROR_NO_SUCH_DEVINST, here the Configuration Manager's counterpart.
  const SimDevice* known = DeviceByNumber(devInst);
  if (known && known->removed && OnMachine(*known, machine)) return CR_NO_SUCH_DEVNODE;
  SimDevice* device = FindDevice(devInst);
  if (!device || !OnMachine(*device, machine)) return CR_INVALID_DEVNODE;
  if (device->spec.idReadFails) return CR_NO_SUCH_DEVNODE;
  if (!writes) return CR_SUCCESS;
  // As much of the ID as fits; the terminator only when there is room.
  const std::wstring& id = device->spec.instanceId;
  size_t copied = std::min(id.size(), static_cast<size_t>(bufferLen));
  std::wmemcpy(buffer, id.c_str(), copied);
  if (id.size() >= bufferLen) return CR_BUFFER_SMALL;
  buffer[copied] = L'\0';
  return CR_SUCCESS;
}

}  // namespace

CONFIGRET CM_Get_Device_ID_ExW(DEVINST devInst, PWSTR buffer, ULONG bufferLen, ULONG flags, HMACHINE machine) {
  unsigned long error = 0;
  std::string arguments = std::to_string(devInst) + ", " + std::to_string(bufferLen) + ", " + Hex(flags) + ", " +
                          MachineText(static_cast<const Machine*>(machine));
  if (FaultInjected("CM_Get_Device_ID_ExW", arguments, &error)) return static_cast<CONFIGRET>(error);
  SimDevice* device = FindDevice(devInst);
  bool writes = !(device && device->spec.idReadWritesNothing);
  return GiveDeviceId(devInst, buffer, bufferLen, flags, static_cast<const Machine*>(machine), writes);
}

// This computer's devices only.
CONFIGRET CM_Get_Device_IDW(DEVINST devInst, PWSTR buffer, ULONG bufferLen, ULONG flags) {
  unsigned long error = 0;
  std::string arguments = std::to_string(devInst) + ", " + std::to_string(bufferLen) + ", " + Hex(flags);
  if (FaultInjected("CM_Get_Device_IDW", arguments, &error)) return static_cast<CONFIGRET>(error);
  return GiveDeviceId(devInst, buffer, bufferLen, flags, nullptr, true);
}

BOOL SetupDiClassGuidsFromNameExW(PCWSTR className, LPGUID classGuidList, DWORD classGuidListSize, PDWORD requiredSize,
                                  PCWSTR machineName, PVOID reserved) {
  std::string arguments = Quote(className) + ", " + std::to_string(classGuidListSize) + ", " + Quote(machineName);
  if (FaultedCall("SetupDiClassGuidsFromNameExW", arguments)) return FALSE;
  const Machine* machine = nullptr;
  if (!className || !requiredSize || reserved) return Fail(ERROR_INVALID_PARAMETER);
  if (DWORD error = ReachMachine(machineName, &machine)) return Fail(error);
  // Every machine knows the same classes. The list is filled as far as it
  // has room, and the count of all GUIDs is reported.
  std::vector<GUID> guids = sim::ClassGuids(className);
  for (size_t i = 0; i < guids.size() && i < classGuidListSize; ++i) classGuidList[i] = guids[i];
  *requiredSize = static_cast<DWORD>(guids.size());
  if (guids.size() > classGuidListSize) return Fail(ERROR_INSUFFICIENT_BUFFER);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}
