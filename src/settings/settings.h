// What the settings file says, as the loader found and checked it.
#pragma once

#include <cstdint>
#include <string>

namespace qb {

struct Settings {
    std::string file;                 // the settings file's path
    std::int32_t generation = 0;      // of the host browser: 1 or 2
    std::string log_folder;           // the browser's log folder, no trailing separator
    bool underscore_folders = false;  // destination folder names get a '_' prefix
    bool title_on = true;             // the title is shown after a copy
    bool recycle = true;              // the emptying sends what it removes to the bin
};

}  // namespace qb
