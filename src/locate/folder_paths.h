// Where the browser keeps a thread's logs and where their copies go.
#pragma once

#include "base/run_state.h"

namespace qb {

// Extends LogDir to the thread's source folder and CopyDir to its
// destination folder; keeps the roots in LogRoot and CopyRoot. Always true.
bool BuildFolderPaths(RunState& state);

}  // namespace qb
