// Driver package operations: they walk a folder or the system's INF list and
// drive the device engine once per package.
#pragma once

#include <string>

#include "platform/platform.h"

// This program's own path, element 0 of every engine vector that the front
// end and the package operations build.
std::wstring OwnProgramPath();
// `path` as the system resolves it against the current directory, or "" when
// it cannot be resolved.
std::wstring FullPathOf(const std::wstring& path);
// One line on standard error under the program's own base name, with
// `subject` (its control characters shown as '?') as the message's second
// insert and `reason` (SystemErrorText's) as its third.
void WriteProgramLine(DWORD messageId, const std::wstring& program, const std::wstring& subject,
                      const std::wstring& reason = std::wstring());

// The folder an install argument names: the text up to a '"' in it with '\'
// in the quote's place, and a bare drive "X:" as its root "X:\". The text
// after the quote, which the command line meant as more words, goes to
// `rest` when given.
std::wstring FolderAsMeant(const std::wstring& given, std::wstring* rest = nullptr);

// Adds every "*.inf" entry directly in the folder that `folder` means
// (FolderAsMeant) to the driver store, each named by the full folder and the
// name found, as a plain path. A name the system would read as another path
// (a device such as con.inf) is not added: one line on standard error names
// it. Always 0.
int InstallPackagesFromFolder(const std::wstring& folder);

// "pattern|text": removes the devices matching pattern (blanks and tabs
// around it dropped), then, when the engine answered 0, deletes every OEM
// package whose INF text holds `text`.
// Returns the exit code: 2, with one line on standard error, without '|';
// 2, with one line on standard error and nothing tried, for a pattern that
// begins with '=' or selects every device with an ID (or whose selection
// cannot be counted); 2 when a package could not be deleted, was kept for a
// present device, or the packages could not be listed; else the engine's
// result.
int RemoveDevicesAndPackages(const std::wstring& argument);
// 0, or 2 when the packages cannot be listed, a matching package could not
// be deleted, or one was kept because a present device is installed from
// it. A text of blanks and tabs alone deletes nothing.
int DeleteMatchingOemPackages(const std::wstring& text);
