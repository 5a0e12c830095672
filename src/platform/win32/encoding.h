// Conversions between code page 932 and UTF-16 for the Win32 build.
#pragma once

#include <string>

namespace qb {

std::wstring Wide(const std::string& text);

}  // namespace qb
