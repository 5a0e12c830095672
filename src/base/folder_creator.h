// Creating a folder together with its missing parents.
#pragma once

#include <cstdint>
#include <string>

namespace qb {

// Raised when asked to create a folder with an empty path.
struct FolderCreatorError {
    std::uintptr_t location;
};

// True when `dir` exists or was created with all its missing parents. A path
// shorter than three bytes, or one that is its own parent (a bare drive),
// counts as present without a query. Raises FolderCreatorError for "".
bool CreateFolderPath(const std::string& dir);

// What EnsureFolder found or did.
enum class FolderState {
    kExisted,  // the folder was there already
    kCreated,  // it was missing and is there now
    kMissing,  // it is still missing
};

// Makes sure the folder `dir` exists, creating it with its missing parents.
// A creation counts only when the folder really is there afterwards: a short
// name or a missing drive counts as present to CreateFolderPath without
// being made. Raises FolderCreatorError for "".
FolderState EnsureFolder(const std::string& dir);

}  // namespace qb
