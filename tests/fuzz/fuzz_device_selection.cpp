// Selection arguments of every shape through "findall" and "remove" on a
// small machine: no crash, nothing left open, and as many lines as counted.
#include <algorithm>

#include "engine/engine.h"
#include "fuzz_input.h"
#include "platform/sim/sim_devices.h"

namespace {

void AddMachine() {
  sim::AddDevice(sim::Device(L"PCI\\VEN_8086&DEV_1234\\3&1", L"Net", {L"PCI\\VEN_8086&DEV_1234", L"PCI\\VEN_8086"}));
  sim::DeviceSpec odd = sim::Device(L"ROOT\\%1*'@\\0000", L"System", {L"*", L"'", L"@", L"="}, {L""});
  sim::SetProperty(odd, SPDRP_FRIENDLYNAME, sim::Sz(std::wstring(300, L'\u03A9')));
  odd.removal = sim::Removal::kNeedsReboot;
  sim::AddDevice(odd);
  sim::DeviceSpec silent = sim::Device(L"USB\\SILENT\\0", L"USB", {}, {L"USB\\CLASS_09"});
  silent.idReadWritesNothing = true;
  silent.removal = sim::Removal::kFailsAtInstaller;
  sim::AddDevice(silent);
  sim::DeviceSpec failing = sim::Device(std::wstring(L"ROOT\\") + std::wstring(195, L'X'), L"Sample", {L"X"});
  failing.idReadFails = true;
  sim::AddDevice(failing);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (const wchar_t* command : {L"findall", L"remove"}) {
    sim::Reset();
    AddMachine();
    FuzzArgs args(L"dummy.exe", data, size);
    std::vector<const wchar_t*> argv(args.argv(), args.argv() + args.argc());
    argv.insert(argv.begin() + 1, command);
    int result = EngineRun(static_cast<int>(argv.size()), argv.data());
    if (result < ENGINE_DONE || result > ENGINE_BAD_USAGE) __builtin_trap();
    RequireNothingOpen();
    // Every device line ends in a line feed: at most one line per device and the summary.
    const std::string out = sim::StdOut();
    if (std::count(out.begin(), out.end(), '\n') > 5) __builtin_trap();
  }
  return 0;
}
