// Reporting the title of the thread just copied.
#pragma once

#include <string>

#include "base/run_state.h"
#include "platform/platform.h"

namespace qb {

// Reads the title from the first "TITLE=" line among the first 41 lines of
// the copied .inf file and shows it with the board. Raises InOutError when
// the file cannot be read.
void ShowThreadTitle(const RunState& state, UserFacing& ui);

}  // namespace qb
