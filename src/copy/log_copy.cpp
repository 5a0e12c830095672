#include "copy/log_copy.h"

#include <algorithm>
#include <vector>

#include "base/folder_chain.h"
#include "base/folder_creator.h"
#include "base/messages.h"
#include "base/notices.h"
#include "base/path_text.h"
#include "copy/source_checks.h"

namespace qb {

std::string CopiedLogPath(const RunState& state, const char* extension) {
    return JoinPath(state.CopyDir, state.ThreadKey + extension);
}

namespace {

// The nearest of `path` and its parents that exists: while the destination
// folder does not exist, that is where its folders would be created.
std::string NearestFolder(std::string path) {
    while (!FolderExists(path)) {
        const std::string parent = FolderOf(path);
        if (parent.empty() || parent == path) return std::string();
        path = parent;
    }
    return path;
}

// Whether the folder that `path` (or its nearest existing parent) names is
// the folder `outer` or lies inside it. Decided by what the system says
// identifies a folder, so that links on the way count where they lead;
// unknown when either cannot be opened, or when the walk up from `path`
// stops short without meeting `outer` (on Linux, a bind mount on the way).
enum class Inside { kYes, kNo, kUnknown };
Inside InsideOf(const std::string& path, const std::string& outer) {
    std::vector<FolderId> outer_chain;
    FolderChainAt(outer, outer_chain);
    const std::string nearest = NearestFolder(path);
    if (outer_chain.empty() || nearest.empty()) return Inside::kUnknown;
    std::vector<FolderId> chain;
    const bool complete = FolderChainAt(nearest, chain);
    if (std::find(chain.begin(), chain.end(), outer_chain.front()) != chain.end()) {
        return Inside::kYes;
    }
    return complete ? Inside::kNo : Inside::kUnknown;
}

// True when the destination folder is, or would be created, inside the log
// folder, where the browser keeps its own logs, however it is reached: a
// link on the way would lead the copies over another thread's log. Where
// the user put the destination root itself in the log folder, the copies go
// there, as the overlap warning promises, but only inside the root: a link
// in it back into the browser's folders is refused the same way. Links
// elsewhere are followed, as every copy tool does: a folder link in the root
// to another drive is the user's own. A folder whose place cannot be told
// counts as inside.
bool CopyFolderForbidden(const RunState& state) {
    if (InsideOf(state.CopyDir, state.LogRoot) == Inside::kNo) return false;
    return InsideOf(state.CopyRoot, state.LogRoot) != Inside::kYes ||
           InsideOf(state.CopyDir, state.CopyRoot) != Inside::kYes;
}

}  // namespace

bool EnsureCopyFolder(const RunState& state, UserFacing& ui) {
    if (CopyFolderForbidden(state)) {
        ShowNotice(ui, msg::kCopyFailed, NoticeKind::Error);
        return false;
    }
    const FolderState folder = EnsureFolder(state.CopyDir);
    if (folder == FolderState::kExisted) return true;
    if (folder == FolderState::kCreated) {
        // A link put on the way meanwhile may have led the creation elsewhere.
        if (!CopyFolderForbidden(state)) return true;
        ShowNotice(ui, msg::kCopyFailed, NoticeKind::Error);
        return false;
    }
    ShowNotice(ui, FillText(msg::kCopyFolderFailed, {state.CopyDir}),
               NoticeKind::Error);
    return false;
}

bool CopyLogFiles(const RunState& state, UserFacing& ui) {
    // The .inf only after the .dat; a failed .inf leaves the .dat copy.
    const bool copied =
        CopyFiles({{SourceLogPath(state, ".dat"), CopiedLogPath(state, ".dat")},
                   {SourceLogPath(state, ".inf"), CopiedLogPath(state, ".inf")}}) == 2;
    if (!copied) ShowNotice(ui, msg::kCopyFailed, NoticeKind::Error);
    return copied;
}

}  // namespace qb
