// Folder queries and creation over POSIX calls.
#include <sys/stat.h>

#include <cerrno>

#include "platform/files.h"
#include "platform/posix/encoding.h"
#include "platform/posix/system_calls.h"

namespace qb {

bool FolderExists(const std::string& path) {
    struct stat st;
    return System().stat(SystemPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Absent only when the system says that no entry of this name can be
// reached; an entry that cannot be looked at (an I/O error) counts as
// present, so that a settings file is never taken for missing and replaced
// by the template: reading it then fails instead.
bool FileIsPresent(const std::string& path) {
    struct stat st;
    if (System().stat(SystemPath(path).c_str(), &st) == 0) return !S_ISDIR(st.st_mode);
    return errno != ENOENT && errno != ENOTDIR && errno != EACCES && errno != ENAMETOOLONG &&
           errno != ELOOP;
}

bool CreateFolder(const std::string& path) {
    return System().mkdir(SystemPath(path).c_str(), 0777) == 0;
}

}  // namespace qb
