// The walk's primitives on Windows: a held folder listed through its handle
// with each entry's file ID, children opened relative to their held parent
// (never through a path, so depth is no limit and no link on the way is
// followed) and held without delete sharing, so that none of them can be
// renamed or replaced while the walk is below it, and an entry removed
// through a handle on the entry itself.
#include <windows.h>

#include "platform/folder_walk.h"
#include "platform/win32/file_helpers.h"

namespace qb {

namespace {

HANDLE Handle(OpenFolder folder) { return reinterpret_cast<HANDLE>(folder.value); }

// Whether a plain full path that ends in `name` names that entry and
// nothing else, as the shell takes it.
bool NamedPlainly(const std::wstring& name) noexcept {
    const std::wstring path = L"C:\\a\\" + name;
    return ShellTakes(path, L"\\\\?\\" + path);
}

// The entries that `listing`, a handle open for listing, gives, a buffer
// at a time; their identities on the listed folder's volume `volume`.
bool ReadListing(HANDLE listing, std::uint64_t volume, std::vector<ListedEntry>& entries) noexcept {
    // One run lists one folder at a time; aligned as the records need.
    alignas(8) static char buffer[64 * 1024];
    FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
    for (;;) {
        if (!GetFileInformationByHandleEx(listing, kind, buffer, sizeof buffer)) {
            const DWORD error = GetLastError();
            // A folder without even "." and ".." (a volume's root) says the
            // first time that nothing matched.
            return error == ERROR_NO_MORE_FILES ||
                   (error == ERROR_FILE_NOT_FOUND && kind == FileIdBothDirectoryRestartInfo);
        }
        kind = FileIdBothDirectoryInfo;
        for (const char* at = buffer;;) {
            const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
            const std::size_t length = info->FileNameLength / sizeof(wchar_t);
            const bool dots = length <= 2 && info->FileName[0] == L'.' &&
                              (length == 1 || info->FileName[1] == L'.');
            if (!dots) {
                const DWORD a = info->FileAttributes;
                entries.emplace_back();
                ListedEntry& entry = entries.back();
                entry.name.assign(info->FileName, length);
                entry.kind = (a & FILE_ATTRIBUTE_REPARSE_POINT) ? EntryKind::kLink
                             : (a & FILE_ATTRIBUTE_DIRECTORY)   ? EntryKind::kFolder
                                                                : EntryKind::kFile;
                entry.folder_link = entry.kind == EntryKind::kLink &&
                                    (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
                entry.hidden =
                    (a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | kVolumeAttribute)) != 0;
                entry.id = FolderId{volume, static_cast<std::uint64_t>(info->FileId.QuadPart)};
                entry.named_plainly = NamedPlainly(entry.name);
            }
            if (info->NextEntryOffset == 0) break;
            at += info->NextEntryOffset;
        }
    }
}

}  // namespace

bool ListOpenFolder(OpenFolder folder, const FolderId& folder_id,
                    std::vector<ListedEntry>& entries) {
    entries.clear();
    std::wstring path;
    if (!NameOf(Handle(folder), path)) return false;
    const HANDLE listing = ReOpenFile(Handle(folder), FILE_LIST_DIRECTORY | SYNCHRONIZE, kShareAll,
                                      FILE_FLAG_BACKUP_SEMANTICS);
    if (listing == INVALID_HANDLE_VALUE) return false;
    const bool read = ReadListing(listing, folder_id.volume, entries);
    CloseHandle(listing);
    if (!read) return false;
    // Wine lists a Unix symbolic link to a file as that file, with the
    // file's attributes and ID: only opening it tells. An entry that cannot
    // be looked at is taken for a link too, so that it is never handed on
    // whole (with its folder) to anything that might follow it.
    for (ListedEntry& entry : entries) {
        if (entry.kind != EntryKind::kFile || entry.hidden) continue;
        const HANDLE h = OpenListedEntry(Handle(folder), path, entry.name, entry.kind,
                                         entry.id.index, 0);
        if (h == INVALID_HANDLE_VALUE) {
            entry.kind = EntryKind::kLink;
        } else {
            CloseHandle(h);
        }
    }
    return true;
}

bool EntryIdOf(OpenFolder, const ListedEntry& entry, FolderId& id) {
    id = entry.id;
    return true;
}

ChildFolder OpenChildFolder(OpenFolder parent, const FolderId& parent_id,
                            const SystemString& name, OpenFolder& child, FolderId& id) {
    child.value = reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE);
    std::wstring parent_path;
    if (!NameOf(Handle(parent), parent_path)) return ChildFolder::kUnavailable;
    LONG status = 0;
    const HANDLE h = OpenEntryOf(Handle(parent), name, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_OPEN_REPARSE_POINT,
                                 status);
    if (h == INVALID_HANDLE_VALUE) return ChildFolder::kUnavailable;
    DWORD attributes = 0;
    if (!AttributesOf(h, attributes)) {
        CloseHandle(h);
        return ChildFolder::kUnavailable;
    }
    // A junction, a symbolic link or a volume mounted there is a reparse
    // point, opened as itself: never entered. What Wine opens through a
    // Unix link is the target, which only its path tells.
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        !IsEntryItself(h, parent_path, name)) {
        CloseHandle(h);
        return ChildFolder::kNotAFolder;
    }
    // Its volume is its parent's (the costly query is never asked here).
    std::uint64_t index = 0;
    if (!FileIndexOf(h, index)) {
        CloseHandle(h);
        return ChildFolder::kUnavailable;
    }
    id = FolderId{parent_id.volume, index};
    child.value = reinterpret_cast<std::intptr_t>(h);
    return ChildFolder::kOpened;
}

bool OpenChildFollowingLinks(OpenFolder parent, const SystemString& name, OpenFolder& child) {
    LONG status = 0;
    const HANDLE h = OpenEntryOf(Handle(parent), name, FILE_READ_ATTRIBUTES, kShareAll,
                                 FILE_DIRECTORY_FILE, status);
    child.value = reinterpret_cast<std::intptr_t>(h);
    return h != INVALID_HANDLE_VALUE;
}

// The parent stays open, without delete sharing, while the walk is below
// it.
void SetAside(OpenFolder&) {}

// The parent was held all along, so it is still the folder it was.
bool ReturnToParent(OpenFolder child, OpenFolder&, const FolderId&) {
    CloseFolder(child);
    return true;
}

// Through a handle on the entry itself, checked to be what the listing
// showed, so that a link is removed as the link and a name that has come
// to lead elsewhere removes nothing. Where that cannot be (Wine cannot open
// a Unix symbolic link as itself), the entry stays.
bool RemoveEntry(OpenFolder parent, const ListedEntry& entry) {
    std::wstring parent_path;
    if (!NameOf(Handle(parent), parent_path)) return false;
    const HANDLE h = OpenListedEntry(Handle(parent), parent_path, entry.name, entry.kind,
                                     entry.id.index, DELETE);
    if (h == INVALID_HANDLE_VALUE) return false;
    FILE_DISPOSITION_INFO disposition;
    disposition.DeleteFile = TRUE;
    const bool removed =
        SetFileInformationByHandle(h, FileDispositionInfo, &disposition, sizeof disposition) != 0;
    CloseHandle(h);
    return removed;
}

}  // namespace qb
