// Device information sets of the simulation: building them, walking them,
// their details and the registry properties of their devices.
#include <algorithm>
#include <cstring>

#include "platform/sim/device_tree.h"

namespace sim::detail {

DeviceSet* FindSet(HDEVINFO devs) {
  auto found = Tree().sets.find(devs);
  if (found == Tree().sets.end() || !IsOpen(HandleKind::DeviceInfoSet, devs)) {
    return Fail(ERROR_INVALID_HANDLE, nullptr);
  }
  return &found->second;
}

SetElement* FindSetElement(HDEVINFO devs, const SP_DEVINFO_DATA* data) {
  DeviceSet* set = FindSet(devs);
  SetElement* element = set ? FindElement(*set, data) : nullptr;
  // An element whose device left with its parent answers nothing any more.
  const SimDevice* device = element ? DeviceByNumber(element->devInst) : nullptr;
  if (device && device->departed) return Fail(ERROR_NO_SUCH_DEVINST, nullptr);
  return element;
}

SetElement* FindElement(DeviceSet& set, const SP_DEVINFO_DATA* data) {
  if (!data || data->cbSize != sizeof(SP_DEVINFO_DATA)) return Fail(ERROR_INVALID_USER_BUFFER, nullptr);
  // A set holds a device once, and the data it handed out names the
  // element's place (Reserved): try that place before walking the set.
  size_t place = static_cast<size_t>(data->Reserved) - 1;
  if (data->Reserved != 0 && place < set.elements.size() && set.elements[place].devInst == data->DevInst) {
    return &set.elements[place];
  }
  for (SetElement& element : set.elements) {
    if (element.devInst == data->DevInst) return &element;
  }
  return Fail(ERROR_INVALID_PARAMETER, nullptr);
}

void FillDevInfoData(const SimDevice& device, size_t index, SP_DEVINFO_DATA* data) {
  data->ClassGuid = device.classGuid;
  data->DevInst = device.devInst;
  data->Reserved = index + 1;
}

std::string DeviceText(const SP_DEVINFO_DATA* data) {
  if (!data) return "null";
  const SimDevice* device = DeviceByNumber(data->DevInst);
  return device ? Utf8(device->spec.instanceId) : std::to_string(data->DevInst);
}

}  // namespace sim::detail

using namespace sim::detail;

namespace {

std::string ClassText(const GUID* guid) { return guid ? GuidText(*guid) : "no class"; }

HDEVINFO NewSet(const GUID* classGuid, const Machine* machine) {
  void* handle = NewHandle(HandleKind::DeviceInfoSet);
  DeviceSet& set = Tree().sets[handle];
  set.hasClass = classGuid != nullptr;
  if (classGuid) set.classGuid = *classGuid;
  set.machine = machine;
  return handle;
}

bool IsRootEnumerated(const SimDevice& device) { return EqualNoCase(device.spec.instanceId.substr(0, 5), L"ROOT\\"); }

// Tree order, except that root-enumerated devices take the places of root
// devices in instance-ID order. Windows: devinst.c, test_get_class_devs and
// test_device_info (root devices listed by ID whatever their creation order).
std::vector<const SimDevice*> ListingOrder() {
  std::vector<const SimDevice*> order;
  std::vector<const SimDevice*> roots;
  for (const SimDevice& device : Tree().devices) {
    order.push_back(&device);
    if (IsRootEnumerated(device)) roots.push_back(&device);
  }
  std::stable_sort(roots.begin(), roots.end(), [](const SimDevice* a, const SimDevice* b) {
    return Lower(a->spec.instanceId) < Lower(b->spec.instanceId);
  });
  size_t next = 0;
  for (const SimDevice*& slot : order) {
    if (IsRootEnumerated(*slot)) slot = roots[next++];
  }
  return order;
}

// Windows: devinst.c, test_SetupDiOpenDeviceInterface: a malformed ID fails
// with ERROR_INVALID_DEVINST_NAME. Which IDs are malformed is taken from docs
// "Device Instance IDs" (parts joined by backslashes): an empty ID, or one
// with an empty part.
bool MalformedInstanceId(const std::wstring& id) {
  return id.empty() || id.front() == L'\\' || id.back() == L'\\' || id.find(L"\\\\") != std::wstring::npos;
}

bool InSet(const DeviceSet& set, DEVINST devInst) {
  for (const SetElement& element : set.elements) {
    if (element.devInst == devInst) return true;
  }
  return false;
}

}  // namespace

