// Noticing a new run of the browser and offering to empty the destination root.
#pragma once

#include <string>

#include "platform/platform.h"
#include "run/run_state.h"

namespace qb {

// True when one folder is the other or lies inside it.
bool FoldersOverlap(const std::string& a, const std::string& b);

// Compares the browser's main window handle with the saved one. On a change
// it marks WndChanged, takes the new handle and, when the destination root
// holds anything, asks whether to empty it first. A root that overlaps the
// log folder is never emptied; a warning says so instead. Always true.
bool CheckBrowserRun(RunState& state, UserFacing& ui);

}  // namespace qb
