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

// The identities of the folder at `path` and of its parents, as far as they
// can be read; empty when it cannot be opened.
std::vector<FolderId> ChainOf(const std::string& path) {
    std::vector<FolderId> chain;
    FolderChainAt(path, chain);
    return chain;
}

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
// the folder `outer` or lies inside it; unknown when either cannot be told
// apart. Decided by what the system says identifies a folder, so that links
// on the way count where they lead.
enum class Inside { kYes, kNo, kUnknown };
Inside InsideOf(const std::string& path, const std::string& outer) {
    const std::vector<FolderId> outer_chain = ChainOf(outer);
    const std::string nearest = NearestFolder(path);
    if (outer_chain.empty() || nearest.empty()) return Inside::kUnknown;
    const std::vector<FolderId> chain = ChainOf(nearest);
    if (chain.empty()) return Inside::kUnknown;
    return std::find(chain.begin(), chain.end(), outer_chain.front()) != chain.end()
               ? Inside::kYes
               : Inside::kNo;
}

// True when the destination folder is, or would be created, where no copy
// may go: outside the destination root (a link in the root leading
// elsewhere), or inside the log folder where the browser keeps its own logs.
// Copies go into the log folder only where the user put the destination root
// there and asked for the '_' folders, whose names the browser's folders
// never have; otherwise a link on the way (or a root inside the log folder)
// would lead them into a folder of the browser's, over another thread's log.
bool CopyFolderForbidden(const RunState& state) {
    if (InsideOf(state.CopyDir, state.CopyRoot) == Inside::kNo) return true;
    if (state.AddUnderscore && InsideOf(state.CopyRoot, state.LogRoot) == Inside::kYes) {
        return false;
    }
    return InsideOf(state.CopyDir, state.LogRoot) == Inside::kYes;
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
