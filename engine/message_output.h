// The engine's one output routine, and the rule for text that comes from the
// system or from a driver package.
#pragma once

#include <string>

#include "platform/platform.h"

// Not a message of the table: the ID that hands WriteEngineMessage a text
// that is already finished.
const DWORD MSG_FINISHED_TEXT = 0;

// Writes message `messageId` of the message table with the inserts that
// follow (wide strings, or 32-bit unsigned numbers where the text says so),
// or, for MSG_FINISHED_TEXT, the one wide string that follows as it stands.
// A trailing run of line ends becomes one line feed. A message without text
// writes nothing.
void WriteEngineMessage(TextStream stream, DWORD messageId, ...);

// The text of message `messageId` with its inserts, line ends and all, for a
// piece of a line that is finished and written elsewhere; empty when the
// message has no text.
std::wstring EngineMessageText(DWORD messageId, ...);

// Why a Windows call failed, for a failure line: "0x" and the code in eight
// hexadecimal digits, then the system's text for it on one line, its "%1"
// left as it stands; the code alone when the system has no text for it.
std::wstring SystemErrorText(DWORD code);

// Device names and IDs and INF names as they are shown to the reader: a control
// character (C0 but tab, DEL, C1) becomes '?', so that such a text cannot
// move the cursor, clear the screen or retitle the reader's terminal.
std::wstring ShownText(const wchar_t* text);

// A finished line of device data to standard output: ShownText, but for
// the line feed that ends it.
void WriteDeviceLine(const wchar_t* line);
