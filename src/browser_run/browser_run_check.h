// Noticing a new run of the browser and offering to empty the destination root.
#pragma once

#include <string>
#include <vector>

#include "base/run_state.h"
#include "platform/platform.h"

namespace qb {

// True when the folder whose chain (itself, then each parent, as
// FolderChain gives it) is `a` and the folder of chain `b` may be one
// another or lie one inside the other. A chain that could not be read to
// its end counts as overlapping: nothing is emptied on a guess.
bool ChainsOverlap(const std::vector<FolderId>& a, bool a_complete,
                   const std::vector<FolderId>& b, bool b_complete);

// Compares the browser's main window handle with the saved one: sets
// WndChanged to whether they differ and takes the new handle. True on a
// change, that is, when the browser has been started anew since the handle
// was saved.
bool NoticeNewBrowserRun(RunState& state, UserFacing& ui);

// When the destination root holds anything, asks whether to empty it first.
// A root that is, holds or lies inside the log folder, or that is or holds
// the program's folder, is never emptied; a warning says so instead. After a
// yes, nothing is deleted when another run has saved the new handle (SavedWnd)
// meanwhile.
void OfferToEmptyRoot(const RunState& state, UserFacing& ui);

// On a new browser run, the offer to empty the root. Always true.
bool CheckBrowserRun(RunState& state, UserFacing& ui);

}  // namespace qb
