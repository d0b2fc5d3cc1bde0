// Bounded wide formatting of the lines that carry device data.
#pragma once

#include <cstddef>

#include "platform/platform.h"

const size_t kLineCharacters = 512;
const size_t kShortLineCharacters = 256;

// Formats by the wide printf rules into `buffer` (512 characters): at most
// `limit` characters and a terminator; longer output is cut and still
// terminated. Returns the character count, or -1 when the output was cut.
int FormatLine(wchar_t (&buffer)[kLineCharacters], size_t limit, const wchar_t* format, ...);
// The same into a 256-character buffer.
int FormatShortLine(wchar_t (&buffer)[kShortLineCharacters], size_t limit, const wchar_t* format, ...);
