// Entry point of Quenbrook on both builds.
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/run_driver.h"
#include "platform/desktop.h"
#include "platform/program.h"

namespace {

// The arguments after the program itself: split by the program's own rules
// where the system gives the raw command line, else as the system split
// them; then each converted to code page 932, marked when not exactly.
void ReadArguments(int argc, char** argv, qb::ProgramInput& input) {
    qb::SystemString line;
    std::vector<qb::SystemString> items;
    if (qb::RawCommandLine(line)) {
        items = qb::SplitCommandLine(line);
        if (!items.empty()) items.erase(items.begin());
    } else {
        items = qb::SystemArguments(argc, argv);
    }
    for (const qb::SystemString& item : items) {
        std::string text;
        const bool exact = qb::ToCp932(item, text);
        input.args.push_back(text);
        input.args_exact.push_back(exact);
    }
}

}  // namespace

int main(int argc, char** argv) {
    qb::ProgramInput input;
    ReadArguments(argc, argv, input);
    input.program_path_exact = qb::ProgramPath(input.program_path);
    return qb::RunQuenbrook(input, qb::RealUserFacing());
}
