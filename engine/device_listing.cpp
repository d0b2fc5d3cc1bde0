// "findall": lists every matching device, present or not, with its instance
// ID and name, then a count.
#include <cwchar>
#include <memory>

#include "engine/device_commands.h"
#include "engine/engine.h"
#include "engine/line_format.h"
#include "engine/message_output.h"
#include "messages.h"

bool ReadInstanceId(HDEVINFO devs, SP_DEVINFO_DATA* devInfo, WCHAR (&instanceId)[MAX_DEVICE_ID_LEN]) {
  SP_DEVINFO_LIST_DETAIL_DATA_W detail;
  detail.cbSize = sizeof detail;
  if (SetupDiGetDeviceInfoListDetailW(devs, &detail)) {
    return ReadDeviceInstanceId(devInfo->DevInst, detail.RemoteMachineHandle, instanceId);
  }
  std::wmemset(instanceId, L'\0', MAX_DEVICE_ID_LEN);
  return false;
}

void PrintDeviceLine(HDEVINFO devs, SP_DEVINFO_DATA* devInfo, const wchar_t* name) {
  WCHAR instanceId[MAX_DEVICE_ID_LEN];
  const wchar_t* id = ReadInstanceId(devs, devInfo, instanceId) ? instanceId : L"?";

  wchar_t line[kShortLineCharacters];
  const size_t limit = kShortLineCharacters - 1;
  int length =
      name ? FormatShortLine(line, limit, L"%-60ls: %ls\n", id, name) : FormatShortLine(line, limit, L"%ls\n", id);
  // A cut line keeps its line end, so that the next device starts a line
  // of its own and the lines still add up to the count.
  if (length < 0) line[limit - 1] = L'\n';
  WriteDeviceLine(line);
}

int ReportDevice(HDEVINFO devs, SP_DEVINFO_DATA* devInfo, DWORD index, VisitorContext* context) {
  (void)index;
  ListingTally& tally = *static_cast<ListingTally*>(context);
  std::unique_ptr<wchar_t[]> name(GetDeviceStringProperty(devs, devInfo, SPDRP_FRIENDLYNAME));
  if (!name) name.reset(GetDeviceStringProperty(devs, devInfo, SPDRP_DEVICEDESC));
  PrintDeviceLine(devs, devInfo, name.get());
  ++tally.deviceCount;
  return 0;
}

int ListDevices(const wchar_t* baseName, const wchar_t* machine, DWORD flags, int argc, const wchar_t* const* argv) {
  (void)baseName;
  (void)flags;
  if (argc < 1) return ENGINE_BAD_USAGE;
  ListingTally tally;
  int result = ForEachMatchingDevice(machine, argc, argv, ReportDevice, &tally);
  if (result != ENGINE_DONE) return result;
  // A device whose IDs cannot be read may be one that was asked for: the
  // summary tells what was listed, the result that the list is not whole.
  if (tally.deviceCount == 0) {
    if (machine) {
      WriteEngineMessage(TEXT_STDOUT, MSG_FINDALL_NONE_REMOTE, ShownText(machine).c_str());
    } else {
      WriteEngineMessage(TEXT_STDOUT, MSG_FINDALL_NONE, nullptr);
    }
  } else if (machine) {
    WriteEngineMessage(TEXT_STDOUT, MSG_FINDALL_COUNT_REMOTE, tally.deviceCount, ShownText(machine).c_str());
  } else {
    WriteEngineMessage(TEXT_STDOUT, MSG_FINDALL_COUNT, tally.deviceCount, nullptr);
  }
  return tally.unreadableDevices ? ENGINE_FAILED : ENGINE_DONE;
}
