// The Recycle Bin on Windows: the shell's own (SHFileOperationW with undo
// and no window of its own), given plain full paths, one call for each
// folder's batch. The shell decides what happens to each: the bin of its
// drive, or deleted for good where the drive has none (a network share, a
// drive whose bin is turned off). Under Wine the bin is the freedesktop.org
// trash of $XDG_DATA_HOME.
#include <windows.h>

#include <shellapi.h>

#include "platform/recycle_bin.h"
#include "platform/win32/file_helpers.h"
#include "platform/win32/shell_library.h"

namespace qb {

namespace {

using FileOperation = int(WINAPI*)(SHFILEOPSTRUCTW*);

HANDLE Handle(OpenFolder folder) { return reinterpret_cast<HANDLE>(folder.value); }

// The plain form of a long path, which the shell takes: "\\?\C:\x" becomes
// "C:\x", "\\?\UNC\server\share\x" becomes "\\server\share\x". False for a
// path that has none (a volume without a drive letter).
bool PlainPath(const std::wstring& long_path, std::wstring& plain) noexcept {
    if (long_path.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
        plain.assign(long_path, 6, std::wstring::npos);
        plain[0] = L'\\';
        return true;
    }
    if (long_path.size() < 6 || long_path[5] != L':') return false;
    plain.assign(long_path, 4, std::wstring::npos);
    return true;
}

// Whether the listed entry has left `parent`: its name leads nowhere, or
// to another entry that has taken the name meanwhile.
bool IsGone(HANDLE parent, const ListedEntry& entry) noexcept {
    constexpr LONG kNameNotFound = static_cast<LONG>(0xC0000034);
    LONG status = 0;
    const HANDLE h = OpenEntryOf(parent, entry.name, FILE_READ_ATTRIBUTES, kShareAll,
                                 FILE_OPEN_REPARSE_POINT, status);
    if (h == INVALID_HANDLE_VALUE) return status == kNameNotFound;
    std::uint64_t index = 0;
    const bool other = FileIndexOf(h, index) && index != entry.id.index;
    CloseHandle(h);
    return other;
}

// Sends the entries of the held folder `parent` to the shell's bin;
// `taken` is all false.
void Send(FileOperation operation_of, HANDLE parent, const std::vector<const ListedEntry*>& entries,
          std::vector<bool>& taken) noexcept {
    std::wstring long_parent, plain, name;
    if (!FinalPath(parent, long_parent) || !PlainPath(long_parent, plain) ||
        !NameOf(parent, name)) {
        return;
    }
    if (plain.back() != L'\\') plain += L'\\';
    if (long_parent.back() != L'\\') long_parent += L'\\';
    // The paths, each ended by a NUL, and one NUL more.
    std::wstring from;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ListedEntry& entry = *entries[i];
        // Never a link: the shell would move or delete what it leads to.
        const std::wstring path = plain + entry.name;
        if (entry.kind == EntryKind::kLink || entry.hidden || path.size() >= MAX_PATH ||
            !ShellTakes(path, long_parent + entry.name)) {
            continue;
        }
        // Still the entry the walk listed, and itself, right before the
        // shell is given its path (the handle closed again: Windows moves
        // no folder that is held open).
        const HANDLE h = OpenListedEntry(parent, name, entry.name, entry.kind,
                                         entry.id.index, 0);
        if (h == INVALID_HANDLE_VALUE) continue;
        CloseHandle(h);
        from.append(path).push_back(L'\0');
        taken[i] = true;
    }
    if (from.empty()) return;
    from.push_back(L'\0');
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NO_UI;
    // Its answer says little of which entries went (Wine stops at the first
    // that fails, Windows may have taken some): each is looked at instead.
    operation_of(&operation);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (taken[i]) taken[i] = IsGone(parent, *entries[i]);
    }
}

