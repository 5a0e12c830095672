#include "base/run_turn.h"

#include <tuple>

#include "base/folder_identity.h"

namespace qb {

namespace {

// Where a folder stands in the order the locks are taken in: by identity;
// a folder that cannot be told apart after all the others, by its path.
struct LockOrder {
    bool known;
    FolderId id;
    std::string path;
    bool operator<(const LockOrder& o) const {
        if (known != o.known) return known;
        if (!known) return path < o.path;
        return std::tie(id.volume, id.index) < std::tie(o.id.volume, o.id.index);
    }
};

LockOrder OrderOf(const std::string& folder) {
    LockOrder order{false, FolderId{}, folder};
    order.known = FolderIdAt(folder, order.id);
    return order;
}

}  // namespace

RunTurn::RunTurn(const std::string& program_folder, const std::string& root) {
    const LockOrder a = OrderOf(program_folder), b = OrderOf(root);
    const bool one = a.known && b.known && a.id == b.id;
    const LockOrder& first = b < a ? b : a;
    const LockOrder& second = b < a ? a : b;
    first_ = TakeRunLock(first.path);
    if (one) return;
    try {
        second_ = TakeRunLock(second.path);
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
