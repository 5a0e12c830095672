// Noticing a new run of the browser and offering to empty the destination root.
#pragma once

#include <cstdint>

#include "locate/folder_paths.h"
#include "platform/desktop.h"
#include "settings/settings.h"

namespace qb {

// What the look at the browser's main window found.
struct BrowserRun {
    std::uint32_t saved_handle = 0;  // as the settings file holds it now
    std::uint32_t found_handle = 0;  // the window now, 0 when there is none
    bool is_new = false;             // they differ: the browser started anew
};

// Compares the browser's main window handle with the saved one, as the
// settings file holds it now: the run that had its turn before this one may
// have saved it since this run loaded its settings (the loaded one counts
// when the line is gone or unreadable). Called while this run has its turn,
// so that no other run saves a handle meanwhile. Raises InOutError when the
// settings file cannot be read.
BrowserRun NoticeBrowserRun(const Settings& settings, UserFacing& ui);

// When the destination root holds anything and may be emptied (else a
// warning says why), asks whether to empty it first (on a new browser run,
// which `run` found). After
// a yes, nothing is deleted when another run has saved the handle found
// meanwhile; the log folder, the folders down to the thread's source
// folder, the program's folder and the settings file's folder stay however
// the emptying reaches them.
void OfferToEmptyRoot(const Places& places, const Settings& settings, const BrowserRun& run,
                      UserFacing& ui);

}  // namespace qb
