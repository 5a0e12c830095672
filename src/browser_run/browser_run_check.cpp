#include "browser_run/browser_run_check.h"

#include "base/host_browser.h"
#include "base/messages.h"
#include "base/notices.h"
#include "browser_run/emptying_guard.h"
#include "browser_run/folder_emptying.h"
#include "settings/saved_handle.h"

namespace qb {

namespace {

// The open destination root, closed however the offer ends.
struct RootFolder {
    OpenFolder folder;
    ~RootFolder() { CloseFolder(folder); }
};

// The Recycle Bin when one is used, closed however the emptying ends.
struct Bin {
    RecycleBin bin;
    bool open = false;
    ~Bin() {
        if (open) CloseRecycleBin(bin);
    }
};

// True when, since this run looked, another run of the same browser run has
// saved the handle this run found: that run has copied into the root
// already, and emptying it now would delete its copy.
bool HandleSavedMeanwhile(const Settings& settings, const BrowserRun& run) {
    std::uint32_t saved = 0;
    return ReadSavedHandle(settings.file, saved) && saved == run.found_handle;
}

}  // namespace

BrowserRun NoticeBrowserRun(const Settings& settings, UserFacing& ui) {
    BrowserRun run;
    const bool known = ReadSavedHandle(settings.file, run.saved_handle);
    run.found_handle = ui.FindTopWindow(BrowserWindowClass(settings.generation));
    run.is_new = !known || run.found_handle != run.saved_handle;
    return run;
}

void OfferToEmptyRoot(const Places& places, const Settings& settings, const BrowserRun& run,
                      FolderFacts& facts, UserFacing& ui) {
    // The root is opened once: what is checked is what gets emptied,
    // whatever becomes of its name in between.
    RootFolder root;
    if (!OpenFolderByPath(places.root, root.folder)) return;
    if (!FolderHasEntries(root.folder)) return;
    if (!RootMayBeEmptied(places, root.folder, facts, ui)) return;
    const std::string question = FillText(msg::kEmptyQuestion, {places.root});
    if (!AskYesNo(ui, question, msg::kCaption)) return;
    if (HandleSavedMeanwhile(settings, run)) return;
    KeptIds kept = facts.Kept();
    Bin bin;
    const BinState state = settings.recycle ? OpenRecycleBin(bin.bin) : BinState::kNone;
    // A bin that is there but cannot be used: nothing is removed for good
    // in its place.
    if (state == BinState::kFailed) {
        ShowNotice(ui, FillText(msg::kCannotDeleteFolder, {places.root}), NoticeKind::Error);
        return;
    }
    bin.open = state == BinState::kOpen;
    if (bin.open) {
        // The bin's own folders, wherever the root leads.
        const std::vector<FolderId> own = RecycleBinFolders(bin.bin);
        kept.folders.insert(kept.folders.end(), own.begin(), own.end());
    }
    EmptyFolder(root.folder, places.root, kept, bin.open ? &bin.bin : nullptr, ui);
}

}  // namespace qb
