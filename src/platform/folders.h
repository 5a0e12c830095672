// Open folders: what identifies them and other entries, the walk up their
// parents, volume roots, the links on the way to a file, and the user's and
// the system's own folders.
//
// All texts are code-page-932 byte strings. Paths use '\' as separator; on
// the POSIX build '/' separates folders as well. Conversion to the system's
// own encoding happens only inside the implementations (win32/, posix/),
// which the build picks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qb {

// What the system says identifies a folder, or any other entry (Windows:
// volume serial number and file ID; POSIX: device and inode).
struct FolderId {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FolderId& o) const { return volume == o.volume && index == o.index; }
};

// An open folder, held from the identity check to the end of the emptying,
// so that both act on the same folder whatever happens to its name.
struct OpenFolder {
    std::intptr_t value = -1;
};
// Opens an existing folder (a link to a folder is followed); false when it
// cannot be opened.
bool OpenFolderByPath(const std::string& path, OpenFolder& folder);
void CloseFolder(OpenFolder folder);

// The identity of the open folder; false when the system cannot tell it.
bool FolderIdOf(OpenFolder folder, FolderId& id);

// The identities of the folder and of each of its parents up to the root of
// its file system, nearest first. False when a step of the walk failed
// (`chain` then holds the steps that succeeded).
bool FolderChain(OpenFolder folder, std::vector<FolderId>& chain);

// True when the open folder, named `path`, is the root of a volume: a drive's
// or a network share's root as `path` names it (after "." and ".." are
// resolved), or the root of a volume wherever it is mounted; on POSIX "/" and
// every mount point.
bool IsVolumeRoot(OpenFolder folder, const std::string& path);

// The folders of the user and of the system that no emptying may reach,
// those that exist, each open, with its path for display ('?' for what code
// page 932 cannot hold). A root that is or holds one is never emptied; for
// those marked `inside_refused`, neither is a root inside them. Windows: the
// profile, Desktop, Documents, Downloads, Pictures, Music and Videos
// wherever they are redirected; refused inside too: the Windows folder,
// Program Files, Program Files (x86), ProgramData and the user's AppData
// (Roaming, Local, LocalLow). POSIX: $HOME; refused inside too:
// $XDG_CONFIG_HOME, $XDG_DATA_HOME (by default ~/.config, ~/.local/share)
// and the trash. The caller closes them.
struct NamedFolder {
    std::string path;
    OpenFolder folder;
    bool inside_refused = false;
};
std::vector<NamedFolder> OpenSystemFolders();

// The identity of the file, folder or link at `path`: with `entry_itself`
// the entry's own (a link's, not what it leads to), otherwise that of what
// it finally leads to. False when there is none or it cannot be told.
bool EntryIdAt(const std::string& path, bool entry_itself, FolderId& id);

// The links the system meets while it resolves `path` to what it finally
// names, one hop at a time (a folder link on the way, the entry itself when
// it is a link, and each link that one leads to), by their own identities,
// in the order met. False when a hop cannot be followed (`links` then holds
// those met before it).
bool LinksOnTheWay(const std::string& path, std::vector<FolderId>& links);

}  // namespace qb
