// Emptying the destination root on POSIX by the names the system lists, each
// removed relative to an open descriptor of its parent.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "platform/files.h"
#include "platform/folders.h"
#include "platform/program.h"
#include "platform/posix/encoding.h"
#include "platform/posix/file_helpers.h"
#include "platform/posix/system_calls.h"

namespace qb {

namespace {

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
    const int own = System().openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (own < 0) return false;
    DIR* d = System().fdopendir(own);
    if (d == nullptr) {
        System().close(own);
        return false;
    }
    while (const dirent* e = System().readdir(d)) {
        if (IsHiddenOrDot(e->d_name)) continue;
        entries.push_back(Entry{e->d_name, e->d_type});
    }
    System().closedir(d);
    return true;
}

class Emptier {
public:
    Emptier(const std::string& display_root, const std::vector<FolderId>& kept,
            EmptyingListener& listener)
        : display_(display_root), kept_(kept), listener_(listener) {}

    // Empties the folder open as `fd` (whose identity is `self`) and closes
    // it. At most three descriptors are open at a time, whatever the depth:
    // once a folder is listed, its parent's descriptor is closed; coming
    // back, the parent is opened again through ".." and must be the same
    // folder. What is left
    // to do at each level is kept on the heap, not the call stack, so that
    // no depth can exhaust the stack.
    void Empty(int fd, const struct stat& self) {
        std::vector<Level> levels(1);
        levels[0].dev = self.st_dev;
        levels[0].ino = self.st_ino;
        ReadEntries(fd, levels[0].entries);
        for (;;) {
            Level& level = levels.back();
            if (level.next == level.entries.size()) {
                if (levels.size() == 1) break;
                const Level& parent = levels[levels.size() - 2];
                fd = ReopenParent(fd, parent.dev, parent.ino);
                if (fd < 0) {
                    // Moved away while being emptied: stop rather than guess.
                    listener_.CannotRemove(display_, true);
                    return;
                }
                display_.resize(level.mark);
                levels.pop_back();
                const std::string& done = levels.back().entries[levels.back().next - 1].name;
                if (System().unlinkat(fd, done.c_str(), AT_REMOVEDIR) != 0) Report(done, true);
                continue;
            }
            const Entry& entry = level.entries[level.next++];
            const char* name = entry.name.c_str();
            bool is_folder = entry.type == DT_DIR;
            if (entry.type == DT_UNKNOWN) {
                struct stat st;
                is_folder = System().fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                            S_ISDIR(st.st_mode);
            }
            if (!is_folder) {
                // Files and links of every kind: a link is removed, never followed.
                if (System().unlinkat(fd, name, 0) != 0) Report(entry.name, false);
                continue;
            }
            const int child =
                System().openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC, 0);
            struct stat child_st;
            const bool opened = child >= 0 && System().fstat(child, &child_st) == 0;
            // (A folder that cannot be opened is looked at by its name.)
            if (opened ? IsKept(child_st)
                       : System().fstatat(fd, name, &child_st, AT_SYMLINK_NOFOLLOW) == 0 &&
                             S_ISDIR(child_st.st_mode) && IsKept(child_st)) {
                // A folder that must stay, reached from inside the root (the
                // log folder through a drive letter, say): neither entered
                // nor removed, and named once.
                if (child >= 0) System().close(child);
                Report(entry.name, true);
                continue;
            }
            // A mount point is never entered: what is mounted there (another
            // file system, or a folder from elsewhere, even the log folder)
            // is not the root's to empty. Removing the mount point fails.
            // A folder that cannot be listed is not entered either (without
            // search permission, its ".." could not be opened to come back).
            Level down;
            if (opened && !IsMountRoot(child, child_st, level.dev) &&
                ReadEntries(child, down.entries)) {
                System().close(fd);
                fd = child;
                down.dev = child_st.st_dev;
                down.ino = child_st.st_ino;
                down.mark = display_.size();
                display_ += kPathSeparator;
                display_ += DisplayName(entry.name);
                levels.push_back(std::move(down));  // `level` and `entry` are not used again
                continue;
            }
            if (child >= 0) System().close(child);
            if (System().unlinkat(fd, name, AT_REMOVEDIR) != 0) Report(entry.name, true);
        }
        System().close(fd);
    }

    // Whether the folder `st` describes is one that must stay.
    bool IsKept(const struct stat& st) const {
        return std::find(kept_.begin(), kept_.end(), IdOf(st)) != kept_.end();
    }

private:
    // A folder being emptied: its entries, the next one to do, its identity
    // and the length of the display path above it.
    struct Level {
        std::vector<Entry> entries;
        std::size_t next = 0;
        dev_t dev = 0;
        ino_t ino = 0;
        std::size_t mark = 0;
    };

    static std::string DisplayName(const std::string& name) {
        std::string shown;
        ToCp932(name, shown);
        return shown;
    }

    // The parent of the folder open as `child`, when it still is the folder
    // `dev`/`ino`; `child` is closed.
    static int ReopenParent(int child, dev_t dev, ino_t ino) {
        const int fd = System().openat(child, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
        System().close(child);
        struct stat st;
        if (fd >= 0 && System().fstat(fd, &st) == 0 && st.st_dev == dev && st.st_ino == ino) {
            return fd;
        }
        if (fd >= 0) System().close(fd);
        return -1;
    }

    void Report(const std::string& name, bool is_folder) {
        listener_.CannotRemove(display_ + kPathSeparator + DisplayName(name), is_folder);
    }

    std::string display_;
    const std::vector<FolderId>& kept_;
    EmptyingListener& listener_;
};

}  // namespace

void EmptyOpenFolder(OpenFolder folder, const std::string& display_root,
                     const std::vector<FolderId>& kept, EmptyingListener& listener) {
    const int fd = System().openat(static_cast<int>(folder.value), ".",
                                   O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    struct stat self;
    if (fd < 0) return;
    Emptier emptier(display_root, kept, listener);
    if (System().fstat(fd, &self) != 0) {
        System().close(fd);
        return;
    }
    if (emptier.IsKept(self)) {
        System().close(fd);
        listener.CannotRemove(display_root, true);
        return;
    }
    emptier.Empty(fd, self);
}

}  // namespace qb
