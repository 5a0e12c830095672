// Removing the private temporary files of killed runs on POSIX.
#include <dirent.h>
#include <signal.h>
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

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether `name` is `base` + "." + process id + "-" + number + ".tmp", the
// names PrivateName gives; `pid` receives the process id.
bool IsPrivateNameOf(const std::string& name, const std::string& base, pid_t& pid) {
    static const std::string kEnding = ".tmp";
    if (name.size() < base.size() + 1 + kEnding.size() ||
        name.compare(0, base.size(), base) != 0 || name[base.size()] != '.' ||
        name.compare(name.size() - kEnding.size(), kEnding.size(), kEnding) != 0) {
        return false;
    }
    const std::string middle =
        name.substr(base.size() + 1, name.size() - base.size() - 1 - kEnding.size());
    const std::size_t dash = middle.find('-');
    if (dash == 0 || dash == std::string::npos || dash > 10 || dash + 1 == middle.size()) {
        return false;
    }
    long long id = 0;
    for (std::size_t i = 0; i < middle.size(); ++i) {
        if (i == dash) continue;
        if (!IsDigit(middle[i])) return false;
        if (i < dash) id = id * 10 + (middle[i] - '0');
    }
    pid = static_cast<pid_t>(id);
    return id > 0 && id <= 2147483647;
}

// A process of another user answers EPERM: it runs.
bool ProcessRuns(pid_t pid) { return System().kill(pid, 0) == 0 || errno != ESRCH; }

}  // namespace

void RemoveStaleTemporaries(const std::string& path) { RemoveStaleTemporariesOf(SystemPath(path)); }

void RemoveStaleTemporariesOf(const std::string& sys) {
    const std::string folder = FolderOfSystemPath(sys);
    const std::string base = sys.substr(sys.rfind('/') == std::string::npos ? 0 : sys.rfind('/') + 1);
    const int fd = System().open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0) return;
    DIR* d = System().fdopendir(fd);
    if (d == nullptr) {
        System().close(fd);
        return;
    }
    std::vector<std::string> stale;
    const pid_t own = System().getpid();
    while (const dirent* e = System().readdir(d)) {
        pid_t pid = 0;
        if (IsPrivateNameOf(e->d_name, base, pid) && pid != own && !ProcessRuns(pid)) {
            stale.push_back(e->d_name);
        }
    }
    for (const std::string& name : stale) {
        struct stat st;
        if (System().fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode)) {
            System().unlinkat(fd, name.c_str(), 0);
        }
    }
    System().closedir(d);
}

}  // namespace qb
