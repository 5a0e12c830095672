#include "base/path_text.h"

#include "base/cp932_text.h"
#include "platform/files.h"

namespace qb {

std::string RemoveTrailingSeparator(const std::string& path) {
    if (path.empty()) return path;
    const std::size_t last = path.size() - 1;
    if (IsPathSeparator(path[last]) && !IsTrailByteAt(path, last)) {
        return path.substr(0, last);
    }
    return path;
}

std::string WithoutIgnoredEnd(const std::string& path) {
    // Neither byte is ever the second byte of a double-byte character.
    if (path.compare(0, 4, "\\\\?\\") == 0 ||
        path.find_first_not_of(". ", ParentLength(path)) == std::string::npos) {
        return path;
    }
    return path.substr(0, path.find_last_not_of(". ") + 1);
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    std::string joined = dir;
    joined += kPathSeparator;
    joined += name;
    return joined;
}

std::size_t ParentLength(const std::string& path) {
    std::size_t length = 0;
    std::size_t i = 0;
    while (i < path.size()) {
        const char c = path[i];
        if (IsLeadByte(static_cast<unsigned char>(c))) {
            i += 2;
            continue;
        }
        ++i;
        // A ':' ends only a drive's name, "C:"; elsewhere it is part of a
        // name (POSIX) or no path at all (Windows).
        if (IsPathSeparator(c) || (c == ':' && i == 2)) length = i;
    }
    return length;
}

std::string FolderOf(const std::string& path) {
    std::string folder = path.substr(0, ParentLength(path));
    const std::size_t n = folder.size();
    const bool is_root = n == 1 || (n >= 2 && folder[n - 2] == ':');
    if (n > 0 && IsPathSeparator(folder.back()) && !is_root) folder.pop_back();
    return folder;
}

std::string FolderAbove(const std::string& path) {
    std::size_t cut = 0;
    for (std::size_t i = 0; i < path.size();) {
        const char c = path[i];
        if (c == '\\' || c == '/') cut = i;
        i += IsLeadByte(static_cast<unsigned char>(c)) ? 2 : 1;
    }
    return path.substr(0, cut);
}

}  // namespace qb
