// "remove pattern|text": removes the matching devices through the engine,
// then deletes from the driver store every OEM package whose INF text holds
// `text`, one engine run per package, but never one that a present device
// is installed from.
#include <cwchar>
#include <vector>

#include "engine/ascii.h"
#include "engine/device_selection.h"
#include "engine/driver_packages.h"
#include "engine/engine.h"
#include "engine/message_output.h"
#include "messages.h"
#include "packages/own_program_path.h"
#include "packages/packages.h"
#include "packages/program_line.h"
#include "platform/platform.h"

namespace {

// Only '*' after an optional '@': every device of the computer, however
// many there are.
bool SpellsEveryDevice(const std::wstring& pattern) {
  size_t first = (!pattern.empty() && pattern[0] == L'@') ? 1 : 0;
  return pattern.size() > first && pattern.find_first_not_of(L'*', first) == std::wstring::npos;
}

// Hardware IDs hold no blank, so blanks and tabs around a pattern ("ID | text")
// can only make it miss the device that was meant.
std::wstring TrimmedPattern(const std::wstring& pattern) {
  size_t first = pattern.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return L"";
  return pattern.substr(first, pattern.find_last_not_of(L" \t") - first + 1);
}

// The message of a pattern that no installer means: one that reaches the
// engine's class selector ("=" alone is an ID pattern), or one that selects
// every device a hardware-ID pattern can select (the devices with at least
// one ID). 0 for any other.
DWORD RefusalOf(const std::wstring& pattern) {
  if (pattern.size() > 1 && pattern[0] == L'=') return MSG_REMOVE_CLASS_REFUSED;
  if (SpellsEveryDevice(pattern)) return MSG_REMOVE_EVERY_DEVICE;
  DeviceCensus census;
  if (TakeDeviceCensus(pattern.c_str(), &census) != ENGINE_DONE) return MSG_REMOVE_UNCOUNTED;
  // A device whose IDs cannot be read may or may not be selected: it never
  // blocks a pattern that leaves out a readable device (the removal passes
  // it over and answers 2), but it counts towards a machine of several.
  if (census.readable == 0) return census.unreadable > 0 ? DWORD{MSG_REMOVE_UNCOUNTED} : 0;
  if (census.selected == census.readable && census.readable + census.unreadable >= 2) return MSG_REMOVE_EVERY_DEVICE;
  return 0;
}

int DeletePackage(const std::wstring& program, const std::wstring& infName) {
  const wchar_t* vector[] = {program.c_str(), L"-f", L"dp_delete", infName.c_str()};
  return EngineRun(4, vector);
}

}  // namespace

Outcome RemoveDevicesAndPackages(const std::wstring& argument) {
  size_t bar = argument.find(L'|');
  const std::wstring program = OwnProgramPath();
  if (bar == std::wstring::npos) {
    WriteEngineMessage(TEXT_STDERR, MSG_REMOVE_WITHOUT_BAR, ProgramBaseName(program.c_str()));
    return Outcome::kFailed;
  }
  // Every check below sees the pattern trimmed. The text after the bar is
  // taken as given: a blank in it narrows what it matches.
  const std::wstring pattern = TrimmedPattern(argument.substr(0, bar));
  if (!pattern.empty()) {
    if (DWORD refusal = RefusalOf(pattern)) {
      WriteProgramLine(refusal, program, pattern);
      return Outcome::kFailed;
    }
    const wchar_t* vector[] = {program.c_str(), L"remove", pattern.c_str()};
    // A device still present, or one whose removal waits for a restart,
    // may still use its package: the packages stay.
    int result = EngineRun(3, vector);
    if (result != ENGINE_DONE) return OutcomeOfEngine(result);
  }
  std::wstring text = argument.substr(bar + 1);
  if (text.empty()) return Outcome::kDone;
  return DeleteMatchingOemPackages(text);
}

// A package that could not be deleted, or that a present device uses, fails
// the whole after the others were handled.
Outcome DeleteMatchingOemPackages(const std::wstring& text) {
  if (IsBlankText(text.c_str())) return Outcome::kDone;
  const std::wstring program = OwnProgramPath();
  const wchar_t* baseName = ProgramBaseName(program.c_str());
  std::vector<OemPackage> packages;
  switch (SurveyOemPackages(text.c_str(), PackageDetails::kNameOnly, &packages)) {
    case SurveyResult::kListUnreadable:
      WriteEngineMessage(TEXT_STDERR, MSG_INF_LIST_UNREADABLE, baseName);
      return Outcome::kFailed;
    case SurveyResult::kDevicesUnreadable:
      WriteEngineMessage(TEXT_STDERR, MSG_PRESENT_DEVICES_UNREADABLE, baseName);
      return Outcome::kFailed;
    case SurveyResult::kDone:
      break;
  }
  Outcome outcome = Outcome::kDone;
  for (const OemPackage& package : packages) {
    if (package.usedByPresentDevice) {
      WriteProgramLine(MSG_PACKAGE_KEPT, program, package.name);
      outcome = Outcome::kFailed;
    } else if (DeletePackage(program, package.name) != ENGINE_DONE) {
      outcome = Outcome::kFailed;
    }
  }
  return outcome;
}
