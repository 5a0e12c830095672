#include "browser_run/browser_run_check.h"

#include <algorithm>

#include "base/folder_chain.h"
#include "base/host_browser.h"
#include "base/messages.h"
#include "base/notices.h"
#include "browser_run/folder_emptying.h"
#include "settings/saved_handle.h"

namespace qb {

namespace {

bool Holds(const std::vector<FolderId>& chain, const FolderId& id) {
    return std::find(chain.begin(), chain.end(), id) != chain.end();
}

// The open destination root, closed however the check ends.
struct RootFolder {
    OpenFolder folder;
    ~RootFolder() { CloseFolder(folder); }
};

// Whether the folder at `path` and the root (by its chain) overlap.
bool OverlapsRoot(const std::vector<FolderId>& root, bool root_complete,
                  const std::string& path) {
    std::vector<FolderId> chain;
    const bool complete = FolderChainAt(path, chain);
    return ChainsOverlap(root, root_complete, chain, complete);
}

// True when, since this run loaded its settings, another run of the same
// browser run has saved the handle this run found: that run has copied into
// the root already, and emptying it now would delete its copy.
bool HandleSavedMeanwhile(const RunState& state) {
    std::uint32_t saved = 0;
    return ReadSavedHandle(state.ProgramFolder, saved) && saved == state.SavedWnd;
}

}  // namespace

bool ChainsOverlap(const std::vector<FolderId>& a, bool a_complete,
                   const std::vector<FolderId>& b, bool b_complete) {
    if (a.empty() || b.empty()) return true;
    if (Holds(a, b.front()) || Holds(b, a.front())) return true;
    return !(a_complete && b_complete);
}

bool NoticeNewBrowserRun(RunState& state, UserFacing& ui) {
    const std::uint32_t handle = ui.FindTopWindow(BrowserWindowClass(state.BrowserVer));
    state.WndChanged = handle != state.SavedWnd;
    state.SavedWnd = handle;
    return state.WndChanged;
}

void OfferToEmptyRoot(const RunState& state, UserFacing& ui) {
    if (!FolderHasEntries(state.CopyRoot)) return;
    // The root is opened once: what is checked is what gets emptied,
    // whatever becomes of its name in between.
    RootFolder root;
    if (!OpenFolderByPath(state.CopyRoot, root.folder)) return;
    std::vector<FolderId> chain;
    const bool complete = FolderChain(root.folder, chain);
    // Folders the emptying must never reach, with the notice that names them.
    const struct {
        const std::string& folder;
        const char* notice;
    } guarded[] = {{state.LogRoot, msg::kOverlapLogFolder},
                   {state.ProgramFolder, msg::kOverlapProgramFolder}};
    for (const auto& g : guarded) {
        if (!OverlapsRoot(chain, complete, g.folder)) continue;
        ShowNotice(ui,
                   FillText(g.notice, {state.CopyRoot, g.folder}),
                   NoticeKind::Warning);
        return;
    }
    const std::string question =
        FillText(msg::kEmptyQuestion, {state.CopyRoot});
    if (!AskYesNo(ui, question, msg::kCaption)) return;
    if (HandleSavedMeanwhile(state)) return;
    EmptyFolder(root.folder, state.CopyRoot, ui);
}

bool CheckBrowserRun(RunState& state, UserFacing& ui) {
    if (NoticeNewBrowserRun(state, ui)) OfferToEmptyRoot(state, ui);
    return true;
}

}  // namespace qb
