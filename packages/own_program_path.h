// This program's own path, element 0 of every engine vector that the front
// end and the package operations build.
#pragma once

#include <string>

std::wstring OwnProgramPath();
