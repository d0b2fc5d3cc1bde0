// The engine's one output routine.
#pragma once

#include "platform/platform.h"

// Writes message `messageId` of the message table with the inserts that
// follow (wide strings, or 32-bit unsigned numbers where the text says so),
// or, for MSG_FINISHED_TEXT, the one wide string that follows as it stands.
// A trailing run of line ends becomes one line feed. A message without text
// writes nothing.
void WriteEngineMessage(TextStream stream, DWORD messageId, ...);
