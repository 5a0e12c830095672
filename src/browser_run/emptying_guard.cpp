#include "browser_run/emptying_guard.h"

#include <string>

#include "base/folder_identity.h"
#include "base/messages.h"
#include "base/notices.h"
#include "base/path_text.h"
#include "platform/text_files.h"

namespace qb {

namespace {

void Warn(UserFacing& ui, const char* text, const std::vector<std::string>& values) {
    ShowNotice(ui, FillText(text, values), NoticeKind::Warning);
}

// Whether a folder of the user or the system is the root or lies inside it.
// A walk up from such a folder that stopped short (a bind mount above it)
// still shows the root when the root lies below the stop.
bool HoldsSystemFolder(const FolderPlace& root, const Places& places, UserFacing& ui) {
    std::vector<NamedFolder> folders = OpenSystemFolders();
    const NamedFolder* held = nullptr;
    for (const NamedFolder& folder : folders) {
        const Relation relation = Relate(root, PlaceOf(folder.folder));
        if (held == nullptr && (relation == Relation::kSame || relation == Relation::kHolds)) {
            held = &folder;
        }
    }
    if (held != nullptr) Warn(ui, msg::kOverlapSystemFolder, {places.root, held->path});
    for (const NamedFolder& folder : folders) CloseFolder(folder.folder);
    return held != nullptr;
}

}  // namespace

bool RootMayBeEmptied(const Places& places, OpenFolder root, UserFacing& ui) {
    const FolderPlace place = PlaceOf(root);
    // The log folder in any relation: emptying a folder inside it would
    // delete logs too, and one that holds it would delete them all.
    if (Relate(place, PlaceOf(places.log_folder)) != Relation::kApart) {
        Warn(ui, msg::kOverlapLogFolder, {places.root, places.log_folder});
        return false;
    }
    // A root inside the program's folder holds neither the program nor its
    // settings file, which sit in its parent.
    const Relation to_program = Relate(place, PlaceOf(places.program_folder));
    if (to_program != Relation::kApart && to_program != Relation::kInside) {
        Warn(ui, msg::kOverlapProgramFolder, {places.root, places.program_folder});
        return false;
    }
    if (IsVolumeRoot(root, places.root)) {
        Warn(ui, msg::kRootIsDriveRoot, {places.root});
        return false;
    }
    return !HoldsSystemFolder(place, places, ui);
}

std::vector<FolderId> FoldersKept(const Places& places, const std::string& settings_file) {
    std::vector<std::string> paths;
    // The log files' folder, then each folder above it up to the log folder,
    // name by name: a ':' in a board's name is no drive's, and a key may
    // lead through folders of its own.
    for (std::string dir = FolderAbove(places.source_dat); dir.size() > places.log_folder.size();
         dir = FolderAbove(dir)) {
        paths.push_back(dir);
    }
    paths.push_back(places.log_folder);
    paths.push_back(places.program_folder);
    paths.push_back(FolderOf(FinalFilePath(settings_file)));
    std::vector<FolderId> kept;
    for (const std::string& path : paths) {
        FolderId id;
        if (FolderIdAt(path, id)) kept.push_back(id);
    }
    // The user's and the system's folders too: one that the walk up from it
    // did not show inside the root (a bind mount, a drive letter on the way)
    // is still found on the way down.
    for (const NamedFolder& folder : OpenSystemFolders()) {
        FolderId id;
        if (FolderIdOf(folder.folder, id)) kept.push_back(id);
        CloseFolder(folder.folder);
    }
    return kept;
}

}  // namespace qb
