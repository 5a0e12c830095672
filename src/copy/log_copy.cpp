#include "copy/log_copy.h"

#include <algorithm>
#include <vector>

#include "copy/source_checks.h"
#include "platform/path_text.h"
#include "run/folder_creator.h"
#include "run/messages.h"
#include "run/notices.h"

namespace qb {

std::string CopiedLogPath(const RunState& state, const char* extension) {
    return JoinPath(state.CopyDir, state.ThreadKey + extension);
}

namespace {

// The identities of the folder at `path` and of its parents, as far as they
// can be read; empty when it cannot be opened.
std::vector<FolderId> ChainOf(const std::string& path) {
    std::vector<FolderId> chain;
    OpenFolder folder;
    if (OpenFolderByPath(path, folder)) {
        FolderChain(folder, chain);
        CloseFolder(folder);
    }
    return chain;
}

// True when the folder `path` is the browser's log folder or lies inside it;
// while `path` does not exist, its nearest parent that does decides, since
// that is where folders would be created. Decided by what the system says
// identifies a folder, so that no link on the way leads a copy into the logs.
bool InLogFolder(const RunState& state, std::string path) {
    while (!FolderExists(path)) {
        const std::string parent = FolderOf(path);
        if (parent.empty() || parent == path) return false;
        path = parent;
    }
    const std::vector<FolderId> log = ChainOf(state.LogRoot);
    const std::vector<FolderId> chain = ChainOf(path);
    return !log.empty() && std::find(chain.begin(), chain.end(), log.front()) != chain.end();
}

// True when the destination folder is, or would be created, inside the log
// folder where the browser keeps its own logs. Copies go into the log folder
// only where the user put the destination root there and asked for the '_'
// folders, whose names the browser's folders never have; otherwise a link on
// the way (or a root inside the log folder) would lead them into a folder of
// the browser's, over another thread's log.
bool IntoBrowserFolders(const RunState& state) {
    if (state.AddUnderscore && InLogFolder(state, state.CopyRoot)) return false;
    return InLogFolder(state, state.CopyDir);
}

}  // namespace

bool EnsureCopyFolder(const RunState& state, UserFacing& ui) {
    if (IntoBrowserFolders(state)) {
        ShowNotice(ui, msg::kCopyFailed, 'e');
        return false;
    }
    if (FolderExists(state.CopyDir)) return true;
    // A creation reported as done is believed only when the folder is there.
    if (CreateFolderPath(state.CopyDir) && FolderExists(state.CopyDir)) {
        // A link put on the way meanwhile may have led the creation elsewhere.
        if (!IntoBrowserFolders(state)) return true;
        ShowNotice(ui, msg::kCopyFailed, 'e');
        return false;
    }
    ShowNotice(ui, Quoted(msg::kCopyFolderHead, state.CopyDir, msg::kCopyFolderFailedTail),
               'e');
    return false;
}

bool CopyLogFiles(const RunState& state, UserFacing& ui) {
    // The .inf only after the .dat; a failed .inf leaves the .dat copy.
    const bool copied =
        CopyFiles({{SourceLogPath(state, ".dat"), CopiedLogPath(state, ".dat")},
                   {SourceLogPath(state, ".inf"), CopiedLogPath(state, ".inf")}}) == 2;
    if (!copied) ShowNotice(ui, msg::kCopyFailed, 'e');
    return copied;
}

}  // namespace qb
