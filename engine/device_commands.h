// The records and visitors of the engine's device commands "remove" and
// "findall", open to tests of single devices.
#pragma once

#include <string>
#include <vector>

#include "engine/device_selection.h"

// "remove": one per run, shared by the handler and its visitor.
struct RemovalTally : VisitorContext {
  DWORD removedCount = 0;           // removed at once or pending a restart
  bool restartNeeded = false;       // never cleared once set
  bool anyFailed = false;           // a device not removed, or not readable
  bool lastLook = false;            // the walk over a new set after the first
  std::vector<std::wstring> lined;  // instance IDs that have their line
  const wchar_t* succeededLabel = L"Remove succeeded";
  const wchar_t* restartLabel = L"Remove on reboot";
  const wchar_t* failedLabel = L"Remove failed";
};

// Removes one device and writes its line. Always 0: the walk goes on.
int RemoveOneDevice(HDEVINFO devs, SP_DEVINFO_DATA* devInfo, DWORD index, VisitorContext* context);

// "findall": the devices listed so far.
struct ListingTally : VisitorContext {
  DWORD deviceCount = 0;
};

// Writes one device's line and counts it. Always 0.
int ReportDevice(HDEVINFO devs, SP_DEVINFO_DATA* devInfo, DWORD index, VisitorContext* context);
// The device's instance ID into `instanceId`; false, and the ID empty, when
// it cannot be read or reads as empty.
bool ReadInstanceId(HDEVINFO devs, SP_DEVINFO_DATA* devInfo, WCHAR (&instanceId)[MAX_DEVICE_ID_LEN]);
// "<instance ID padded to 60>: <name>", or the ID alone when `name` is null;
// "?" stands for an ID that cannot be read.
void PrintDeviceLine(HDEVINFO devs, SP_DEVINFO_DATA* devInfo, const wchar_t* name);
