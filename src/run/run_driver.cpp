#include "run/run_driver.h"

#include "browser_run/browser_run_check.h"
#include "copy/log_copy.h"
#include "copy/source_checks.h"
#include "locate/folder_paths.h"
#include "locate/url_split.h"
#include "platform/path_text.h"
#include "run/failure_report.h"
#include "run/folder_creator.h"
#include "run/messages.h"
#include "run/notices.h"
#include "run/run_state.h"
#include "settings/handle_writeback.h"
#include "settings/settings_file.h"
#include "settings/settings_loader.h"
#include "title/thread_title.h"

namespace qb {

namespace {

// False after a notice when the argument count is not two.
bool CheckArgumentCount(const std::vector<std::string>& args, UserFacing& ui) {
    switch (args.size()) {
        case 0:
            ShowNotice(ui, msg::kRegisterInTools, 'e');
            return false;
        case 1:
            // A lone URL means the destination root is what is missing.
            ShowNotice(ui,
                       args[0].compare(0, 7, "http://") == 0 ||
                               args[0].compare(0, 8, "https://") == 0
                           ? msg::kRegisterDestination
                           : msg::kShowThreadFirst,
                       'e');
            return false;
        case 2:
            return true;
        default:
            ShowNotice(ui, msg::kTooManyArguments, 'e');
            return false;
    }
}

// The destination root, created with its parents when missing.
bool EnsureDestinationRoot(RunState& state, const std::string& arg, UserFacing& ui) {
    state.CopyDir = RemoveTrailingSeparator(arg);
    if (FolderExists(state.CopyDir)) return true;
    // A creation is announced only when the folder really is there now: a
    // short name or a missing drive counts as present without being made.
    if (CreateFolderPath(state.CopyDir) && FolderExists(state.CopyDir)) {
        ShowNotice(ui, Quoted(msg::kRootMissingHead, state.CopyDir, msg::kRootCreatedTail), 'i');
        return true;
    }
    ShowNotice(ui, Quoted(msg::kRootMissingHead, state.CopyDir, msg::kRootMissingTail), 'e');
    return false;
}

bool CheckUrlPieces(const RunState& state, UserFacing& ui) {
    if (PiecesAreUnusable(state)) {
        ShowNotice(ui, msg::kUrlInvalid, 'e');
        return false;
    }
    if (state.BrowserVer == 1 && state.ServerName.empty()) {
        ShowNotice(ui, msg::kServerNameMissing, 'e');
        return false;
    }
    return true;
}

void Run(RunState& state, const std::vector<std::string>& args, UserFacing& ui) {
    if (!EnsureSettingsFile(state, ui)) return;
    if (!CheckArgumentCount(args, ui)) return;
    if (!LoadSettings(state, ui)) return;
    if (!EnsureDestinationRoot(state, args[0], ui)) return;
    SplitThreadUrl(state, args[1]);
    if (!CheckUrlPieces(state, ui)) return;
    const bool copied = BuildFolderPaths(state) && CheckSourceFolder(state, ui) &&
                        CheckSourceFiles(state, ui) && CheckBrowserRun(state, ui) &&
                        EnsureCopyFolder(state, ui) && CopyLogFiles(state, ui);
    if (!copied) return;
    if (state.WndChanged) SaveWindowHandle(state);
    if (state.ShowTitleOn) ShowThreadTitle(state, ui);
}

}  // namespace

int RunQuenbrook(const std::vector<std::string>& args, const std::string& program_path,
                 UserFacing& ui) {
    const std::string module = program_path.substr(ParentLength(program_path));
    RunState state;
    state.ProgramFolder = FolderOf(program_path);
    try {
        Run(state, args, ui);
        return 0;
    } catch (const InOutError& e) {
        ShowFailureReport(ui, FailureReportText(msg::kInOutErrorKind, module, e.location,
                                                InOutErrorMessage(e.code)));
    } catch (const FolderCreatorError& e) {
        ShowFailureReport(ui, FailureReportText(msg::kExceptionKind, module, e.location,
                                                msg::kCannotCreateFolder));
    }
    return 1;
}

}  // namespace qb
