#include "engine/engine.h"

#include "engine/message_output.h"
#include "messages.h"

// Always the local tree: the Configuration Manager calls here take no
// machine, so a machine name only changes the message.
int RescanDevices(const wchar_t*, const wchar_t* machine, DWORD, int, const wchar_t* const*) {
  DEVINST root = 0;
  if (CM_Locate_DevNodeW(&root, nullptr, CM_LOCATE_DEVNODE_NORMAL) != CR_SUCCESS) return ENGINE_FAILED;
  PrintNarrow(TEXT_STDOUT, "Got device node %u\n", static_cast<unsigned>(root));
  WriteEngineMessage(TEXT_STDOUT, machine ? MSG_RESCANNING_LOCAL : MSG_RESCANNING);

  // No synchronous wait: the system goes on enumerating after the call.
  CONFIGRET result = CM_Reenumerate_DevNode(root, CM_REENUMERATE_NORMAL);
  if (result != CR_SUCCESS) {
    PrintNarrow(TEXT_STDOUT, "Reenumerate failed with code = %d\n", static_cast<int>(result));
    return ENGINE_FAILED;
  }
  PrintNarrow(TEXT_STDOUT, "Reenumerate went well !\n");
  WriteEngineMessage(TEXT_STDOUT, MSG_RESCANNED);
  return ENGINE_DONE;
}
