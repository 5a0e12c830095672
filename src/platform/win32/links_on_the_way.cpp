// The identity of an entry, its own or that of what it leads to, and the
// links met on the way to it: symbolic links and junctions read one hop at
// a time from their reparse data, as Windows resolves them.
#include <windows.h>

#include <winioctl.h>

#include <cstring>

#include "platform/folders.h"
#include "platform/win32/encoding.h"
#include "platform/win32/file_helpers.h"

namespace qb {

namespace {

// More hops than Windows itself follows mean a loop.
constexpr int kMostHops = 63;

// The length of the root of a long-form path: a drive's, a share's or a
// volume's named by its GUID ("\\?\Volume{...}\"); 0 for none of them.
std::size_t RootLength(const std::wstring& path) {
    if (path.compare(0, 4, L"\\\\?\\") != 0) return 0;
    if (path.compare(4, 7, L"Volume{") == 0) {
        const std::size_t end = path.find(L'\\', 4);
        return end == std::wstring::npos ? 0 : end + 1;
    }
    const std::size_t length = VolumeRootLength(path);
    return length > path.size() ? path.size() : length;
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    return folder.empty() || folder.back() == L'\\' ? folder + name : folder + L'\\' + name;
}

// `path` cut into its root and its names, the last name first, so that the
// names still to go can be taken from the back.
bool Split(const std::wstring& path, std::wstring& root, std::vector<std::wstring>& reversed) {
    const std::size_t length = RootLength(path);
    if (length == 0) return false;
    root = path.substr(0, length);
    std::vector<std::wstring> names;
    std::size_t at = length;
    while (at < path.size()) {
        std::size_t end = path.find(L'\\', at);
        if (end == std::wstring::npos) end = path.size();
        if (end > at) names.push_back(path.substr(at, end - at));
        at = end + 1;
    }
    reversed.insert(reversed.end(), names.rbegin(), names.rend());
    return true;
}

// Where the link or junction open as `h`, in the folder `folder`, leads:
// a long-form path, its "." and ".." still in it. False for a reparse
// point of another kind or one whose data cannot be read.
bool ReparseTarget(HANDLE h, const std::wstring& folder, std::wstring& target) {
    std::vector<unsigned char> data(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
    DWORD size = 0;
    if (!DeviceIoControl(h, FSCTL_GET_REPARSE_POINT, nullptr, 0, data.data(),
                         static_cast<DWORD>(data.size()), &size, nullptr) ||
        size < 16) {
        return false;
    }
    DWORD tag = 0;
    WORD offset = 0, length = 0;
    std::memcpy(&tag, &data[0], sizeof tag);
    std::memcpy(&offset, &data[8], sizeof offset);
    std::memcpy(&length, &data[10], sizeof length);
    // Symbolic links carry their flags before the names, junctions do not.
    const std::size_t names = tag == IO_REPARSE_TAG_SYMLINK ? 20 : 16;
    ULONG flags = 0;
    if (tag == IO_REPARSE_TAG_SYMLINK && size >= 20) std::memcpy(&flags, &data[16], sizeof flags);
    if ((tag != IO_REPARSE_TAG_SYMLINK && tag != IO_REPARSE_TAG_MOUNT_POINT) ||
        names + offset + length > size || length % 2 != 0) {
        return false;
    }
    std::wstring name(length / 2, L'\0');
    std::memcpy(&name[0], &data[names + offset], length);
    constexpr ULONG kRelative = 1;  // SYMLINK_FLAG_RELATIVE
    if (tag == IO_REPARSE_TAG_SYMLINK && (flags & kRelative)) {
        target = Join(folder, name);
        return true;
    }
    if (name.compare(0, 4, L"\\??\\") != 0) return false;
    target = L"\\\\?\\" + name.substr(4);
    return true;
}

bool SameNoCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// What the name `asked`, in the folder `folder`, is, open as itself in `h`.
// A symbolic link or junction: `link`, its identity in `id`, and `next`
// where it leads. Wine cannot open a Unix symbolic link as itself nor read
// it, and opens what it leads to: a path resolved to elsewhere than the one
// asked tells it, and then `link`, the identity of what it leads to in
// `id` and that path in `next`. Otherwise `next` is the path resolved.
// False when it cannot be told.
bool LookAt(HANDLE h, const std::wstring& folder, const std::wstring& asked, bool& link,
            std::wstring& next, FolderId& id) {
    FILE_ATTRIBUTE_TAG_INFO info;
    if (!GetFileInformationByHandleEx(h, FileAttributeTagInfo, &info, sizeof info)) return false;
    if ((info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
        (info.ReparseTag == IO_REPARSE_TAG_SYMLINK ||
         info.ReparseTag == IO_REPARSE_TAG_MOUNT_POINT)) {
        link = true;
        return IdOf(h, id) && ReparseTarget(h, folder, next);
    }
    if (!FinalPath(h, next)) return false;
    link = !SameNoCase(next, asked);
    return !link || IdOf(h, id);
}

}  // namespace

bool EntryIdAt(const std::string& path, bool entry_itself, FolderId& id) {
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS |
                        (entry_itself ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    const HANDLE h = CreateFileW(LongForm(FullPath(WidePath(path))).c_str(), FILE_READ_ATTRIBUTES,
                                 kShareAll, nullptr, OPEN_EXISTING, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool known = IdOf(h, id);
    CloseHandle(h);
    return known;
}

// Name by name from the volume's root, each opened as itself (see LookAt),
// going on from the path each one resolves to.
bool LinksOnTheWay(const std::string& path, std::vector<FolderId>& links) {
    links.clear();
    std::wstring done;
    std::vector<std::wstring> names;
    if (!Split(LongForm(FullPath(WidePath(path))), done, names)) return false;
    int hops = 0;
    while (!names.empty()) {
        const std::wstring name = names.back();
        names.pop_back();
        if (name == L".") continue;
        if (name == L"..") {
            const std::size_t root = RootLength(done);
            const std::size_t cut = done.find_last_of(L'\\');
            done.resize(cut == std::wstring::npos || cut < root ? root : cut);
            continue;
        }
        const std::wstring asked = Join(done, name);
        const HANDLE h = CreateFileW(asked.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                     OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                     nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        bool link = false;
        std::wstring next;
        FolderId id;
        const bool told = LookAt(h, done, asked, link, next, id);
        CloseHandle(h);
        if (!told || (link && ++hops > kMostHops)) return false;
        if (!link) {
            done = next;
            continue;
        }
        // Its target takes the place of the names so far.
        links.push_back(id);
        std::vector<std::wstring> more;
        if (!Split(next, done, more)) return false;
        names.insert(names.end(), more.begin(), more.end());
    }
    return true;
}

}  // namespace qb
