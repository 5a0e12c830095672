#include "base/folder_chain.h"

namespace qb {

bool FolderChainAt(const std::string& path, std::vector<FolderId>& chain) {
    chain.clear();
    OpenFolder folder;
    if (!OpenFolderByPath(path, folder)) return false;
    const bool complete = FolderChain(folder, chain);
    CloseFolder(folder);
    return complete;
}

}  // namespace qb