// Under Wine, the trash the shell moves what it is given into, in the
// long form; empty on Windows.
std::wstring WineTrash() noexcept {
    using DosName = WCHAR*(CDECL*)(const char*);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto dos_name = reinterpret_cast<DosName>(reinterpret_cast<void*>(
        kernel ? GetProcAddress(kernel, "wine_get_dos_file_name") : nullptr));
    if (dos_name == nullptr) return std::wstring();
    std::wstring value(32768, L'\0');
    DWORD n = GetEnvironmentVariableW(L"XDG_DATA_HOME", &value[0], 32768);
    if (n > 0 && n < 32768 && value[0] == L'/') {
        std::string unix_path(4 * n, '\0');
        const int bytes = WideCharToMultiByte(CP_UTF8, 0, value.c_str(), static_cast<int>(n),
                                              &unix_path[0], static_cast<int>(unix_path.size()),
                                              nullptr, nullptr);
        if (bytes <= 0) return std::wstring();
        unix_path.resize(static_cast<std::size_t>(bytes));
        WCHAR* dos = dos_name(unix_path.c_str());
        if (dos == nullptr) return std::wstring();
        std::wstring trash = LongPathOf(std::wstring(dos) + L"\\Trash").text();
        HeapFree(GetProcessHeap(), 0, dos);
        return trash;
    }
    // The home folder in the system's own form: "\??\Z:\home\user".
    n = GetEnvironmentVariableW(L"WINEHOMEDIR", &value[0], 32768);
    if (n < 5 || n >= 32768 || value.compare(0, 4, L"\\??\\") != 0) return std::wstring();
    value.resize(n);
    return L"\\\\?\\" + value.substr(4) + L"\\.local\\share\\Trash";
}

}  // namespace

// Whether the shell, given the plain path `path`, takes it for the entry
// whose long path is `entry` and nothing else: Windows cuts the dots and
// blanks at the end of a name and takes "NUL", "CON.txt" and the like for
// devices (the long form of the plain path shows both), a ':' past the
// drive's names a stream, and the shell takes '*' and '?' for wildcards
// (which would reach the hidden entries beside it).
bool ShellTakes(const std::wstring& path, const std::wstring& entry) noexcept {
    return LongPathOf(path).text() == entry && path.find_first_of(L"*?") == std::wstring::npos &&
           path.find(L':', 2) == std::wstring::npos;
}

BinState OpenRecycleBin(RecycleBin& bin) {
    const FARPROC operation = ShellFunction(ShellLibrary::kShell, "SHFileOperationW");
    bin.value = operation ? reinterpret_cast<std::intptr_t>(operation) : -1;
    return operation != nullptr ? BinState::kOpen : BinState::kNone;
}

// The shell stays loaded for the rest of the run.
void CloseRecycleBin(RecycleBin) {}

// Windows' bins are hidden system folders, which no emptying enters. Under
// Wine the bin is the freedesktop.org trash of $XDG_DATA_HOME (one that is
// not absolute ignored, as Wine does: then ~/.local/share), a plain folder
// that a root may hold: the shell, asked to move the folder that holds it
// into it, deletes that folder for good, the trash and all it held. Where
// the trash is not there yet, the shell makes it in the nearest folder on
// its way that is: that one is kept instead. Only Wine names a Unix path
// on Windows.
std::vector<FolderId> RecycleBinFolders(RecycleBin) {
    std::vector<FolderId> ids;
    const std::wstring trash = WineTrash();
    if (trash.empty()) return ids;
    const auto add = [&ids](const std::wstring& path) {
        const HANDLE h = OpenForIdentity(LongPathOf(path));
        FolderId id;
        if (h == INVALID_HANDLE_VALUE) return false;
        if (IdOf(h, id)) ids.push_back(id);
        CloseHandle(h);
        return true;
    };
    add(trash + L"\\files");
    add(trash + L"\\info");
    for (std::wstring way = LongPathOf(trash).text(); !add(way);) {
        const std::size_t cut = way.find_last_of(L'\\');
        if (cut == std::wstring::npos || cut < VolumeRootLength(way)) break;
        way.resize(cut);
    }
    return ids;
}

// What the shell did not take is the walk's to remove for good: the shell
// says too little to tell a failure from a drive without a bin.
void SendToRecycleBin(RecycleBin bin, OpenFolder parent,
                      const std::vector<const ListedEntry*>& entries,
                      std::vector<Binned>& outcome) {
    outcome.assign(entries.size(), Binned::kForGood);
    std::vector<bool> taken(entries.size(), false);
    if (bin.value == -1) return;
    // The folder held without delete sharing from the look at its path to
    // the shell's end, so that Windows lets no one rename it meanwhile and
    // put something else where the path leads.
    const HANDLE held = ReOpenFile(Handle(parent), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_FLAG_BACKUP_SEMANTICS);
    if (held == INVALID_HANDLE_VALUE) return;
    Send(reinterpret_cast<FileOperation>(bin.value), held, entries, taken);
    CloseHandle(held);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (taken[i]) outcome[i] = Binned::kTaken;
    }
}

}  // namespace qb
