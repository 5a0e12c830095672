#include "support/system_faults.h"

#include <cerrno>
#include <limits>
#include <stdexcept>
#include <vector>

#include "platform/posix/system_calls.h"

namespace qbtest {

namespace {

struct Rule {
    Call call;
    std::string where;
    int error;
};

struct State {
    bool active = false;
    qb::SystemCalls saved;  // the table as it was, called for what does not fail
    std::vector<Rule> rules;
    std::vector<std::string> full;  // folders on a full disk, each with its "/"
    int failures = 0;
};

State& Faults() {
    static State state;
    return state;
}

// What /proc says the open file or folder is (the C library's own readlink:
// the table may be the test's).
std::string PathOf(int fd) {
    char buffer[4096];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer);
    return std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::string PathAt(int dir, const char* name) {
    if (name[0] == '/' || dir == AT_FDCWD) return name;
    return PathOf(dir) + "/" + name;
}

// The error of the first rule for `call` on `path`, 0 when none.
int ErrorFor(Call call, const std::string& path) {
    for (const Rule& rule : Faults().rules) {
        if (rule.call == call && path.find(rule.where) != std::string::npos) return rule.error;
    }
    return 0;
}

// Counts the failure and sets errno; returns -1, as the call would.
int Failed(int error) {
    ++Faults().failures;
    errno = error;
    return -1;
}

// How many bytes from `offset` the file can take: on a full disk those up
// to its end, elsewhere any number.
off_t Room(int fd, const std::string& path, off_t offset) {
    for (const std::string& folder : Faults().full) {
        struct stat st;
        if (path.compare(0, folder.size(), folder) != 0) continue;
        return ::fstat(fd, &st) == 0 && st.st_size > offset ? st.st_size - offset : 0;
    }
    return std::numeric_limits<off_t>::max();
}

// A write of `size` bytes at `offset`: 0 with `size` cut to the room there,
// or -1 with errno set.
int Refused(int fd, off_t offset, size_t& size) {
    const std::string path = PathOf(fd);
    if (const int error = ErrorFor(Call::kWrite, path)) return Failed(error);
    const off_t room = Room(fd, path, offset);
    if (size > 0 && room == 0) return Failed(ENOSPC);
    if (static_cast<off_t>(size) > room) size = static_cast<size_t>(room);
    return 0;
}

Call OpenCall(int flags) {
    if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) return Call::kCreate;
    return (flags & O_ACCMODE) == O_RDONLY ? Call::kOpenToRead : Call::kOpenToWrite;
}

int Open(const char* path, int flags, mode_t mode) {
    if (const int error = ErrorFor(OpenCall(flags), path)) return Failed(error);
    return Faults().saved.open(path, flags, mode);
}

int OpenAt(int dir, const char* path, int flags, mode_t mode) {
    if (const int error = ErrorFor(OpenCall(flags), PathAt(dir, path))) return Failed(error);
    return Faults().saved.openat(dir, path, flags, mode);
}

ssize_t Write(int fd, const void* data, size_t size) {
    if (Refused(fd, ::lseek(fd, 0, SEEK_CUR), size) != 0) return -1;
    return Faults().saved.write(fd, data, size);
}

ssize_t CopyRange(int in, loff_t* in_offset, int out, loff_t* out_offset, size_t size,
                  unsigned flags) {
    const off_t offset = out_offset != nullptr ? *out_offset : ::lseek(out, 0, SEEK_CUR);
    if (Refused(out, offset, size) != 0) return -1;
    return Faults().saved.copy_file_range(in, in_offset, out, out_offset, size, flags);
}

int Fsync(int fd) {
    if (const int error = ErrorFor(Call::kFlush, PathOf(fd))) return Failed(error);
    return Faults().saved.fsync(fd);
}

int Fallocate(int fd, int mode, off_t offset, off_t size) {
    const std::string path = PathOf(fd);
    if (const int error = ErrorFor(Call::kReserve, path)) return Failed(error);
    if (Room(fd, path, offset) < size) return Failed(ENOSPC);
    return Faults().saved.fallocate(fd, mode, offset, size);
}

int Ftruncate(int fd, off_t size) {
    if (const int error = ErrorFor(Call::kCut, PathOf(fd))) return Failed(error);
    return Faults().saved.ftruncate(fd, size);
}

int Stat(const char* path, struct stat* st) {
    if (const int error = ErrorFor(Call::kLookAt, path)) return Failed(error);
    return Faults().saved.stat(path, st);
}

int Rename(const char* from, const char* to) {
    if (const int error = ErrorFor(Call::kRename, to)) return Failed(error);
    return Faults().saved.rename(from, to);
}

int RenameAt(int from_dir, const char* from, int to_dir, const char* to) {
    if (const int error = ErrorFor(Call::kRename, PathAt(to_dir, to))) return Failed(error);
    return Faults().saved.renameat(from_dir, from, to_dir, to);
}

int RenameAt2(int from_dir, const char* from, int to_dir, const char* to, unsigned flags) {
    if (const int error = ErrorFor(Call::kRename, PathAt(to_dir, to))) return Failed(error);
    return Faults().saved.renameat2(from_dir, from, to_dir, to, flags);
}

int LinkAt(int from_dir, const char* from, int to_dir, const char* to, int flags) {
    if (const int error = ErrorFor(Call::kLink, PathAt(to_dir, to))) return Failed(error);
    return Faults().saved.linkat(from_dir, from, to_dir, to, flags);
}

int Unlink(const char* path) {
    if (const int error = ErrorFor(Call::kRemove, path)) return Failed(error);
    return Faults().saved.unlink(path);
}

int UnlinkAt(int dir, const char* path, int flags) {
    if (const int error = ErrorFor(Call::kRemove, PathAt(dir, path))) return Failed(error);
    return Faults().saved.unlinkat(dir, path, flags);
}

}  // namespace

SystemFaults::SystemFaults() {
    State& state = Faults();
    if (state.active) throw std::logic_error("one SystemFaults at a time");
    state = State();
    state.active = true;
    qb::SystemCalls& calls = qb::System();
    state.saved = calls;
    calls.open = Open;
    calls.openat = OpenAt;
    calls.write = Write;
    calls.copy_file_range = CopyRange;
    calls.fsync = Fsync;
    calls.fallocate = Fallocate;
    calls.ftruncate = Ftruncate;
    calls.stat = Stat;
    calls.rename = Rename;
    calls.renameat = RenameAt;
    calls.renameat2 = RenameAt2;
    calls.linkat = LinkAt;
    calls.unlink = Unlink;
    calls.unlinkat = UnlinkAt;
}

SystemFaults::~SystemFaults() {
    qb::System() = Faults().saved;
    Faults().active = false;
}

void SystemFaults::Fail(Call call, const std::string& where, int error) {
    Faults().rules.push_back(Rule{call, where, error});
}

void SystemFaults::FillDisk(const std::string& folder) { Faults().full.push_back(folder + "/"); }

int SystemFaults::failures() const { return Faults().failures; }

}  // namespace qbtest
