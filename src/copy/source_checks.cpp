#include "copy/source_checks.h"

#include "base/messages.h"
#include "base/notices.h"
#include "platform/files.h"

namespace qb {

bool CheckSourceFolder(const Places& places, UserFacing& ui) {
    if (FolderExists(places.source_folder)) return true;
    ShowNotice(ui, FillText(msg::kSourceFolderMissing, {places.source_folder}),
               NoticeKind::Error);
    return false;
}

bool CheckSourceFiles(const Places& places, UserFacing& ui) {
    for (const std::string* path : {&places.source_dat, &places.source_inf}) {
        if (!FileIsPresent(*path)) {
            ShowNotice(ui, FillText(msg::kSourceFileMissing, {*path}), NoticeKind::Error);
            return false;
        }
    }
    return true;
}

}  // namespace qb
