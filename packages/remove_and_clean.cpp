#include "packages/packages.h"

// Not built yet.
int RemoveDevicesAndPackages(const std::wstring&) { return 2; }
int DeleteMatchingOemPackages(const std::wstring&) { return 0; }
void DeleteOemPackageIfMatch(const std::wstring&, const std::wstring&) {}
