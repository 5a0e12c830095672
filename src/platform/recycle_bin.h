// The Recycle Bin, where the emptying sends what it removes so that a
// mistaken yes can be undone: on Windows the shell's bin of each drive; on
// POSIX the freedesktop.org trash of $XDG_DATA_HOME/Trash (by default
// ~/.local/share/Trash; an $XDG_DATA_HOME that is not absolute is ignored).
// The bin receives exactly what left the root, and nothing else.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/folder_walk.h"
#include "platform/folders.h"

namespace qb {

struct RecycleBin {
    std::intptr_t value = -1;  // the platform's own, -1 when there is none
};

// What making the bin ready found.
enum class BinState {
    kOpen,    // ready
    kNone,    // there is none to use (POSIX: no data folder is named): then
              // everything is removed for good
    kFailed,  // there is one, but it cannot be made ready: nothing is removed
};
// Makes the bin ready for this run, once, after the user said yes (POSIX:
// the trash's files/ and info/ folders made with mode 0700 where missing,
// and held open; Windows: the shell loaded from the system folder).
BinState OpenRecycleBin(RecycleBin& bin);
void CloseRecycleBin(RecycleBin bin);

// The identities of the folders of the bin itself (the freedesktop.org
// trash, its files/ and info/: on POSIX, and on Windows under Wine), which
// no emptying may reach; none on Windows itself, whose bins are hidden
// system folders.
std::vector<FolderId> RecycleBinFolders(RecycleBin bin);

// What became of an entry sent to the bin.
enum class Binned {
    kTaken,    // the bin has it: gone from the root (where the drive has no
               // bin, the shell may have deleted it for good)
    kForGood,  // the bin cannot hold it (another file system, no bin on that
               // drive, a path the bin cannot record): still there, as far as
               // the bin went, for the walk to remove for good
    kStays,    // the bin failed (POSIX): it stays where it was
};
// Sends each entry of `parent` to the bin, the folder as one piece. Never a
// link: the walk removes links itself. On Windows every handle on or below
// the entries is closed before the shell is given them, and an entry whose
// full path the shell cannot take (past MAX_PATH) is not sent. Sets
// `outcome[i]` for each entry.
void SendToRecycleBin(RecycleBin bin, OpenFolder parent,
                      const std::vector<const ListedEntry*>& entries,
                      std::vector<Binned>& outcome);

}  // namespace qb
