// The identities of a folder and its parents, found from its path.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace qb {

// The identities of the folder at `path` and of each of its parents, nearest
// first, as FolderChain gives them; the folder is opened for the walk only.
// False when a step failed; `chain` is empty when it cannot be opened.
bool FolderChainAt(const std::string& path, std::vector<FolderId>& chain);

}  // namespace qb
