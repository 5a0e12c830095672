// Looking into and emptying the destination root.
#pragma once

#include <string>

#include "platform/platform.h"

namespace qb {

// True at the first entry other than "." and "..".
bool FolderHasEntries(const std::string& dir);

// Removes everything below `dir`, never `dir` itself, in listing order; one
// notice per entry that cannot be removed. A link is removed as a link and
// never entered. Hidden and system entries are left alone. Always true.
bool EmptyFolder(const std::string& dir, UserFacing& ui);

}  // namespace qb
