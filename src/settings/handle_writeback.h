// Saving the browser's main window handle into the settings file.
#pragma once

#include "base/run_state.h"

namespace qb {

// Replaces the hwVelmWnd line (the one the loader reads its value from,
// among the first 50) by "hwVelmWnd=" + SavedWnd, in IniLines and in the
// file, which keeps every other byte, its UTF-8 mark included (a file
// changed meanwhile so that it holds no such line, or saved as UTF-16, is
// left as it is). The file is replaced in one step, so a failure leaves the
// old file intact; it raises InOutError.
bool SaveWindowHandle(RunState& state);

}  // namespace qb
