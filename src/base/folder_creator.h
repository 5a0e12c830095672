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

}  // namespace qb
