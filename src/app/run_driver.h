// The program's one control flow: the stages of a run, in their order.
#pragma once

#include "app/program_input.h"
#include "platform/desktop.h"

namespace qb {

// Runs Quenbrook once; returns the exit code: 0 on every orderly end, 1
// after a failure that no stage handles (reported in an error box).
int RunQuenbrook(const ProgramInput& input, UserFacing& ui);

}  // namespace qb
