// The Recycle Bin on Windows: the shell's own (SHFileOperationW with undo
// and no window of its own), given plain full paths, one call for each
// folder's batch. The shell decides what happens to each: the bin of its
// drive, or deleted for good where the drive has none (a network share, a
// drive whose bin is turned off). Under Wine the bin is the freedesktop.org
// trash of $XDG_DATA_HOME.
#include <windows.h>

#include <shellapi.h>

#include <cwchar>

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
bool PlainPath(const std::wstring& long_path, std::wstring& plain) {
    const std::wstring unc = L"\\\\?\\UNC\\";
    if (long_path.compare(0, unc.size(), unc) == 0) {
        plain = L"\\\\" + long_path.substr(unc.size());
        return true;
    }
    if (long_path.size() >= 6 && long_path.compare(0, 4, L"\\\\?\\") == 0 &&
        long_path[5] == L':') {
        plain = long_path.substr(4);
        return true;
    }
    return false;
}

bool IsDigitOrSuperscript(wchar_t c) {
    return (c >= L'0' && c <= L'9') || c == 0x00B9 || c == 0x00B2 || c == 0x00B3;
}

// Whether a plain path ending in `name` names that entry and nothing else:
// Windows cuts dots and blanks at the end of a name and takes "NUL",
// "CON", "COM1.txt" and the like for devices, and the shell takes '*' and
// '?' for wildcards (which would reach the hidden entries beside it).
bool ShellTakesName(const std::wstring& name) {
    if (name.empty() || name.back() == L'.' || name.back() == L' ') return false;
    for (const wchar_t c : name) {
        if (c < 0x20 || std::wcschr(L"<>:\"/\\|?*", c) != nullptr) return false;
    }
    std::wstring base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.pop_back();
    for (wchar_t& c : base) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
        if (base == device) return false;
    }
    return !(base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0) &&
             IsDigitOrSuperscript(base[3]));
}

// Whether the listed entry has left `parent`: its name leads nowhere, or
// to another entry that has taken the name meanwhile.
bool IsGone(OpenFolder parent, const ListedEntry& entry) {
    constexpr LONG kNameNotFound = static_cast<LONG>(0xC0000034);
    LONG status = 0;
    const HANDLE h =
        OpenEntryOf(Handle(parent), entry.name, FILE_READ_ATTRIBUTES, kShareAll, 0, status);
    if (h == INVALID_HANDLE_VALUE) return status == kNameNotFound;
    std::uint64_t index = 0;
    const bool other = FileIndexOf(h, index) && index != entry.id.index;
    CloseHandle(h);
    return other;
}

}  // namespace

bool OpenRecycleBin(RecycleBin& bin) {
    const FARPROC operation = ShellFunction("SHFileOperationW");
    bin.value = operation ? reinterpret_cast<std::intptr_t>(operation) : -1;
    return operation != nullptr;
}

// The shell stays loaded for the rest of the run.
void CloseRecycleBin(RecycleBin) {}

// The bins are hidden system folders, which no emptying enters.
std::vector<FolderId> RecycleBinFolders(RecycleBin) { return {}; }

void SendToRecycleBin(RecycleBin bin, OpenFolder parent,
                      const std::vector<const ListedEntry*>& entries, std::vector<bool>& taken) {
    taken.assign(entries.size(), false);
    if (bin.value == -1) return;
    std::wstring long_parent, plain_parent;
    if (!FinalPath(Handle(parent), long_parent) || !PlainPath(long_parent, plain_parent)) return;
    if (plain_parent.back() != L'\\') plain_parent += L'\\';
    // The paths, each ended by a NUL, and one NUL more.
    std::wstring from;
    std::vector<bool> sent(entries.size(), false);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ListedEntry& entry = *entries[i];
        // Never a link: the shell would move or delete what it leads to.
        if (entry.kind == EntryKind::kLink || entry.hidden || !ShellTakesName(entry.name)) continue;
        const std::wstring path = plain_parent + entry.name;
        if (path.size() >= MAX_PATH) continue;
        // Still the entry the walk listed, and itself, right before the
        // shell is given its path (the handle closed again: Windows moves
        // no folder that is held open).
        const HANDLE h = OpenListedEntry(Handle(parent), long_parent, entry.name, entry.kind,
                                         entry.id.index, 0);
        if (h == INVALID_HANDLE_VALUE) continue;
        CloseHandle(h);
        from += path;
        from += L'\0';
        sent[i] = true;
    }
    if (from.empty()) return;
    from += L'\0';
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NO_UI;
    // Its answer says little of which entries went (Wine stops at the first
    // that fails, Windows may have taken some): each is looked at instead.
    reinterpret_cast<FileOperation>(bin.value)(&operation);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        taken[i] = sent[i] && IsGone(parent, *entries[i]);
    }
}

}  // namespace qb
