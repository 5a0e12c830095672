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
    for (;;) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
        if (n == 0) return true;
        if (n > 0) continue;
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

bool CopyFile(const std::string& src, const std::string& dst) {
    const std::string sys_src = SystemPath(src);
    const std::string sys_dst = SystemPath(dst);
    // Non-blocking, so that a pipe or device never holds the program up;
    // only regular files are copied.
    const int in = ::open(sys_src.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0) return false;
    struct stat st;
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        return false;
    }
    // Opening a file onto itself would truncate it before a byte is read.
    // Windows refuses such a copy; so does this.
    struct stat dst_st;
    if (::stat(sys_dst.c_str(), &dst_st) == 0 && dst_st.st_dev == st.st_dev &&
        dst_st.st_ino == st.st_ino) {
        ::close(in);
        return false;
    }
    const int out = ::open(sys_dst.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC,
                           st.st_mode & 0777);
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = CopyContent(in, out);
    ok = (::close(out) == 0) && ok;
    ::close(in);
    // A half-written copy is worth nothing; do not leave it behind.
    if (!ok) ::unlink(sys_dst.c_str());
    return ok;
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

FileHandle CreateForWrite(const std::string& path) {
    const int fd = ::open(SystemPath(path).c_str(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) RaiseInOutError();
    return FileHandle{fd};
}

void WriteFile(FileHandle file, const char* data, std::size_t size) {
    if (!WriteAll(Fd(file), data, size)) RaiseInOutError();
}

void FlushFile(FileHandle file) {
    if (::fsync(Fd(file)) != 0 && errno != EINVAL && errno != EROFS) {
        RaiseInOutError();
    }
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

}  // namespace qb
