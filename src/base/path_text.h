// Path rules shared by every part of the program: which bytes separate
// folders, the trailing-separator rule and joining.
#pragma once

#include <string>

#include "platform/files.h"

namespace qb {

// Removes one trailing separator, unless that byte is the second byte of a
// double-byte character. Nothing else is removed.
std::string RemoveTrailingSeparator(const std::string& path);

// `path` without the blanks and dots that end its last name, as a plain
// path names it where the system ignores them; a last name of nothing but
// dots and blanks ("..") and a path in the long form ("\\?\...") are
// kept as spelt.
std::string WithoutIgnoredEnd(const std::string& path);

// `dir` + separator + `name`.
std::string JoinPath(const std::string& dir, const std::string& name);

// The length of `path` up to and including its last separator that is not a
// trail byte, or the ':' of a drive ("C:"); 0 when there is none.
std::size_t ParentLength(const std::string& path);

// The folder part of a file path, without its trailing separator; a root
// ("C:\\", "/") keeps it.
std::string FolderOf(const std::string& path);

// `path` up to its last '\\' or '/' that is not a trail byte (the system
// takes either for a separator), empty when there is none. A ':' is part of
// a name here: the folders below a place the program derived (a board "a:b",
// a key "sub\\123") are walked up name by name.
std::string FolderAbove(const std::string& path);

}  // namespace qb
