#include "browser_run/browser_run_check.h"

#include "base/host_browser.h"
#include "base/messages.h"
#include "base/notices.h"
#include "browser_run/emptying_guard.h"
#include "browser_run/folder_emptying.h"
#include "settings/saved_handle.h"

namespace qb {

namespace {

// The open destination root, closed however the check ends.
struct RootFolder {
    OpenFolder folder;
    ~RootFolder() { CloseFolder(folder); }
};

// True when, since this run loaded its settings, another run of the same
// browser run has saved the handle this run found: that run has copied into
// the root already, and emptying it now would delete its copy.
bool HandleSavedMeanwhile(const RunState& state) {
    std::uint32_t saved = 0;
    return ReadSavedHandle(state.ProgramFolder, saved) && saved == state.SavedWnd;
}

}  // namespace

bool NoticeNewBrowserRun(RunState& state, UserFacing& ui) {
    // The handle as the settings file holds it now: the run that had its
    // turn before this one may have saved it since this run loaded its
    // settings. (The loaded one stays when the line is gone or unreadable.)
    ReadSavedHandle(state.ProgramFolder, state.SavedWnd);
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
    if (!RootMayBeEmptied(state, root.folder, ui)) return;
    const std::vector<FolderId> kept = FoldersKept(state);
    const std::string question = FillText(msg::kEmptyQuestion, {state.CopyRoot});
    if (!AskYesNo(ui, question, msg::kCaption)) return;
    if (HandleSavedMeanwhile(state)) return;
    EmptyFolder(root.folder, state.CopyRoot, kept, ui);
}

bool CheckBrowserRun(RunState& state, UserFacing& ui) {
    if (NoticeNewBrowserRun(state, ui)) OfferToEmptyRoot(state, ui);
    return true;
}

}  // namespace qb
