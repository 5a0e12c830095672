// The program's one control flow: settings, arguments, destination root,
// URL, then the copy stages in their fixed order.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace qb {

// Runs Quenbrook once with `args` (the program itself not included) for the
// executable at `program_path`; returns the exit code: 0 on every orderly
// end, 1 after a failure that no stage handles (reported in an error box).
int RunQuenbrook(const std::vector<std::string>& args, const std::string& program_path,
                 UserFacing& ui);

}  // namespace qb
