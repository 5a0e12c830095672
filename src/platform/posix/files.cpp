// Folder queries and listing over POSIX calls.
#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/files.h"
#include "platform/posix/encoding.h"
#include "platform/posix/system_calls.h"

namespace qb {

namespace {

// Names beginning with '.' are hidden by convention, like entries with the
// hidden attribute on Windows; "." and ".." begin with it too, so the
// listing never holds them.
bool IsHiddenName(const char* name) { return name[0] == '.'; }

}  // namespace

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

bool ListFolder(const std::string& dir, std::vector<FolderEntry>& entries) {
    entries.clear();
    const std::string sys_dir = SystemPath(dir);
    DIR* d = System().opendir(sys_dir.c_str());
    if (d == nullptr) return false;
    while (const dirent* e = System().readdir(d)) {
        if (IsHiddenName(e->d_name)) continue;
        FolderEntry entry;
        entry.name = Utf8ToCp932(e->d_name);
        // The entry's type from the listing where the file system gives it;
        // a query only where it does not, and for links (is the target a folder?).
        unsigned char type = e->d_type;
        struct stat st;
        std::string full;
        if (type == DT_UNKNOWN || type == DT_LNK) full = sys_dir + "/" + e->d_name;
        if (type == DT_UNKNOWN && System().lstat(full.c_str(), &st) == 0) {
            type = S_ISLNK(st.st_mode) ? DT_LNK : S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
        }
        entry.is_link = type == DT_LNK;
        entry.is_folder = type == DT_DIR || (entry.is_link &&
                                             System().stat(full.c_str(), &st) == 0 &&
                                             S_ISDIR(st.st_mode));
        entries.push_back(entry);
    }
    System().closedir(d);
    return true;
}

bool CreateFolder(const std::string& path) {
    return System().mkdir(SystemPath(path).c_str(), 0777) == 0;
}

}  // namespace qb
