// "remove pattern|text": removes the matching devices through the engine,
// then deletes from the driver store every OEM package whose INF text holds
// `text`, one engine run per package.
#include <cwchar>
#include <vector>

#include "engine/device_commands.h"
#include "engine/engine.h"
#include "engine/message_ids.h"
#include "engine/message_output.h"
#include "packages/packages.h"
#include "platform/platform.h"

namespace {

const DWORD kSectionNameCharacters = 256;
const DWORD kLineTextCharacters = 1024;
// More sections than any INF file has; the walk ends here even on a
// platform that fails for every index without ever saying the sections
// have ended.
const UINT kMostSections = 65536;

// Only '*' after an optional '@': every device of the computer, which no
// installer means to remove.
bool SelectsEveryDevice(const std::wstring& pattern) {
  size_t first = (!pattern.empty() && pattern[0] == L'@') ? 1 : 0;
  return pattern.size() > first && pattern.find_first_not_of(L'*', first) == std::wstring::npos;
}

// A text without a visible character would be found in every package.
bool IsBlank(const std::wstring& text) { return text.find_first_not_of(L" \t") == std::wstring::npos; }

// Hardware IDs hold no blank, so blanks and tabs around a pattern ("ID | text")
// can only make it miss the device that was meant.
std::wstring TrimmedPattern(const std::wstring& pattern) {
  size_t first = pattern.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return L"";
  return pattern.substr(first, pattern.find_last_not_of(L" \t") - first + 1);
}

int DeletePackage(const std::wstring& infName) {
  const std::wstring program = OwnProgramPath();
  const wchar_t* vector[] = {program.c_str(), L"-f", L"dp_delete", infName.c_str()};
  return EngineRun(4, vector);
}

// True when a line of the section holds `text` (with case).
bool SectionHolds(HINF inf, const wchar_t* section, const std::wstring& text) {
  INFCONTEXT context;
  if (!SetupFindFirstLineW(inf, section, nullptr, &context)) return false;
  WCHAR line[kLineTextCharacters];
  do {
    // A line longer than the buffer cannot be read and is passed over.
    if (SetupGetLineTextW(&context, nullptr, nullptr, nullptr, line, kLineTextCharacters, nullptr)) {
      line[kLineTextCharacters - 1] = L'\0';
      if (std::wcsstr(line, text.c_str())) return true;
    }
  } while (SetupFindNextLine(&context, &context));
  return false;
}

}  // namespace

int RemoveDevicesAndPackages(const std::wstring& argument) {
  size_t bar = argument.find(L'|');
  if (bar == std::wstring::npos) {
    WriteEngineMessage(TEXT_STDERR, MSG_REMOVE_WITHOUT_BAR, ProgramBaseName(OwnProgramPath().c_str()));
    return 2;
  }
  // Every check below sees the pattern trimmed. The text after the bar is
  // taken as given: a blank in it narrows what it matches.
  const std::wstring pattern = TrimmedPattern(argument.substr(0, bar));
  if (SelectsEveryDevice(pattern)) return 2;
  if (!pattern.empty()) {
    const std::wstring program = OwnProgramPath();
    const wchar_t* vector[] = {program.c_str(), L"remove", pattern.c_str()};
    // A device still present, or one whose removal waits for a restart,
    // may still use its package: the packages stay.
    int result = EngineRun(3, vector);
    if (result != 0) return result;
  }
  std::wstring text = argument.substr(bar + 1);
  if (text.empty()) return 0;
  return DeleteMatchingOemPackages(text);
}

// A package that could not be deleted fails the whole, after the others
// were tried.
int DeleteMatchingOemPackages(const std::wstring& text) {
  if (IsBlank(text)) return 0;
  DWORD required = 0;
  if (!SetupGetInfFileListW(nullptr, INF_STYLE_WIN4, nullptr, 0, &required)) return 2;
  std::vector<wchar_t> list(static_cast<size_t>(required) + 1, L'\0');
  if (!SetupGetInfFileListW(nullptr, INF_STYLE_WIN4, list.data(), static_cast<DWORD>(list.size()), nullptr)) {
    return 2;
  }
  list.back() = L'\0';  // the walk below never leaves the buffer
  const wchar_t* end = list.data() + list.size();
  int result = 0;
  for (const wchar_t* name = list.data(); name < end && *name; name += std::wcslen(name) + 1) {
    if (DeleteOemPackageIfMatch(name, text) != 0) result = 2;
  }
  return result;
}

int DeleteOemPackageIfMatch(const std::wstring& infName, const std::wstring& text) {
  if (!IsOemPackageName(infName.c_str()) || IsBlank(text)) return 0;
  UINT errorLine = 0;
  HINF inf = SetupOpenInfFileW(infName.c_str(), nullptr, INF_STYLE_WIN4, &errorLine);
  if (inf == INVALID_HANDLE_VALUE) return 0;
  int result = 0;
  WCHAR section[kSectionNameCharacters];
  for (UINT index = 0; index < kMostSections; ++index) {
    if (!SetupEnumInfSectionsW(inf, index, section, kSectionNameCharacters - 1, nullptr)) {
      // The end of the sections ends the file's walk; a section whose name
      // cannot be read (one too long for the buffer) is skipped.
      if (GetLastError() == ERROR_NO_MORE_ITEMS) break;
      continue;
    }
    if (SectionHolds(inf, section, text)) {
      result = DeletePackage(infName);
      break;
    }
  }
  SetupCloseInfFile(inf);
  return result;
}
