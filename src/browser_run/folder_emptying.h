// Looking into and emptying the destination root.
#pragma once

#include <string>
#include <vector>

#include "locate/folder_facts.h"
#include "platform/desktop.h"
#include "platform/folders.h"
#include "platform/recycle_bin.h"

namespace qb {

// True when the open folder lists any entry that is not hidden.
bool FolderHasEntries(OpenFolder folder);

// Removes everything below the open root, never the root itself, by the
// names the system lists, each relative to its held parent; one notice per
// entry that stays and one for each folder above it, naming it under
// `display_root`. Hidden and system entries are never touched, a link is
// removed as a link and never entered, a mount point is never entered, and
// an entry whose identity is one of `kept` is neither entered nor removed.
// A root that is kept itself, or that cannot be told or listed, keeps
// everything, with one notice for it.
// With a bin, what may go is sent to it, a folder in one piece when nothing
// below it stays; what the bin does not take is removed for good. Without
// one (`bin` null), everything is removed for good as it is met.
// The walk holds `root` while it works; afterwards `root` is the root as
// the walk holds it then (opened again coming back up), -1 when the walk had
// to stop.
void EmptyFolder(OpenFolder& root, const std::string& display_root,
                 const KeptIds& kept, const RecycleBin* bin, UserFacing& ui);

}  // namespace qb
