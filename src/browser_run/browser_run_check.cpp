#include "browser_run/browser_run_check.h"

#include "browser_run/folder_emptying.h"
#include "host/host_browser.h"
#include "platform/path_text.h"
#include "run/messages.h"
#include "run/notices.h"

namespace qb {

namespace {

// True when `outer` is `inner` or one of its ancestors.
bool Contains(const std::string& outer, const std::string& inner) {
    if (inner.compare(0, outer.size(), outer) != 0) return false;
    if (inner.size() == outer.size()) return true;
    // A root such as "C:\" or "/" already ends in its separator.
    return IsPathSeparator(outer.back()) || IsPathSeparator(inner[outer.size()]);
}

}  // namespace

bool FoldersOverlap(const std::string& a, const std::string& b) {
    const std::string key_a = FolderCompareKey(a);
    const std::string key_b = FolderCompareKey(b);
    if (key_a.empty() || key_b.empty()) return false;
    return Contains(key_a, key_b) || Contains(key_b, key_a);
}

bool CheckBrowserRun(RunState& state, UserFacing& ui) {
    const std::uint32_t handle = ui.FindTopWindow(BrowserWindowClass(state.BrowserVer));
    if (handle == state.SavedWnd) {
        state.WndChanged = false;
        return true;
    }
    state.WndChanged = true;
    state.SavedWnd = handle;
    if (!FolderHasEntries(state.CopyRoot)) return true;
    if (FoldersOverlap(state.CopyRoot, state.LogRoot)) {
        ShowNotice(ui,
                   Quoted(msg::kCopyFolderHead, state.CopyRoot, msg::kOverlapTail) +
                       state.LogRoot + msg::kOverlapTail2,
                   'w');
        return true;
    }
    const std::string question =
        Quoted(msg::kEmptyQuestionHead, state.CopyRoot, msg::kEmptyQuestionTail);
    if (AskYesNo(ui, question, msg::kCaption)) return EmptyFolder(state.CopyRoot, ui);
    return true;
}

}  // namespace qb
