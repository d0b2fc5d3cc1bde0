// What one of pelmora.exe's commands came to. The front end turns it into
// the exit code in one place (frontend/exit_codes.h); nothing below it
// chooses a number.
#pragma once

enum class Outcome {
  kDone,            // the command did what was asked
  kYes,             // the answer to a question
  kNo,              // the answer to a question
  kBadCommandLine,  // usage printed, nothing done
  kRestartNeeded,   // done; a removed device waits for a restart
  kVersionAnswer,   // "version"'s fixed answer
  kFailed,          // refused, not started, or not (all) done
  kEngineMisused,   // the device engine refused the command line it was given
};

// The device engine's result (EngineResult) as an outcome.
Outcome OutcomeOfEngine(int engineResult);
