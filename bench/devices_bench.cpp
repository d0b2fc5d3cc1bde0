// The engine's "findall" and "remove" over simulated machines of 1,000 to
// 100,000 devices, with one pattern and with ten. The figures per device
// should not move with the number of devices, and the property reads per
// device should not move with the number of patterns: each device's IDs are
// read once however many patterns are tried.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include "bench_support.h"
#include "engine/engine.h"
#include "platform/sim/sim_devices.h"

namespace {

// Selects the devices of group 0, one device in ten.
const wchar_t kSelecting[] = L"USB\\VID_046D&PID_*";
// Shapes installers write, none of which any device of the machine carries.
const wchar_t* const kSelectingNothing[] = {
    L"PCI\\VEN_ABCD*",          L"*&DEV_FFFF",
    L"USB\\VID_FFFF&PID_*",     L"HID\\VID_0000&PID_*&MI_00",
    L"ROOT\\PELMORA_NONE",      L"*\\VID_1234&PID_5678*",
    L"PCI\\VEN_8086&DEV_ZZZZ*", L"USB\\CLASS_FF*",
    L"*&SUBSYS_00000000*",
};
const int kGroups = 10;

std::wstring Printed(const wchar_t* format, const wchar_t* vendor, unsigned product, unsigned serial) {
  wchar_t text[256];
  std::swprintf(text, sizeof text / sizeof text[0], format, vendor, product, serial);
  return text;
}

sim::DeviceSpec UsbDevice(const wchar_t* vendor, const wchar_t* className, unsigned product, unsigned serial) {
  sim::DeviceSpec device =
      sim::Device(Printed(L"USB\\VID_%ls&PID_%04X\\6&%08X&0&1", vendor, product, serial), className,
                  {Printed(L"USB\\VID_%ls&PID_%04X&REV_0100", vendor, product, 0),
                   Printed(L"USB\\VID_%ls&PID_%04X", vendor, product, 0)},
                  {L"USB\\Class_03&SubClass_01&Prot_02", L"USB\\Class_03&SubClass_01", L"USB\\Class_03"});
  sim::SetProperty(device, SPDRP_FRIENDLYNAME, sim::Sz(Printed(L"USB input device %ls:%04X", vendor, product, 0)));
  return device;
}

sim::DeviceSpec PciDevice(const wchar_t* vendor, const wchar_t* className, unsigned product, unsigned serial) {
  sim::DeviceSpec device = sim::Device(
      Printed(L"PCI\\VEN_%ls&DEV_%04X&SUBSYS_86721043&REV_00\\3&%08X&0&E4", vendor, product, serial), className,
      {Printed(L"PCI\\VEN_%ls&DEV_%04X&SUBSYS_86721043&REV_00", vendor, product, 0),
       Printed(L"PCI\\VEN_%ls&DEV_%04X&SUBSYS_86721043", vendor, product, 0),
       Printed(L"PCI\\VEN_%ls&DEV_%04X&CC_020000", vendor, product, 0),
       Printed(L"PCI\\VEN_%ls&DEV_%04X&CC_0200", vendor, product, 0)},
      {Printed(L"PCI\\VEN_%ls&DEV_%04X&REV_00", vendor, product, 0),
       Printed(L"PCI\\VEN_%ls&DEV_%04X", vendor, product, 0), Printed(L"PCI\\VEN_%ls&CC_020000", vendor, 0, 0),
       Printed(L"PCI\\VEN_%ls&CC_0200", vendor, 0, 0), Printed(L"PCI\\VEN_%ls", vendor, 0, 0), L"PCI\\CC_020000",
       L"PCI\\CC_0200"});
  sim::SetProperty(device, SPDRP_FRIENDLYNAME, sim::Sz(Printed(L"PCI controller %ls:%04X", vendor, product, 0)));
  return device;
}

sim::DeviceSpec HidDevice(const wchar_t* vendor, unsigned product, unsigned serial) {
  return sim::Device(Printed(L"HID\\VID_%ls&PID_%04X&MI_01&Col02\\8&%08X&0&0001", vendor, product, serial), L"HIDClass",
                     {Printed(L"HID\\VID_%ls&PID_%04X&REV_1211&MI_01&Col02", vendor, product, 0),
                      Printed(L"HID\\VID_%ls&PID_%04X&MI_01&Col02", vendor, product, 0),
                      Printed(L"HID\\VID_%ls&UP:000C_U:0001", vendor, 0, 0)},
                     {L"HID_DEVICE_SYSTEM_CONSUMER", L"HID_DEVICE_UP:000C_U:0001", L"HID_DEVICE"});
}

sim::DeviceSpec RootDevice(unsigned serial) {
  wchar_t id[64];
  std::swprintf(id, sizeof id / sizeof id[0], L"ROOT\\PELMORA_BENCH\\%08X", serial);
  return sim::Device(id, L"System", {L"ROOT\\PELMORA_BENCH"});
}

// Device `index` of a machine: ten groups of USB, PCI, HID and root devices
// of several vendors, in turn. Every device has a description; the USB and
// PCI ones a friendly name as well.
sim::DeviceSpec NthDevice(unsigned index) {
  unsigned product = (index / kGroups) & 0xFFFF;
  sim::DeviceSpec device;
  // One line per group, as a table.
  // clang-format off
  switch (index % kGroups) {
    case 0: device = UsbDevice(L"046D", L"USB", product, index); break;
    case 1: device = UsbDevice(L"0BDA", L"Net", product, index); break;
    case 2: device = PciDevice(L"8086", L"Net", product, index); break;
    case 3: device = PciDevice(L"10EC", L"Net", product, index); break;
    case 4: device = PciDevice(L"1022", L"System", product, index); break;
    case 5: device = HidDevice(L"046D", product, index); break;
    case 6: device = HidDevice(L"045E", product, index); break;
    case 7: device = RootDevice(index); break;
    case 8: device = UsbDevice(L"8087", L"USB", product, index); break;
    default: device = PciDevice(L"8086", L"System", product, index); break;
  }
  // clang-format on
  sim::SetProperty(device, SPDRP_DEVICEDESC, sim::Sz(L"Bench device"));
  return device;
}

// Made once per size: repetitions of the benchmarks run shuffled.
const std::vector<sim::DeviceSpec>& Population(unsigned count) {
  static std::map<unsigned, std::vector<sim::DeviceSpec>> populations;
  std::vector<sim::DeviceSpec>& devices = populations[count];
  for (unsigned i = static_cast<unsigned>(devices.size()); i < count; ++i) devices.push_back(NthDevice(i));
  return devices;
}

void FreshMachine(unsigned count) {
  sim::Reset();
  for (const sim::DeviceSpec& device : Population(count)) sim::AddDevice(device);
}

// "pelmora-engine.exe <command>" with the selecting pattern last, after
// patterns - 1 that select nothing, so that every device is tried against
// every pattern.
std::vector<const wchar_t*> CommandLine(const wchar_t* command, int patterns) {
  std::vector<const wchar_t*> argv = {L"pelmora-engine.exe", command};
  for (int i = 0; i < patterns - 1; ++i) argv.push_back(kSelectingNothing[i]);
  argv.push_back(kSelecting);
  return argv;
}

int EngineRunOf(const std::vector<const wchar_t*>& argv) {
  return EngineRun(static_cast<int>(argv.size()), argv.data());
}

size_t Lines(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

// Calls and property reads per device, from the log of one run.
struct CallCounts {
  double calls;
  double reads;
};

CallCounts CountedCalls(unsigned devices) {
  return CallCounts{static_cast<double>(sim::Calls().size()) / devices,
                    static_cast<double>(sim::CountCalls("SetupDiGetDeviceRegistryPropertyW")) / devices};
}

void Report(benchmark::State& state, unsigned devices, const CallCounts& counts) {
  state.counters["per_device"] = PerUnit(devices);
  state.counters["calls/device"] = counts.calls;
  state.counters["reads/device"] = counts.reads;
}

// The first run of each benchmark is untimed and keeps the call log: it
// checks that the command did its work and counts its calls. The timed runs
// then go without the log, which is the simulation's and would otherwise
// grow by some hundred bytes a call within each run.
void BM_FindAll(benchmark::State& state) {
  const unsigned devices = static_cast<unsigned>(state.range(0));
  const std::vector<const wchar_t*> argv = CommandLine(L"findall", static_cast<int>(state.range(1)));
  FreshMachine(devices);
  int result = EngineRunOf(argv);
  // One line per selected device and the count line.
  if (result != ENGINE_DONE || Lines(sim::StdOut()) != devices / kGroups + 1) {
    state.SkipWithError("findall did not list the selected devices");
    return;
  }
  const CallCounts counts = CountedCalls(devices);
  sim::KeepCallLog(false);
  while (state.KeepRunning()) {
    state.PauseTiming();
    sim::ClearOutput();
    ColdCaches();
    state.ResumeTiming();
    if (EngineRunOf(argv) != ENGINE_DONE) {
      state.SkipWithError("findall failed");
      break;
    }
  }
  Report(state, devices, counts);
}

void BM_Remove(benchmark::State& state) {
  const unsigned devices = static_cast<unsigned>(state.range(0));
  const std::vector<const wchar_t*> argv = CommandLine(L"remove", static_cast<int>(state.range(1)));
  FreshMachine(devices);
  int result = EngineRunOf(argv);
  if (result != ENGINE_DONE || sim::DeviceIds().size() != devices - devices / kGroups) {
    state.SkipWithError("remove did not remove the selected devices");
    return;
  }
  const CallCounts counts = CountedCalls(devices);
  while (state.KeepRunning()) {
    state.PauseTiming();
    FreshMachine(devices);
    sim::KeepCallLog(false);
    ColdCaches();
    state.ResumeTiming();
    if (EngineRunOf(argv) != ENGINE_DONE) {
      state.SkipWithError("remove failed");
      break;
    }
  }
  Report(state, devices, counts);
}

void Sizes(benchmark::internal::Benchmark* benchmark) {
  for (int patterns : {1, 10}) {
    for (int devices : {1000, 10000, 100000}) benchmark->Args({devices, patterns});
  }
  benchmark->ArgNames({"devices", "patterns"})->Unit(benchmark::kMillisecond)->MinTime(0.02);
  Repeated(benchmark, 5);
}

BENCHMARK(BM_FindAll)->Apply(Sizes);
BENCHMARK(BM_Remove)->Apply(Sizes);

void PrintFlatness(const SummaryReporter& reporter) {
  std::printf("\nTime per device at 100,000 devices / at 1,000 (1.0 is flat):\n");
  for (const char* command : {"BM_FindAll", "BM_Remove"}) {
    for (const char* patterns : {"1", "10"}) {
      std::string large = std::string(command) + "/devices:100000/patterns:" + patterns;
      std::string small = std::string(command) + "/devices:1000/patterns:" + patterns;
      std::string label = std::string(command + 3) + ", " + patterns + " pattern(s)";
      reporter.PrintRatio(label.c_str(), "per_device", large, small);
    }
  }
  std::printf("Property reads per device, 10 patterns / 1 pattern (1.0: read once):\n");
  for (const char* command : {"BM_FindAll", "BM_Remove"}) {
    std::string ten = std::string(command) + "/devices:100000/patterns:10";
    std::string one = std::string(command) + "/devices:100000/patterns:1";
    reporter.PrintRatio((std::string(command + 3) + ", 100,000 devices").c_str(), "reads/device", ten, one);
  }
}

}  // namespace

int main(int argc, char** argv) {
  SummaryReporter reporter;
  if (!RunBenchmarks(argc, argv, &reporter)) return 1;
  PrintFlatness(reporter);
  benchmark::Shutdown();
  return 0;
}
