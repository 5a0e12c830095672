// Where the browser keeps a thread's logs and where their copies go.
#pragma once

#include <string>

#include "locate/url_split.h"
#include "settings/settings.h"

namespace qb {

// The folders and files of one run, every one a path as text.
struct Places {
    std::string root;                // the destination root, no trailing separator
    std::string log_folder;          // the browser's log folder
    std::string program_folder;      // where the program and its settings file are
    std::string source_folder;       // the thread's folder in the log folder
    std::string destination_folder;  // the thread's folder under the root
    std::string source_dat, source_inf;            // the two log files
    std::string destination_dat, destination_inf;  // and their copies
};

// The thread's folders after the browser's layout for its generation: under
// the log folder <server>.<domain>\<board> (generation 1) or <site>\<board>
// (generation 2, <site> the first label of the domain after the alias
// table); the same under the root, each name with a '_' before it when the
// settings ask for it (never on the source side).
Places DerivePlaces(const Settings& settings, const ThreadUrl& url, const std::string& root,
                    const std::string& program_folder);

}  // namespace qb
