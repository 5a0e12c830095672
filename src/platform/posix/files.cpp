// File and folder operations over POSIX calls.
#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/platform.h"
#include "platform/posix/encoding.h"

namespace qb {

namespace {

// The Windows error number that matches an errno value, so that the failure
// report says the same on both builds.
std::uint32_t WindowsErrorCode(int err) {
    switch (err) {
        case ENOENT: return 2;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP: return 3;
        case EMFILE:
        case ENFILE: return 4;
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS:
        case ETXTBSY:
        case EBUSY: return 5;
        case ENOSPC:
        case EDQUOT:
        case EFBIG: return 101;
        case EIO: return 1117;  // ERROR_IO_DEVICE
        default: return static_cast<std::uint32_t>(err);
    }
}

[[noreturn]] __attribute__((noinline)) void RaiseInOutError(std::uint32_t code) {
    throw InOutError{code, reinterpret_cast<std::uintptr_t>(__builtin_return_address(0))};
}

[[noreturn]] void RaiseInOutError() { RaiseInOutError(WindowsErrorCode(errno)); }

int Fd(FileHandle file) { return static_cast<int>(file.value); }

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Copies the rest of `in` into `out`: the kernel's copy path first, a plain
// read/write loop where the file systems do not support it.
bool CopyContent(int in, int out) {
    off_t done = 0;
    for (;;) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 26, 0);
        if (n == 0) return true;
        if (n > 0) {
            // The disk starts writing each piece while the next is copied,
            // so that the flush at the end has little left to wait for.
            ::sync_file_range(out, done, n, SYNC_FILE_RANGE_WRITE);
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
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (!WriteAll(out, buffer, static_cast<std::size_t>(n))) return false;
    }
}

// Flushes a file's data to the disk; file systems that cannot are let be.
bool Flush(int fd) { return ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS; }

// The folder part of a system path ("." for a bare name).
std::string FolderOfSystemPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// `path` + "." + process id + "-" + counter + ".tmp": a name of this run only.
std::string PrivateName(const std::string& path) {
    static unsigned counter = 0;
    return path + "." + std::to_string(::getpid()) + "-" + std::to_string(++counter) + ".tmp";
}

// A new regular file under a private name beside `path`; created exclusively,
// so that an existing entry of that name (a link, a pipe, a stale file) is
// never opened: the next name is tried instead.
int CreatePrivate(const std::string& path, mode_t mode, std::string& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = PrivateName(path);
        const int fd = ::open(name.c_str(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK,
                              mode);
        if (fd >= 0 || errno != EEXIST) {
            if (fd < 0) name.clear();
            return fd;
        }
    }
    name.clear();
    errno = EEXIST;
    return -1;
}

struct TempFile {
    int fd = -1;
    bool unnamed = false;  // made with O_TMPFILE, not yet linked into the folder
    std::string name;      // its name in the folder, once it has one
};

// Whether an unnamed file can later be given a name through /proc.
bool CanLinkUnnamed() {
    static const bool can = ::access("/proc/self/fd", X_OK) == 0;
    return can;
}

// The copy's temporary file: unnamed where the file system allows it, so that
// a copy killed part-way leaves nothing behind; otherwise a private name.
bool CreateCopyTemp(const std::string& folder, const std::string& dst, mode_t mode,
                    TempFile& temp) {
#ifdef O_TMPFILE
    if (CanLinkUnnamed()) {
        temp.fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
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
        if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temp.name = name;
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

struct StagedCopy {
    std::string dst;  // system path
    TempFile temp;
};

// Copies the source into a new temporary file beside the destination, which
// stays open for the flush and the move. False, with nothing left behind,
// when either is not what a copy may use.
bool StageCopy(const FileCopy& file, StagedCopy& copy) {
    const std::string sys_src = SystemPath(file.src);
    copy.dst = SystemPath(file.dst);
    // Non-blocking, so that a pipe or device never holds the program up;
    // only regular files are copied.
    const int in = ::open(sys_src.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0) return false;
    struct stat st;
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        return false;
    }
    // The destination entry itself, a link not followed: the source file
    // (the destination folder is the log folder) is never replaced, and only
    // a file or a link is ever replaced.
    struct stat dst_st;
    if (::lstat(copy.dst.c_str(), &dst_st) == 0 &&
        ((dst_st.st_dev == st.st_dev && dst_st.st_ino == st.st_ino) ||
         !(S_ISREG(dst_st.st_mode) || S_ISLNK(dst_st.st_mode)))) {
        ::close(in);
        return false;
    }
    const bool ok =
        CreateCopyTemp(FolderOfSystemPath(copy.dst), copy.dst, st.st_mode & 0777, copy.temp) &&
        CopyContent(in, copy.temp.fd);
    ::close(in);
    if (!ok && copy.temp.fd >= 0) {
        ::close(copy.temp.fd);
        if (!copy.temp.name.empty()) ::unlink(copy.temp.name.c_str());
    }
    return ok;
}

// Names beginning with '.' are hidden by convention, like entries with the
// hidden attribute on Windows.
bool IsHiddenName(const char* name) {
    return name[0] == '.' && !(name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

}  // namespace

bool FolderExists(const std::string& path) {
    struct stat st;
    return ::stat(SystemPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FileIsPresent(const std::string& path) {
    struct stat st;
    return ::stat(SystemPath(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool ListFolder(const std::string& dir, std::vector<FolderEntry>& entries) {
    entries.clear();
    const std::string sys_dir = SystemPath(dir);
    DIR* d = ::opendir(sys_dir.c_str());
    if (d == nullptr) return false;
    while (const dirent* e = ::readdir(d)) {
        if (IsHiddenName(e->d_name)) continue;
        FolderEntry entry;
        entry.name = Utf8ToCp932(e->d_name);
        // The entry's type from the listing where the file system gives it;
        // a query only where it does not, and for links (is the target a folder?).
        unsigned char type = e->d_type;
        struct stat st;
        std::string full;
        if (type == DT_UNKNOWN || type == DT_LNK) full = sys_dir + "/" + e->d_name;
        if (type == DT_UNKNOWN && ::lstat(full.c_str(), &st) == 0) {
            type = S_ISLNK(st.st_mode) ? DT_LNK : S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
        }
        entry.is_link = type == DT_LNK;
        entry.is_folder = type == DT_DIR || (entry.is_link && ::stat(full.c_str(), &st) == 0 &&
                                             S_ISDIR(st.st_mode));
        entries.push_back(entry);
    }
    ::closedir(d);
    return true;
}

bool CreateFolder(const std::string& path) {
    return ::mkdir(SystemPath(path).c_str(), 0777) == 0;
}

std::size_t CopyFiles(const std::vector<FileCopy>& files) {
    std::vector<StagedCopy> staged;
    for (const FileCopy& file : files) {
        StagedCopy copy;
        if (!StageCopy(file, copy)) break;
        staged.push_back(copy);
    }
    // The disk writes all copies at once; the flushes that follow then wait
    // for one write, not one after the other.
    for (const StagedCopy& copy : staged) {
        ::sync_file_range(copy.temp.fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    }
    std::size_t done = 0;
    bool ok = true;
    for (StagedCopy& copy : staged) {
        ok = ok && Flush(copy.temp.fd) && NameCopyTemp(copy.dst, copy.temp);
        ok = (::close(copy.temp.fd) == 0) && ok;
        ok = ok && ::rename(copy.temp.name.c_str(), copy.dst.c_str()) == 0;
        // A copy that is not in place is worth nothing; do not leave it behind.
        if (!ok && !copy.temp.name.empty()) ::unlink(copy.temp.name.c_str());
        if (ok) ++done;
    }
    return done;
}

// Text is read from regular files only: a pipe or device could block the
// program or feed it without end. Opened without blocking, read blocking.
FileHandle OpenForRead(const std::string& path) {
    const int fd = ::open(SystemPath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) RaiseInOutError();
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        RaiseInOutError(5);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return FileHandle{fd};
}

std::size_t ReadFile(FileHandle file, char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(Fd(file), buffer, size);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno != EINTR) RaiseInOutError();
    }
}

void WriteFile(FileHandle file, const char* data, std::size_t size) {
    if (!WriteAll(Fd(file), data, size)) RaiseInOutError();
}

void FlushFile(FileHandle file) {
    if (!Flush(Fd(file))) RaiseInOutError();
}

void CloseFile(FileHandle file) {
    if (::close(Fd(file)) != 0) RaiseInOutError();
}

void ReplaceFile(const std::string& src, const std::string& dst) {
    if (::rename(SystemPath(src).c_str(), SystemPath(dst).c_str()) != 0) {
        RaiseInOutError();
    }
}

void DiscardFile(FileHandle file, const std::string& path) {
    if (file.value >= 0) ::close(Fd(file));
    ::unlink(SystemPath(path).c_str());
}

std::string FinalFilePath(const std::string& path) {
    const std::string sys = SystemPath(path);
    struct stat st;
    if (::lstat(sys.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char resolved[PATH_MAX];
    if (::realpath(sys.c_str(), resolved) == nullptr) {
        // A dangling link: the entry itself is what a rewrite replaces.
        if (errno == ENOENT) return path;
        RaiseInOutError();
    }
    // Only a name that converts back to the same bytes is used.
    const std::string cp932 = Utf8ToCp932(resolved);
    if (SystemPath(cp932) != resolved) RaiseInOutError(3);
    return cp932;
}

FileHandle OpenExistingForWrite(const std::string& path) {
    const int fd = ::open(SystemPath(path).c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) RaiseInOutError(errno == ENXIO ? 5 : WindowsErrorCode(errno));  // ENXIO: a pipe
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        RaiseInOutError(5);
    }
    return FileHandle{fd};
}

FileHandle CreatePrivateFile(const std::string& path, std::string& name) {
    std::string sys_name;
    const int fd = CreatePrivate(SystemPath(path), 0666, sys_name);
    if (fd < 0) RaiseInOutError();
    // The name is built from the path's own bytes, so its code-page-932 form
    // is the path's with the same ending.
    name = path + sys_name.substr(SystemPath(path).size());
    return FileHandle{fd};
}

void CopyPermissions(const std::string& model, FileHandle file) {
    struct stat st;
    if (::stat(SystemPath(model).c_str(), &st) != 0) RaiseInOutError();
    // The owner and group too where this user may give them (root, or a
    // group of its own); the mode afterwards, since a change of owner can
    // clear some of its bits.
    if (::fchown(Fd(file), st.st_uid, st.st_gid) != 0) {
        // Not allowed: the new file stays this user's, with the old mode.
    }
    if (::fchmod(Fd(file), st.st_mode & 07777) != 0) RaiseInOutError();
}

void ReserveFileSpace(FileHandle file, std::uint64_t size) {
    if (size == 0) return;
    if (::fallocate(Fd(file), FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS) {
        RaiseInOutError();
    }
}

void SetFileLength(FileHandle file, std::uint64_t size) {
    if (::ftruncate(Fd(file), static_cast<off_t>(size)) != 0) RaiseInOutError();
}

}  // namespace qb
