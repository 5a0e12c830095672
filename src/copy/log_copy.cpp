#include "copy/log_copy.h"

#include "base/folder_creator.h"
#include "base/folder_identity.h"
#include "base/messages.h"
#include "base/notices.h"
#include "base/path_text.h"

namespace qb {

namespace {

// The nearest of `path` and its parents that exists: while the destination
// folder does not exist, that is where its folders would be created. Walked
// up name by name: a ':' in a board's name is no drive's.
std::string NearestFolder(std::string path) {
    while (!FolderExists(path)) {
        path = FolderAbove(path);
        if (path.empty()) return std::string();
    }
    return path;
}

// Whether `outer` is `place` itself or one of its parents.
bool FoundIn(const FolderPlace& place, const FolderPlace& outer) {
    const Relation relation = Relate(place, outer);
    return relation == Relation::kSame || relation == Relation::kInside;
}

// Whether `place` may be `outer` or lie inside it: unless the walk up from
// `place` reached the top without meeting `outer`. (`outer` is a folder
// without its parents, so nothing can show that `place` holds it.)
bool MayLieIn(const FolderPlace& place, const FolderPlace& outer) {
    if (FoundIn(place, outer)) return true;
    return !place.complete || outer.chain.empty();
}

// True when the folder the copies go to (the destination folder, or one
// below it that a key with a separator leads to) is, or would be created,
// inside the log folder (`log`), where the browser keeps its own logs,
// however it is reached: a link on the way would lead the copies over
// another thread's log. Where the user put the destination root itself in
// the log folder, the copies go there, as the overlap warning promises, but
// only inside the root: a link in it back into the browser's folders is
// refused the same way. Links elsewhere are followed, as every copy tool
// does: a folder link in the root to another drive is the user's own.
// Decided by identity; a place that cannot be told counts as inside the log
// folder.
bool CopyFolderForbidden(const Places& places, const FolderPlace& log) {
    const FolderPlace destination = PlaceOf(NearestFolder(FolderAbove(places.destination_dat)));
    if (!MayLieIn(destination, log)) return false;
    const FolderPlace root = PlaceOf(places.root);
    return !FoundIn(root, log) || !FoundIn(destination, root);
}

}  // namespace

bool EnsureCopyFolder(const Places& places, FolderFacts& facts, UserFacing& ui) {
    // Whether the log folder is among the destination's parents needs only
    // its own identity, not its parents.
    const FolderPlace& log = facts.LogFolderAlone();
    if (CopyFolderForbidden(places, log)) {
        ShowNotice(ui, msg::kCopyFailed, NoticeKind::Error);
        return false;
    }
    const FolderState folder = EnsureFolder(places.destination_folder);
    if (folder == FolderState::kExisted) return true;
    if (folder == FolderState::kCreated) {
        // A link put on the way meanwhile may have led the creation elsewhere.
        if (!CopyFolderForbidden(places, log)) return true;
        ShowNotice(ui, msg::kCopyFailed, NoticeKind::Error);
        return false;
    }
    ShowNotice(ui, FillText(msg::kCopyFolderFailed, {places.destination_folder}),
               NoticeKind::Error);
    return false;
}

bool CopyLogFiles(const Places& places, UserFacing& ui) {
    // The .inf only after the .dat; a failed .inf leaves the .dat copy.
    const bool copied = CopyFiles({{places.source_dat, places.destination_dat},
                                   {places.source_inf, places.destination_inf}}) == 2;
    if (!copied) ShowNotice(ui, msg::kCopyFailed, NoticeKind::Error);
    return copied;
}

}  // namespace qb
