// Inside the simulated device tree: the state that the device functions of
// devices.cpp, device_sets.cpp and device_install.cpp share.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/sim_devices.h"
#include "platform/sim/sim_internal.h"

namespace sim::detail {

struct SimDevice {
  DEVINST devInst;
  DeviceSpec spec;
  GUID classGuid;
  std::map<DWORD, std::vector<PropertyValue>> properties;
  std::map<DWORD, int> reads;
  bool removed = false;
  bool removalPending = false;
  bool registered = true;  // false while a created device awaits DIF_REGISTERDEVICE
  bool departed = false;   // left with its parent: every call on an element of it fails
};

struct Machine {
  std::wstring name;  // lower case, without leading backslashes
};

// One device of a set, with what the set keeps about it.
struct SetElement {
  DEVINST devInst;
  bool hasRemoveParams = false;
  SP_REMOVEDEVICE_PARAMS removeParams = {};
  DWORD installFlags = 0;
  bool created = false;  // made in this set by SetupDiCreateDeviceInfoW
};

struct DeviceSet {
  bool hasClass = false;
  GUID classGuid = {};
  const Machine* machine = nullptr;  // null: this computer
  std::vector<SetElement> elements;
};

// DEVINSTs are handed out in tree order from this one on, and devices stay in
// the list when removed: devices[i] has kFirstDevInst + i.
constexpr DEVINST kFirstDevInst = 100;

struct DeviceTree {
  std::vector<SimDevice> devices;  // tree order
  std::vector<std::pair<std::wstring, GUID>> classes;
  std::vector<std::unique_ptr<Machine>> machines;
  std::map<const void*, DeviceSet> sets;
  DEVINST nextDevInst = kFirstDevInst;
  unsigned nextClassNumber = 1;
  bool updateSucceeds = true;
  bool updateNeedsReboot = false;
  DWORD updateError = ERROR_GEN_FAILURE;
  std::vector<DriverUpdate> updates;
  sim::ChildDeparture childDeparture = sim::ChildDeparture::kStaysNotPresent;
  bool typeReportedWhenTooSmall = true;
};

DeviceTree& Tree();

bool SameGuid(const GUID& a, const GUID& b);
std::string GuidText(const GUID& guid);
std::string MachineText(const Machine* machine);

// A machine by name as the SetupDi functions take it (null or empty: this
// computer); false when no such machine is reachable.
bool FindMachine(const wchar_t* name, const Machine** machine);
// The same as the SetupDi...Ex functions reach it: 0, or the error they fail
// with (also for a known machine on a system that no longer reaches any).
DWORD ReachMachine(const wchar_t* name, const Machine** machine);
SimDevice* FindDevice(DEVINST devInst);      // null when removed
SimDevice* DeviceByNumber(DEVINST devInst);  // removed ones too
SimDevice* FindDeviceById(const Machine* machine, const std::wstring& instanceId);
bool OnMachine(const SimDevice& device, const Machine* machine);
// Takes the children of the device `parentId` (and theirs) out of the
// present tree, as the chosen ChildDeparture says.
void TakeChildrenAlong(const std::wstring& parentId);

// A set handle, and the element an SP_DEVINFO_DATA names in it; both set
// the last error as Windows does when they fail.
DeviceSet* FindSet(HDEVINFO devs);
SetElement* FindElement(DeviceSet& set, const SP_DEVINFO_DATA* data);
// The element of the set `devs` that `data` names; null, with the last error
// set, when the set or the element is unknown.
SetElement* FindSetElement(HDEVINFO devs, const SP_DEVINFO_DATA* data);
void FillDevInfoData(const SimDevice& device, size_t index, SP_DEVINFO_DATA* data);

std::string DeviceText(const SP_DEVINFO_DATA* data);  // instance ID for the call log

// Puts UpdateDriverForPlugAndPlayDevicesW into "newdev.dll".
void RegisterDriverUpdate();

}  // namespace sim::detail
