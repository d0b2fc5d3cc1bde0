// Driver package operations: they walk a folder or the system's INF list and
// drive the device engine once per package.
#pragma once

#include <string>

#include "packages/outcome.h"

// The folder an install argument names: the text up to a '"' in it with '\'
// in the quote's place, and a bare drive "X:" as its root "X:\". The text
// after the quote, which the command line meant as more words, goes to
// `rest` when given.
std::wstring FolderNamedBy(const std::wstring& given, std::wstring* rest = nullptr);

// Adds every "*.inf" entry directly in the folder that `folder` means
// (FolderNamedBy) to the driver store, each named by the full folder and the
// name found, as a plain path. A name the system would read as another path
// (a device such as con.inf) is not added: one line on standard error names
// it. Always done.
Outcome InstallPackagesFromFolder(const std::wstring& folder);

// "pattern|text": removes the devices matching pattern (blanks and tabs
// around it dropped), then, when the engine answered "done", deletes every
// OEM package whose INF text holds `text`.
// Fails, with one line on standard error, without '|'; fails, with one line
// on standard error and nothing tried, for a pattern that begins with '=' or
// selects every device with an ID (or whose selection cannot be counted);
// fails when a package could not be deleted, was kept for a present device,
// or the packages could not be listed; else the engine's outcome.
Outcome RemoveDevicesAndPackages(const std::wstring& argument);
// Done, or failed when the packages cannot be listed, a matching package
// could not be deleted, or one was kept because a present device is
// installed from it. A text of blanks and tabs alone deletes nothing.
Outcome DeleteMatchingOemPackages(const std::wstring& text);
