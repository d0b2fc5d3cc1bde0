// Changing the simulated device tree: removal through the class installer,
// creating and registering a device, and the driver update of "newdev.dll".
#include <cstdio>
#include <cstring>

#include "platform/sim/device_tree.h"

using namespace sim::detail;

namespace {

const char* FunctionText(DI_FUNCTION function) {
  switch (function) {
    case DIF_REMOVE:
      return "DIF_REMOVE";
    case DIF_REGISTERDEVICE:
      return "DIF_REGISTERDEVICE";
    default:
      return "DIF_other";
  }
}

BOOL RemoveDevice(SetElement& element, SimDevice& device) {
  if (device.spec.removal == sim::Removal::kFailsAtInstaller) return Fail(device.spec.removalError);
  switch (device.spec.removal) {
    case sim::Removal::kNeedsReboot:
      element.installFlags |= DI_NEEDREBOOT;
      device.removalPending = true;
      break;
    case sim::Removal::kNeedsRestart:
      element.installFlags |= DI_NEEDRESTART;
      device.removalPending = true;
      break;
    default:
      device.removed = true;
      // Docs "Device tree", "DIF_REMOVE": a device's children leave with it.
      TakeChildrenAlong(std::wstring(device.spec.instanceId));  // may move `device`
      break;
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL RegisterDevice(SetElement& element, SimDevice& device) {
  if (!element.created || device.registered) return Fail(ERROR_DEVINST_ALREADY_EXISTS);
  device.registered = true;
  device.spec.present = true;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

std::wstring Upper(const std::wstring& text) {
  std::wstring upper = text;
  for (wchar_t& c : upper) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  return upper;
}

// The lowest free ROOT\<NAME>\NNNN.
std::wstring GeneratedId(const std::wstring& name) {
  std::wstring upper = Upper(name);
  for (unsigned number = 0;; ++number) {
    wchar_t digits[16];
    std::swprintf(digits, 16, L"%04u", number);
    std::wstring id = L"ROOT\\" + upper + L"\\" + digits;
    if (!FindDeviceById(nullptr, id)) return id;
  }
}

bool HasHardwareId(const SimDevice& device, const std::wstring& hardwareId) {
  for (DWORD property : {static_cast<DWORD>(SPDRP_HARDWAREID), static_cast<DWORD>(SPDRP_COMPATIBLEIDS)}) {
    auto found = device.properties.find(property);
    if (found == device.properties.end() || found->second.empty()) continue;
    const std::vector<BYTE>& data = found->second.back().data;
    std::wstring block(data.size() / sizeof(WCHAR), L'\0');
    if (!data.empty()) std::memcpy(&block[0], data.data(), block.size() * sizeof(WCHAR));
    for (size_t start = 0; start < block.size() && block[start];) {
      size_t end = block.find(L'\0', start);
      if (end == std::wstring::npos) end = block.size();
      if (EqualNoCase(block.substr(start, end - start), hardwareId)) return true;
      start = end + 1;
    }
  }
  return false;
}

BOOL WINAPI SimUpdateDriverForPlugAndPlayDevicesW(HWND parent, LPCWSTR hardwareId, LPCWSTR fullInfPath,
                                                  DWORD installFlags, PBOOL rebootRequired) {
  (void)parent;
  std::string arguments = Quote(hardwareId) + ", " + Quote(fullInfPath) + ", " + Hex(installFlags);
  if (FaultedCall("UpdateDriverForPlugAndPlayDevicesW", arguments)) return FALSE;
  DeviceTree& tree = Tree();
  tree.updates.push_back(sim::DriverUpdate{hardwareId ? hardwareId : L"", fullInfPath ? fullInfPath : L"", installFlags,
                                           rebootRequired && !*rebootRequired});
  if (!hardwareId || !fullInfPath) return Fail(ERROR_INVALID_PARAMETER);
  if (!sim::FileExists(fullInfPath)) return Fail(ERROR_FILE_NOT_FOUND);
  bool found = false;
  for (const SimDevice& device : tree.devices) {
    if (!device.removed && device.registered && OnMachine(device, nullptr) && HasHardwareId(device, hardwareId)) {
      found = true;
    }
  }
  if (!found) return Fail(ERROR_NO_SUCH_DEVINST);
  if (!tree.updateSucceeds) return Fail(tree.updateError);
  if (rebootRequired) *rebootRequired = tree.updateNeedsReboot ? TRUE : FALSE;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

}  // namespace

namespace sim::detail {

void RegisterDriverUpdate() {
  RegisterExport(L"newdev.dll", "UpdateDriverForPlugAndPlayDevicesW",
                 reinterpret_cast<FARPROC>(&SimUpdateDriverForPlugAndPlayDevicesW));
}

}  // namespace sim::detail

BOOL SetupDiSetClassInstallParamsW(HDEVINFO devs, PSP_DEVINFO_DATA deviceInfoData, PSP_CLASSINSTALL_HEADER params,
                                   DWORD paramsSize) {
  std::string arguments = DeviceText(deviceInfoData) + ", " + std::to_string(paramsSize);
  if (params) {
    arguments += std::string(", ") + FunctionText(params->InstallFunction);
    if (params->InstallFunction == DIF_REMOVE && paramsSize >= sizeof(SP_REMOVEDEVICE_PARAMS)) {
      auto* remove = reinterpret_cast<SP_REMOVEDEVICE_PARAMS*>(params);
      arguments += ", scope " + std::to_string(remove->Scope) + ", profile " + std::to_string(remove->HwProfile);
    }
  }
  if (FaultedCall("SetupDiSetClassInstallParamsW", arguments)) return FALSE;
  SetElement* element = FindSetElement(devs, deviceInfoData);
  if (!element) return FALSE;
  if (!params) {
    element->hasRemoveParams = false;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
  }
  if (params->cbSize != sizeof(SP_CLASSINSTALL_HEADER)) return Fail(ERROR_INVALID_USER_BUFFER);
  if (params->InstallFunction != DIF_REMOVE) return Fail(ERROR_INVALID_PARAMETER);
  if (paramsSize != sizeof(SP_REMOVEDEVICE_PARAMS)) return Fail(ERROR_INVALID_PARAMETER);
  auto* remove = reinterpret_cast<SP_REMOVEDEVICE_PARAMS*>(params);
  if (remove->Scope != DI_REMOVEDEVICE_GLOBAL && remove->Scope != DI_REMOVEDEVICE_CONFIGSPECIFIC) {
    return Fail(ERROR_INVALID_FLAGS);
  }
  SimDevice* device = FindDevice(element->devInst);
  if (!device) return Fail(ERROR_NO_SUCH_DEVINST);
  if (device->spec.removal == sim::Removal::kFailsAtSetParams) return Fail(device->spec.removalError);
  element->hasRemoveParams = true;
  element->removeParams = *remove;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL SetupDiCallClassInstaller(DI_FUNCTION installFunction, HDEVINFO devs, PSP_DEVINFO_DATA deviceInfoData) {
  std::string arguments = std::string(FunctionText(installFunction)) + ", " + DeviceText(deviceInfoData);
  if (FaultedCall("SetupDiCallClassInstaller", arguments)) return FALSE;
  SetElement* element = FindSetElement(devs, deviceInfoData);
  if (!element) return FALSE;
  SimDevice* device = FindDevice(element->devInst);
  if (!device) return Fail(ERROR_NO_SUCH_DEVINST);
  if (installFunction == DIF_REMOVE) return RemoveDevice(*element, *device);
  if (installFunction == DIF_REGISTERDEVICE) return RegisterDevice(*element, *device);
  return Fail(ERROR_DI_DO_DEFAULT);
}

BOOL SetupDiGetDeviceInstallParamsW(HDEVINFO devs, PSP_DEVINFO_DATA deviceInfoData, PSP_DEVINSTALL_PARAMS_W params) {
  if (FaultedCall("SetupDiGetDeviceInstallParamsW", DeviceText(deviceInfoData))) return FALSE;
  // An element whose device left with its parent fails here too (docs
  // "DIF_REMOVE" leave it open; see sim::ChildDeparture).
  SetElement* element = FindSetElement(devs, deviceInfoData);
  if (!element) return FALSE;
  if (!params || params->cbSize != sizeof(SP_DEVINSTALL_PARAMS_W)) return Fail(ERROR_INVALID_USER_BUFFER);
  DWORD cbSize = params->cbSize;
  std::memset(params, 0, sizeof *params);
  params->cbSize = cbSize;
  params->Flags = element->installFlags;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL SetupDiCreateDeviceInfoW(HDEVINFO devs, PCWSTR deviceName, const GUID* classGuid, PCWSTR description, HWND parent,
                              DWORD creationFlags, PSP_DEVINFO_DATA deviceInfoData) {
  (void)parent;
  std::string arguments = Quote(deviceName) + ", " + (classGuid ? GuidText(*classGuid) : "no class") + ", " +
                          Quote(description) + ", " + Hex(creationFlags);
  if (FaultedCall("SetupDiCreateDeviceInfoW", arguments)) return FALSE;
  DeviceSet* set = FindSet(devs);
  if (!set) return FALSE;
  if (!deviceName || !*deviceName || !classGuid) return Fail(ERROR_INVALID_PARAMETER);
  if (deviceInfoData && deviceInfoData->cbSize != sizeof(SP_DEVINFO_DATA)) return Fail(ERROR_INVALID_USER_BUFFER);
  if (set->hasClass && !SameGuid(set->classGuid, *classGuid)) return Fail(ERROR_CLASS_MISMATCH);
  bool generate = (creationFlags & DICD_GENERATE_ID) != 0;
  if (generate && std::wcschr(deviceName, L'\\')) return Fail(ERROR_INVALID_DEVINST_NAME);
  // Windows: devinst.c, test_device_info: a given ID comes back in capitals.
  std::wstring id = generate ? GeneratedId(deviceName) : Upper(deviceName);
  if (FindDeviceById(set->machine, id)) return Fail(ERROR_DEVINST_ALREADY_EXISTS);

  SimDevice device;
  device.devInst = Tree().nextDevInst++;
  device.spec.instanceId = id;
  device.spec.className = generate ? deviceName : L"";
  device.spec.machine = set->machine ? set->machine->name : L"";
  device.classGuid = *classGuid;
  device.registered = false;
  device.spec.present = false;
  if (description) device.properties[SPDRP_DEVICEDESC] = {sim::Sz(description)};
  Tree().devices.push_back(device);
  SetElement element{device.devInst};
  element.created = true;
  set->elements.push_back(element);
  if (deviceInfoData) FillDevInfoData(device, set->elements.size() - 1, deviceInfoData);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL SetupDiSetDeviceRegistryPropertyW(HDEVINFO devs, PSP_DEVINFO_DATA deviceInfoData, DWORD property,
                                       const BYTE* propertyBuffer, DWORD propertyBufferSize) {
  std::string arguments =
      DeviceText(deviceInfoData) + ", " + std::to_string(property) + ", " + std::to_string(propertyBufferSize);
  if (FaultedCall("SetupDiSetDeviceRegistryPropertyW", arguments)) return FALSE;
  SetElement* element = FindSetElement(devs, deviceInfoData);
  if (!element) return FALSE;
  SimDevice* device = FindDevice(element->devInst);
  if (!device) return Fail(ERROR_NO_SUCH_DEVINST);
  DWORD type = REG_NONE;
  if (property == SPDRP_HARDWAREID || property == SPDRP_COMPATIBLEIDS) type = REG_MULTI_SZ;
  if (property == SPDRP_FRIENDLYNAME || property == SPDRP_DEVICEDESC) type = REG_SZ;
  if (type == REG_NONE) return Fail(ERROR_INVALID_REG_PROPERTY);
  if (!propertyBuffer && propertyBufferSize != 0) return Fail(ERROR_INVALID_PARAMETER);
  if (propertyBufferSize % sizeof(WCHAR) != 0) return Fail(ERROR_INVALID_DATA);
  sim::PropertyValue value{type, std::vector<BYTE>(propertyBuffer, propertyBuffer + propertyBufferSize)};
  device->properties[property] = {value};
  device->reads[property] = 0;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}
