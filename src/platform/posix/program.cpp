// The executable's own location and its arguments on POSIX.
#include <limits.h>
#include <unistd.h>

#include "platform/platform.h"
#include "platform/posix/encoding.h"

namespace qb {

bool RawCommandLine(std::string&) { return false; }

std::vector<std::string> SystemArguments(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(Utf8ToCp932(argv[i]));
    return arguments;
}

std::string ProgramPath() {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return std::string();
    return Utf8ToCp932(std::string(buffer, static_cast<std::size_t>(n)));
}

}  // namespace qb
