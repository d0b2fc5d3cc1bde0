// Whole argument vectors of the engine (program name, options, command word
// and arguments, split at code unit 0) against a machine with devices and
// driver packages. The target reads the options and the command word by the
// engine's rules itself, and then holds the run to: a result the command can
// give, failure text exactly when the result is a failure, a restart exactly
// when one is due and was asked for, no change to the machine that the
// command does not make, and nothing left open.
#include "engine/engine.h"
#include "fuzz_input.h"
#include "fuzz_machine.h"

namespace {

struct CommandLine {
  bool reboot = false;
  bool hasMachine = false;
  std::wstring command;  // as the table holds it; empty when none matched
  size_t arguments = 0;  // after the command word
};

bool IsSwitch(const std::wstring& item) { return !item.empty() && (item[0] == L'-' || item[0] == L'/'); }

// -m:name, -r and -f (or with '/', any case) until the first other element,
// which is the command word.
CommandLine Read(const std::vector<std::wstring>& items) {
  CommandLine line;
  size_t next = 1;
  for (; next < items.size() && IsSwitch(items[next]); ++next) {
    const std::wstring rest = items[next].substr(1);
    if (rest.size() >= 3 && FoldAscii(rest[0]) == L'm' && rest[1] == L':') {
      line.hasMachine = true;
    } else if (rest.size() == 1 && FoldAscii(rest[0]) == L'r') {
      line.reboot = true;
    } else if (!(rest.size() == 1 && FoldAscii(rest[0]) == L'f')) {
      break;
    }
  }
  if (next >= items.size()) return line;
  std::wstring word = IsSwitch(items[next]) ? items[next].substr(1) : items[next];
  for (const wchar_t* name : {L"findall", L"install", L"remove", L"rescan", L"dp_add", L"dp_delete", L"?"}) {
    if (SameIgnoringAsciiCase(word, name)) line.command = name;
  }
  line.arguments = items.size() - next - 1;
  return line;
}

// The results a command can give for this command line.
bool Allowed(const CommandLine& line, int result) {
  if (result < ENGINE_DONE || result > ENGINE_BAD_USAGE) return false;
  const std::wstring& command = line.command;
  if (command.empty()) return result == ENGINE_BAD_USAGE;
  if (command == L"?") return result == ENGINE_DONE;
  bool needsArgument = command == L"findall" || command == L"remove" || command == L"dp_add" ||
                       command == L"dp_delete" || command == L"install";
  if (needsArgument && line.arguments == 0) return result == ENGINE_BAD_USAGE;
  if ((command == L"remove" || command == L"install") && line.hasMachine) return result == ENGINE_BAD_USAGE;
  if (command == L"install" && line.arguments < 2) return result == ENGINE_BAD_USAGE;
  if (result == ENGINE_NEEDS_REBOOT) return command == L"remove" || command == L"install";
  // Arguments that are there are refused only by "install": an empty path or ID.
  if (result == ENGINE_BAD_USAGE) return command == L"install";
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sim::Reset();
  AddSteadyDevices();
  AddShiftingDevices();
  AddFuzzPackages();
  // The driver update's answer varies with the input, so that "install" can
  // also need a restart or fail.
  sim::SetDriverUpdateOutcome(size % 3 != 2, size % 3 == 1);
  MachineSnapshot before = TakeSnapshot();
  sim::ClearCalls();

  FuzzArgs args(L"", data, size);
  CommandLine line = Read(args.items());
  int result = EngineRun(args.argc(), args.argv());
  RequireNothingOpen();
  Require(Allowed(line, result));
  // Usage and failure messages go to standard error, and nothing else does.
  Require(sim::StdErr().empty() == (result == ENGINE_DONE || result == ENGINE_NEEDS_REBOOT));
  if (line.command.empty()) Require(sim::StdOut().empty());
  Require(sim::RestartRequests().size() == (result == ENGINE_NEEDS_REBOOT && line.reboot ? 1u : 0u));

  MachineSnapshot after = TakeSnapshot();
  const std::wstring& command = line.command;
  // Devices go only through "remove", never on the remote machine; they are
  // made and their drivers installed only through "install".
  Require(after.remote == before.remote);
  if (!Kept(before.local, after.local) || after.pending != before.pending) Require(command == L"remove");
  if (after.local.size() > before.local.size() || !sim::DriverUpdates().empty()) Require(command == L"install");
  // Packages arrive only through "dp_add" and leave only through "dp_delete".
  if (!Kept(after.infDirectory, before.infDirectory)) Require(command == L"dp_add");
  if (!Kept(before.infDirectory, after.infDirectory)) Require(command == L"dp_delete");
  if (!sim::ReenumerateRequests().empty()) Require(command == L"rescan");
  return 0;
}
