#include "app/run_driver.h"

#include "app/failure_report.h"
#include "base/folder_creator.h"
#include "base/messages.h"
#include "base/notices.h"
#include "base/path_text.h"
#include "base/run_state.h"
#include "base/run_turn.h"
#include "browser_run/browser_run_check.h"
#include "copy/log_copy.h"
#include "copy/source_checks.h"
#include "locate/folder_paths.h"
#include "locate/url_split.h"
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
            ShowNotice(ui, msg::kRegisterInTools, NoticeKind::Error);
            return false;
        case 1:
            // A lone URL means the destination root is what is missing.
            ShowNotice(ui,
                       args[0].compare(0, 7, "http://") == 0 ||
                               args[0].compare(0, 8, "https://") == 0
                           ? msg::kRegisterDestination
                           : msg::kShowThreadFirst,
                       NoticeKind::Error);
            return false;
        case 2:
            return true;
        default:
            ShowNotice(ui, msg::kTooManyArguments, NoticeKind::Error);
            return false;
    }
}

bool IsExact(const ProgramInput& input, std::size_t i) {
    return i >= input.args_exact.size() || input.args_exact[i];
}

// The destination root, created with its parents when missing. A root whose
// name code page 932 cannot hold would name another folder: refused before
// anything is created or asked.
bool EnsureDestinationRoot(RunState& state, const ProgramInput& input, UserFacing& ui) {
    state.CopyDir = RemoveTrailingSeparator(input.args[0]);
    if (!IsExact(input, 0)) {
        ShowNotice(ui, FillText(msg::kRootUnusable, {state.CopyDir}), NoticeKind::Error);
        return false;
    }
    const FolderState root = EnsureFolder(state.CopyDir);
    if (root == FolderState::kExisted) return true;
    if (root == FolderState::kCreated) {
        ShowNotice(ui, FillText(msg::kRootCreated, {state.CopyDir}), NoticeKind::Information);
        return true;
    }
    ShowNotice(ui, FillText(msg::kRootMissing, {state.CopyDir}), NoticeKind::Error);
    return false;
}

bool CheckUrlPieces(const RunState& state, bool url_exact, UserFacing& ui) {
    if (!url_exact || PiecesAreUnusable(state)) {
        ShowNotice(ui, msg::kUrlInvalid, NoticeKind::Error);
        return false;
    }
    if (state.BrowserVer == 1 && state.ServerName.empty()) {
        ShowNotice(ui, msg::kServerNameMissing, NoticeKind::Error);
        return false;
    }
    return true;
}

void Run(RunState& state, const ProgramInput& input, UserFacing& ui) {
    // The settings file lives beside the executable: a folder whose name
    // cannot be held would put it somewhere else.
    if (!input.program_path_exact) {
        ShowNotice(ui,
                   FillText(msg::kProgramFolderUnusable, {state.ProgramFolder}),
                   NoticeKind::Error);
        return;
    }
    const std::vector<std::string>& args = input.args;
    if (!EnsureSettingsFile(state, ui)) return;
    if (!CheckArgumentCount(args, ui)) return;
    if (!LoadSettings(state, ui)) return;
    if (!EnsureDestinationRoot(state, input, ui)) return;
    SplitThreadUrl(state, args[1]);
    if (!CheckUrlPieces(state, IsExact(input, 1), ui)) return;
    if (!(BuildFolderPaths(state) && CheckSourceFolder(state, ui) &&
          CheckSourceFiles(state, ui))) {
        return;
    }
    {
        // From the look at the browser's window to the saved handle, runs
        // that share the settings file take turns: none empties the root
        // while another copies into it or is about to save its handle.
        const RunTurn turn(SettingsPath(state.ProgramFolder));
        if (!(CheckBrowserRun(state, ui) && EnsureCopyFolder(state, ui) &&
              CopyLogFiles(state, ui))) {
            return;
        }
        if (state.WndChanged) SaveWindowHandle(state);
    }
    if (state.ShowTitleOn) ShowThreadTitle(state, ui);
}

}  // namespace

int RunQuenbrook(const std::vector<std::string>& args, const std::string& program_path,
                 UserFacing& ui) {
    ProgramInput input;
    input.args = args;
    input.program_path = program_path;
    return RunQuenbrook(input, ui);
}

int RunQuenbrook(const ProgramInput& input, UserFacing& ui) {
    const std::string& program_path = input.program_path;
    const std::string module = program_path.substr(ParentLength(program_path));
    RunState state;
    state.ProgramFolder = FolderOf(program_path);
    try {
        Run(state, input, ui);
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
