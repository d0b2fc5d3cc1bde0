#include "frontend/exit_codes.h"

int ExitCodeFor(Outcome outcome) {
  switch (outcome) {
    case Outcome::kDone:
      return kExitDone;
    case Outcome::kYes:
      return kExitYes;
    case Outcome::kNo:
      return kExitNo;
    case Outcome::kBadCommandLine:
      return kExitBadCommandLine;
    case Outcome::kRestartNeeded:
      return kExitRestartNeeded;
    case Outcome::kVersionAnswer:
      return kExitVersionAnswer;
    case Outcome::kEngineMisused:
      return kExitEngineMisused;
    case Outcome::kFailed:
      break;
  }
  return kExitFailed;
}
