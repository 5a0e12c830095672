// What the emptying of the destination root must never reach.
#pragma once

#include "locate/folder_facts.h"
#include "locate/folder_paths.h"
#include "platform/desktop.h"
#include "platform/folders.h"

namespace qb {

// False, after a warning that names the reason (kind w), when the open root
// must not be emptied, checked in this order: it is, holds or lies inside
// the log folder (or their relation cannot be told), or it is or lies
// inside a folder of the log folder's side however it is reached (a site's
// or board's folder linked from it); it is or holds the program's folder;
// it is the folder of the settings file's final target; it is the root of a
// volume; it is or holds a folder of the user or the system, or lies inside
// one of those refused inside too.
bool RootMayBeEmptied(const Places& places, OpenFolder root, FolderFacts& facts,
                      UserFacing& ui);

}  // namespace qb
