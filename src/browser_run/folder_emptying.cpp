#include "browser_run/folder_emptying.h"

#include <algorithm>
#include <type_traits>
#include <utility>

#include "base/messages.h"
#include "base/notices.h"
#include "platform/files.h"
#include "platform/folder_walk.h"

namespace qb {

namespace {

// A folder being emptied, post-order: its listing, read once, and what is
// left to do there. With a bin, the files it holds (and its children that
// may go whole) are gathered while it is walked and sent in one batch when
// it is done, unless it may go whole itself: then it is left to its parent.
struct Level {
    OpenFolder folder;
    FolderId id;
    std::vector<ListedEntry> entries;
    std::size_t next = 0;                       // the next entry to look at
    const ListedEntry* self = nullptr;          // its entry in the parent's listing
    bool deleting = false;                      // everything removed for good as met
    bool clean = true;                          // nothing below it stays
    bool done_walking = false;                  // its batch is decided
    std::vector<const ListedEntry*> batch;      // for the bin, when it is done
    std::vector<const ListedEntry*> leftovers;  // the bin did not take them
    std::size_t next_leftover = 0;
    std::size_t display_mark = 0;  // the display path's length above it
};
// The batches point into the listings of the levels: a level must move, never
// be copied, when the stack of levels grows.
static_assert(std::is_nothrow_move_constructible<Level>::value, "levels move");

class Emptying {
public:
    Emptying(const std::string& display_root, const KeptIds& kept,
             const RecycleBin* bin, UserFacing& ui)
        : display_(display_root), kept_(kept), bin_(bin), ui_(ui) {}

    // What is left to do at each level is kept on the heap, never on the
    // call stack, so that no depth can exhaust the stack.
    void Run(OpenFolder& root) {
        Level top;
        top.folder = root;
        top.deleting = bin_ == nullptr;
        // A root that cannot be listed stays whole, and says so.
        if (!FolderIdOf(root, top.id) || IsKept(top.id) ||
            !ListOpenFolder(root, top.id, top.entries)) {
            Notice(display_, true);
            return;
        }
        levels_.push_back(std::move(top));
        for (;;) {
            Level& level = levels_.back();
            if (level.next < level.entries.size()) {
                Look(level.entries[level.next++]);
            } else if (!level.done_walking) {
                level.done_walking = true;
                if (level.deleting) continue;
                // A folder that may go whole goes with its parent's batch.
                if (level.clean && levels_.size() > 1) {
                    if (!GoUp()) break;
                    continue;
                }
                SendBatch(level);
            } else if (level.next_leftover < level.leftovers.size()) {
                RemoveForGood(*level.leftovers[level.next_leftover++]);
            } else if (levels_.size() == 1 || !GoUp()) {
                break;
            }
        }
        root = levels_.front().folder;
    }

private:
    bool IsKept(const FolderId& id) const {
        const auto in = [&id](const std::vector<FolderId>& ids) {
            return std::find(ids.begin(), ids.end(), id) != ids.end();
        };
        return in(kept_.folders) || in(kept_.entries);
    }

    // A folder is known by what it tells once opened; where files or links
    // are kept, each of them is asked too, as a listing's number may not be
    // the entry's own. One that cannot be asked stays.
    bool IsKept(const ListedEntry& entry) const {
        if (IsKept(entry.id)) return true;
        if (entry.kind == EntryKind::kFolder || kept_.entries.empty()) return false;
        FolderId id;
        return !EntryIdOf(levels_.back().folder, entry, id) || IsKept(id);
    }

    void Notice(const std::string& display_path, bool is_folder) {
        ShowNotice(ui_,
                   FillText(is_folder ? msg::kCannotDeleteFolder : msg::kCannotDeleteFile,
                            {display_path}),
                   NoticeKind::Error);
    }

    // The entry of the current folder stays: its notice, and the folder
    // cannot go whole.
    void Stays(const ListedEntry& entry) {
        Notice(display_ + kPathSeparator + DisplayName(entry.name),
               entry.kind == EntryKind::kFolder || entry.folder_link);
        levels_.back().clean = false;
    }

    static std::string DisplayName(const SystemString& name) {
        std::string shown;
        ToCp932(name, shown);
        return shown;
    }

    void Remove(const ListedEntry& entry) {
        if (!RemoveEntry(levels_.back().folder, entry)) Stays(entry);
    }

