#include "engine/engine.h"

#include "engine/ascii.h"
#include "engine/message_output.h"
#include "messages.h"

const EngineCommandEntry EngineCommandTable[] = {
    {L"findall", ListDevices, MSG_FINDALL_SHORT_HELP, MSG_FINDALL_LONG_HELP},
    {L"install", InstallRootDevice, MSG_INSTALL_SHORT_HELP, MSG_INSTALL_LONG_HELP},
    {L"remove", RemoveMatchingDevices, MSG_REMOVE_SHORT_HELP, MSG_REMOVE_LONG_HELP},
    {L"rescan", RescanDevices, MSG_RESCAN_SHORT_HELP, MSG_RESCAN_LONG_HELP},
    {L"dp_add", AddDriverPackage, MSG_DP_ADD_SHORT_HELP, MSG_DP_ADD_LONG_HELP},
    {L"dp_delete", DeleteDriverPackage, MSG_DP_DELETE_SHORT_HELP, MSG_DP_DELETE_LONG_HELP},
    {L"dp_enum", ListDriverPackages, MSG_DP_ENUM_SHORT_HELP, MSG_DP_ENUM_LONG_HELP},
    {L"?", ShowEngineHelp, 0, 0},
    {nullptr, nullptr, 0, 0},
};

namespace {

struct EngineOptions {
  const wchar_t* machine = nullptr;
  bool reboot = false;
  DWORD flags = 0;
};

bool IsSwitchChar(wchar_t c) { return c == L'-' || c == L'/'; }

bool IsLetter(wchar_t c, wchar_t lower) { return AsciiLower(c) == lower; }

// Takes one option into `options`; false when `arg` is no option, which ends
// the options and makes it the command word.
bool TakeOption(const wchar_t* arg, EngineOptions& options) {
  if (!IsSwitchChar(arg[0])) return false;
  const wchar_t* rest = arg + 1;
  if (IsLetter(rest[0], L'm') && rest[1] == L':' && rest[2] != 0) {
    options.machine = rest + 2;
    return true;
  }
  if (rest[0] != 0 && rest[1] == 0) {
    if (IsLetter(rest[0], L'r')) {
      options.reboot = true;
      return true;
    }
    if (IsLetter(rest[0], L'f')) {
      options.flags |= ENGINE_FLAG_FORCE;
      return true;
    }
  }
  return false;
}

}  // namespace

const wchar_t* ProgramBaseName(const wchar_t* path) {
  const wchar_t* base = path;
  // The name starts one code unit after the backslash: CharNextW would take
  // a combining mark there along with it.
  for (const wchar_t* p = path; *p; p = CharNextW(p)) {
    if (*p == L'\\') base = p + 1;
  }
  return base;
}

const EngineCommandEntry* FindEngineCommandIn(const EngineCommandEntry* table, const wchar_t* word) {
  for (const EngineCommandEntry* row = table; row->name; ++row) {
    if (EqualIgnoringAsciiCase(word, row->name)) return row;
  }
  return nullptr;
}

const EngineCommandEntry* FindEngineCommand(const wchar_t* word) {
  return FindEngineCommandIn(EngineCommandTable, word);
}

int EngineRun(int argc, const wchar_t* const* argv) { return RunEngineTable(EngineCommandTable, argc, argv); }

int RunEngineTable(const EngineCommandEntry* table, int argc, const wchar_t* const* argv) {
  // Element 0 is whatever the caller put first on the command line.
  const std::wstring shownBaseName = ShownText(argc > 0 ? ProgramBaseName(argv[0]) : L"");
  const wchar_t* baseName = shownBaseName.c_str();
  EngineOptions options;
  int next = 1;
  while (next < argc && TakeOption(argv[next], options)) ++next;
  if (next >= argc) {
    WriteEngineMessage(TEXT_STDERR, MSG_USAGE, baseName);
    return ENGINE_BAD_USAGE;
  }

  const wchar_t* word = argv[next];
  if (IsSwitchChar(word[0])) ++word;  // one code unit: a mark after it stays
  const EngineCommandEntry* row = FindEngineCommandIn(table, word);
  if (!row) {
    WriteEngineMessage(TEXT_STDERR, MSG_USAGE, baseName);
    return ENGINE_BAD_USAGE;
  }

  int result = row->handler(baseName, options.machine, options.flags, argc - next - 1, argv + next + 1);
  switch (result) {
    case ENGINE_DONE:
      break;
    case ENGINE_NEEDS_REBOOT:
      if (options.reboot) RequestReboot();
      break;
    case ENGINE_BAD_USAGE:
      WriteEngineMessage(TEXT_STDERR, MSG_COMMAND_MISUSED, baseName, row->name);
      break;
    default:
      WriteEngineMessage(TEXT_STDERR, MSG_COMMAND_FAILED, baseName, row->name);
      break;
  }
  return result;
}
