// Driver package operations: they walk a folder or the system's INF list and
// drive the device engine once per package.
#pragma once

#include <string>

// This program's own path, element 0 of every engine vector that the front
// end and the package operations build.
std::wstring OwnProgramPath();

// Adds every "*.inf" entry directly in `folder` to the driver store. Always 0.
int InstallPackagesFromFolder(const std::wstring& folder);

// "pattern|text": removes the devices matching pattern, then deletes every
// OEM package whose INF text holds `text`. Returns the exit code.
int RemoveDevicesAndPackages(const std::wstring& argument);
int DeleteMatchingOemPackages(const std::wstring& text);
void DeleteOemPackageIfMatch(const std::wstring& infName, const std::wstring& text);