HDEVINFO SetupDiGetClassDevsExW(const GUID* classGuid, PCWSTR enumerator, HWND parent, DWORD flags,
                                HDEVINFO deviceInfoSet, PCWSTR machineName, PVOID reserved) {
  std::string arguments = ClassText(classGuid) + ", " + Quote(enumerator) + ", " + Hex(flags) + ", " +
                          (deviceInfoSet ? "existing set" : "new set") + ", " + Quote(machineName);
  if (FaultedCall("SetupDiGetClassDevsExW", arguments)) return INVALID_HANDLE_VALUE;
  (void)parent;
  const Machine* machine = nullptr;
  bool allClasses = (flags & DIGCF_ALLCLASSES) != 0;
  if (reserved || enumerator || deviceInfoSet || (!allClasses && !classGuid)) {
    return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  }
  if (DWORD error = ReachMachine(machineName, &machine)) return Fail(error, INVALID_HANDLE_VALUE);
  HDEVINFO devs = NewSet(allClasses ? nullptr : classGuid, machine);
  DeviceSet& set = Tree().sets[devs];
  for (const SimDevice* listed : ListingOrder()) {
    const SimDevice& device = *listed;
    if (device.removed || !device.registered || !OnMachine(device, machine)) continue;
    if (!allClasses && !SameGuid(device.classGuid, *classGuid)) continue;
    if ((flags & DIGCF_PRESENT) && !device.spec.present) continue;
    set.elements.push_back(SetElement{device.devInst});
  }
  SetLastError(ERROR_SUCCESS);
  return devs;
}

HDEVINFO SetupDiCreateDeviceInfoListExW(const GUID* classGuid, HWND parent, PCWSTR machineName, PVOID reserved) {
  if (FaultedCall("SetupDiCreateDeviceInfoListExW", ClassText(classGuid) + ", " + Quote(machineName))) {
    return INVALID_HANDLE_VALUE;
  }
  (void)parent;
  const Machine* machine = nullptr;
  if (reserved) return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  if (DWORD error = ReachMachine(machineName, &machine)) return Fail(error, INVALID_HANDLE_VALUE);
  SetLastError(ERROR_SUCCESS);
  return NewSet(classGuid, machine);
}

HDEVINFO SetupDiCreateDeviceInfoList(const GUID* classGuid, HWND parent) {
  if (FaultedCall("SetupDiCreateDeviceInfoList", ClassText(classGuid))) return INVALID_HANDLE_VALUE;
  (void)parent;
  SetLastError(ERROR_SUCCESS);
  return NewSet(classGuid, nullptr);
}

