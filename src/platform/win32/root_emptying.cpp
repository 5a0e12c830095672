// Emptying the destination root on Windows by the wide names the listing
// returns, each removed through a long absolute path ("\\?\" form), so that
// no name is ever read back through code page 932 and depth is no limit.
#include <windows.h>

#include "platform/folders.h"
#include "platform/program.h"
#include "platform/win32/encoding.h"
#include "platform/win32/file_helpers.h"

namespace qb {

namespace {

HANDLE Handle(OpenFolder folder) { return reinterpret_cast<HANDLE>(folder.value); }

struct Entry {
    std::wstring name;
    DWORD attributes;
};

class Emptier {
public:
    Emptier(const std::string& display_root, const std::vector<FolderId>& kept,
            EmptyingListener& listener)
        : display_(display_root), kept_(kept), listener_(listener) {}

    // Empties the folder at `root` (long form), which must still be the
    // folder `checked`. Each folder's listing is read in full and closed
    // before going down. Each folder on the way down is held open without
    // delete sharing while it is emptied, so that none of them can be
    // renamed or replaced (by a junction to elsewhere, say) under the path
    // the entries are removed through. What is left to do at each level is
    // kept on the heap, not the call stack, and one path is extended and cut
    // back, so that depth exhausts neither the stack nor the memory.
    void Empty(const std::wstring& root, const FolderId& checked) {
        path_ = root;
        std::vector<Level> levels(1);
        levels[0].held = Hold(root);
        if (levels[0].held == INVALID_HANDLE_VALUE) return;
        if (!IsSame(levels[0].held, checked)) {
            CloseHandle(levels[0].held);
            return;
        }
        if (IsKept(levels[0].held)) {
            CloseHandle(levels[0].held);
            listener_.CannotRemove(display_, true);
            return;
        }
        List(levels[0].entries);
        for (;;) {
            Level& level = levels.back();
            if (level.next == level.entries.size()) {
                CloseHandle(level.held);
                if (levels.size() == 1) return;
                path_.resize(level.path_mark);
                display_.resize(level.display_mark);
                levels.pop_back();
                const Entry& done = levels.back().entries[levels.back().next - 1];
                if (!RemoveDirectoryW(Join(done.name).c_str())) Report(done.name, true);
                continue;
            }
            const Entry& entry = level.entries[level.next++];
            const std::wstring full = Join(entry.name);
            if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY)) {
                if (!DeleteFileW(full.c_str())) Report(entry.name, false);
                continue;
            }
            // A junction or folder link is removed itself, never entered; so
            // is a folder that became one since the listing.
            const HANDLE held = (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT)
                                    ? INVALID_HANDLE_VALUE
                                    : Hold(full);
            if (held == INVALID_HANDLE_VALUE) {
                if (!RemoveDirectoryW(full.c_str())) Report(entry.name, true);
                continue;
            }
            if (IsKept(held)) {
                // A folder that must stay, reached from inside the root (the
                // log folder through a drive letter, say): neither entered
                // nor removed, and named once.
                CloseHandle(held);
                Report(entry.name, true);
                continue;
            }
            Level down;
            down.held = held;
            down.path_mark = path_.size();
            down.display_mark = display_.size();
            display_ += '\\';
            display_ += DisplayName(entry.name);
            path_ = full;
            List(down.entries);
            levels.push_back(std::move(down));  // `level` and `entry` are not used again
        }
    }

private:
    // A folder being emptied: its entries, the next one to do, the handle
    // that holds it in place, and the lengths of the path and the display
    // path above it.
    struct Level {
        std::vector<Entry> entries;
        std::size_t next = 0;
        HANDLE held = INVALID_HANDLE_VALUE;
        std::size_t path_mark = 0;
        std::size_t display_mark = 0;
    };

    // Whether the open folder is one that must stay (the costly question of
    // its volume asked only when its file index is one of theirs).
    bool IsKept(HANDLE h) const {
        for (const FolderId& k : kept_) {
            if (IsSame(h, k)) return true;
        }
        return false;
    }

    // Opens the folder at `path` itself (a link or junction is not
    // followed) so that it can be neither renamed nor removed while open.
    // Fails for anything that is not a plain folder.
    static HANDLE Hold(const std::wstring& path) {
        const HANDLE h = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                     nullptr);
        if (h == INVALID_HANDLE_VALUE) return h;
        DWORD attributes = 0;
        if (AttributesOf(h, attributes) && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
            return h;
        CloseHandle(h);
        return INVALID_HANDLE_VALUE;
    }

    // The entries of the folder at `path_`, but for hidden and system ones.
    void List(std::vector<Entry>& entries) const {
        WIN32_FIND_DATAW data;
        const HANDLE find = FindFirstFileW(Join(L"*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return;
        const DWORD skipped = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | kVolumeAttribute;
        do {
            if ((data.dwFileAttributes & skipped) || IsDot(data.cFileName)) continue;
            entries.push_back(Entry{data.cFileName, data.dwFileAttributes});
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }

    std::wstring Join(const std::wstring& name) const {
        std::wstring joined = path_;
        if (joined.empty() || joined.back() != L'\\') joined += L'\\';
        joined += name;
        return joined;
    }

    static std::string DisplayName(const std::wstring& name) {
        std::string shown;
        ToCp932(name, shown);
        return shown;
    }

    void Report(const std::wstring& name, bool is_folder) {
        listener_.CannotRemove(display_ + '\\' + DisplayName(name), is_folder);
    }

    std::wstring path_;
    std::string display_;
    const std::vector<FolderId>& kept_;
    EmptyingListener& listener_;
};

}  // namespace

void EmptyOpenFolder(OpenFolder folder, const std::string& display_root,
                     const std::vector<FolderId>& kept, EmptyingListener& listener) {
    std::wstring path;
    FolderId checked;
    if (!FinalPath(Handle(folder), path) || !IdOf(Handle(folder), checked)) return;
    Emptier emptier(display_root, kept, listener);
    emptier.Empty(path, checked);
}

}  // namespace qb
