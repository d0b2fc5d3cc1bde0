// The one-line refusals and failures of the package operations and the
// launcher, each under the name of the program that the user ran.
#pragma once

#include <string>

#include "platform/platform.h"

// One line on standard error under the program's own base name, with
// `subject` (its control characters shown as '?') as the message's second
// insert and `reason` (SystemErrorText's) as its third.
void WriteProgramLine(DWORD messageId, const std::wstring& program, const std::wstring& subject,
                      const std::wstring& reason = std::wstring());
