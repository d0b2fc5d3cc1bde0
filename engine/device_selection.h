// Selecting devices from command arguments, and reading their properties.
//
// Arguments: an optional "=<class>" first, then ID patterns. "*" alone (first
// pattern) selects every device; '@' matches a device instance ID instead of
// the hardware and compatible IDs; a leading apostrophe makes '*' literal;
// otherwise '*' matches any text.
#pragma once

#include "platform/platform.h"

// A list of strings over one multi-string block. The value handed out points
// at the first string pointer; the list ends with a null pointer; the slot
// before the first pointer holds the block, which the list owns.
typedef wchar_t** StringList;

// Builds a list over `block` (new[]-allocated) and takes ownership of it.
StringList SplitMultiString(wchar_t* block);
// Releases the list and its block; a null list is allowed.
void FreeStringList(StringList list);

// A device registry property of string type as a new[] string, or null when
// it is absent or cannot be read (the last error tells which).
wchar_t* GetDeviceStringProperty(HDEVINFO devs, SP_DEVINFO_DATA* devInfo, DWORD property);
// A multi-string property as a list, or null when it cannot be read.
StringList GetDeviceStringListProperty(HDEVINFO devs, SP_DEVINFO_DATA* devInfo, DWORD property);

struct IdPattern {
  const wchar_t* text;       // after the '@' and apostrophe; points into the argument
  const wchar_t* firstStar;  // first '*' of text, or null: compared whole
  bool isInstanceId;         // matched against the instance ID
};

// Compares without regard to ASCII letter case. Middle segments match at
// their leftmost occurrence; the last segment is anchored at the ID's end.
bool MatchIdPattern(const wchar_t* id, const IdPattern& pattern);

// The instance ID of a device into `instanceId`: false, and the ID empty,
// when it cannot be read or reads as empty. `machineHandle` is that of the
// device's set (null: this computer).
bool ReadDeviceInstanceId(DEVINST devInst, HANDLE machineHandle, WCHAR (&instanceId)[MAX_DEVICE_ID_LEN]);

// What a visitor gets handed through the walk; each command derives its own
// record from it.
struct VisitorContext {
  DWORD unreadableDevices = 0;  // whose selection could not be told; not visited
  // Set by a visitor that took a device out of the tree. From then on a
  // device that cannot be read may have left with it (the interfaces of a
  // composite device leave with the device), so such a device is counted
  // in doubtfulDevices instead, for the caller to look for once more.
  bool treeChanged = false;
  DWORD doubtfulDevices = 0;
};

// Called for each selected device with the walk's set, the device, its index
// in the set and the caller's context; a nonzero result ends the walk.
typedef int (*DeviceVisitor)(HDEVINFO devs, SP_DEVINFO_DATA* devInfo, DWORD index, VisitorContext* context);

// Walks the devices that the arguments select on `machine` (null: this
// computer). ENGINE_DONE when the walk ran to its end, also when nothing was
// selected; ENGINE_FAILED when the set could not be built or its walk ended
// on an error; else the value with which a visitor ended the walk. A device
// whose IDs cannot be read to tell whether it is selected is not visited
// but counted in context->unreadableDevices (doubtfulDevices once the tree
// changed). Writes nothing.
int ForEachMatchingDevice(const wchar_t* machine, int argc, const wchar_t* const* argv, DeviceVisitor visitor,
                          VisitorContext* context);

// The devices of this computer, present or not, as one walk over all of them
// sees them against one ID pattern (as `findall <pattern>` reads it).
struct DeviceCensus {
  DWORD readable = 0;    // devices whose IDs were read and hold at least one ID
  DWORD selected = 0;    // ... of which the pattern selects these
  DWORD unreadable = 0;  // devices whose IDs (or instance ID, for '@') could not be read
};

// ENGINE_DONE, or ENGINE_FAILED when the walk could not be made or broke off.
int TakeDeviceCensus(const wchar_t* pattern, DeviceCensus* census);
