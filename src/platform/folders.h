// Open folders: what identifies them, the walk up their parents, volume
// roots, the user's and the system's own folders, and the emptying by
// the names the system lists.
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

// What the system says identifies a folder (Windows: volume serial number
// and file ID; POSIX: device and inode).
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

// The folders of the user and of the system that no emptying may reach
// (Windows: the profile, Desktop, Documents, Downloads, Pictures, Music and
// Videos wherever they are redirected, the Windows folder, Program Files,
// Program Files (x86) and ProgramData; POSIX: $HOME), those that exist, each
// open, with its path for display ('?' for what code page 932 cannot hold).
// The caller closes them.
struct NamedFolder {
    std::string path;
    OpenFolder folder;
};
std::vector<NamedFolder> OpenSystemFolders();

// Told of every entry the emptying could not remove: its path for display
// (the root's text joined with each name, converted to code page 932 with
// '?' for what has no form there) and whether it is a folder.
class EmptyingListener {
public:
    virtual ~EmptyingListener() = default;
    virtual void CannotRemove(const std::string& display_path, bool is_folder) = 0;
};

// Removes everything below `folder` by the names the system lists, relative
// to their open parent (POSIX) or through long absolute paths (Windows), so
// depth is no limit and a name is never re-read as a path. Links are removed
// as links and never entered; hidden and system entries are left alone; the
// folder itself stays. A folder whose identity is one of `kept` (the folder
// itself included) is neither entered nor removed, however it is reached,
// and is reported once as a folder that stays. `display_root` names the
// folder in reports.
void EmptyOpenFolder(OpenFolder folder, const std::string& display_root,
                     const std::vector<FolderId>& kept, EmptyingListener& listener);

}  // namespace qb
