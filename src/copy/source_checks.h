// Checks on the source side, before anything is changed.
#pragma once

#include "locate/folder_paths.h"
#include "platform/desktop.h"

namespace qb {

// The thread's source folder must be an existing folder.
bool CheckSourceFolder(const Places& places, UserFacing& ui);
// Its <key>.dat and then its <key>.inf must exist.
bool CheckSourceFiles(const Places& places, UserFacing& ui);

}  // namespace qb
