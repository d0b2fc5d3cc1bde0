// Selection arguments of every shape, held to a plain model of which devices
// they select: the walk itself (on this computer and on a remote one), then
// "findall" and "remove" through the engine, which must list and remove
// exactly those devices. Nothing may be left open.
#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/device_selection.h"
#include "engine/engine.h"
#include "fuzz_input.h"
#include "fuzz_machine.h"
#include "reference_match.h"

namespace {

struct Machine {
  std::vector<sim::DeviceSpec> devices = SteadyDevices();
  std::vector<DEVINST> devInsts;
};

typedef std::vector<std::pair<DWORD, DEVINST>> Visits;  // index in the set, device

struct Recorder : VisitorContext {
  Visits visits;
};

int Record(HDEVINFO, SP_DEVINFO_DATA* devInfo, DWORD index, VisitorContext* context) {
  static_cast<Recorder*>(context)->visits.emplace_back(index, devInfo->DevInst);
  return 0;
}

bool OnMachine(const sim::DeviceSpec& device, const wchar_t* machine) {
  return machine ? device.machine == machine : device.machine.empty();
}

bool SameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// A multi-string property as the engine's list reader gets it: the strings
// up to the first empty one; a first read that does not fit and is of
// another type gives no list.
std::vector<std::wstring> IdList(const sim::DeviceSpec& device, DWORD property) {
  std::vector<std::wstring> ids;
  for (const auto& entry : device.properties) {
    if (entry.first != property) continue;
    const sim::PropertyValue& value = entry.second.front();
    if (value.type != REG_MULTI_SZ && value.data.size() > 4096 * sizeof(WCHAR)) return ids;
    std::wstring characters(value.data.size() / sizeof(WCHAR), L'\0');
    std::memcpy(&characters[0], value.data.data(), characters.size() * sizeof(WCHAR));
    characters += std::wstring(2, L'\0');
    for (size_t at = 0; characters[at] != 0; at = characters.find(L'\0', at) + 1) {
      ids.push_back(characters.c_str() + at);
    }
  }
  return ids;
}

// The instance ID as the walk reads it: empty when the read fails or
// writes nothing.
std::wstring ReadId(const sim::DeviceSpec& device) {
  return device.idReadFails || device.idReadWritesNothing ? L"" : device.instanceId;
}

bool DeviceMatches(const sim::DeviceSpec& device, const std::vector<ReferencePattern>& patterns) {
  for (const ReferencePattern& pattern : patterns) {
    if (pattern.instanceId) {
      if (ReferenceMatches(ReadId(device), pattern)) return true;
      continue;
    }
    for (DWORD property : {static_cast<DWORD>(SPDRP_HARDWAREID), static_cast<DWORD>(SPDRP_COMPATIBLEIDS)}) {
      for (const std::wstring& id : IdList(device, property)) {
        if (ReferenceMatches(id, pattern)) return true;
      }
    }
  }
  return false;
}

// Which devices the arguments select on `machine` and at which index of
// the walk's set, worked out from the machine's description.
Visits ExpectedVisits(const Machine& m, const wchar_t* machine, const std::vector<std::wstring>& args) {
  Visits visits;
  size_t next = 0;
  bool hasClass = false;
  GUID classGuid = {};
  if (!args.empty() && args[0].size() > 1 && args[0][0] == L'=') {
    std::vector<GUID> guids = sim::ClassGuids(args[0].substr(1));
    if (guids.empty()) return visits;
    hasClass = true;
    classGuid = guids.front();
    next = 1;
  }
  bool all = next >= args.size() || args[next] == L"*";
  if (all && next < args.size()) ++next;
  std::vector<ReferencePattern> patterns;
  bool exactOnly = !all;
  for (; next < args.size(); ++next) {
    patterns.push_back(ReadReferencePattern(args[next]));
    const ReferencePattern& p = patterns.back();
    if (!p.instanceId || (!p.literal && p.text.find(L'*') != std::wstring::npos)) exactOnly = false;
  }

  auto inClass = [&](const sim::DeviceSpec& device) {
    return !hasClass || SameGuid(sim::ClassGuids(device.className).front(), classGuid);
  };
  std::vector<size_t> set;
  if (exactOnly) {
    for (const ReferencePattern& pattern : patterns) {
      for (size_t i = 0; i < m.devices.size(); ++i) {
        const sim::DeviceSpec& device = m.devices[i];
        if (!OnMachine(device, machine) || !SameIgnoringAsciiCase(device.instanceId, pattern.text)) continue;
        if (inClass(device) && std::find(set.begin(), set.end(), i) == set.end()) set.push_back(i);
        break;
      }
    }
  } else {
    for (size_t i = 0; i < m.devices.size(); ++i) {
      if (OnMachine(m.devices[i], machine) && inClass(m.devices[i])) set.push_back(i);
    }
  }
  bool matching = !all && !exactOnly;
  for (size_t index = 0; index < set.size(); ++index) {
    const sim::DeviceSpec& device = m.devices[set[index]];
    if (matching && !DeviceMatches(device, patterns)) continue;
    visits.emplace_back(static_cast<DWORD>(index), m.devInsts[set[index]]);
  }
  return visits;
}

void Arrange(Machine& m) {
  sim::Reset();
  AddFuzzClasses();
  sim::AddRemoteMachine(kFuzzRemoteMachine);
  for (const sim::DeviceSpec& device : m.devices) m.devInsts.push_back(sim::AddDevice(device));
}

size_t Lines(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

int RunEngine(const std::vector<const wchar_t*>& head, const std::vector<const wchar_t*>& args) {
  std::vector<const wchar_t*> argv = head;
  argv.insert(argv.end(), args.begin(), args.end());
  sim::ClearOutput();
  int result = EngineRun(static_cast<int>(argv.size()), argv.data());
  RequireNothingOpen();
  return result;
}

bool Visited(const Visits& visits, DEVINST devInst) {
  for (const auto& visit : visits) {
    if (visit.second == devInst) return true;
  }
  return false;
}

// "remove" acts on each selected device whose ID it can read, as its
// removal says; every other device stays as it was.
void CheckRemoval(const Machine& m, const Visits& selected, int result) {
  bool restart = false;
  size_t acted = 0;
  for (size_t i = 0; i < m.devices.size(); ++i) {
    const sim::DeviceSpec& device = m.devices[i];
    if (!device.machine.empty()) continue;
    bool touched = Visited(selected, m.devInsts[i]) && !device.idReadFails;
    acted += touched ? 1 : 0;
    bool gone = touched && device.removal == sim::Removal::kRemoved;
    bool pending =
        touched && (device.removal == sim::Removal::kNeedsReboot || device.removal == sim::Removal::kNeedsRestart);
    restart = restart || pending;
    Require(sim::DeviceExists(device.instanceId) == !gone);
    Require(sim::DeviceRemovalPending(device.instanceId) == pending);
  }
  Require(result == (restart ? ENGINE_NEEDS_REBOOT : ENGINE_DONE));
  Require(Lines(sim::StdOut()) == acted + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzArgs input(L"dummy.exe", data, size);
  std::vector<std::wstring> args(input.items().begin() + 1, input.items().end());
  std::vector<const wchar_t*> argv(input.argv() + 1, input.argv() + input.argc());
  Machine m;
  Arrange(m);

  // The walk itself, on this computer and on the remote one.
  Visits local = ExpectedVisits(m, nullptr, args);
  Visits remote = ExpectedVisits(m, kFuzzRemoteMachine, args);
  for (const wchar_t* machine : {static_cast<const wchar_t*>(nullptr), kFuzzRemoteMachine}) {
    Recorder recorder;
    int result = ForEachMatchingDevice(machine, static_cast<int>(argv.size()), argv.data(), Record, &recorder);
    RequireNothingOpen();
    Require(result == ENGINE_DONE);
    Require(recorder.visits == (machine ? remote : local));
    Require(sim::StdOut().empty() && sim::StdErr().empty());
  }

  // "findall": one line per selected device and a count.
  std::wstring remoteOption = std::wstring(L"-m:\\\\") + kFuzzRemoteMachine;
  int listed = RunEngine({L"dummy.exe", L"findall"}, argv);
  Require(listed == (args.empty() ? ENGINE_BAD_USAGE : ENGINE_DONE));
  if (!args.empty()) Require(Lines(sim::StdOut()) == local.size() + 1);
  listed = RunEngine({L"dummy.exe", remoteOption.c_str(), L"findall"}, argv);
  Require(listed == (args.empty() ? ENGINE_BAD_USAGE : ENGINE_DONE));
  if (!args.empty()) Require(Lines(sim::StdOut()) == remote.size() + 1);

  // "remove" removes what "findall" listed on this computer and nothing else.
  std::vector<std::wstring> remoteBefore = sim::DeviceIds(kFuzzRemoteMachine);
  int removed = RunEngine({L"dummy.exe", L"remove"}, argv);
  if (args.empty()) {
    Require(removed == ENGINE_BAD_USAGE);
  } else {
    CheckRemoval(m, local, removed);
  }
  Require(sim::DeviceIds(kFuzzRemoteMachine) == remoteBefore);
  return 0;
}
