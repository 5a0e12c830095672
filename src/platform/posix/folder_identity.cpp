// Folder identity on POSIX: device and inode, the walk up through "..", the
// links on the way to a file, and the folders no emptying may reach.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "platform/folders.h"
#include "platform/program.h"
#include "platform/posix/encoding.h"
#include "platform/posix/file_helpers.h"
#include "platform/posix/system_calls.h"

namespace qb {

namespace {

int Fd(OpenFolder folder) { return static_cast<int>(folder.value); }

// A folder opened to be told apart; one that cannot be read can still be
// told apart by its identity.
int OpenFolderFd(const std::string& sys_path) {
    const int fd = System().open(sys_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd >= 0 || errno != EACCES) return fd;
    return System().open(sys_path.c_str(), kLookOnly | O_DIRECTORY | O_CLOEXEC, 0);
}

// For each mount of this process, whether what it mounts is a folder below
// the root of its file system (a bind mount). Each line of the mount table
// holds the mount ID, the parent's ID, the device, then the mounted folder's
// path inside its file system ("/" for the whole of it).
struct MountEntry {
    unsigned long long id;
    bool subfolder;
};
std::vector<MountEntry> ReadMountTable() {
    std::vector<MountEntry> table;
    const int fd = System().open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0) return table;
    std::string text;
    char piece[4096];
    for (;;) {
        const ssize_t n = System().read(fd, piece, sizeof piece);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            // A table read in part is not used: no mount is then known.
            if (n < 0) text.clear();
            break;
        }
        text.append(piece, static_cast<std::size_t>(n));
    }
    System().close(fd);
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1) {
        const std::string line = text.substr(start, end - start);
        unsigned long long id = 0;
        char root[8];
        if (std::sscanf(line.c_str(), "%llu %*u %*s %7s", &id, root) == 2) {
            table.push_back(MountEntry{id, std::strcmp(root, "/") != 0});
        }
    }
    return table;
}

// The mount table as this run last read it.
struct MountTable {
    bool read = false;
    std::vector<MountEntry> entries;
};
MountTable mount_table;

// Whether the table holds the mount `id`; `subfolder` receives its answer.
bool FindMount(unsigned long long id, bool& subfolder) {
    for (const MountEntry& mount : mount_table.entries) {
        if (mount.id == id) {
            subfolder = mount.subfolder;
            return true;
        }
    }
    return false;
}

// Whether the mount `id` mounts a folder below its file system's root; true
// when it cannot be told. The table is read on the first question of a run
// and again only for a mount it does not know (one made since).
bool MountsSubfolder(unsigned long long id) {
    bool subfolder = true;
    if (mount_table.read && FindMount(id, subfolder)) return subfolder;
    mount_table.entries = ReadMountTable();
    mount_table.read = true;
    FindMount(id, subfolder);
    return subfolder;
}

// Whether the folder open as `fd` is where a folder below the root of its
// file system is mounted again (a bind mount). Walking up through ".." from
// there leaves the file system's own tree, so the parents seen are not the
// folder's real ones. True when it cannot be told.
bool IsMountedSubfolder(int fd) {
#if defined(STATX_ATTR_MOUNT_ROOT) && defined(STATX_MNT_ID)
    struct statx sx;
    if (System().statx(fd, "", AT_EMPTY_PATH, STATX_MNT_ID, &sx) != 0) return true;
    if ((sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) == 0) return true;
    if ((sx.stx_attributes & STATX_ATTR_MOUNT_ROOT) == 0) return false;
    if ((sx.stx_mask & STATX_MNT_ID) == 0) return true;
    return MountsSubfolder(sx.stx_mnt_id);
#else
    (void)fd;
    return false;
#endif
}

// The names of `path` pushed onto `todo` so that the first is the last.
void PushNames(const std::string& path, std::vector<std::string>& todo) {
    std::vector<std::string> names;
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) names.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    todo.insert(todo.end(), names.rbegin(), names.rend());
}

}  // namespace

void ForgetMountTable() { mount_table = MountTable(); }

FolderId IdOf(const struct stat& st) {
    FolderId id;
    id.volume = static_cast<std::uint64_t>(st.st_dev);
    id.index = static_cast<std::uint64_t>(st.st_ino);
    return id;
}

