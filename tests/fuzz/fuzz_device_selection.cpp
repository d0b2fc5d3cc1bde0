// Selection arguments of every shape, held to a plain model of which devices
// they select: the walk itself, then "remove" through the engine, which must
// act on exactly those devices and fail when one of them could not be
// removed or named. Nothing may be left open.
#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/device_selection.h"
#include "engine/engine.h"
#include "fuzz_input.h"
#include "fuzz_machine.h"
#include "reference_match.h"

namespace {

struct Recorder : VisitorContext {
  std::vector<std::pair<DWORD, DEVINST>> visits;  // index in the set, device
};

int Record(HDEVINFO, SP_DEVINFO_DATA* devInfo, DWORD index, VisitorContext* context) {
  static_cast<Recorder*>(context)->visits.emplace_back(index, devInfo->DevInst);
  return 0;
}

// A multi-string property as the engine's list reader gets it: the strings
// up to the first empty one; a first read that does not fit and is of
// another type gives no list.
std::vector<std::wstring> IdList(const sim::DeviceSpec& device, DWORD property) {
  std::vector<std::wstring> ids;
  for (const auto& entry : device.properties) {
    const sim::PropertyValue& value = entry.second.front();
    if (entry.first != property || (value.type != REG_MULTI_SZ && value.data.size() > 4096 * sizeof(WCHAR))) continue;
    std::wstring characters(value.data.size() / sizeof(WCHAR), L'\0');
    std::memcpy(&characters[0], value.data.data(), characters.size() * sizeof(WCHAR));
    characters += std::wstring(2, L'\0');
    for (size_t at = 0; characters[at] != 0; at = characters.find(L'\0', at) + 1) ids.push_back(characters.c_str() + at);
  }
  return ids;
}

bool DeviceMatches(const sim::DeviceSpec& device, const std::vector<ReferencePattern>& patterns) {
  for (const ReferencePattern& pattern : patterns) {
    // The walk reads an instance ID that fails or is not written as empty.
    std::wstring id = device.idReadFails || device.idReadWritesNothing ? L"" : device.instanceId;
    if (pattern.instanceId && ReferenceMatches(id, pattern)) return true;
    for (DWORD property : {DWORD{SPDRP_HARDWAREID}, DWORD{SPDRP_COMPATIBLEIDS}}) {
      for (const std::wstring& hardwareId : IdList(device, property)) {
        if (!pattern.instanceId && ReferenceMatches(hardwareId, pattern)) return true;
      }
    }
  }
  return false;
}

// Which local devices (by position in `devices`) the arguments select, in
// the walk's order, with their index in its set.
std::vector<std::pair<DWORD, size_t>> Expected(const std::vector<sim::DeviceSpec>& devices,
                                               const std::vector<std::wstring>& args) {
  std::vector<std::pair<DWORD, size_t>> selected;
  size_t next = 0;
  std::vector<GUID> classGuids;
  if (!args.empty() && args[0].size() > 1 && args[0][0] == L'=') {
    classGuids = sim::ClassGuids(args[0].substr(1));
    if (classGuids.empty()) return selected;
    next = 1;
  }
  bool all = next >= args.size() || args[next] == L"*";
  if (all && next < args.size()) ++next;
  std::vector<ReferencePattern> patterns;
  bool exactOnly = !all;
  for (; next < args.size(); ++next) {
    patterns.push_back(ReadReferencePattern(args[next]));
    const ReferencePattern& p = patterns.back();
    exactOnly = exactOnly && p.instanceId && (p.literal || p.text.find(L'*') == std::wstring::npos);
  }
  auto wanted = [&](size_t i) {
    const sim::DeviceSpec& device = devices[i];
    return device.machine.empty() &&
           (classGuids.empty() || !std::memcmp(&sim::ClassGuids(device.className).front(), &classGuids[0], sizeof(GUID)));
  };
  std::vector<size_t> set;
  for (const ReferencePattern& pattern : patterns) {  // an empty set, opened by name
    for (size_t i = 0; exactOnly && i < devices.size(); ++i) {
      if (!devices[i].machine.empty() || !SameIgnoringAsciiCase(devices[i].instanceId, pattern.text)) continue;
      if (wanted(i) && std::find(set.begin(), set.end(), i) == set.end()) set.push_back(i);
      break;
    }
  }
  for (size_t i = 0; !exactOnly && i < devices.size(); ++i) {
    if (wanted(i)) set.push_back(i);
  }
  for (size_t index = 0; index < set.size(); ++index) {
    if (all || exactOnly || DeviceMatches(devices[set[index]], patterns)) selected.emplace_back(index, set[index]);
  }
  return selected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzArgs input(L"dummy.exe", data, size);
  std::vector<std::wstring> args(input.items().begin() + 1, input.items().end());
  std::vector<const wchar_t*> argv(input.argv() + 1, input.argv() + input.argc());
  sim::Reset();
  AddFuzzClasses();
  sim::AddRemoteMachine(kFuzzRemoteMachine);
  std::vector<sim::DeviceSpec> devices = SteadyDevices();
  std::vector<DEVINST> devInsts;
  for (const sim::DeviceSpec& device : devices) devInsts.push_back(sim::AddDevice(device));
  std::vector<std::pair<DWORD, size_t>> selected = Expected(devices, args);

  Recorder recorder;
  Require(ForEachMatchingDevice(nullptr, static_cast<int>(argv.size()), argv.data(), Record, &recorder) == ENGINE_DONE);
  RequireNothingOpen();
  Require(recorder.visits.size() == selected.size());
  for (size_t i = 0; i < selected.size(); ++i) {
    Require(recorder.visits[i] == std::make_pair(selected[i].first, devInsts[selected[i].second]));
  }

  std::vector<const wchar_t*> command = {L"dummy.exe", L"remove"};
  command.insert(command.end(), argv.begin(), argv.end());
  sim::ClearOutput();
  int result = EngineRun(static_cast<int>(command.size()), command.data());
  RequireNothingOpen();
  if (args.empty()) {
    Require(result == ENGINE_BAD_USAGE);
    return 0;
  }
  bool failed = false;
  bool restart = false;
  std::vector<bool> picked(devices.size(), false);
  for (const auto& pick : selected) {
    const sim::DeviceSpec& device = devices[pick.second];
    picked[pick.second] = true;
    bool removes = !device.idReadFails && (device.removal == sim::Removal::kRemoved ||
                                           device.removal == sim::Removal::kNeedsReboot ||
                                           device.removal == sim::Removal::kNeedsRestart);
    failed = failed || !removes;
    restart = restart || (removes && device.removal != sim::Removal::kRemoved);
    Require(sim::DeviceExists(device.instanceId) == (!removes || device.removal != sim::Removal::kRemoved));
  }
  for (size_t i = 0; i < devices.size(); ++i) {
    if (!picked[i] && devices[i].machine.empty()) Require(sim::DeviceExists(devices[i].instanceId));
  }
  Require(sim::DeviceIds(kFuzzRemoteMachine).size() == 2);
  Require(result == (failed ? ENGINE_FAILED : restart ? ENGINE_NEEDS_REBOOT : ENGINE_DONE));
  std::string out = sim::StdOut();
  Require(static_cast<size_t>(std::count(out.begin(), out.end(), '\n')) == selected.size() + 1);
  return 0;
}
