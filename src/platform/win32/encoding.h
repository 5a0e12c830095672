// Conversions between code page 932 and UTF-16 for the Win32 build.
#pragma once

#include <string>

namespace qb {

std::wstring Wide(const std::string& text);

// A path for the wide API: a bare drive "X:" names the drive's root, never
// the current folder on that drive.
std::wstring WidePath(const std::string& path);

}  // namespace qb
