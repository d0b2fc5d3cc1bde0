// The simulated device tree, for tests: devices with their IDs, class, names
// and what removing them does; setup classes by name; remote machines; the
// driver update of "newdev.dll".
#pragma once

#include <string>
#include <vector>

#include "platform/sim/sim.h"

namespace sim {

// One registry property as SetupDiGetDeviceRegistryPropertyW hands it out:
// its type and its bytes (wide characters of this host).
struct PropertyValue {
  DWORD type;
  std::vector<BYTE> data;
};

PropertyValue MultiSz(const std::vector<std::wstring>& strings);     // REG_MULTI_SZ, double null
PropertyValue Sz(const std::wstring& text);                          // REG_SZ, one null
PropertyValue RawValue(DWORD type, const std::wstring& characters);  // exactly these characters

// What DIF_REMOVE does to a device.
enum class Removal {
  kRemoved,           // gone at once
  kNeedsReboot,       // DI_NEEDREBOOT in the install parameters afterwards
  kNeedsRestart,      // DI_NEEDRESTART in the install parameters afterwards
  kFailsAtSetParams,  // SetupDiSetClassInstallParamsW fails
  kFailsAtInstaller,  // SetupDiCallClassInstaller fails
};

struct DeviceSpec {
  std::wstring instanceId;
  std::wstring className = L"System";  // its GUID comes from the class table
  std::wstring machine;                // empty: this computer; else a remote machine's name
  bool present = true;
  // Properties by SPDRP_ code. Each holds the values that successive reads
  // return; the last one stays. A property not listed is absent.
  std::vector<std::pair<DWORD, std::vector<PropertyValue>>> properties;
  Removal removal = Removal::kRemoved;
  DWORD removalError = ERROR_ACCESS_DENIED;  // for the two failing removals
  // CM_Get_Device_ID_ExW on this device: fails with CR_NO_SUCH_DEVNODE, or
  // answers CR_SUCCESS without writing the buffer (as Wine 8 does, while its
  // CM_Get_Device_IDW writes it). The first fails CM_Get_Device_IDW too.
  bool idReadFails = false;
  bool idReadWritesNothing = false;
  // Every registry property read fails with ERROR_NO_SUCH_DEVINST, as for a
  // device that left the tree while a set held it.
  bool propertiesFail = false;
  // Its driver key (SetupDiOpenDevRegKey with DIREG_DRV), and the key's
  // InfPath value: the package it is installed from (empty: no value).
  bool hasDriverKey = false;
  std::wstring infPath;
  // The instance ID of the device it hangs from (empty: the root). Removing
  // a device takes its children, and theirs, out of the present tree: the
  // interfaces of a composite USB device (...&MI_00, ...&MI_01) leave with it.
  std::wstring parent;
};

// What a device set made before a parent's removal answers for a child that
// left with it. Nothing documents it, so a test chooses.
enum class ChildDeparture {
  kStaysNotPresent,    // the child is not present; its element reads and is removed as before
  kGone,               // every call on its element fails; a new set does not list it
  kRelistedElsewhere,  // its element fails as when gone; a new set lists it, not present
};
void SetChildDeparture(ChildDeparture answer);

// Whether SetupDiGetDeviceRegistryPropertyW writes the property's type when
// the buffer is too small (default) or leaves it as the caller set it.
// Nothing documents it, so a test chooses.
void SetTypeReportedWhenTooSmall(bool reported);

// Convenience for the common shapes of a device.
DeviceSpec Device(const std::wstring& instanceId, const std::wstring& className,
                  const std::vector<std::wstring>& hardwareIds, const std::vector<std::wstring>& compatibleIds = {});
void SetProperty(DeviceSpec& device, DWORD property, const PropertyValue& value);
void SetChangingProperty(DeviceSpec& device, DWORD property, const std::vector<PropertyValue>& values);

// Adds a device in tree order and returns its DEVINST (100, 101, ...). Its
// class is added to the class table when the name is new. Device sets list
// root-enumerated devices (ROOT\...) by instance ID, as Windows does, and
// the others in the order added.
DEVINST AddDevice(const DeviceSpec& device);

// Setup classes: a name may have several GUIDs, in the order added. The
// machine starts with the classes "System", "Net", "USB", "Sample".
GUID AddClass(const std::wstring& name);
void AddClassGuid(const std::wstring& name, const GUID& guid);
std::vector<GUID> ClassGuids(const std::wstring& name);
std::wstring ClassName(const GUID& guid);  // empty for a GUID no class has
GUID MakeGuid(unsigned number);

// A computer reachable by name ("PC7" or "\\PC7").
void AddRemoteMachine(const std::wstring& name);

// The InfPath of every device that is present and not removed, in tree order.
std::vector<std::wstring> PackagesOfPresentDevices();

// The tree as it stands: instance IDs of every device (local ones unless a
// machine is named), in tree order; removed devices are gone.
std::vector<std::wstring> DeviceIds(const std::wstring& machine = L"");
bool DeviceExists(const std::wstring& instanceId);
bool DeviceRemovalPending(const std::wstring& instanceId);
bool DeviceRegistered(const std::wstring& instanceId);
// A property's current value (empty data and REG_NONE when absent).
PropertyValue DeviceProperty(const std::wstring& instanceId, DWORD property);

// UpdateDriverForPlugAndPlayDevicesW of "newdev.dll": each call is recorded;
// it fails with ERROR_NO_SUCH_DEVINST when no registered device carries the
// hardware ID and with ERROR_FILE_NOT_FOUND when the INF does not exist,
// else answers as set here (default: success, no restart).
struct DriverUpdate {
  std::wstring hardwareId;
  std::wstring infPath;
  DWORD installFlags;
  bool rebootFlagCleared;  // the caller's flag was FALSE before the call
};
void SetDriverUpdateOutcome(bool succeeds, bool needsReboot, DWORD error = ERROR_GEN_FAILURE);
const std::vector<DriverUpdate>& DriverUpdates();

}  // namespace sim
