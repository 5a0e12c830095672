// Saving the browser's main window handle into the settings file.
#pragma once

#include <cstdint>
#include <string>

namespace qb {

// Replaces the hwVelmWnd line of the settings file `file` (the one the
// loader reads its value from, among the first 50) by "hwVelmWnd=" +
// `handle`. The file is read again as it is now and keeps every other line,
// its UTF-8 mark included (a file whose lines end at LF keeps every other
// byte); a file changed meanwhile so that it holds no such line, or saved as
// UTF-16, is left as it is. The file is replaced in one step, so a failure
// leaves the old file intact; it raises InOutError.
void SaveWindowHandle(const std::string& file, std::uint32_t handle);

}  // namespace qb
