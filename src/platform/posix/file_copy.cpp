// Copying whole files over POSIX calls: a temporary file beside the
// destination, flushed, then renamed over it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/posix/encoding.h"
#include "platform/posix/file_helpers.h"
#include "platform/posix/system_calls.h"

namespace qb {

namespace {

// Copies the rest of `in` into `out`: the kernel's copy path first, a plain
// read/write loop where the file systems do not support it.
bool CopyContent(int in, int out) {
    off_t done = 0;
    for (;;) {
        const ssize_t n = System().copy_file_range(in, nullptr, out, nullptr, 1 << 26, 0);
        if (n == 0) return true;
        if (n > 0) {
            // The disk starts writing each piece while the next is copied,
            // so that the flush at the end has little left to wait for.
            System().sync_file_range(out, done, n, SYNC_FILE_RANGE_WRITE);
            done += n;
            continue;
        }
        if (errno == EINTR) continue;
        if (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
            errno == EOPNOTSUPP || errno == EBADF) {
            break;
        }
        return false;
    }
    static char buffer[1 << 16];
    for (;;) {
        const ssize_t n = System().read(in, buffer, sizeof buffer);
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (!WriteAll(out, buffer, static_cast<std::size_t>(n))) return false;
    }
}

struct TempFile {
    int fd = -1;
    bool unnamed = false;  // made with O_TMPFILE, not yet linked into the folder
    std::string name;      // its name in the folder, once it has one
};

// Whether an unnamed file can later be given a name through /proc, once
// asked in a run.
enum class Unnamed { kNotAsked, kCan, kCannot };
Unnamed unnamed_support = Unnamed::kNotAsked;

bool CanLinkUnnamed() {
    if (unnamed_support == Unnamed::kNotAsked) {
        unnamed_support =
            System().access("/proc/self/fd", X_OK) == 0 ? Unnamed::kCan : Unnamed::kCannot;
    }
    return unnamed_support == Unnamed::kCan;
}

// The copy's temporary file: unnamed where the file system allows it, so that
// a copy killed part-way leaves nothing behind; otherwise a private name.
bool CreateCopyTemp(const std::string& folder, const std::string& dst, mode_t mode,
                    TempFile& temp) {
#ifdef O_TMPFILE
    if (CanLinkUnnamed()) {
        temp.fd = System().open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (temp.fd >= 0) {
            temp.unnamed = true;
            return true;
        }
    }
#else
    (void)folder;
#endif
    temp.fd = CreatePrivate(dst, mode, temp.name);
    return temp.fd >= 0;
}

// Gives an unnamed copy its private name, just before it replaces `dst`.
bool NameCopyTemp(const std::string& dst, TempFile& temp) {
    if (!temp.unnamed) return true;
    const std::string proc = "/proc/self/fd/" + std::to_string(temp.fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = PrivateName(dst);
        if (System().linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, name.c_str(),
                            AT_SYMLINK_FOLLOW) == 0) {
            temp.name = name;
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

struct StagedCopy {
    std::string src;        // system paths
    std::string dst;
    bool in_place = false;  // the destination entry is the source file: nothing to copy
    TempFile temp;
};

// Closes a staged copy's temporary file and removes it.
void Discard(StagedCopy& copy) {
    if (copy.temp.fd >= 0) System().close(copy.temp.fd);
    if (!copy.temp.name.empty()) System().unlink(copy.temp.name.c_str());
}

// Copies the source into a new temporary file beside the destination, which
// stays open for the flush and the move; or finds the copy already in place.
// False, with nothing left behind, when either is not what a copy may use.
bool StageCopy(StagedCopy& copy) {
    // Non-blocking, so that a pipe or device never holds the program up;
    // only regular files are copied.
    const int in = System().open(copy.src.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK, 0);
    if (in < 0) return false;
    struct stat st;
    if (System().fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        System().close(in);
        return false;
    }
    // The destination entry itself, a link not followed: when it is the
    // source file (the destination folder is the log folder, or the entry a
    // hard link of the log), or the source's own entry, a link the browser's
    // log is reached through, the copy is already where it goes, and the log
    // is left as it is; only a file or a link is ever replaced.
    struct stat dst_st, src_entry;
    if (System().lstat(copy.dst.c_str(), &dst_st) == 0) {
        const auto same = [&dst_st](const struct stat& o) {
            return dst_st.st_dev == o.st_dev && dst_st.st_ino == o.st_ino;
        };
        copy.in_place = same(st) || (S_ISLNK(dst_st.st_mode) &&
                                     System().lstat(copy.src.c_str(), &src_entry) == 0 &&
                                     same(src_entry));
        if (copy.in_place || !(S_ISREG(dst_st.st_mode) || S_ISLNK(dst_st.st_mode))) {
            System().close(in);
            return copy.in_place;
        }
    }
    // The system's name, already converted: nothing may throw while `in` is open.
    RemoveStaleTemporariesOf(copy.dst);
    const bool ok =
        CreateCopyTemp(FolderOfSystemPath(copy.dst), copy.dst, st.st_mode & 0777, copy.temp) &&
        CopyContent(in, copy.temp.fd);
    System().close(in);
    if (!ok) Discard(copy);
    return ok;
}

}  // namespace

void ForgetUnnamedFileSupport() { unnamed_support = Unnamed::kNotAsked; }

std::size_t CopyFiles(const std::vector<FileCopy>& files) {
    std::vector<StagedCopy> staged;
    try {
        for (const FileCopy& file : files) {
            StagedCopy copy;
            copy.src = SystemPath(file.src);
            copy.dst = SystemPath(file.dst);
            if (!StageCopy(copy)) break;
            staged.push_back(copy);
        }
    } catch (const InOutError&) {
        // A path the converter failed on: no copy staged before it stays.
        for (StagedCopy& copy : staged) Discard(copy);
        throw;
    }
    // The disk writes all copies at once; the flushes that follow then wait
    // for one write, not one after the other.
    for (const StagedCopy& copy : staged) {
        if (!copy.in_place) System().sync_file_range(copy.temp.fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    }
    std::size_t done = 0;
    bool ok = true;
    for (StagedCopy& copy : staged) {
        if (copy.in_place) {
            if (ok) ++done;
            continue;
        }
        ok = ok && Flush(copy.temp.fd) && NameCopyTemp(copy.dst, copy.temp);
        ok = (System().close(copy.temp.fd) == 0) && ok;
        ok = ok && System().rename(copy.temp.name.c_str(), copy.dst.c_str()) == 0;
        // A copy that is not in place is worth nothing; do not leave it behind.
        if (!ok && !copy.temp.name.empty()) System().unlink(copy.temp.name.c_str());
        if (ok) ++done;
    }
    return done;
}

}  // namespace qb
