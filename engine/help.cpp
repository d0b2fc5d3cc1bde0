#include "engine/engine.h"
#include "engine/message_output.h"
#include "messages.h"

// "?" alone lists the commands; "? <command>" shows that command's detailed
// help, or the list after a note when the word is no command.
int ShowEngineHelp(const wchar_t* baseName, const wchar_t* machine, DWORD flags, int argc, const wchar_t* const* argv) {
  (void)machine;
  (void)flags;
  const EngineCommandEntry* asked = argc >= 1 ? FindEngineCommand(argv[0]) : nullptr;
  if (asked && asked->longHelpId != 0) {
    WriteEngineMessage(TEXT_STDOUT, asked->longHelpId, baseName, asked->name);
    return ENGINE_DONE;
  }

  if (argc >= 1 && !asked) {
    WriteEngineMessage(TEXT_STDOUT, MSG_HELP_UNKNOWN, baseName, ShownText(argv[0]).c_str());
  } else {
    WriteEngineMessage(TEXT_STDOUT, MSG_HELP_HEADER, baseName, asked ? asked->name : nullptr);
  }
  for (const EngineCommandEntry* row = EngineCommandTable; row->name; ++row) {
    if (row->shortHelpId == 0) continue;
    WriteEngineMessage(TEXT_STDOUT, row->shortHelpId, row->name);
    WriteWideText(TEXT_STDOUT, L"\n");
  }
  return ENGINE_DONE;
}
