// Paths as the system resolves them.
#pragma once

#include <string>

// `path` as the system resolves it against the current directory, or "" when
// it cannot be resolved.
std::wstring FullPathOf(const std::wstring& path);
