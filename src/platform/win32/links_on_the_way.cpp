// The identity of an entry, its own or that of what it leads to, and the
// links met on the way to it: symbolic links and junctions read one hop at
// a time from their reparse data, as Windows resolves them.
#include <windows.h>

#include <winioctl.h>

#include <algorithm>
#include <cwchar>

#include "platform/folders.h"
#include "platform/win32/encoding.h"
#include "platform/win32/file_helpers.h"

namespace qb {

namespace {

// More hops than Windows itself follows mean a loop.
constexpr int kMostHops = 63;

// The reparse data of a symbolic link or junction, as far as it is read:
// a symbolic link's flags come before the names, a junction has none.
struct ReparseData {
    DWORD tag;
    WORD length;
    WORD reserved;
    WORD name_offset;  // the name Windows substitutes
    WORD name_length;
    WORD shown_offset;
    WORD shown_length;
    ULONG flags;
};

// Where the link or junction `link`, open as `h`, leads: a long-form path,
// its "." and ".." still in it. False for a reparse point of another kind
// or one whose data cannot be read.
bool ReparseTarget(HANDLE h, const std::wstring& link, std::wstring& target) noexcept {
    alignas(8) unsigned char buffer[MAXIMUM_REPARSE_DATA_BUFFER_SIZE];
    const auto* data = reinterpret_cast<const ReparseData*>(buffer);
    DWORD size = 0;
    if (!DeviceIoControl(h, FSCTL_GET_REPARSE_POINT, nullptr, 0, buffer, sizeof buffer, &size,
                         nullptr) ||
        size < sizeof(ReparseData)) {
        return false;
    }
    const bool symbolic = data->tag == IO_REPARSE_TAG_SYMLINK;
    const std::size_t names = symbolic ? sizeof(ReparseData) : offsetof(ReparseData, flags);
    if ((!symbolic && data->tag != IO_REPARSE_TAG_MOUNT_POINT) ||
        names + data->name_offset + data->name_length > size) {
        return false;
    }
    const auto* name = reinterpret_cast<const wchar_t*>(buffer + names + data->name_offset);
    const std::size_t length = data->name_length / sizeof(wchar_t);
    constexpr ULONG kRelative = 1;  // SYMLINK_FLAG_RELATIVE: against the link's folder
    if (symbolic && (data->flags & kRelative)) {
        target.assign(link, 0, link.find_last_of(L'\\') + 1).append(name, length);
        return true;
    }
    if (length < 4 || std::wmemcmp(name, L"\\??\\", 4) != 0) return false;
    target.assign(L"\\\\?\\").append(name + 4, length - 4);
    return true;
}

bool SameNoCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// What `h`, opened as `asked` itself, is: a symbolic link or junction, or
// what a Unix symbolic link leads to, which Wine opens in its place and
// cannot read (the path it resolves to is not the one asked), or a plain
// entry whose path is `resolved`.
enum class Found { kPlain, kLink, kUnreadableLink, kUnknown };
Found LookAt(HANDLE h, const std::wstring& asked, std::wstring& resolved) noexcept {
    FILE_ATTRIBUTE_TAG_INFO info;
    if (!GetFileInformationByHandleEx(h, FileAttributeTagInfo, &info, sizeof info)) {
        return Found::kUnknown;
    }
    if ((info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
        (info.ReparseTag == IO_REPARSE_TAG_SYMLINK ||
         info.ReparseTag == IO_REPARSE_TAG_MOUNT_POINT)) {
        return Found::kLink;
    }
    if (!FinalPath(h, resolved)) return Found::kUnknown;
    return SameNoCase(resolved, asked) ? Found::kPlain : Found::kUnreadableLink;
}

}  // namespace

// Its own identity only where the handle is the entry itself (see LookAt:
// not where Wine opens a Unix link as its target, nor where the path asked
// holds a link on the way or an 8.3 name).
bool EntryIdAt(const std::string& path, bool entry_itself, FolderId& id) {
    const LongPath asked = LongPathOf(path);
    const DWORD flags =
        FILE_FLAG_BACKUP_SEMANTICS | (entry_itself ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    const HANDLE h = CreateFileW(asked.wide(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                 OPEN_EXISTING, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    std::wstring resolved;
    const Found found = entry_itself ? LookAt(h, asked.text(), resolved) : Found::kPlain;
    const bool known = (found == Found::kPlain || found == Found::kLink) && IdOf(h, id);
    CloseHandle(h);
    return known;
}

// Name by name from the volume's root, each opened as itself (see LookAt):
// `done` is the path resolved so far, `rest` the path being followed from
// `at` on. A link's target, with what is left after it, is followed anew
// from its own root.
bool LinksOnTheWay(const std::string& path, std::vector<FolderId>& links) {
    links.clear();
    std::wstring rest = LongPathOf(path).text();
    if (rest.empty()) return false;
    std::wstring done, next;
    std::size_t at = 0;
    for (int hops = 0;;) {
        if (at == 0) {
            at = VolumeRootLength(rest);
            done.assign(rest, 0, at);
        }
        if (at >= rest.size()) return true;
        const std::size_t end = std::min(rest.find(L'\\', at), rest.size());
        const std::size_t length = end - at;
        const bool dot = length == 1 && rest[at] == L'.';
        const bool up = length == 2 && rest[at] == L'.' && rest[at + 1] == L'.';
        if (up) done.resize(std::max(done.find_last_of(L'\\'), VolumeRootLength(done)));
        if (length == 0 || dot || up) {
            at = end + 1;
            continue;
        }
        if (done.back() != L'\\') done += L'\\';
        done.append(rest, at, length);
        at = end + 1;
        const LongPath here = LongPathOf(done);
        const HANDLE h = CreateFileW(here.wide(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                     OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                     nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        const Found found = LookAt(h, done, next);
        FolderId id;
        const bool told = found == Found::kPlain ||
                          (found != Found::kUnknown && ++hops <= kMostHops && IdOf(h, id) &&
                           (found == Found::kUnreadableLink || ReparseTarget(h, done, next)));
        CloseHandle(h);
        if (!told) return false;
        if (found != Found::kPlain) links.push_back(id);
        if (found != Found::kLink) {
            done.swap(next);
            continue;
        }
        if (at < rest.size()) next.append(1, L'\\').append(rest, at, std::wstring::npos);
        rest.swap(next);
        at = 0;
    }
}

}  // namespace qb
