// Opening an entry of a held folder relative to the folder's handle, the
// entry itself and never what a link there leads to, and making sure that
// what was opened is the entry the listing named.
#include <windows.h>
#include <winternl.h>

#include <cstring>

#include "platform/win32/file_helpers.h"

namespace qb {

namespace {

using CreateFileFunction = LONG(WINAPI*)(HANDLE*, ACCESS_MASK, OBJECT_ATTRIBUTES*,
                                         IO_STATUS_BLOCK*, LARGE_INTEGER*, ULONG, ULONG, ULONG,
                                         ULONG, void*, ULONG);

// The one call that opens a name relative to an open folder.
CreateFileFunction CreateFunction() {
    static const auto create = reinterpret_cast<CreateFileFunction>(
        reinterpret_cast<void*>(NtdllFunction("NtCreateFile")));
    return create;
}

}  // namespace

HANDLE OpenEntryOf(HANDLE parent, const std::wstring& name, ACCESS_MASK access, ULONG share,
                   ULONG options, LONG& status) noexcept {
    status = -1;
    const CreateFileFunction create = CreateFunction();
    // A name holding a separator would lead below the folder, an empty one
    // or "." would open the folder itself, ".." its parent.
    if (create == nullptr || name.empty() || name == L"." || name == L".." ||
        name.size() > 32767 || name.find_first_of(L"\\/") != std::wstring::npos) {
        return INVALID_HANDLE_VALUE;
    }
    UNICODE_STRING text;
    text.Buffer = const_cast<wchar_t*>(name.c_str());
    text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, 0, parent, nullptr);
    IO_STATUS_BLOCK io;
    HANDLE h = INVALID_HANDLE_VALUE;
    status = create(&h, access | SYNCHRONIZE, &attributes, &io, nullptr, 0, share, FILE_OPEN,
                    options | FILE_OPEN_FOR_BACKUP_INTENT | FILE_SYNCHRONOUS_IO_NONALERT, nullptr,
                    0);
    return status < 0 ? INVALID_HANDLE_VALUE : h;
}

bool NameOf(HANDLE h, std::wstring& name) noexcept {
    // FILE_NAME_INFO: the name's length in bytes, then the name, which is
    // never longer than the longest path. One run asks one at a time.
    alignas(8) static wchar_t buffer[2 + 32768];
    if (!GetFileInformationByHandleEx(h, FileNameInfo, buffer, sizeof buffer)) return false;
    DWORD length = 0;
    std::memcpy(&length, buffer, sizeof length);
    name.assign(buffer + 2, length / sizeof(wchar_t));
    return true;
}

// Wine opens what a Unix symbolic link leads to even when told to open the
// link itself, and shows it as a plain file or folder (a link to a file is
// listed as a file): only the name the handle resolved to tells it from
// the entry, and deleting through it would delete the target. (Wine also
// gives a name back without the dots and blanks it ends with.)
bool IsEntryItself(HANDLE h, const std::wstring& parent_path, const std::wstring& name) noexcept {
    std::wstring path;
    if (!NameOf(h, path) || parent_path.empty()) return false;
    std::size_t cut = name.size();
    while (cut > 1 && (name[cut - 1] == L'.' || name[cut - 1] == L' ')) --cut;
    const std::size_t folder = parent_path.size() + (parent_path.back() == L'\\' ? 0 : 1);
    return path.size() > folder && path.compare(0, parent_path.size(), parent_path) == 0 &&
           path[folder - 1] == L'\\' &&
           (path.compare(folder, std::wstring::npos, name) == 0 ||
            path.compare(folder, std::wstring::npos, name, 0, cut) == 0);
}

HANDLE OpenListedEntry(HANDLE parent, const std::wstring& parent_path, const std::wstring& name,
                       EntryKind kind, std::uint64_t index, ACCESS_MASK access) noexcept {
    LONG status = 0;
    const HANDLE h = OpenEntryOf(parent, name, access | FILE_READ_ATTRIBUTES, kShareAll,
                                 FILE_OPEN_REPARSE_POINT, status);
    if (h == INVALID_HANDLE_VALUE) return h;
    DWORD attributes = 0;
    std::uint64_t found = 0;
    bool fits = AttributesOf(h, attributes) && FileIndexOf(h, found) && found == index;
    const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool reparse = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    switch (kind) {
        case EntryKind::kFile: fits = fits && !folder && !reparse; break;
        case EntryKind::kFolder: fits = fits && folder && !reparse; break;
        case EntryKind::kLink: fits = fits && reparse; break;
    }
    if (fits && IsEntryItself(h, parent_path, name)) return h;
    CloseHandle(h);
    return INVALID_HANDLE_VALUE;
}

}  // namespace qb