BOOL SetupDiOpenDeviceInfoW(HDEVINFO devs, PCWSTR instanceId, HWND parent, DWORD openFlags,
                            PSP_DEVINFO_DATA deviceInfoData) {
  if (FaultedCall("SetupDiOpenDeviceInfoW", Quote(instanceId) + ", " + Hex(openFlags))) return FALSE;
  (void)parent;
  DeviceSet* set = FindSet(devs);
  if (!set) return FALSE;
  if (!instanceId || (deviceInfoData && deviceInfoData->cbSize != sizeof(SP_DEVINFO_DATA))) {
    return Fail(deviceInfoData ? ERROR_INVALID_USER_BUFFER : ERROR_INVALID_PARAMETER);
  }
  if (MalformedInstanceId(instanceId)) return Fail(ERROR_INVALID_DEVINST_NAME);
  SimDevice* device = FindDeviceById(set->machine, instanceId);
  if (!device || !device->registered) return Fail(ERROR_NO_SUCH_DEVINST);
  if (set->hasClass && !SameGuid(set->classGuid, device->classGuid)) return Fail(ERROR_CLASS_MISMATCH);
  if (!InSet(*set, device->devInst)) set->elements.push_back(SetElement{device->devInst});
  if (deviceInfoData) FillDevInfoData(*device, set->elements.size() - 1, deviceInfoData);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL SetupDiEnumDeviceInfo(HDEVINFO devs, DWORD memberIndex, PSP_DEVINFO_DATA deviceInfoData) {
  if (FaultedCall("SetupDiEnumDeviceInfo", std::to_string(memberIndex))) return FALSE;
  DeviceSet* set = FindSet(devs);
  if (!set) return FALSE;
  if (!deviceInfoData || deviceInfoData->cbSize != sizeof(SP_DEVINFO_DATA)) return Fail(ERROR_INVALID_USER_BUFFER);
  if (memberIndex >= set->elements.size()) return Fail(ERROR_NO_MORE_ITEMS);
  // A device removed meanwhile keeps its element and its DEVINST.
  if (const SimDevice* device = DeviceByNumber(set->elements[memberIndex].devInst)) {
    FillDevInfoData(*device, memberIndex, deviceInfoData);
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL SetupDiDestroyDeviceInfoList(HDEVINFO devs) {
  if (FaultedCall("SetupDiDestroyDeviceInfoList", "")) return FALSE;
  DeviceSet* set = FindSet(devs);
  if (!set) return FALSE;
  // A device created in the set and never registered goes with it.
  for (const SetElement& element : set->elements) {
    SimDevice* device = FindDevice(element.devInst);
    if (element.created && device && !device->registered) device->removed = true;
  }
  Tree().sets.erase(devs);
  ReleaseHandle(HandleKind::DeviceInfoSet, devs);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL SetupDiGetDeviceInfoListDetailW(HDEVINFO devs, PSP_DEVINFO_LIST_DETAIL_DATA_W detail) {
  if (FaultedCall("SetupDiGetDeviceInfoListDetailW", detail ? std::to_string(detail->cbSize) : "null")) {
    return FALSE;
  }
  DeviceSet* set = FindSet(devs);
  if (!set) return FALSE;
  if (!detail || detail->cbSize != sizeof(SP_DEVINFO_LIST_DETAIL_DATA_W)) return Fail(ERROR_INVALID_USER_BUFFER);
  detail->ClassGuid = set->hasClass ? set->classGuid : GUID{};
  detail->RemoteMachineHandle = const_cast<Machine*>(set->machine);
  std::wstring name = set->machine ? L"\\\\" + set->machine->name : L"";
  std::wmemset(detail->RemoteMachineName, 0, SP_MAX_MACHINENAME_LENGTH);
  std::wmemcpy(detail->RemoteMachineName, name.c_str(), std::min<size_t>(name.size(), SP_MAX_MACHINENAME_LENGTH - 1));
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO devs, PSP_DEVINFO_DATA deviceInfoData, DWORD property,
                                       PDWORD propertyRegDataType, PBYTE propertyBuffer, DWORD propertyBufferSize,
                                       PDWORD requiredSize) {
  std::string arguments =
      DeviceText(deviceInfoData) + ", " + std::to_string(property) + ", " + std::to_string(propertyBufferSize);
  if (FaultedCall("SetupDiGetDeviceRegistryPropertyW", arguments)) return FALSE;
  if (!FindSetElement(devs, deviceInfoData)) return FALSE;
  SimDevice* device = FindDevice(deviceInfoData->DevInst);
  // Windows: setupapi/tests/devinst.c, test_device_info (a removed device's element)
  if (!device || device->spec.propertiesFail) return Fail(ERROR_NO_SUCH_DEVINST);
  if (!propertyBuffer && propertyBufferSize != 0) return Fail(ERROR_INVALID_USER_BUFFER);
  auto found = device->properties.find(property);
  if (found == device->properties.end() || found->second.empty()) return Fail(ERROR_INVALID_DATA);
  int& reads = device->reads[property];
  const sim::PropertyValue& value = found->second[std::min(static_cast<size_t>(reads), found->second.size() - 1)];
  ++reads;
  DWORD size = static_cast<DWORD>(value.data.size());
  bool fits = size <= propertyBufferSize;
  if (propertyRegDataType && (fits || Tree().typeReportedWhenTooSmall)) *propertyRegDataType = value.type;
  if (requiredSize) *requiredSize = size;
  if (!fits) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (size) std::memcpy(propertyBuffer, value.data.data(), size);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}
