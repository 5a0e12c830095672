#include "app/run_driver.h"

#include "app/failure_report.h"
#include "base/folder_creator.h"
#include "base/messages.h"
#include "base/path_text.h"
#include "base/run_turn.h"
#include "browser_run/browser_run_check.h"
#include "copy/destination_root.h"
#include "copy/log_copy.h"
#include "copy/source_checks.h"
#include "locate/folder_facts.h"
#include "locate/folder_paths.h"
#include "locate/url_check.h"
#include "platform/program.h"
#include "settings/handle_writeback.h"
#include "settings/settings_file.h"
#include "settings/settings_loader.h"
#include "title/thread_title.h"

namespace qb {

namespace {

// One run, stage by stage: each stage that ends the run has shown why.
void Run(const ProgramInput& input, UserFacing& ui) {
    const std::string program_folder = FolderOf(input.program_path);
    if (!CheckProgramFolder(input, program_folder, ui)) return;
    const std::string settings_file = SettingsPath(program_folder);
    if (!EnsureSettingsFile(settings_file, program_folder, ui)) return;
    if (!CheckArgumentCount(input.args, ui)) return;
    const std::optional<Settings> settings = LoadSettings(settings_file, ui);
    if (!settings) return;
    const std::optional<std::string> root =
        EnsureDestinationRoot(input.args[0], IsExact(input, 0), ui);
    if (!root) return;
    const std::optional<ThreadUrl> url =
        CheckedThreadUrl(input.args[1], IsExact(input, 1), settings->generation, ui);
    if (!url) return;
    const Places places = DerivePlaces(*settings, *url, *root, program_folder);
    if (!CheckSourceFolder(places, ui) || !CheckSourceFiles(places, ui)) return;
    {
        // From the look at the browser's window to the saved handle, runs
        // that share the settings file or the root take turns: none empties
        // the root while another copies into it or is about to save its
        // handle.
        const RunTurn turn(program_folder, *root);
        FolderFacts facts(places, settings->file);
        const BrowserRun run = NoticeBrowserRun(*settings, ui);
        if (run.is_new) OfferToEmptyRoot(places, *settings, run, facts, ui);
        if (!EnsureCopyFolder(places, facts, ui) || !CopyLogFiles(places, ui)) return;
        if (run.is_new) SaveWindowHandle(settings->file, run.found_handle);
    }
    if (settings->title_on) ShowThreadTitle(places, *url, ui);
}

// The run, and the failure report of what no stage handles.
int RunReported(const ProgramInput& input, UserFacing& ui) {
    const std::string& program_path = input.program_path;
    const std::string module = program_path.substr(ParentLength(program_path));
    try {
        Run(input, ui);
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

}  // namespace

// What the platform learned of the system is this run's alone: a run
// starts without what came before it and leaves nothing to the next.
int RunQuenbrook(const ProgramInput& input, UserFacing& ui) {
    ForgetRunFacts();
    const int exit_code = RunReported(input, ui);
    ForgetRunFacts();
    return exit_code;
}

}  // namespace qb
