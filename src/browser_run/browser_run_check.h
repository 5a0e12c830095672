// Noticing a new run of the browser and offering to empty the destination root.
#pragma once

#include "base/run_state.h"
#include "platform/platform.h"

namespace qb {

// Compares the browser's main window handle with the saved one, as the
// settings file holds it now: sets WndChanged to whether they differ and
// takes the new handle. True on a change, that is, when the browser has
// been started anew since the handle was saved. Called while this run has
// its turn, so that no other run saves a handle meanwhile.
bool NoticeNewBrowserRun(RunState& state, UserFacing& ui);

// When the destination root holds anything and may be emptied (else a
// warning says why), asks whether to empty it first. After a yes, nothing is
// deleted when another run has saved the new handle (SavedWnd) meanwhile;
// the log folder, the folders down to the thread's source folder, the
// program's folder and the settings file's folder stay however the emptying
// reaches them.
void OfferToEmptyRoot(const RunState& state, UserFacing& ui);

// On a new browser run, the offer to empty the root. Always true.
bool CheckBrowserRun(RunState& state, UserFacing& ui);

}  // namespace qb
