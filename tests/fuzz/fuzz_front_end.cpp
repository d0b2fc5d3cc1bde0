// Whole command lines of pelmora.exe (split at code unit 0) against a machine
// with devices, driver packages in folders and in the driver store, and a
// program to start, so that install, remove, rescan and exec run deep.
// Besides no crash and nothing left open: an exit code the program has, and
// no change to the machine that the command word did not ask for.
#include "frontend/frontend.h"
#include "fuzz_input.h"
#include "fuzz_machine.h"
#include "platform/sim/sim_process.h"

namespace {

bool StartsWith(const std::string& text, const std::string& start) { return text.compare(0, start.size(), start) == 0; }

// The machine's answers that are not files or devices vary with the input.
void ChooseAnswers(size_t size) {
  const unsigned versions[][3] = {{6, 1, 1}, {5, 1, 2}, {5, 1, 3}, {5, 0, 4}, {4, 0, 6}, {10, 0, 0}};
  const unsigned* version = versions[size % 6];
  sim::SetVersion(version[0], version[1], version[2]);
  if (size % 5 == 4) sim::SetWaitResult(WAIT_TIMEOUT);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sim::Reset();
  AddSteadyDevices();
  AddShiftingDevices();
  AddFuzzPackages();
  ChooseAnswers(size);
  MachineSnapshot before = TakeSnapshot();

  FuzzArgs args(L"C:\\pelmora.exe", data, size);
  const std::wstring word = args.argc() > 1 ? args.items()[1] : L"";
  bool hasArgument = args.argc() > 2;
  int code = RunFrontEnd(args.argc(), args.argv());
  RequireNothingOpen();
  Require(code >= 0 && code <= 3);

  const std::string banner = "Installing USB-driver...\n";
  Require(StartsWith(sim::StdErr(), banner) == (word == L"install" && hasArgument));
  if (word == L"install" && hasArgument) Require(code == 0);
  if (word == L"version") Require(code == 1);
  if (word == L"is64bit") Require(code == 0);
  if ((word == L"install" || word == L"remove" || word == L"exec") && !hasArgument) {
    Require(code == 1 && StartsWith(sim::StdOut(), "ERROR: command required argument\n"));
  }
  // The front end never asks the engine for a restart or a driver update.
  Require(sim::RestartRequests().empty() && sim::DriverUpdates().empty());
  Require(sim::ProcessStarts().size() <= (word == L"exec" ? 1u : 0u));
  if (!sim::ReenumerateRequests().empty()) Require(word == L"rescan");

  MachineSnapshot after = TakeSnapshot();
  if (!Kept(before.local, after.local) || before.pending != after.pending) Require(word == L"remove");
  if (!Kept(after.infDirectory, before.infDirectory)) Require(word == L"install");
  if (!Kept(before.infDirectory, after.infDirectory)) Require(word == L"remove");
  return 0;
}
