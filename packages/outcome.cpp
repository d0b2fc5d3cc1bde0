#include "packages/outcome.h"

#include "engine/engine.h"

Outcome OutcomeOfEngine(int engineResult) {
  switch (engineResult) {
    case ENGINE_DONE:
      return Outcome::kDone;
    case ENGINE_NEEDS_REBOOT:
      return Outcome::kRestartNeeded;
    case ENGINE_BAD_USAGE:
      return Outcome::kEngineMisused;
    default:
      return Outcome::kFailed;
  }
}
