// Making sure of the destination folder and copying the two log files.
#pragma once

#include "locate/folder_facts.h"
#include "locate/folder_paths.h"
#include "platform/desktop.h"

namespace qb {

// The thread's destination folder must exist or be created (silently); a
// notice when it cannot. Links on the way are followed, but a destination
// folder that, however it is reached, is or lies inside the log folder,
// unless the destination root itself is or lies inside it and the folder
// lies inside the root, is neither created nor used: the copy-error notice.
// Of the log folder only its own identity is looked up, through `facts`.
bool EnsureCopyFolder(const Places& places, FolderFacts& facts, UserFacing& ui);
// Copies <key>.dat and then, only if that worked, <key>.inf, overwriting.
bool CopyLogFiles(const Places& places, UserFacing& ui);

}  // namespace qb
