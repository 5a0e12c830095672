// The destination root on POSIX: its identity by device and inode, and
// emptying it by the names the system lists, each removed relative to an
// open descriptor of its parent.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/platform.h"
#include "platform/posix/encoding.h"

namespace qb {

namespace {

#ifdef O_PATH
constexpr int kLookOnly = O_PATH;
#else
constexpr int kLookOnly = O_RDONLY;
#endif

FolderId IdOf(const struct stat& st) {
    FolderId id;
    id.volume = static_cast<std::uint64_t>(st.st_dev);
    id.index_low = static_cast<std::uint64_t>(st.st_ino);
    return id;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Names beginning with '.' are hidden by convention, like entries with the
// hidden attribute on Windows.
bool IsHiddenOrDot(const char* name) { return name[0] == '.'; }

struct Entry {
    std::string name;  // the bytes the listing gave
    unsigned char type;
};

// The entries of the folder open as `fd`, read in full before anything is
// removed; `fd` itself stays open and unmoved.
bool ReadEntries(int fd, std::vector<Entry>& entries) {
    const int own = ::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (own < 0) return false;
    DIR* d = ::fdopendir(own);
    if (d == nullptr) {
        ::close(own);
        return false;
    }
    while (const dirent* e = ::readdir(d)) {
        if (IsHiddenOrDot(e->d_name)) continue;
        entries.push_back(Entry{e->d_name, e->d_type});
    }
    ::closedir(d);
    return true;
}

class Emptier {
public:
    Emptier(const std::string& display_root, EmptyingListener& listener)
        : display_(display_root), listener_(listener) {}

    // Empties the folder open as `fd` (whose identity is `self`). Only one
    // descriptor is held at a time, whatever the depth: before going down,
    // the parent's descriptor is closed; coming back, the parent is opened
    // again through ".." and must be the same folder. Returns the
    // descriptor of the folder, or -1 when it could not be found again.
    int Empty(int fd, const struct stat& self) {
        std::vector<Entry> entries;
        if (!ReadEntries(fd, entries)) return fd;
        for (const Entry& entry : entries) {
            const char* name = entry.name.c_str();
            bool is_folder = entry.type == DT_DIR;
            if (entry.type == DT_UNKNOWN) {
                struct stat st;
                is_folder = ::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                            S_ISDIR(st.st_mode);
            }
            if (!is_folder) {
                // Files and links of every kind: a link is removed, never followed.
                if (::unlinkat(fd, name, 0) != 0) Report(entry.name, false);
                continue;
            }
            const int child = ::openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            struct stat child_st;
            if (child >= 0 && ::fstat(child, &child_st) == 0) {
                ::close(fd);
                const std::size_t mark = display_.size();
                display_ += kPathSeparator;
                display_ += DisplayName(entry.name);
                const int back = Empty(child, child_st);
                if (back < 0) return -1;
                fd = ReopenParent(back, self);
                if (fd < 0) {
                    // Moved away while being emptied: stop rather than guess.
                    listener_.CannotRemove(display_, true);
                    return -1;
                }
                display_.resize(mark);
            } else if (child >= 0) {
                ::close(child);
            }
            if (::unlinkat(fd, name, AT_REMOVEDIR) != 0) Report(entry.name, true);
        }
        return fd;
    }

private:
    static std::string DisplayName(const std::string& name) {
        std::string shown;
        ToCp932(name, shown);
        return shown;
    }

    // The parent of the folder open as `child`, when it still is `parent`.
    static int ReopenParent(int child, const struct stat& parent) {
        const int fd = ::openat(child, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(child);
        struct stat st;
        if (fd >= 0 && ::fstat(fd, &st) == 0 && SameFile(st, parent)) return fd;
        if (fd >= 0) ::close(fd);
        return -1;
    }

    void Report(const std::string& name, bool is_folder) {
        listener_.CannotRemove(display_ + kPathSeparator + DisplayName(name), is_folder);
    }

    std::string display_;
    EmptyingListener& listener_;
};

}  // namespace

bool OpenFolderByPath(const std::string& path, OpenFolder& folder) {
    const std::string sys = SystemPath(path);
    int fd = ::open(sys.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // A folder that cannot be read can still be told apart by its identity.
    if (fd < 0 && errno == EACCES) fd = ::open(sys.c_str(), kLookOnly | O_DIRECTORY | O_CLOEXEC);
    folder.value = fd;
    return fd >= 0;
}

void CloseFolder(OpenFolder folder) {
    if (folder.value >= 0) ::close(static_cast<int>(folder.value));
}

bool FolderChain(OpenFolder folder, std::vector<FolderId>& chain) {
    chain.clear();
    int fd = ::openat(static_cast<int>(folder.value), ".", kLookOnly | O_DIRECTORY | O_CLOEXEC);
    while (fd >= 0) {
        struct stat st;
        if (::fstat(fd, &st) != 0) break;
        const FolderId id = IdOf(st);
        // The root of the file system is its own parent.
        if (!chain.empty() && chain.back() == id) {
            ::close(fd);
            return true;
        }
        chain.push_back(id);
        const int parent = ::openat(fd, "..", kLookOnly | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = parent;
    }
    if (fd >= 0) ::close(fd);
    return false;
}

void EmptyOpenFolder(OpenFolder folder, const std::string& display_root,
                     EmptyingListener& listener) {
    const int fd = ::openat(static_cast<int>(folder.value), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat self;
    if (fd < 0) return;
    if (::fstat(fd, &self) != 0) {
        ::close(fd);
        return;
    }
    Emptier emptier(display_root, listener);
    const int last = emptier.Empty(fd, self);
    if (last >= 0) ::close(last);
}

}  // namespace qb
