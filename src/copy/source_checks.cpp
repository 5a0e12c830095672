#include "copy/source_checks.h"

#include "base/messages.h"
#include "base/notices.h"
#include "base/path_text.h"

namespace qb {

std::string SourceLogPath(const RunState& state, const char* extension) {
    return JoinPath(state.LogDir, state.ThreadKey + extension);
}

bool CheckSourceFolder(const RunState& state, UserFacing& ui) {
    if (FolderExists(state.LogDir)) return true;
    ShowNotice(ui, FillText(msg::kSourceFolderMissing, {state.LogDir}),
               NoticeKind::Error);
    return false;
}

bool CheckSourceFiles(const RunState& state, UserFacing& ui) {
    for (const char* extension : {".dat", ".inf"}) {
        const std::string path = SourceLogPath(state, extension);
        if (!FileIsPresent(path)) {
            ShowNotice(ui, FillText(msg::kSourceFileMissing, {path}),
                       NoticeKind::Error);
            return false;
        }
    }
    return true;
}

}  // namespace qb
