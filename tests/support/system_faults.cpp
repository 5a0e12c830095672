#include "support/system_faults.h"

#include <cerrno>
#include <limits>
#include <map>
#include <stdexcept>
#include <type_traits>
#include <vector>

#include "platform/posix/system_calls.h"

namespace qbtest {

namespace {

struct Rule {
    Call call;
    std::string where;
    int error;
};

// One entry's calls, and how they fail.
struct EntryState {
    const char* name = "";
    long calls = 0;
    int error = 0;  // every call fails with it
};

// The `n`th call of `entry` (of any entry when null) fails with `error`.
struct NthCall {
    const EntryState* entry;
    long n;
    int error;
};

struct State {
    bool active = false;
    qb::SystemCalls saved;  // the table as it was, called for what does not fail
    qb::SystemCalls inner;  // what a call that is not made to fail calls
    std::vector<Rule> rules;
    std::vector<std::string> full;  // folders on a full disk, each with its "/"
    std::vector<NthCall> nth;
    std::map<std::string, std::pair<bool, std::string>> variables;  // set?, value
    int process_id = 0;
    bool no_terminal = false;
    bool other_numbers = false;
    bool time_set = false;
    time_t time = 0;
    int failures = 0;
    long calls = 0;
    std::vector<const char*> made;  // the entry of each call
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

// The answers of the calls that do not fail through errno, where a test set them.
char* Getenv(const char* name) {
    const auto it = Faults().variables.find(name);
    if (it == Faults().variables.end()) return Faults().saved.getenv(name);
    return it->second.first ? const_cast<char*>(it->second.second.c_str()) : nullptr;
}

pid_t Getpid() {
    return Faults().process_id != 0 ? Faults().process_id : Faults().saved.getpid();
}

time_t Time(time_t* now) {
    if (!Faults().time_set) return Faults().saved.time(now);
    if (now != nullptr) *now = Faults().time;
    return Faults().time;
}

// On some file systems (an overlay without its inode mapping) a listing's
// numbers are not the entries' own.
struct dirent* ReadDir(DIR* dir) {
    struct dirent* entry = Faults().saved.readdir(dir);
    if (entry != nullptr && Faults().other_numbers) entry->d_ino ^= 0x5A5A5A5Au;
    return entry;
}

int Isatty(int fd) {
    if (!Faults().no_terminal) return Faults().saved.isatty(fd);
    errno = ENOTTY;
    return 0;
}

// Counts a call of `entry`; the error it is to fail with, 0 when none.
int Planned(EntryState& entry) {
    State& state = Faults();
    ++state.calls;
    ++entry.calls;
    state.made.push_back(entry.name);
    for (const NthCall& nth : state.nth) {
        const long n = nth.entry == nullptr ? state.calls : entry.calls;
        if ((nth.entry == nullptr || nth.entry == &entry) && nth.n == n) return nth.error;
    }
    return entry.error;
}

// Each entry of the table, `Member` a pointer to it: its calls, its
// wrapper, and what it answers when it fails.
template <auto Member>
EntryState& StateOf() {
    static EntryState state;
    return state;
}

// A process id no process has (above the kernel's highest).
constexpr pid_t kNoProcess = 999999999;

template <auto Member, typename R>
struct Failure {
    static R Answer() {
        if constexpr (std::is_pointer_v<R>) {
            return nullptr;
        } else {
            return static_cast<R>(-1);
        }
    }
};
template <>
struct Failure<&qb::SystemCalls::getpid, pid_t> {
    static pid_t Answer() { return kNoProcess; }
};
template <>
struct Failure<&qb::SystemCalls::isatty, int> {
    static int Answer() { return 0; }
};
template <>
struct Failure<&qb::SystemCalls::iconv_open, iconv_t> {
    static iconv_t Answer() { return reinterpret_cast<iconv_t>(-1); }
};

// The calls that release what they are given even when they fail.
template <auto Member>
constexpr bool kReleases = false;
template <>
constexpr bool kReleases<&qb::SystemCalls::close> = true;
template <>
constexpr bool kReleases<&qb::SystemCalls::closedir> = true;
template <>
constexpr bool kReleases<&qb::SystemCalls::iconv_close> = true;

template <auto Member, typename R, typename... Args>
R Wrapper(Args... args) {
    State& state = Faults();
    const int error = Planned(StateOf<Member>());
    if (error == 0) return (state.inner.*Member)(args...);
    if constexpr (kReleases<Member>) (state.saved.*Member)(args...);
    ++state.failures;
    errno = error;
    return Failure<Member, R>::Answer();
}

template <auto Member, typename R, typename... Args>
void Install(qb::SystemCalls& calls, R (*)(Args...)) {
    calls.*Member = Wrapper<Member, R, Args...>;
}

struct Entry {
    const char* name;
    EntryState* state;
    void (*install)(qb::SystemCalls& calls);
};

template <auto Member>
Entry EntryOf(const char* name) {
    return Entry{name, &StateOf<Member>(),
                 [](qb::SystemCalls& calls) { Install<Member>(calls, calls.*Member); }};
}

using S = qb::SystemCalls;
const Entry kEntries[] = {
    EntryOf<&S::open>("open"),
    EntryOf<&S::openat>("openat"),
    EntryOf<&S::close>("close"),
    EntryOf<&S::read>("read"),
    EntryOf<&S::write>("write"),
    EntryOf<&S::lseek>("lseek"),
    EntryOf<&S::copy_file_range>("copy_file_range"),
    EntryOf<&S::fcntl>("fcntl"),
    EntryOf<&S::fsync>("fsync"),
    EntryOf<&S::sync_file_range>("sync_file_range"),
    EntryOf<&S::fallocate>("fallocate"),
    EntryOf<&S::ftruncate>("ftruncate"),
    EntryOf<&S::fchmod>("fchmod"),
    EntryOf<&S::fchown>("fchown"),
    EntryOf<&S::fstat>("fstat"),
    EntryOf<&S::fstatat>("fstatat"),
    EntryOf<&S::stat>("stat"),
    EntryOf<&S::lstat>("lstat"),
    EntryOf<&S::statx>("statx"),
    EntryOf<&S::access>("access"),
    EntryOf<&S::realpath>("realpath"),
    EntryOf<&S::readlink>("readlink"),
    EntryOf<&S::rename>("rename"),
    EntryOf<&S::renameat>("renameat"),
    EntryOf<&S::renameat2>("renameat2"),
    EntryOf<&S::linkat>("linkat"),
    EntryOf<&S::unlink>("unlink"),
    EntryOf<&S::unlinkat>("unlinkat"),
    EntryOf<&S::mkdir>("mkdir"),
    EntryOf<&S::mkdirat>("mkdirat"),
    EntryOf<&S::opendir>("opendir"),
    EntryOf<&S::fdopendir>("fdopendir"),
    EntryOf<&S::readdir>("readdir"),
    EntryOf<&S::closedir>("closedir"),
    EntryOf<&S::time>("time"),
    EntryOf<&S::localtime_r>("localtime_r"),
    EntryOf<&S::flock>("flock"),
    EntryOf<&S::kill>("kill"),
    EntryOf<&S::getpid>("getpid"),
    EntryOf<&S::getenv>("getenv"),
    EntryOf<&S::isatty>("isatty"),
    EntryOf<&S::iconv_open>("iconv_open"),
    EntryOf<&S::iconv>("iconv"),
    EntryOf<&S::iconv_close>("iconv_close"),
};
// An entry added to the table and not listed here would go uncounted.
static_assert(sizeof kEntries / sizeof kEntries[0] == sizeof(S) / sizeof(void (*)()),
              "every entry of the system-call table is listed");

EntryState& Named(const std::string& name) {
    for (const Entry& entry : kEntries) {
        if (name == entry.name) return *entry.state;
    }
    throw std::invalid_argument("no system call named " + name);
}

}  // namespace

SystemFaults::SystemFaults() {
    State& state = Faults();
    if (state.active) throw std::logic_error("one SystemFaults at a time");
    state = State();
    state.active = true;
    qb::SystemCalls& calls = qb::System();
    state.saved = calls;
    qb::SystemCalls& inner = state.inner;
    inner = calls;
    inner.open = Open;
    inner.openat = OpenAt;
    inner.write = Write;
    inner.copy_file_range = CopyRange;
    inner.fsync = Fsync;
    inner.fallocate = Fallocate;
    inner.ftruncate = Ftruncate;
    inner.stat = Stat;
    inner.rename = Rename;
    inner.renameat = RenameAt;
    inner.renameat2 = RenameAt2;
    inner.linkat = LinkAt;
    inner.unlink = Unlink;
    inner.unlinkat = UnlinkAt;
    inner.getenv = Getenv;
    inner.getpid = Getpid;
    inner.isatty = Isatty;
    inner.readdir = ReadDir;
    inner.time = Time;
    for (const Entry& entry : kEntries) {
        *entry.state = EntryState();
        entry.state->name = entry.name;
        entry.install(calls);
    }
}

SystemFaults::~SystemFaults() {
    qb::System() = Faults().saved;
    Faults().active = false;
}

void SystemFaults::Fail(Call call, const std::string& where, int error) {
    Faults().rules.push_back(Rule{call, where, error});
}

void SystemFaults::FillDisk(const std::string& folder) { Faults().full.push_back(folder + "/"); }

void SystemFaults::Fail(const std::string& entry, int error) { Named(entry).error = error; }

void SystemFaults::FailNth(long n, int error) {
    Faults().nth.push_back(NthCall{nullptr, n, error});
}

void SystemFaults::FailNth(const std::string& entry, long n, int error) {
    Faults().nth.push_back(NthCall{&Named(entry), n, error});
}

void SystemFaults::Unset(const std::string& variable) {
    Faults().variables[variable] = {false, ""};
}

void SystemFaults::SetVariable(const std::string& variable, const std::string& value) {
    Faults().variables[variable] = {true, value};
}

void SystemFaults::AnswerProcessId(int pid) { Faults().process_id = pid; }

void SystemFaults::NoTerminal() { Faults().no_terminal = true; }

void SystemFaults::ListOtherNumbers() { Faults().other_numbers = true; }

void SystemFaults::AnswerTime(long seconds) {
    Faults().time_set = true;
    Faults().time = static_cast<time_t>(seconds);
}

int SystemFaults::failures() const { return Faults().failures; }

long SystemFaults::Calls() const { return Faults().calls; }

long SystemFaults::Calls(const std::string& entry) const { return Named(entry).calls; }

std::vector<std::string> SystemFaults::CallsMade() const {
    return std::vector<std::string>(Faults().made.begin(), Faults().made.end());
}

std::vector<std::string> SystemFaults::Entries() {
    std::vector<std::string> names;
    for (const Entry& entry : kEntries) names.push_back(entry.name);
    return names;
}

}  // namespace qbtest
