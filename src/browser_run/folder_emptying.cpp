#include "browser_run/folder_emptying.h"

#include <vector>

#include "platform/path_text.h"
#include "run/messages.h"
#include "run/notices.h"

namespace qb {

namespace {

bool IsDotEntry(const std::string& name) { return name == "." || name == ".."; }

}  // namespace

bool FolderHasEntries(const std::string& dir) {
    std::vector<FolderEntry> entries;
    if (!ListFolder(dir, entries)) return false;
    for (const FolderEntry& entry : entries) {
        if (!IsDotEntry(entry.name)) return true;
    }
    return false;
}

bool EmptyFolder(const std::string& dir, UserFacing& ui) {
    std::vector<FolderEntry> entries;
    if (!ListFolder(dir, entries)) return true;
    for (const FolderEntry& entry : entries) {
        if (IsDotEntry(entry.name)) continue;
        const std::string path = JoinPath(dir, entry.name);
        if (!entry.is_folder) {
            if (!RemoveFile(path)) {
                ShowNotice(ui, Quoted(msg::kFileHead, path, msg::kCannotDeleteTail), 'e');
            }
            continue;
        }
        if (!entry.is_link) EmptyFolder(path, ui);
        if (!RemoveFolder(path)) {
            ShowNotice(ui, Quoted(msg::kFolderHead, path, msg::kCannotDeleteTail), 'e');
        }
    }
    return true;
}

}  // namespace qb
