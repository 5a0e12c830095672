// Raw file access for the text reader and writer over POSIX calls, and the
// helpers the copy shares with it. Every failure raises InOutError.
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/errors.h"
#include "platform/text_files.h"
#include "platform/posix/encoding.h"
#include "platform/posix/file_helpers.h"
#include "platform/posix/system_calls.h"

namespace qb {

namespace {

// ERROR_IO_DEVICE in the Windows numbering.
constexpr std::uint32_t kIoDeviceError = 1117;

// The Windows error number that matches an errno value, so that the failure
// report says the same on both builds.
std::uint32_t WindowsErrorCode(int err) {
    switch (err) {
        case ENOENT: return kIoFileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP: return kIoPathNotFound;
        case EMFILE:
        case ENFILE: return kIoTooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS:
        case ETXTBSY:
        case EBUSY: return kIoAccessDenied;
        case ENOSPC:
        case EDQUOT:
        case EFBIG: return kIoDiskFull;
        case EIO: return kIoDeviceError;
        default: return static_cast<std::uint32_t>(err);
    }
}

[[noreturn]] void RaiseLastError() { RaiseInOutError(WindowsErrorCode(errno)); }

int Fd(FileHandle file) { return static_cast<int>(file.value); }

}  // namespace

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = System().write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool Flush(int fd) { return System().fsync(fd) == 0 || errno == EINVAL || errno == EROFS; }

std::string FolderOfSystemPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string PrivateName(const std::string& path) {
    static unsigned counter = 0;
    return path + "." + std::to_string(System().getpid()) + "-" + std::to_string(++counter) +
           ".tmp";
}

int CreatePrivate(const std::string& path, mode_t mode, std::string& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = PrivateName(path);
        const int fd =
            System().open(name.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, mode);
        if (fd >= 0 || errno != EEXIST) {
            if (fd < 0) name.clear();
            return fd;
        }
    }
    name.clear();
    errno = EEXIST;
    return -1;
}

// Text is read from regular files only: a pipe or device could block the
// program or feed it without end. Opened without blocking, read blocking.
FileHandle OpenForRead(const std::string& path) {
    const int fd = System().open(SystemPath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK, 0);
    if (fd < 0) RaiseLastError();
    struct stat st;
    if (System().fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        System().close(fd);
        RaiseInOutError(kIoAccessDenied);
    }
    System().fcntl(fd, F_SETFL, System().fcntl(fd, F_GETFL, 0) & ~O_NONBLOCK);
    return FileHandle{fd};
}

std::size_t ReadFile(FileHandle file, char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = System().read(Fd(file), buffer, size);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno != EINTR) RaiseLastError();
    }
}

void RewindFile(FileHandle file) {
    if (System().lseek(Fd(file), 0, SEEK_SET) != 0) RaiseLastError();
}

void WriteFile(FileHandle file, const char* data, std::size_t size) {
    if (!WriteAll(Fd(file), data, size)) RaiseLastError();
}

void FlushFile(FileHandle file) {
    if (!Flush(Fd(file))) RaiseLastError();
}

void CloseFile(FileHandle file) {
    if (System().close(Fd(file)) != 0) RaiseLastError();
}

void ReplaceFile(const std::string& src, const std::string& dst) {
    if (System().rename(SystemPath(src).c_str(), SystemPath(dst).c_str()) != 0) {
        RaiseLastError();
    }
}

void DiscardFile(FileHandle file, const std::string& path) {
    if (file.value >= 0) System().close(Fd(file));
    System().unlink(SystemPath(path).c_str());
}

std::string FinalFilePath(const std::string& path) {
    const std::string sys = SystemPath(path);
    struct stat st;
    if (System().lstat(sys.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char resolved[PATH_MAX];
    if (System().realpath(sys.c_str(), resolved) == nullptr) {
        // A dangling link: the entry itself is what a rewrite replaces.
        if (errno == ENOENT) return path;
        RaiseLastError();
    }
    // Only a name that converts back to the same bytes is used.
    const std::string cp932 = Utf8ToCp932(resolved);
    if (SystemPath(cp932) != resolved) RaiseInOutError(kIoPathNotFound);
    return cp932;
}

FileHandle OpenExistingForWrite(const std::string& path) {
    const int fd = System().open(SystemPath(path).c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK, 0);
    // ENXIO: a pipe without a reader.
    if (fd < 0) RaiseInOutError(errno == ENXIO ? kIoAccessDenied : WindowsErrorCode(errno));
    struct stat st;
    if (System().fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        System().close(fd);
        RaiseInOutError(kIoAccessDenied);
    }
    return FileHandle{fd};
}

FileHandle CreatePrivateFile(const std::string& path, std::string& name) {
    std::string sys_name;
    const int fd = CreatePrivate(SystemPath(path), 0666, sys_name);
    if (fd < 0) RaiseLastError();
    // The name is built from the path's own bytes, so its code-page-932 form
    // is the path's with the same ending.
    name = path + sys_name.substr(SystemPath(path).size());
    return FileHandle{fd};
}

void CopyPermissions(const std::string& model, FileHandle file) {
    struct stat st;
    if (System().stat(SystemPath(model).c_str(), &st) != 0) RaiseLastError();
    // The owner and group too where this user may give them (root, or a
    // group of its own); the mode afterwards, since a change of owner can
    // clear some of its bits.
    if (System().fchown(Fd(file), st.st_uid, st.st_gid) != 0) {
        // Not allowed: the new file stays this user's, with the old mode.
    }
    if (System().fchmod(Fd(file), st.st_mode & 07777) != 0) RaiseLastError();
}

void ReserveFileSpace(FileHandle file, std::uint64_t size) {
    if (size == 0) return;
    if (System().fallocate(Fd(file), FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS) {
        RaiseLastError();
    }
}

void SetFileLength(FileHandle file, std::uint64_t size) {
    if (System().ftruncate(Fd(file), static_cast<off_t>(size)) != 0) RaiseLastError();
}

}  // namespace qb
