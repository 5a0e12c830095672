// What the emptying of the destination root must never reach.
#pragma once

#include <string>
#include <vector>

#include "locate/folder_paths.h"
#include "platform/desktop.h"
#include "platform/folders.h"

namespace qb {

// False, after a warning that names the reason (kind w), when the open root
// must not be emptied: it is, holds or lies inside the log folder (or their
// relation cannot be told); it is or holds the program's folder; it is the
// root of a volume; it is or holds a folder of the user or the system.
bool RootMayBeEmptied(const Places& places, OpenFolder root, UserFacing& ui);

// The identities of the folders the emptying leaves as they are however it
// reaches them (another drive letter, a folder link): the log folder and
// each folder from it down to the folder of this thread's log files, the
// program's folder, the folder that holds the final target of the settings
// file `settings_file`, and the folders of the user and the system. Raises
// InOutError when that target cannot be found.
std::vector<FolderId> FoldersKept(const Places& places, const std::string& settings_file);

}  // namespace qb
