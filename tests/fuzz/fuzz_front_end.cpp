// Whole command lines of pelmora.exe (split at code unit 0) against a machine with devices, packages and
// a program to start: no crash, nothing left open, an exit code the program has, no change not asked for.
#include "frontend/frontend.h"
#include "fuzz_input.h"
#include "fuzz_machine.h"
#include "platform/sim/sim_process.h"

static bool StartsWith(const std::string& text, const char* start) { return text.rfind(start, 0) == 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sim::Reset();
  AddFuzzMachine();
  const unsigned versions[][3] = {{6, 1, 1}, {5, 1, 2}, {5, 1, 3}, {5, 0, 4}, {4, 0, 6}, {10, 0, 0}};
  sim::SetVersion(versions[size % 6][0], versions[size % 6][1], versions[size % 6][2]);
  if (size % 5 == 4) sim::SetWaitResult(WAIT_TIMEOUT);
  if (size % 7 == 3) sim::RedirectOutput(size % 2 ? 437 : 0);
  const MachineSnapshot before;

  FuzzArgs args(L"C:\\pelmora.exe", data, size);
  const std::wstring word = args.argc() > 1 ? args.items()[1] : L"";
  const bool hasArgument = args.argc() > 2;
  int code = RunFrontEnd(args.argc(), args.argv());
  RequireNothingOpen();
  Require(code >= 0 && code <= 3);
  Require(StartsWith(sim::StdErr(), "Installing USB-driver...\n") == (word == L"install" && hasArgument));
  if (word == L"install" && hasArgument) Require(code == 0);
  if (word == L"version") Require(code == 1);
  if (word == L"is64bit") Require(code == 0);
  if ((word == L"install" || word == L"remove" || word == L"exec") && !hasArgument) {
    Require(code == 1 && StartsWith(sim::StdOut(), "ERROR: command required argument\n"));
  }
  // The engine runs under the program's own name.
  Require(!StartsWith(sim::StdErr(), "dummy.exe:") && sim::StdErr().find("\ndummy.exe:") == std::string::npos);
  Require(sim::RestartRequests().empty() && sim::DriverUpdates().empty());
  Require(sim::ProcessStarts().size() <= (word == L"exec" ? 1u : 0u));
  if (!sim::ReenumerateRequests().empty()) Require(word == L"rescan");

  const MachineSnapshot after;
  if (!Kept(before.local, after.local) || before.pending != after.pending) Require(word == L"remove");
  if (!Kept(after.infDirectory, before.infDirectory)) Require(word == L"install");
  if (!Kept(before.infDirectory, after.infDirectory)) Require(word == L"remove");
  return 0;
}
