#include "engine/ascii.h"
#include "engine/engine.h"
#include "engine/message_output.h"
#include "frontend/frontend.h"
#include "frontend/launcher.h"
#include "messages.h"
#include "packages/own_program_path.h"
#include "packages/packages.h"

namespace {

const int kExecWaitSeconds = 60;

// "program;arguments": split at the first ';', start the program hidden.
Outcome RunExec(const std::wstring& argument) {
  size_t split = argument.find(L';');
  if (split == std::wstring::npos) {
    WriteEngineMessage(TEXT_STDERR, MSG_EXEC_WITHOUT_SEMICOLON, ProgramBaseName(OwnProgramPath().c_str()));
    return Outcome::kFailed;
  }
  const std::wstring program = argument.substr(0, split);
  if (IsBlankText(program.c_str())) {
    WriteEngineMessage(TEXT_STDERR, MSG_EXEC_WITHOUT_PROGRAM, ProgramBaseName(OwnProgramPath().c_str()));
    return Outcome::kFailed;
  }
  DWORD result = RunProgramHidden(program, argument.substr(split + 1), kExecWaitSeconds);
  return result == 0 ? Outcome::kDone : Outcome::kFailed;
}

}  // namespace

Outcome DispatchCommand(int code, const std::wstring& argument) {
  switch (code) {
    case CMD_REMOVE:
      return RemoveDevicesAndPackages(argument);
    case CMD_INSTALL:
      return InstallPackagesFromFolder(argument);
    case CMD_RESCAN: {
      const std::wstring program = OwnProgramPath();
      const wchar_t* vector[] = {program.c_str(), L"rescan"};
      return OutcomeOfEngine(EngineRun(2, vector));
    }
    case CMD_VERSION:
      return Outcome::kVersionAnswer;
    case CMD_IS64BIT:
      return Outcome::kYes;
    case CMD_EXEC:
      return RunExec(argument);
    case CMD_ISWINXPSP3ORLATER:
      return IsWinXpSp3OrLater() ? Outcome::kYes : Outcome::kNo;
    case CMD_ISWIN2000ORLATER:
      return IsWin2000OrLater() ? Outcome::kYes : Outcome::kNo;
    default:
      return Outcome::kFailed;
  }
}
