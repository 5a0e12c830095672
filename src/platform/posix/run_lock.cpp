// The locks that runs take in turn, on POSIX: flock on the folder. The
// kernel drops it when the process ends, however it ends.
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/files.h"
#include "platform/posix/encoding.h"
#include "platform/posix/file_helpers.h"
#include "platform/posix/system_calls.h"

namespace qb {

namespace {

// The locks this process holds, by the identity of the locked folder: a
// second flock on a new descriptor of the same folder would wait for this
// very process, so taking a held lock again only counts.
struct Held {
    dev_t dev;
    ino_t ino;
    int fd;
    int count;
};
std::vector<Held>& HeldLocks() {
    static std::vector<Held> held;
    return held;
}

// The folder where the file system that holds `folder` begins, open for
// reading: up through the parents until the top of the tree, a mount point
// or a parent that cannot be read. -1 when `folder` cannot be opened.
int OpenVolumeTop(const std::string& folder) {
    constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    int fd = System().open(SystemPath(folder).c_str(), kFlags, 0);
    while (fd >= 0) {
        struct stat st, up;
        if (System().fstat(fd, &st) != 0) break;
        const int parent = System().openat(fd, "..", kFlags, 0);
        if (parent < 0 || System().fstat(parent, &up) != 0 ||
            (up.st_dev == st.st_dev && up.st_ino == st.st_ino) ||
            IsMountRoot(fd, st, up.st_dev)) {
            if (parent >= 0) System().close(parent);
            return fd;
        }
        System().close(fd);
        fd = parent;
    }
    if (fd >= 0) System().close(fd);
    return -1;
}

// The lock of the folder open as `fd`, which it takes over.
RunLock LockOpenFolder(int fd) {
    struct stat st;
    if (fd < 0 || System().fstat(fd, &st) != 0) {
        if (fd >= 0) System().close(fd);
        return RunLock{};
    }
    std::vector<Held>& held = HeldLocks();
    for (std::size_t i = 0; i < held.size(); ++i) {
        if (held[i].count > 0 && held[i].dev == st.st_dev && held[i].ino == st.st_ino) {
            ++held[i].count;
            System().close(fd);
            return RunLock{static_cast<std::intptr_t>(i)};
        }
    }
    while (System().flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            System().close(fd);
            return RunLock{};
        }
    }
    held.push_back(Held{st.st_dev, st.st_ino, fd, 1});
    return RunLock{static_cast<std::intptr_t>(held.size() - 1)};
}

}  // namespace

RunLock TakeRunLock(const std::string& folder) {
    return LockOpenFolder(
        System().open(SystemPath(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
}

bool VolumeLockId(const std::string& folder, FolderId& id) {
    const int fd = OpenVolumeTop(folder);
    struct stat st;
    const bool known = fd >= 0 && System().fstat(fd, &st) == 0;
    if (fd >= 0) System().close(fd);
    if (known) id = IdOf(st);
    return known;
}

RunLock TakeVolumeRunLock(const std::string& folder) {
    const int fd = OpenVolumeTop(folder);
    return fd >= 0 ? LockOpenFolder(fd) : TakeRunLock(folder);
}

void ReleaseRunLock(RunLock lock) {
    if (lock.value < 0) return;
    Held& held = HeldLocks()[static_cast<std::size_t>(lock.value)];
    if (--held.count == 0) System().close(held.fd);  // closing the descriptor drops the lock
}

}  // namespace qb
