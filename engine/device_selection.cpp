// The walk over the devices that command arguments select.
#include "engine/device_selection.h"

#include <cwchar>
#include <vector>

#include "engine/engine.h"
#include "platform/scoped_handle.h"

namespace {

struct Selection {
  bool hasClass = false;
  GUID classGuid = {};
  bool allDevices = false;
  std::vector<IdPattern> patterns;
};

// One code unit past '@' and the apostrophe: CharNextW would take a
// combining mark after them along.
IdPattern PreparePattern(const wchar_t* argument) {
  IdPattern pattern = {argument, nullptr, false};
  if (*pattern.text == L'@') {
    pattern.isInstanceId = true;
    ++pattern.text;
  }
  if (*pattern.text == L'\'') {
    ++pattern.text;
    return pattern;
  }
  pattern.firstStar = std::wcschr(pattern.text, L'*');
  return pattern;
}

bool OnlyExactInstanceIds(const Selection& selection) {
  if (selection.allDevices) return false;
  for (const IdPattern& pattern : selection.patterns) {
    if (!pattern.isInstanceId || pattern.firstStar) return false;
  }
  return true;
}

HDEVINFO CreateDeviceSet(const Selection& selection, const wchar_t* machine) {
  const GUID* classGuid = selection.hasClass ? &selection.classGuid : nullptr;
  if (OnlyExactInstanceIds(selection)) {
    return SetupDiCreateDeviceInfoListExW(classGuid, nullptr, machine, nullptr);
  }
  // Devices that are not present are selected as well.
  DWORD flags = classGuid ? 0 : DIGCF_ALLCLASSES;
  return SetupDiGetClassDevsExW(classGuid, nullptr, nullptr, flags, nullptr, machine, nullptr);
}

// A list the device does not have (ERROR_INVALID_DATA) is no list; any
// other failure, a list too long to read among them, clears `readable`.
StringList ReadIdList(HDEVINFO devs, SP_DEVINFO_DATA* devInfo, DWORD property, bool* readable) {
  StringList list = GetDeviceStringListProperty(devs, devInfo, property);
  DWORD error = GetLastError();
  if (!list && error != ERROR_INVALID_DATA) *readable = false;
  return list;
}

// The IDs of one device, each read at most once however many patterns are
// tried. A read that fails leaves an empty ID or no list, and the device
// unreadable: it may carry an ID that was asked for.
class DeviceIds {
 public:
  DeviceIds(HDEVINFO devs, SP_DEVINFO_DATA* devInfo, HANDLE machineHandle)
      : devs_(devs), devInfo_(devInfo), machineHandle_(machineHandle) {}
  ~DeviceIds() {
    FreeStringList(hardwareIds_);
    FreeStringList(compatibleIds_);
  }
  DeviceIds(const DeviceIds&) = delete;
  DeviceIds& operator=(const DeviceIds&) = delete;

  const wchar_t* InstanceId() {
    if (!instanceIdRead_) {
      instanceIdRead_ = true;
      if (!ReadDeviceInstanceId(devInfo_->DevInst, machineHandle_, instanceId_)) readable_ = false;
    }
    return instanceId_;
  }

  bool AnyIdMatches(const IdPattern& pattern) {
    ReadLists();
    return ListMatches(hardwareIds_, pattern) || ListMatches(compatibleIds_, pattern);
  }

  bool HasAnyId() {
    ReadLists();
    return (hardwareIds_ && *hardwareIds_) || (compatibleIds_ && *compatibleIds_);
  }

  bool Readable() const { return readable_; }

 private:
  void ReadLists() {
    if (listsRead_) return;
    listsRead_ = true;
    hardwareIds_ = ReadList(SPDRP_HARDWAREID);
    compatibleIds_ = ReadList(SPDRP_COMPATIBLEIDS);
  }

  StringList ReadList(DWORD property) { return ReadIdList(devs_, devInfo_, property, &readable_); }

  static bool ListMatches(StringList list, const IdPattern& pattern) {
    for (StringList id = list; id && *id; ++id) {
      if (MatchIdPattern(*id, pattern)) return true;
    }
    return false;
  }

  HDEVINFO devs_;
  SP_DEVINFO_DATA* devInfo_;
  HANDLE machineHandle_;
  bool instanceIdRead_ = false;
  WCHAR instanceId_[MAX_DEVICE_ID_LEN] = {};
  bool listsRead_ = false;
  StringList hardwareIds_ = nullptr;
  StringList compatibleIds_ = nullptr;
  bool readable_ = true;
};

enum class Match { kNo, kYes, kUnknown };

Match DeviceMatches(const Selection& selection, HDEVINFO devs, SP_DEVINFO_DATA* devInfo, HANDLE machineHandle) {
  DeviceIds ids(devs, devInfo, machineHandle);
  for (const IdPattern& pattern : selection.patterns) {
    bool matched = pattern.isInstanceId ? MatchIdPattern(ids.InstanceId(), pattern) : ids.AnyIdMatches(pattern);
    if (matched) return Match::kYes;
  }
  return ids.Readable() ? Match::kNo : Match::kUnknown;
}

}  // namespace

