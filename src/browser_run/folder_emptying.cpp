#include "browser_run/folder_emptying.h"

#include <vector>

#include "base/messages.h"
#include "base/notices.h"
#include "platform/files.h"

namespace qb {

namespace {

// Each entry that stays is one error notice, and the emptying goes on.
class NoticeListener : public EmptyingListener {
public:
    explicit NoticeListener(UserFacing& ui) : ui_(ui) {}
    void CannotRemove(const std::string& display_path, bool is_folder) override {
        ShowNotice(ui_,
                   FillText(is_folder ? msg::kCannotDeleteFolder : msg::kCannotDeleteFile,
                            {display_path}),
                   NoticeKind::Error);
    }

private:
    UserFacing& ui_;
};

}  // namespace

bool FolderHasEntries(const std::string& dir) {
    std::vector<FolderEntry> entries;
    return ListFolder(dir, entries) && !entries.empty();
}

void EmptyFolder(OpenFolder root, const std::string& display_root,
                 const std::vector<FolderId>& kept, UserFacing& ui) {
    NoticeListener listener(ui);
    EmptyOpenFolder(root, display_root, kept, listener);
}

}  // namespace qb
