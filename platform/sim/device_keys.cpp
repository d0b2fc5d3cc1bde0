// A device's driver key (SetupDiOpenDevRegKey with DIREG_DRV) and the one
// value of it that is modelled, InfPath: the name of the package in the
// system's INF directory that the device is installed from.
#include <cstring>
#include <map>

#include "platform/sim/device_tree.h"

using namespace sim::detail;

namespace {

// An open key: the device whose driver key it is.
std::map<const void*, DEVINST>& OpenKeys() {
  static std::map<const void*, DEVINST> keys;
  return keys;
}

}  // namespace

namespace sim {

std::vector<std::wstring> PackagesOfPresentDevices() {
  std::vector<std::wstring> names;
  for (const SimDevice& device : Tree().devices) {
    if (!device.removed && device.spec.present && device.spec.hasDriverKey && !device.spec.infPath.empty()) {
      names.push_back(device.spec.infPath);
    }
  }
  return names;
}

}  // namespace sim

// Only the driver key is modelled; the device's hardware key (DIREG_DEV) is
// refused rather than half modelled, as the program never opens it.
HKEY SetupDiOpenDevRegKey(HDEVINFO devs, PSP_DEVINFO_DATA deviceInfoData, DWORD scope, DWORD hwProfile, DWORD keyType,
                          REGSAM samDesired) {
  HKEY invalid = static_cast<HKEY>(INVALID_HANDLE_VALUE);
  std::string arguments = DeviceText(deviceInfoData) + ", " + Hex(scope) + ", " + std::to_string(hwProfile) + ", " +
                          Hex(keyType) + ", " + Hex(samDesired);
  if (FaultedCall("SetupDiOpenDevRegKey", arguments)) return invalid;
  if (!FindSetElement(devs, deviceInfoData)) return invalid;
  if ((scope != DICS_FLAG_GLOBAL && scope != DICS_FLAG_CONFIGSPECIFIC) || keyType != DIREG_DRV) {
    return Fail(ERROR_INVALID_FLAGS, invalid);
  }
  SimDevice* device = FindDevice(deviceInfoData->DevInst);
  if (!device) return Fail(ERROR_NO_SUCH_DEVINST, invalid);
  // Windows: devinst.c, test_device_key.
  if (!device->registered) return Fail(ERROR_DEVINFO_NOT_REGISTERED, invalid);
  if (!device->spec.hasDriverKey) return Fail(ERROR_KEY_DOES_NOT_EXIST, invalid);
  void* key = NewHandle(HandleKind::RegistryKey);
  OpenKeys()[key] = device->devInst;
  SetLastError(ERROR_SUCCESS);
  return static_cast<HKEY>(key);
}

// The registry functions answer with the error itself, not the last error.
LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  unsigned long error = 0;
  if (FaultInjected("RegQueryValueExW", Quote(valueName), &error)) return static_cast<LONG>(error);
  if (reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
  auto open = OpenKeys().find(key);
  if (open == OpenKeys().end() || !IsOpen(HandleKind::RegistryKey, key)) return ERROR_INVALID_HANDLE;
  SimDevice* device = DeviceByNumber(open->second);
  if (!device || device->spec.infPath.empty() || !valueName || !EqualNoCase(valueName, L"InfPath")) {
    return ERROR_FILE_NOT_FOUND;
  }
  const std::wstring& value = device->spec.infPath;
  DWORD needed = static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR));
  if (type) *type = REG_SZ;
  if (!dataSize) return ERROR_SUCCESS;
  DWORD offered = *dataSize;
  *dataSize = needed;
  if (!data) return ERROR_SUCCESS;
  if (offered < needed) return ERROR_MORE_DATA;
  std::memcpy(data, value.c_str(), needed);
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  unsigned long error = 0;
  FaultInjected("RegCloseKey", "", &error);  // closing an open key does not fail
  if (!ReleaseHandle(HandleKind::RegistryKey, key)) return ERROR_INVALID_HANDLE;
  OpenKeys().erase(key);
  return ERROR_SUCCESS;
}