bool ReadDeviceInstanceId(DEVINST devInst, HANDLE machineHandle, WCHAR (&instanceId)[MAX_DEVICE_ID_LEN]) {
  // Empty first: a platform may report success without writing.
  std::wmemset(instanceId, L'\0', MAX_DEVICE_ID_LEN);
  HMACHINE machine = static_cast<HMACHINE>(machineHandle);
  bool read = CM_Get_Device_ID_ExW(devInst, instanceId, MAX_DEVICE_ID_LEN, 0, machine) == CR_SUCCESS;
  // Some platforms answer the machine-taking form without writing the ID;
  // on this computer the plain form is asked once more.
  if (read && instanceId[0] == L'\0' && !machine) {
    read = CM_Get_Device_IDW(devInst, instanceId, MAX_DEVICE_ID_LEN, 0) == CR_SUCCESS;
  }
  if (!read) instanceId[0] = L'\0';
  instanceId[MAX_DEVICE_ID_LEN - 1] = L'\0';
  return instanceId[0] != L'\0';
}

int ForEachMatchingDevice(const wchar_t* machine, int argc, const wchar_t* const* argv, DeviceVisitor visitor,
                          VisitorContext* context) {
  Selection selection;
  selection.patterns.reserve(argc > 0 ? static_cast<size_t>(argc) : 0);
  int next = 0;
  if (argc > 0 && argv[0][0] == L'=' && argv[0][1] != 0) {
    DWORD count = 0;
    if (!SetupDiClassGuidsFromNameExW(argv[0] + 1, &selection.classGuid, 1, &count, machine, nullptr) &&
        GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
      return ENGINE_FAILED;
    }
    // An unknown class selects nothing; several GUIDs: the first one.
    if (count == 0) return ENGINE_DONE;
    selection.hasClass = true;
    next = 1;
  }
  if (next >= argc || std::wcscmp(argv[next], L"*") == 0) {
    selection.allDevices = true;
    if (next < argc) ++next;
  }
  for (; next < argc; ++next) selection.patterns.push_back(PreparePattern(argv[next]));

  ScopedDeviceSet set(CreateDeviceSet(selection, machine));
  if (!set.valid()) return ENGINE_FAILED;
  for (const IdPattern& pattern : selection.patterns) {
    // One that does not exist, or is of another class, adds nothing.
    if (pattern.isInstanceId) SetupDiOpenDeviceInfoW(set.get(), pattern.text, nullptr, 0, nullptr);
  }
  SP_DEVINFO_LIST_DETAIL_DATA_W detail;
  detail.cbSize = sizeof detail;
  if (!SetupDiGetDeviceInfoListDetailW(set.get(), &detail)) return ENGINE_FAILED;

  bool matching = !selection.allDevices && !OnlyExactInstanceIds(selection);
  SP_DEVINFO_DATA devInfo;
  devInfo.cbSize = sizeof devInfo;
  for (DWORD index = 0;; ++index) {
    if (!SetupDiEnumDeviceInfo(set.get(), index, &devInfo)) {
      // Any other error leaves devices unseen: the walk did not finish.
      return GetLastError() == ERROR_NO_MORE_ITEMS ? ENGINE_DONE : ENGINE_FAILED;
    }
    Match match = matching ? DeviceMatches(selection, set.get(), &devInfo, detail.RemoteMachineHandle) : Match::kYes;
    // A device that cannot be told apart may be one that was asked for:
    // the caller learns of it, and the walk goes on with the others.
    if (match == Match::kUnknown) {
      ++(context->treeChanged ? context->doubtfulDevices : context->unreadableDevices);
      continue;
    }
    if (match == Match::kNo) continue;
    int result = visitor(set.get(), &devInfo, index, context);
    if (result != 0) return result;
  }
}

namespace {

struct CensusWalk : VisitorContext {
  IdPattern pattern = {};
  DeviceCensus* census = nullptr;
};

// Reads what the pattern needs of the device, and its ID lists in any case.
int TallyDevice(HDEVINFO devs, SP_DEVINFO_DATA* devInfo, DWORD index, VisitorContext* context) {
  (void)index;
  CensusWalk* walk = static_cast<CensusWalk*>(context);
  DeviceIds ids(devs, devInfo, nullptr);
  bool hasIds = ids.HasAnyId();
  bool selected =
      walk->pattern.isInstanceId ? MatchIdPattern(ids.InstanceId(), walk->pattern) : ids.AnyIdMatches(walk->pattern);
  if (!ids.Readable()) {
    ++walk->census->unreadable;
  } else if (hasIds) {
    ++walk->census->readable;
    if (selected) ++walk->census->selected;
  }
  return 0;
}

}  // namespace

// One walk over every device; the pattern is matched here, not by the walk,
// so that each device is read once whatever it is.
int TakeDeviceCensus(const wchar_t* pattern, DeviceCensus* census) {
  *census = DeviceCensus();
  CensusWalk walk;
  walk.pattern = PreparePattern(pattern);
  walk.census = census;
  const wchar_t* everyDevice[] = {L"*"};
  return ForEachMatchingDevice(nullptr, 1, everyDevice, TallyDevice, &walk) == ENGINE_DONE ? ENGINE_DONE
                                                                                           : ENGINE_FAILED;
}
