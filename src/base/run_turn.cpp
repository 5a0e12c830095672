#include "base/run_turn.h"

#include <tuple>

#include "base/folder_identity.h"

namespace qb {

namespace {

// Where a lock stands in the order the locks are taken in: by identity;
// a lock whose folder cannot be told apart after all the others, by its
// path.
struct LockOrder {
    bool volume;
    bool known;
    FolderId id;
    std::string path;
    bool operator<(const LockOrder& o) const {
        if (known != o.known) return known;
        if (!known) return std::tie(path, volume) < std::tie(o.path, o.volume);
        return std::tie(id.volume, id.index) < std::tie(o.id.volume, o.id.index);
    }
};

RunLock Take(const LockOrder& lock) {
    return lock.volume ? TakeVolumeRunLock(lock.path) : TakeRunLock(lock.path);
}

}  // namespace

RunTurn::RunTurn(const std::string& program_folder, const std::string& root) {
    LockOrder program{false, false, FolderId{}, program_folder};
    program.known = FolderIdAt(program_folder, program.id);
    LockOrder volume{true, false, FolderId{}, root};
    volume.known = VolumeLockId(root, volume.id);
    const LockOrder& first = volume < program ? volume : program;
    const LockOrder& second = volume < program ? program : volume;
    first_ = Take(first);
    try {
        second_ = Take(second);
    } catch (...) {
        // A path that cannot be named to the system: the turn is not taken,
        // and the lock already held goes back with it.
        ReleaseRunLock(first_);
        throw;
    }
}

RunTurn::~RunTurn() {
    ReleaseRunLock(second_);
    ReleaseRunLock(first_);
}

}  // namespace qb
