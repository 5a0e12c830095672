// Saving the browser's main window handle into the settings file.
#pragma once

#include "run/run_state.h"

namespace qb {

// Replaces the first "hwVelmWnd=" line among the first 50 with SavedWnd and
// rewrites the whole file, every other line unchanged. The file is replaced
// in one step, so a failure leaves the old file intact; it raises InOutError.
bool SaveWindowHandle(RunState& state);

}  // namespace qb
