// Noticing a new run of the browser and offering to empty the destination root.
#pragma once

#include <cstdint>

#include "locate/folder_facts.h"
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
// have saved it since this run loaded its settings. A handle line that is
// gone, or whose value is no handle any more, counts as a new browser run.
// Called while this run has its turn, so that no other run saves a handle
// meanwhile. Raises InOutError when the settings file cannot be read.
BrowserRun NoticeBrowserRun(const Settings& settings, UserFacing& ui);

// When the destination root holds anything and may be emptied (else a
// warning says why), asks whether to empty it first (on a new browser run,
// which `run` found). After a yes, nothing is deleted when another run has
// saved the handle found meanwhile; what may go goes to the Recycle Bin,
// unless the settings say not to or there is none; whatever `facts` keeps
// stays however the emptying reaches it.
void OfferToEmptyRoot(const Places& places, const Settings& settings, const BrowserRun& run,
                      FolderFacts& facts, UserFacing& ui);

}  // namespace qb