    // One entry of the current folder's listing.
    void Look(const ListedEntry& entry) {
        Level& level = levels_.back();
        if (entry.hidden) {
            level.clean = false;
            return;
        }
        if (IsKept(entry)) return Stays(entry);
        // An entry that a plain path would not name is removed for good as
        // it is met, so that its folder may still go whole: the shell
        // deletes a folder it cannot move to the bin by plain paths, and
        // one such as "COM1.txt" leads out of the root.
        const bool deleting = level.deleting || !entry.named_plainly;
        switch (entry.kind) {
            case EntryKind::kLink:
                return Remove(entry);  // never followed, never sent to the bin
            case EntryKind::kFile:
                if (deleting) return Remove(entry);
                level.batch.push_back(&entry);
                return;
            case EntryKind::kFolder:
                return GoDown(entry, deleting);
        }
    }

    // Enters the child folder `entry` of the current folder, unless it must
    // stay or cannot be listed.
    void GoDown(const ListedEntry& entry, bool deleting) {
        OpenFolder child;
        FolderId id;
        const Level& level = levels_.back();
        switch (OpenChildFolder(level.folder, level.id, entry.name, child, id)) {
            case ChildFolder::kOpened:
                break;
            case ChildFolder::kMountPoint:
                // What is mounted there is not the root's to empty.
                return Stays(entry);
            case ChildFolder::kNotAFolder:
            case ChildFolder::kUnavailable:
                // Not entered (without search permission, there would be no
                // way back up); gone only when it was empty, and never when
                // it is kept.
                if (IsKept(id)) return Stays(entry);
                return Remove(entry);
        }
        Level down;
        down.folder = child;
        down.id = id;
        if (IsKept(id) || !ListOpenFolder(child, id, down.entries)) {
            CloseFolder(child);
            if (IsKept(id)) return Stays(entry);
            return Remove(entry);
        }
        down.self = &entry;
        down.deleting = deleting;
        down.display_mark = display_.size();
        SetAside(levels_.back().folder);
        display_ += kPathSeparator;
        display_ += DisplayName(entry.name);
        levels_.push_back(std::move(down));  // the parent's level moves: no reference to it
    }

    // Back to the parent of the folder just done, which must still be the
    // folder it was; else the walk stops there rather than guess. The folder
    // done is then one of the parent's batch, or removed now that it is
    // empty, or stays.
    bool GoUp() {
        Level done = std::move(levels_.back());
        levels_.pop_back();
        Level& parent = levels_.back();
        if (!ReturnToParent(done.folder, parent.folder, parent.id)) {
            // The folder it stopped in stays, and so does each folder above
            // it, the root included, with what the walk has not reached.
            Notice(display_, true);
            for (std::size_t i = levels_.size(), mark = done.display_mark; i-- > 0;) {
                Notice(display_.substr(0, mark), true);
                mark = levels_[i].display_mark;
            }
            for (Level& level : levels_) CloseFolder(level.folder);
            levels_.front().folder = OpenFolder{};
            return false;
        }
        display_.resize(done.display_mark);
        if (done.deleting) {
            Remove(*done.self);
        } else if (done.clean) {
            parent.batch.push_back(done.self);
        } else {
            Stays(*done.self);
        }
        return true;
    }

    // The folder's batch to the bin; what the bin cannot hold is removed for
    // good afterwards, acting only on what is still there; what it failed
    // to take stays.
    void SendBatch(Level& level) {
        if (level.batch.empty()) return;
        std::vector<Binned> outcome;
        SendToRecycleBin(*bin_, level.folder, level.batch, outcome);
        for (std::size_t i = 0; i < level.batch.size(); ++i) {
            const Binned binned = i < outcome.size() ? outcome[i] : Binned::kStays;
            if (binned == Binned::kForGood) level.leftovers.push_back(level.batch[i]);
            if (binned == Binned::kStays) Stays(*level.batch[i]);
        }
    }

    void RemoveForGood(const ListedEntry& entry) {
        if (entry.kind == EntryKind::kFolder) return GoDown(entry, true);
        Remove(entry);
    }

    std::string display_;
    const KeptIds& kept_;
    const RecycleBin* bin_;
    UserFacing& ui_;
    std::vector<Level> levels_;
};

}  // namespace

bool FolderHasEntries(OpenFolder folder) {
    FolderId id;
    std::vector<ListedEntry> entries;
    if (!FolderIdOf(folder, id) || !ListOpenFolder(folder, id, entries)) return false;
    return std::any_of(entries.begin(), entries.end(),
                       [](const ListedEntry& entry) { return !entry.hidden; });
}

void EmptyFolder(OpenFolder& root, const std::string& display_root,
                 const KeptIds& kept, const RecycleBin* bin, UserFacing& ui) {
    Emptying(display_root, kept, bin, ui).Run(root);
}

}  // namespace qb
