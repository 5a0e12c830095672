#include "base/folder_identity.h"

#include <algorithm>

namespace qb {

namespace {

bool Holds(const std::vector<FolderId>& chain, const FolderId& id) {
    return std::find(chain.begin(), chain.end(), id) != chain.end();
}

}  // namespace

FolderPlace PlaceOf(OpenFolder folder) {
    FolderPlace place;
    place.complete = FolderChain(folder, place.chain);
    return place;
}

FolderPlace PlaceOf(const std::string& path) {
    OpenFolder folder;
    if (!OpenFolderByPath(path, folder)) return FolderPlace{};
    FolderPlace place = PlaceOf(folder);
    CloseFolder(folder);
    return place;
}

Relation Relate(const FolderPlace& a, const FolderPlace& b) {
    if (a.chain.empty() || b.chain.empty()) return Relation::kUnknown;
    if (a.chain.front() == b.chain.front()) return Relation::kSame;
    if (Holds(a.chain, b.chain.front())) return Relation::kInside;
    if (Holds(b.chain, a.chain.front())) return Relation::kHolds;
    return a.complete && b.complete ? Relation::kApart : Relation::kUnknown;
}

bool FolderIdAt(const std::string& path, FolderId& id) {
    OpenFolder folder;
    if (!OpenFolderByPath(path, folder)) return false;
    const bool known = FolderIdOf(folder, id);
    CloseFolder(folder);
    return known;
}

FolderPlace FolderAlone(const std::string& path) {
    FolderPlace place;
    FolderId id;
    if (FolderIdAt(path, id)) place.chain.push_back(id);
    return place;
}

}  // namespace qb
