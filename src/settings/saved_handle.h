// The browser window handle as the settings file holds it right now, for a
// run that must know whether another run has saved one meanwhile.
#pragma once

#include <cstdint>
#include <string>

namespace qb {

// Reads the settings file `file` again and finds the handle as the loader
// does (the hwVelmWnd line FindKeyLine finds among the first 50, its value
// as written there). False when there is no such line or its value is no
// handle. Raises InOutError when the file cannot be read.
bool ReadSavedHandle(const std::string& file, std::uint32_t& handle);

}  // namespace qb
