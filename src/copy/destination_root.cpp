#include "copy/destination_root.h"

#include "base/folder_creator.h"
#include "base/messages.h"
#include "base/notices.h"
#include "base/path_text.h"

namespace qb {

std::optional<std::string> EnsureDestinationRoot(const std::string& argument, bool exact,
                                                 UserFacing& ui) {
    const std::string root = RemoveTrailingSeparator(argument);
    if (!exact) {
        ShowNotice(ui, FillText(msg::kRootUnusable, {root}), NoticeKind::Error);
        return std::nullopt;
    }
    switch (EnsureFolder(root)) {
        case FolderState::kExisted:
            return root;
        case FolderState::kCreated:
            ShowNotice(ui, FillText(msg::kRootCreated, {root}), NoticeKind::Information);
            return root;
        case FolderState::kMissing:
            break;
    }
    ShowNotice(ui, FillText(msg::kRootMissing, {root}), NoticeKind::Error);
    return std::nullopt;
}

}  // namespace qb
