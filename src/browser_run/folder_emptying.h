// Looking into and emptying the destination root.
#pragma once

#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/folders.h"

namespace qb {

// True when the folder lists any entry (hidden and system entries are not
// listed).
bool FolderHasEntries(const std::string& dir);

// Removes everything below the open root, never the root itself, in listing
// order, by the names the system lists; one notice per entry that cannot be
// removed, naming it under `display_root`. A link is removed as a link and
// never entered. Hidden and system entries are left alone. A folder whose
// identity is one of `kept` stays as it is, with one notice.
void EmptyFolder(OpenFolder root, const std::string& display_root,
                 const std::vector<FolderId>& kept, UserFacing& ui);

}  // namespace qb