bool IsMountRoot(int fd, const struct stat& st, dev_t parent) {
#ifdef STATX_ATTR_MOUNT_ROOT
    struct statx sx;
    if (System().statx(fd, "", AT_EMPTY_PATH, 0, &sx) == 0 &&
        (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0)
        return (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
#else
    (void)fd;
#endif
    return st.st_dev != parent;
}

bool OpenFolderByPath(const std::string& path, OpenFolder& folder) {
    folder.value = OpenFolderFd(SystemPath(path));
    return folder.value >= 0;
}

void CloseFolder(OpenFolder folder) {
    if (folder.value >= 0) System().close(Fd(folder));
}

bool FolderIdOf(OpenFolder folder, FolderId& id) {
    struct stat st;
    if (System().fstat(Fd(folder), &st) != 0) return false;
    id = IdOf(st);
    return true;
}

bool FolderChain(OpenFolder folder, std::vector<FolderId>& chain) {
    chain.clear();
    int fd = System().openat(Fd(folder), ".", kLookOnly | O_DIRECTORY | O_CLOEXEC, 0);
    while (fd >= 0) {
        struct stat st;
        if (System().fstat(fd, &st) != 0) break;
        const FolderId id = IdOf(st);
        // The root of the file system is its own parent.
        if (!chain.empty() && chain.back() == id) {
            System().close(fd);
            return true;
        }
        chain.push_back(id);
        if (IsMountedSubfolder(fd)) break;
        const int parent = System().openat(fd, "..", kLookOnly | O_DIRECTORY | O_CLOEXEC, 0);
        System().close(fd);
        fd = parent;
    }
    if (fd >= 0) System().close(fd);
    return false;
}

// "/" is its own parent; any other mount point differs from its parent by
// the mount. A folder whose parent cannot be looked at counts as a volume's
// root: nothing is emptied on a guess.
bool IsVolumeRoot(OpenFolder folder, const std::string&) {
    struct stat st, up;
    if (System().fstat(Fd(folder), &st) != 0) return true;
    const int parent = System().openat(Fd(folder), "..", kLookOnly | O_DIRECTORY | O_CLOEXEC, 0);
    const bool known = parent >= 0 && System().fstat(parent, &up) == 0;
    if (parent >= 0) System().close(parent);
    if (!known) return true;
    if (st.st_dev == up.st_dev && st.st_ino == up.st_ino) return true;
    return IsMountRoot(Fd(folder), st, up.st_dev);
}

// $HOME is refused when the root is or holds it; the folders of the user's
// settings and data, and the trash, when the root lies inside them too.
std::vector<NamedFolder> OpenSystemFolders() {
    const char* home = System().getenv("HOME");
    const std::string home_path = home != nullptr ? home : "";
    const char* config = System().getenv("XDG_CONFIG_HOME");
    std::string config_path;
    if (config != nullptr && config[0] == '/') {
        config_path = config;
    } else if (!home_path.empty() && home_path[0] == '/') {
        config_path = home_path + "/.config";
    }
    const std::string data = DataHome();
    const struct {
        std::string path;
        bool inside_refused;
    } wanted[] = {
        {home_path, false},
        {config_path, true},
        {data, true},
        {data.empty() ? data : data + "/Trash", true},
    };
    std::vector<NamedFolder> folders;
    for (const auto& w : wanted) {
        if (w.path.empty()) continue;
        NamedFolder named;
        named.folder.value = OpenFolderFd(w.path);
        if (named.folder.value < 0) continue;
        ToCp932(w.path, named.path);
        named.inside_refused = w.inside_refused;
        folders.push_back(named);
    }
    return folders;
}

bool EntryIdAt(const std::string& path, bool entry_itself, FolderId& id) {
    const std::string sys = SystemPath(path);
    struct stat st;
    if ((entry_itself ? System().lstat(sys.c_str(), &st) : System().stat(sys.c_str(), &st)) != 0) {
        return false;
    }
    id = IdOf(st);
    return true;
}

// Resolved as the system does, one name at a time: the part resolved so far
// holds no link, so ".." there is its parent.
bool LinksOnTheWay(const std::string& path, std::vector<FolderId>& links) {
    links.clear();
    const std::string sys = SystemPath(path);
    if (sys.empty()) return false;
    std::string done;  // the part resolved so far, "" for "/"
    if (sys[0] != '/') {
        char here[PATH_MAX];
        if (System().realpath(".", here) == nullptr) return false;
        done = here;
        if (done == "/") done.clear();
    }
    std::vector<std::string> todo;  // the names still to resolve, the next one last
    PushNames(sys, todo);
    for (int hops = 0; !todo.empty();) {
        const std::string name = todo.back();
        todo.pop_back();
        if (name == ".") continue;
        if (name == "..") {
            done.resize(done.rfind('/') == std::string::npos ? 0 : done.rfind('/'));
            continue;
        }
        const std::string next = done + "/" + name;
        struct stat st;
        if (System().lstat(next.c_str(), &st) != 0) return false;
        if (!S_ISLNK(st.st_mode)) {
            done = next;
            continue;
        }
        links.push_back(IdOf(st));
        char target[PATH_MAX];
        const ssize_t n = System().readlink(next.c_str(), target, sizeof target);
        if (n <= 0 || n >= static_cast<ssize_t>(sizeof target) || ++hops > 40) return false;
        if (target[0] == '/') done.clear();
        PushNames(std::string(target, static_cast<std::size_t>(n)), todo);
    }
    return true;
}

}  // namespace qb
