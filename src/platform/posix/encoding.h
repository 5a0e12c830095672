// Conversions between code page 932 and UTF-8 for the POSIX build.
#pragma once

#include <string>

namespace qb {

// Characters that cannot be converted become '?'.
std::string Cp932ToUtf8(const std::string& text);
std::string Utf8ToCp932(const std::string& text);

// A code-page-932 path as the system expects it: UTF-8, and every '\'
// (a real one, never the second byte of a double-byte character) as '/'.
// Raises InOutError (kIoPathNotFound) when the system's converter fails.
std::string SystemPath(const std::string& path);

// Closes the converters of this run; the next conversion opens them again.
void CloseConverters();

}  // namespace qb
