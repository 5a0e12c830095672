#include "base/folder_creator.h"

#include "base/path_text.h"
#include "platform/files.h"

namespace qb {

__attribute__((noinline)) bool CreateFolderPath(const std::string& path) {
    if (path.empty()) {
        throw FolderCreatorError{
            reinterpret_cast<std::uintptr_t>(__builtin_return_address(0))};
    }
    const std::string dir = RemoveTrailingSeparator(path);
    if (dir.size() < 3 || FolderExists(dir)) return true;
    const std::string parent = dir.substr(0, ParentLength(dir));
    if (parent == dir) return true;
    // A folder that another run made at the same moment counts as made.
    return CreateFolderPath(parent) && (CreateFolder(dir) || FolderExists(dir));
}

FolderState EnsureFolder(const std::string& dir) {
    if (FolderExists(dir)) return FolderState::kExisted;
    if (CreateFolderPath(dir) && FolderExists(dir)) return FolderState::kCreated;
    return FolderState::kMissing;
}

}  // namespace qb
