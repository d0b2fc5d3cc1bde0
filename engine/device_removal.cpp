// "remove": removes every matching device of this computer through its class
// installer, one line per device, then a count.
#include "engine/device_commands.h"
#include "engine/engine.h"
#include "engine/line_format.h"
#include "engine/message_output.h"
#include "messages.h"

namespace {

bool RemoveThroughClassInstaller(HDEVINFO devs, SP_DEVINFO_DATA* devInfo) {
  SP_REMOVEDEVICE_PARAMS params;
  params.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
  params.ClassInstallHeader.InstallFunction = DIF_REMOVE;
  params.Scope = DI_REMOVEDEVICE_GLOBAL;  // from every hardware profile
  params.HwProfile = 0;
  return SetupDiSetClassInstallParamsW(devs, devInfo, &params.ClassInstallHeader, sizeof params) &&
         SetupDiCallClassInstaller(DIF_REMOVE, devs, devInfo);
}

// Parameters that cannot be read leave the removal unconfirmed: it is taken
// as pending, so that a restart is asked for and the packages stay.
bool RestartPending(HDEVINFO devs, SP_DEVINFO_DATA* devInfo) {
  SP_DEVINSTALL_PARAMS_W params;
  params.cbSize = sizeof params;
  return !SetupDiGetDeviceInstallParamsW(devs, devInfo, &params) ||
         (params.Flags & (DI_NEEDREBOOT | DI_NEEDRESTART)) != 0;
}

bool HasLine(const RemovalTally& tally, const wchar_t* instanceId) {
  for (const std::wstring& id : tally.lined) {
    if (id == instanceId) return true;  // the same device reads the same
  }
  return false;
}

}  // namespace

// A device that cannot be named is not removed: its line says it failed.
// Once a device was removed, one that fails may have left with it (the
// interfaces of a composite device leave with the device, and what an
// older set then answers for them is not documented): it gets no line yet
// and is looked for once more in a new set after the walk.
int RemoveOneDevice(HDEVINFO devs, SP_DEVINFO_DATA* devInfo, DWORD index, VisitorContext* context) {
  (void)index;
  RemovalTally& tally = *static_cast<RemovalTally*>(context);
  WCHAR instanceId[MAX_DEVICE_ID_LEN];
  bool named = ReadInstanceId(devs, devInfo, instanceId);
  if (named && HasLine(tally, instanceId)) return 0;  // the last look meets it again
  const wchar_t* label = tally.failedLabel;
  if (named && RemoveThroughClassInstaller(devs, devInfo)) {
    label = tally.succeededLabel;
    if (RestartPending(devs, devInfo)) {
      label = tally.restartLabel;
      tally.restartNeeded = true;
    }
    ++tally.removedCount;
    tally.treeChanged = true;
  } else if (tally.treeChanged && !tally.lastLook) {
    ++tally.doubtfulDevices;
    return 0;
  } else {
    tally.anyFailed = true;
  }
  if (named) tally.lined.push_back(instanceId);
  wchar_t line[kLineCharacters];
  FormatLine(line, kLineCharacters - 1, L"%-60ls: %ls\n", instanceId, label);
  WriteDeviceLine(line);
  return 0;
}

// Every device is tried before a failure decides the result, and the
// summary still tells what was removed. A device that failed, or could not
// be read, after another was removed is looked for once more in a new set
// of all devices: one that set no longer lists left with a device removed
// before it (no line, not counted); one it lists is tried there (a device
// that already has its line is passed over), and that try is final.
int RemoveMatchingDevices(const wchar_t* baseName, const wchar_t* machine, DWORD flags, int argc,
                          const wchar_t* const* argv) {
  (void)baseName;
  (void)flags;
  // Devices are removed on this computer only.
  if (argc < 1 || machine) return ENGINE_BAD_USAGE;
  RemovalTally tally;
  int result = ForEachMatchingDevice(nullptr, argc, argv, RemoveOneDevice, &tally);
  if (result == ENGINE_DONE && tally.doubtfulDevices > 0) {
    tally.lastLook = true;
    tally.doubtfulDevices = 0;
    result = ForEachMatchingDevice(nullptr, argc, argv, RemoveOneDevice, &tally);
    tally.unreadableDevices += tally.doubtfulDevices;  // the last look settles them
  }
  if (result != ENGINE_DONE) return result;
  if (tally.removedCount == 0) {
    WriteEngineMessage(TEXT_STDOUT, MSG_REMOVED_NONE);
    result = ENGINE_DONE;
  } else if (!tally.restartNeeded) {
    WriteEngineMessage(TEXT_STDOUT, MSG_REMOVED, tally.removedCount);
    result = ENGINE_DONE;
  } else {
    WriteEngineMessage(TEXT_STDOUT, MSG_REMOVED_REBOOT, tally.removedCount);
    result = ENGINE_NEEDS_REBOOT;
  }
  return tally.anyFailed || tally.unreadableDevices ? ENGINE_FAILED : result;
}
