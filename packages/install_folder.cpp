#include "packages/packages.h"

// Not built yet.
int InstallPackagesFromFolder(const std::wstring&) { return 2; }
