// Entry point of Quenbrook on both builds.
#include <string>
#include <vector>

#include "platform/platform.h"
#include "run/command_line.h"
#include "run/run_driver.h"

namespace {

// The arguments after the program itself: split by the program's own rules
// where the system gives the raw command line, else as the system split them.
std::vector<std::string> ProgramArguments(int argc, char** argv) {
    std::string line;
    if (!qb::RawCommandLine(line)) return qb::SystemArguments(argc, argv);
    std::vector<std::string> items = qb::SplitCommandLine(line);
    if (!items.empty()) items.erase(items.begin());
    return items;
}

}  // namespace

int main(int argc, char** argv) {
    return qb::RunQuenbrook(ProgramArguments(argc, argv), qb::ProgramPath(),
                            qb::RealUserFacing());
}
