#include "copy/log_copy.h"

#include "copy/source_checks.h"
#include "platform/path_text.h"
#include "run/folder_creator.h"
#include "run/messages.h"
#include "run/notices.h"

namespace qb {

std::string CopiedLogPath(const RunState& state, const char* extension) {
    return JoinPath(state.CopyDir, state.ThreadKey + extension);
}

bool EnsureCopyFolder(const RunState& state, UserFacing& ui) {
    if (FolderExists(state.CopyDir)) return true;
    // A creation reported as done is believed only when the folder is there.
    if (CreateFolderPath(state.CopyDir) && FolderExists(state.CopyDir)) return true;
    ShowNotice(ui, Quoted(msg::kCopyFolderHead, state.CopyDir, msg::kCopyFolderFailedTail),
               'e');
    return false;
}

bool CopyLogFiles(const RunState& state, UserFacing& ui) {
    // The .inf only after the .dat; a failed .inf leaves the .dat copy.
    const bool copied =
        CopyFiles({{SourceLogPath(state, ".dat"), CopiedLogPath(state, ".dat")},
                   {SourceLogPath(state, ".inf"), CopiedLogPath(state, ".inf")}}) == 2;
    if (!copied) ShowNotice(ui, msg::kCopyFailed, 'e');
    return copied;
}

}  // namespace qb
