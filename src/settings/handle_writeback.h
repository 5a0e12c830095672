// Saving the browser's main window handle into the settings file.
#pragma once

#include "base/run_state.h"

namespace qb {

// Replaces the first "hwVelmWnd=" line among the first 50 with SavedWnd, in
// IniLines and in the file, which keeps every other byte (a file changed
// meanwhile so that it holds no such line is left as it is). The file is
// replaced in one step, so a failure leaves the old file intact; it raises
// InOutError.
bool SaveWindowHandle(RunState& state);

}  // namespace qb
