#include "copy/destination_root.h"

#include "base/folder_creator.h"
#include "base/messages.h"
#include "base/notices.h"
#include "base/path_text.h"

namespace qb {

std::optional<std::string> EnsureDestinationRoot(const std::string& argument, bool exact,
                                                 UserFacing& ui) {
    // The folders below the root are named through it: it is spelt as the
    // system names it, else "dest " would be the root and "dest \x" a
    // folder "dest " that the copy cannot reach.
    std::string root = RemoveTrailingSeparator(argument);
    if (kEndBlanksAndDotsIgnored) root = WithoutIgnoredEnd(root);
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
