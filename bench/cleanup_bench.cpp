// The package clean-up of "remove pattern|text" over a driver store of 100
// and 1,000 OEM INF files, one in ten of which holds the text and is deleted.
// The others are read through every section, which is the clean-up's worst
// case per file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench_support.h"
#include "packages/packages.h"
#include "platform/sim/sim_store.h"

namespace {

const int kGroups = 10;
// Vendor IDs by group; only group 0's holds the text.
const char* const kVendors[kGroups] = {"046D", "0BDA", "8087", "045E", "1532", "0A12", "04F2", "13D3", "0CF3", "0489"};
const wchar_t kText[] = L"VID_046D";

// A driver package as vendors ship them: version, models, install and
// service sections, files and strings.
std::string Package(int index) {
  const char* vendor = kVendors[index % kGroups];
  char text[2048];
  std::snprintf(text, sizeof text,
                "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=USB\r\n"
                "ClassGuid={36FC9E60-C465-11CF-8056-444553540000}\r\nProvider=%%Vendor%%\r\n"
                "DriverVer=06/21/2026,2.4.0.%d\r\nCatalogFile=bench%d.cat\r\n\r\n"
                "[Manufacturer]\r\n%%Vendor%%=Models,NTamd64\r\n\r\n"
                "[Models.NTamd64]\r\n%%Device%%=Install,USB\\VID_%s&PID_%04X\r\n"
                "%%Device%%=Install,USB\\VID_%s&PID_%04X&MI_00\r\n\r\n"
                "[Install.NT]\r\nCopyFiles=Files\r\nAddReg=Registry\r\n\r\n"
                "[Install.NT.Services]\r\nAddService=bench%d,0x00000002,Service\r\n\r\n"
                "[Service]\r\nServiceType=1\r\nStartType=3\r\nErrorControl=1\r\n"
                "ServiceBinary=%%12%%\\bench%d.sys\r\n\r\n"
                "[Files]\r\nbench%d.sys\r\n\r\n[Registry]\r\nHKR,,FriendlyName,,%%Device%%\r\n\r\n"
                "[DestinationDirs]\r\nFiles=12\r\n\r\n[SourceDisksNames]\r\n1=%%Disk%%\r\n\r\n"
                "[SourceDisksFiles]\r\nbench%d.sys=1\r\n\r\n"
                "[Strings]\r\nVendor=\"Bench vendor %d\"\r\nDevice=\"Bench device %d\"\r\nDisk=\"Bench disk\"\r\n",
                index, index, vendor, index, vendor, index, index, index, index, index, index % kGroups, index);
  return text;
}

void FreshStore(int packages) {
  sim::Reset();
  for (int i = 0; i < packages; ++i) {
    sim::AddFile(std::wstring(sim::kInfDirectory) + L"\\oem" + std::to_wstring(i) + L".inf", Package(i));
  }
}

// The first run is untimed and keeps the call log: it checks that exactly
// group 0's packages went and counts the calls. Timed runs go without the log.
void BM_DeleteMatchingOemPackages(benchmark::State& state) {
  const int packages = static_cast<int>(state.range(0));
  FreshStore(packages);
  DeleteMatchingOemPackages(kText);
  if (sim::StoredPackages().size() != static_cast<size_t>(packages - packages / kGroups) || sim::OpenHandles() != 0) {
    state.SkipWithError("the clean-up did not delete exactly the packages holding the text");
    return;
  }
  const double calls = static_cast<double>(sim::Calls().size()) / packages;
  while (state.KeepRunning()) {
    state.PauseTiming();
    FreshStore(packages);
    sim::KeepCallLog(false);
    ColdCaches();
    state.ResumeTiming();
    DeleteMatchingOemPackages(kText);
  }
  state.counters["per_file"] = PerUnit(packages);
  state.counters["calls/file"] = calls;
}

BENCHMARK(BM_DeleteMatchingOemPackages)
    ->ArgName("files")
    ->Arg(100)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.05)
    ->Apply([](benchmark::internal::Benchmark* benchmark) { Repeated(benchmark, 5); });

}  // namespace

int main(int argc, char** argv) {
  SummaryReporter reporter;
  if (!RunBenchmarks(argc, argv, &reporter)) return 1;
  std::printf("\nTime per file at 1,000 files / at 100 (1.0 is flat):\n");
  reporter.PrintRatio("DeleteMatchingOemPackages", "per_file", "BM_DeleteMatchingOemPackages/files:1000",
                      "BM_DeleteMatchingOemPackages/files:100");
  benchmark::Shutdown();
  return 0;
}
