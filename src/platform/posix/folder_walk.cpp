// The walk's primitives on POSIX: each entry named relative to an open
// descriptor of its parent, folders opened without following links, and at
// most a few descriptors open at any depth (a parent is closed going down
// and opened again through ".." coming back).
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/folder_walk.h"
#include "platform/posix/file_helpers.h"
#include "platform/posix/system_calls.h"

namespace qb {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

int Fd(OpenFolder folder) { return static_cast<int>(folder.value); }

bool IsDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

EntryKind KindOf(mode_t mode) {
    if (S_ISLNK(mode)) return EntryKind::kLink;
    return S_ISDIR(mode) ? EntryKind::kFolder : EntryKind::kFile;
}

// The entry as the listing gave it; one of unknown type is looked at by its
// name.
ListedEntry EntryOf(int folder, const dirent& e, const FolderId& folder_id) {
    ListedEntry entry{e.d_name, EntryKind::kFile, e.d_name[0] == '.', folder_id};
    entry.id.index = static_cast<std::uint64_t>(e.d_ino);
    struct stat st;
    switch (e.d_type) {
        case DT_DIR:
            entry.kind = EntryKind::kFolder;
            break;
        case DT_LNK:
            entry.kind = EntryKind::kLink;
            break;
        case DT_UNKNOWN:
            if (System().fstatat(folder, e.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
                entry.kind = KindOf(st.st_mode);
                entry.id = IdOf(st);
            }
            break;
        default:
            break;
    }
    return entry;
}

}  // namespace

// Read through a descriptor of its own, so that `folder` itself stays open
// and unmoved. A listing that fails part-way is no listing: a folder must
// never be taken for holding less than it does.
bool ListOpenFolder(OpenFolder folder, const FolderId& folder_id,
                    std::vector<ListedEntry>& entries) {
    entries.clear();
    const int own = System().openat(Fd(folder), ".", kFolderFlags, 0);
    if (own < 0) return false;
    DIR* d = System().fdopendir(own);
    if (d == nullptr) {
        System().close(own);
        return false;
    }
    for (;;) {
        errno = 0;
        const dirent* e = System().readdir(d);
        if (e == nullptr) break;
        if (!IsDot(e->d_name)) entries.push_back(EntryOf(Fd(folder), *e, folder_id));
    }
    const bool complete = errno == 0;
    System().closedir(d);
    if (!complete) entries.clear();
    return complete;
}

bool EntryIdOf(OpenFolder parent, const ListedEntry& entry, FolderId& id) {
    struct stat st;
    if (System().fstatat(Fd(parent), entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return false;
    }
    id = IdOf(st);
    return true;
}

ChildFolder OpenChildFolder(OpenFolder parent, const FolderId& parent_id,
                            const SystemString& name, OpenFolder& child, FolderId& id) {
    const char* n = name.c_str();
    struct stat st;
    const int fd = System().openat(Fd(parent), n, kFolderFlags | O_NOFOLLOW, 0);
    if (fd < 0) {
        // Looked at by its name: a folder that cannot be opened is still
        // known by its identity.
        if (System().fstatat(Fd(parent), n, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            return ChildFolder::kUnavailable;
        }
        if (!S_ISDIR(st.st_mode)) return ChildFolder::kNotAFolder;
        id = IdOf(st);
        return ChildFolder::kUnavailable;
    }
    if (System().fstat(fd, &st) != 0) {
        System().close(fd);
        return ChildFolder::kUnavailable;
    }
    id = IdOf(st);
    // What is mounted there (another file system, or a folder from
    // elsewhere, even the log folder) is not the root's to empty.
    if (IsMountRoot(fd, st, static_cast<dev_t>(parent_id.volume))) {
        System().close(fd);
        return ChildFolder::kMountPoint;
    }
    child.value = fd;
    return ChildFolder::kOpened;
}

bool OpenChildFollowingLinks(OpenFolder parent, const SystemString& name, OpenFolder& child) {
    child.value = System().openat(Fd(parent), name.c_str(), kFolderFlags, 0);
    return child.value >= 0;
}

void SetAside(OpenFolder& parent) {
    System().close(Fd(parent));
    parent.value = -1;
}

bool ReturnToParent(OpenFolder child, OpenFolder& parent, const FolderId& parent_id) {
    const int fd = System().openat(Fd(child), "..", kFolderFlags, 0);
    System().close(Fd(child));
    struct stat st;
    if (fd >= 0 && System().fstat(fd, &st) == 0 && IdOf(st) == parent_id) {
        parent.value = fd;
        return true;
    }
    if (fd >= 0) System().close(fd);
    return false;
}

// unlinkat never follows a link; a folder is removed only when it is empty
// and still a folder.
bool RemoveEntry(OpenFolder parent, const ListedEntry& entry) {
    const char* name = entry.name.c_str();
    if (entry.kind == EntryKind::kFolder) {
        return System().unlinkat(Fd(parent), name, AT_REMOVEDIR) == 0;
    }
    if (entry.kind == EntryKind::kLink) {
        struct stat st;
        if (System().fstatat(Fd(parent), name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISLNK(st.st_mode)) {
            return false;
        }
    }
    return System().unlinkat(Fd(parent), name, 0) == 0;
}

}  // namespace qb
