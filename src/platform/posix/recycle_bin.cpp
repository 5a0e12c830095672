// The freedesktop.org trash of $XDG_DATA_HOME/Trash as the POSIX stand-in
// for the Recycle Bin: for each entry, info/<name>.trashinfo first (its
// original path and the time), then the entry itself moved into files/
// under the same name, never over another.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>

#include "platform/recycle_bin.h"
#include "platform/posix/file_helpers.h"
#include "platform/posix/system_calls.h"

namespace qb {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

// The trash's two folders, held open for the run.
struct Trash {
    int files = -1;
    int info = -1;
    std::vector<FolderId> ids;  // the trash, files/ and info/
};

Trash* Of(RecycleBin bin) { return reinterpret_cast<Trash*>(bin.value); }

// Opens the folder `name` of `dir` (or the absolute `name`), made with mode
// 0700 where it is missing.
int OpenMade(int dir, const std::string& name) {
    System().mkdirat(dir, name.c_str(), 0700);
    return System().openat(dir, name.c_str(), kFolderFlags, 0);
}

// Each folder of the absolute `path`, made with mode 0700 where missing.
bool MakeFolders(const std::string& path) {
    for (std::size_t at = path.find('/', 1);; at = path.find('/', at + 1)) {
        const std::string folder = path.substr(0, at);
        struct stat st;
        if (System().stat(folder.c_str(), &st) != 0 &&
            System().mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
        if (at == std::string::npos) return true;
    }
}

// The open folder's absolute path, as the system names it now: kTaken when
// it is told; kForGood when the trash could not record it (no /proc, or a
// path longer than PATH_MAX); kStays when the system fails to tell it.
Binned PathOf(int fd, std::string& path) {
    char buffer[PATH_MAX];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t n = System().readlink(link.c_str(), buffer, sizeof buffer);
    if (n < 0) return errno == ENOENT || errno == ENAMETOOLONG ? Binned::kForGood : Binned::kStays;
    if (n == 0 || n >= static_cast<ssize_t>(sizeof buffer)) return Binned::kForGood;
    if (buffer[0] != '/') return Binned::kForGood;
    path.assign(buffer, static_cast<std::size_t>(n));
    return Binned::kTaken;
}

// Every byte but unreserved ones and '/' as %XX, as a URL path has it.
std::string PercentEncoded(const std::string& path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : path) {
        const unsigned char b = static_cast<unsigned char>(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') ||
            b == '-' || b == '_' || b == '.' || b == '~' || b == '/') {
            out += c;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
    }
    return out;
}

// The local time as the trash writes it; false when it cannot be told.
bool DeletionDate(std::string& date) {
    const time_t now = System().time(nullptr);
    struct tm local;
    char text[32];
    if (now == static_cast<time_t>(-1) || System().localtime_r(&now, &local) == nullptr ||
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local) == 0) {
        return false;
    }
    date = text;
    return true;
}

// The name in the trash for the `n`th try: the entry's own name, then with
// ".2", ".3", ... after it; cut so that the info file's name still fits, on
// a character's boundary where the name is UTF-8 (a name of other bytes is
// cut where it must be).
std::string TrashName(const std::string& name, int n) {
    const std::string suffix = n > 1 ? "." + std::to_string(n) : "";
    std::size_t length = name.size();
    const std::size_t room = NAME_MAX - sizeof ".trashinfo" + 1 - suffix.size();
    if (length > room) {
        length = room;
        for (int back = 0; back < 3 && (static_cast<unsigned char>(name[length]) & 0xC0) == 0x80;
             ++back) {
            --length;
        }
    }
    return name.substr(0, length) + suffix;
}

enum class Move { kTaken, kNameTaken, kOtherFileSystem, kFailed };

// Moves the entry `name` of `parent` into files/ as `unique`, never over
// another entry.
Move MoveIn(const Trash& trash, int parent, const std::string& name, const std::string& unique) {
    int moved = System().renameat2(parent, name.c_str(), trash.files, unique.c_str(),
                                   RENAME_NOREPLACE);
    if (moved != 0 && (errno == EINVAL || errno == ENOSYS)) {
        // A file system without the exclusive move: looked at first.
        struct stat st;
        if (System().fstatat(trash.files, unique.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            return Move::kNameTaken;
        }
        moved = System().renameat(parent, name.c_str(), trash.files, unique.c_str());
    }
    if (moved == 0) return Move::kTaken;
    if (errno == EEXIST) return Move::kNameTaken;
    return errno == EXDEV ? Move::kOtherFileSystem : Move::kFailed;
}

// One entry to the trash, its info file written first and removed again
// when the entry is not moved.
Move SendOne(const Trash& trash, int parent, const std::string& name, const std::string& info) {
    for (int n = 1; n <= 1000; ++n) {
        const std::string unique = TrashName(name, n);
        const std::string info_name = unique + ".trashinfo";
        const int fd = System().openat(trash.info, info_name.c_str(),
                                       O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return Move::kFailed;
        const bool written = WriteAll(fd, info.data(), info.size());
        const bool closed = System().close(fd) == 0;
        const Move move = written && closed ? MoveIn(trash, parent, name, unique) : Move::kFailed;
        if (move == Move::kTaken) return move;
        System().unlinkat(trash.info, info_name.c_str(), 0);
        if (move != Move::kNameTaken) return move;
    }
    return Move::kFailed;
}

}  // namespace

std::string DataHome() {
    const char* data = System().getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/') return data;
    const char* home = System().getenv("HOME");
    if (home == nullptr || home[0] != '/') return std::string();
    return std::string(home) + "/.local/share";
}

BinState OpenRecycleBin(RecycleBin& bin) {
    const std::string data = DataHome();
    if (data.empty()) return BinState::kNone;
    if (!MakeFolders(data)) return BinState::kFailed;
    const int trash = OpenMade(AT_FDCWD, data + "/Trash");
    if (trash < 0) return BinState::kFailed;
    Trash* opened = new Trash;
    opened->files = OpenMade(trash, "files");
    opened->info = OpenMade(trash, "info");
    struct stat st;
    for (const int fd : {trash, opened->files, opened->info}) {
        if (fd >= 0 && System().fstat(fd, &st) == 0) opened->ids.push_back(IdOf(st));
    }
    System().close(trash);
    bin.value = reinterpret_cast<std::intptr_t>(opened);
    if (opened->ids.size() == 3) return BinState::kOpen;
    CloseRecycleBin(bin);
    bin.value = -1;
    return BinState::kFailed;
}

void CloseRecycleBin(RecycleBin bin) {
    Trash* trash = Of(bin);
    if (trash == nullptr || bin.value == -1) return;
    if (trash->files >= 0) System().close(trash->files);
    if (trash->info >= 0) System().close(trash->info);
    delete trash;
}

std::vector<FolderId> RecycleBinFolders(RecycleBin bin) { return Of(bin)->ids; }

// A failure of the trash leaves the entry where it was: what cannot go to
// the trash is removed for good only where the trash cannot hold it.
void SendToRecycleBin(RecycleBin bin, OpenFolder parent,
                      const std::vector<const ListedEntry*>& entries,
                      std::vector<Binned>& outcome) {
    outcome.assign(entries.size(), Binned::kStays);
    const Trash& trash = *Of(bin);
    const int fd = static_cast<int>(parent.value);
    std::string folder, date;
    struct stat here, there;
    const Binned named = PathOf(fd, folder);
    if (named != Binned::kTaken) {
        outcome.assign(entries.size(), named);
        return;
    }
    if (!DeletionDate(date) || System().fstat(fd, &here) != 0 ||
        System().fstat(trash.files, &there) != 0) {
        return;
    }
    // Only what is on the trash's own file system can be moved there.
    if (here.st_dev != there.st_dev) {
        outcome.assign(entries.size(), Binned::kForGood);
        return;
    }
    if (folder.back() != '/') folder += '/';
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ListedEntry& entry = *entries[i];
        if (entry.kind == EntryKind::kLink) {  // the walk removes links itself
            outcome[i] = Binned::kForGood;
            continue;
        }
        // Still what the walk looked at: a file that has become a folder or
        // a link meanwhile was never looked into, and stays.
        struct stat now;
        if (System().fstatat(fd, entry.name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 ||
            S_ISLNK(now.st_mode) || S_ISDIR(now.st_mode) != (entry.kind == EntryKind::kFolder)) {
            continue;
        }
        const std::string info = "[Trash Info]\nPath=" + PercentEncoded(folder + entry.name) +
                                 "\nDeletionDate=" + date + "\n";
        const Move move = SendOne(trash, fd, entry.name, info);
        if (move == Move::kTaken) outcome[i] = Binned::kTaken;
        // Another file system (a bind mount of the same one): none will go.
        if (move == Move::kOtherFileSystem) {
            for (std::size_t j = i; j < entries.size(); ++j) outcome[j] = Binned::kForGood;
            return;
        }
    }
}

}  // namespace qb
