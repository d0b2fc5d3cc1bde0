// Driver package operations: they walk a folder or the system's INF list and
// drive the device engine once per package.
#pragma once

#include <string>

// This program's own path, element 0 of every engine vector that the front
// end and the package operations build.
std::wstring OwnProgramPath();

// Adds every "*.inf" entry directly in `folder` to the driver store, each
// named by the full folder and the name found, in the \\?\ form. A folder
// that ends in '"' is read with '\' in its place. Always 0.
int InstallPackagesFromFolder(const std::wstring& folder);

// "pattern|text": removes the devices matching pattern (blanks and tabs
// around it dropped), then, when the engine answered 0, deletes every OEM
// package whose INF text holds `text`.
// Returns the exit code: 2 without '|', for a pattern of '*' alone (every
// device), or when a package could not be deleted or listed; else the
// engine's result.
int RemoveDevicesAndPackages(const std::wstring& argument);
// 0, or 2 when the INF list cannot be read or a matching package could not
// be deleted. A text of blanks and tabs alone deletes nothing.
int DeleteMatchingOemPackages(const std::wstring& text);
// 0 when nothing was deleted or the deletion went well, else the engine's
// result of the deletion.
int DeleteOemPackageIfMatch(const std::wstring& infName, const std::wstring& text);
