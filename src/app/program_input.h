// What the system hands the program, and the checks on it before any stage.
#pragma once

#include <string>
#include <vector>

#include "platform/desktop.h"

namespace qb {

// The arguments and the program's own path, in code page 932, with a mark
// for each text that could not be converted exactly ('?' stands for what
// the code page cannot hold).
struct ProgramInput {
    std::vector<std::string> args;  // the program itself not included
    std::vector<bool> args_exact;   // one per argument; missing means exact
    std::string program_path;
    bool program_path_exact = true;
};

// Whether argument `i` converted exactly.
bool IsExact(const ProgramInput& input, std::size_t i);

// False after a notice when the program's folder has a name code page 932
// cannot hold: the settings file beside the program would be looked for
// somewhere else.
bool CheckProgramFolder(const ProgramInput& input, const std::string& program_folder,
                        UserFacing& ui);

// False after a notice that says what is missing when there are not exactly
// two arguments.
bool CheckArgumentCount(const std::vector<std::string>& args, UserFacing& ui);

}  // namespace qb
