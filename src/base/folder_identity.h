// How two folders stand to one another, decided by what the system says
// identifies a folder (device and inode; volume serial number and file ID),
// never by how their paths are spelt.
#pragma once

#include <string>
#include <vector>

#include "platform/folders.h"

namespace qb {

// A folder and the folders above it: the identity of the folder itself, then
// of each parent, nearest first.
struct FolderPlace {
    std::vector<FolderId> chain;  // empty when the folder could not be opened
    bool complete = false;        // the walk reached the top of its file system
};

// The place of an open folder, or of the folder at `path` (links followed).
FolderPlace PlaceOf(OpenFolder folder);
FolderPlace PlaceOf(const std::string& path);

// How `a` stands to `b`.
enum class Relation {
    kSame,     // one folder
    kInside,   // `a` lies inside `b`
    kHolds,    // `a` holds `b`
    kApart,    // neither holds the other
    kUnknown,  // a place is missing, or a walk stopped short of the top and
               // nothing below that point links the two
};
Relation Relate(const FolderPlace& a, const FolderPlace& b);

// The identity of the folder at `path` (links followed); false when it
// cannot be opened.
bool FolderIdAt(const std::string& path, FolderId& id);

// The folder at `path` without its parents (a place whose walk stopped at
// the folder itself): enough to find it among another folder's parents, for
// one look instead of a walk. Empty when it cannot be opened.
FolderPlace FolderAlone(const std::string& path);

}  // namespace qb
