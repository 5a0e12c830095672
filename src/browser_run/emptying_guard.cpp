#include "browser_run/emptying_guard.h"

#include <algorithm>
#include <string>

#include "base/folder_identity.h"
#include "base/messages.h"
#include "base/notices.h"

namespace qb {

namespace {

// Whether a folder of `chain` (a folder and its parents) is one of `ids`.
bool Meets(const std::vector<FolderId>& chain, const std::vector<FolderId>& ids) {
    return std::find_first_of(chain.begin(), chain.end(), ids.begin(), ids.end()) != chain.end();
}

void Warn(UserFacing& ui, const char* text, const std::vector<std::string>& values) {
    ShowNotice(ui, FillText(text, values), NoticeKind::Warning);
}

// Whether a folder of the user or the system is the root or lies inside it,
// or the root lies inside one refused inside too. A walk up from such a
// folder that stopped short (a bind mount above it) still shows the root
// when the root lies below the stop.
bool OverlapsSystemFolder(const FolderPlace& root, const Places& places, FolderFacts& facts,
                          UserFacing& ui) {
    for (const NamedFolder& folder : facts.SystemFolders()) {
        const Relation relation = Relate(root, PlaceOf(folder.folder));
        if (relation == Relation::kSame || relation == Relation::kHolds ||
            (relation == Relation::kInside && folder.inside_refused)) {
            Warn(ui, msg::kOverlapSystemFolder, {places.root, folder.path});
            return true;
        }
    }
    return false;
}

}  // namespace

bool RootMayBeEmptied(const Places& places, OpenFolder root, FolderFacts& facts,
                      UserFacing& ui) {
    const FolderPlace place = PlaceOf(root);
    // The log folder in any relation: emptying a folder inside it would
    // delete logs too, and one that holds it would delete them all. A
    // site's or board's folder linked from it is one of its folders too,
    // and so is every folder inside that (one that holds it keeps it on
    // the way down).
    if (Relate(place, PlaceOf(places.log_folder)) != Relation::kApart ||
        Meets(place.chain, facts.LogSideFolders())) {
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
    if (facts.SettingsFolder() && !place.chain.empty() &&
        *facts.SettingsFolder() == place.chain.front()) {
        Warn(ui, msg::kOverlapSettingsFile, {places.root, facts.SettingsTarget()});
        return false;
    }
    if (IsVolumeRoot(root, places.root)) {
        Warn(ui, msg::kRootIsDriveRoot, {places.root});
        return false;
    }
    return !OverlapsSystemFolder(place, places, facts, ui);
}

}  // namespace qb
