// The program's one control flow: settings, arguments, destination root,
// URL, then the copy stages in their fixed order.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace qb {

// What the system hands the program, in code page 932, with a mark for
// each text that could not be converted exactly ('?' stands for what the
// code page cannot hold).
struct ProgramInput {
    std::vector<std::string> args;   // the program itself not included
    std::vector<bool> args_exact;    // one per argument; missing means exact
    std::string program_path;
    bool program_path_exact = true;
};

// Runs Quenbrook once; returns the exit code: 0 on every orderly end, 1
// after a failure that no stage handles (reported in an error box).
int RunQuenbrook(const ProgramInput& input, UserFacing& ui);
// The same with every text exact.
int RunQuenbrook(const std::vector<std::string>& args, const std::string& program_path,
                 UserFacing& ui);

}  // namespace qb
