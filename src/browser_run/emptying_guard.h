// What the emptying of the destination root must never reach.
#pragma once

#include <vector>

#include "base/run_state.h"
#include "platform/platform.h"

namespace qb {

// False, after a warning that names the reason (kind w), when the open root
// must not be emptied: it is, holds or lies inside the log folder (or their
// relation cannot be told); it is or holds the program's folder; it is the
// root of a volume; it is or holds a folder of the user or the system.
bool RootMayBeEmptied(const RunState& state, OpenFolder root, UserFacing& ui);

// The identities of the folders the emptying leaves as they are however it
// reaches them (another drive letter, a folder link): the log folder and
// each folder from it down to this thread's source folder, the program's
// folder, and the folder that holds the settings file's final target.
// Raises InOutError when the settings file's target cannot be found.
std::vector<FolderId> FoldersKept(const RunState& state);

}  // namespace qb
