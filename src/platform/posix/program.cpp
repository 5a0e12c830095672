// The executable's own location and its arguments on POSIX.
#include <limits.h>
#include <unistd.h>

#include "platform/program.h"
#include "platform/posix/encoding.h"
#include "platform/posix/file_helpers.h"
#include "platform/posix/system_calls.h"

namespace qb {

bool RawCommandLine(std::string&) { return false; }

std::vector<std::string> SystemArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

bool ProgramPath(std::string& path) {
    char buffer[PATH_MAX];
    const ssize_t n = System().readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) {
        path.clear();
        return true;
    }
    return ToCp932(std::string(buffer, static_cast<std::size_t>(n)), path);
}

void ForgetRunFacts() {
    ForgetMountTable();
    ForgetUnnamedFileSupport();
    CloseConverters();
}

}  // namespace qb
