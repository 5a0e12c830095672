// Folder identity on Windows: the volume serial number and file ID of an
// open handle, the walk up the parents of a folder's final path, and
// volume roots.
#include <windows.h>

#include <algorithm>

#include "platform/folders.h"
#include "platform/program.h"
#include "platform/win32/encoding.h"
#include "platform/win32/file_helpers.h"

namespace qb {

namespace {

HANDLE Handle(OpenFolder folder) { return reinterpret_cast<HANDLE>(folder.value); }

bool IsFolderHandle(HANDLE h) {
    DWORD attributes = 0;
    return AttributesOf(h, attributes) && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The serial numbers of the volumes, by the root their final paths begin
// with, that this run has asked for.
std::vector<std::pair<std::wstring, std::uint64_t>> known_serials;

// The serial number of the volume whose root a final path begins with
// (`root`, "\\?\C:\" or "\\?\UNC\server\share"), asked of `h`, a folder on it,
// once a run for each such root.
bool RootVolumeSerial(const std::wstring& root, HANDLE h, std::uint64_t& serial) {
    for (const auto& entry : known_serials) {
        if (entry.first == root) {
            serial = entry.second;
            return true;
        }
    }
    if (!VolumeSerialOf(h, serial)) return false;
    known_serials.emplace_back(root, serial);
    return true;
}

// Whether a long-form path names the root of a drive ("\\?\C:\"), of a
// share ("\\?\UNC\server\share") or of a volume by its name
// ("\\?\Volume{...}\"), a trailing separator or not.
bool NamesVolumeRoot(std::wstring path) {
    while (path.size() > 4 && path.back() == L'\\' && path[path.size() - 2] != L':') {
        path.pop_back();
    }
    if (path.find(L':') == std::wstring::npos &&
        path.compare(0, 8, L"\\\\?\\UNC\\") != 0) {
        return path.find(L'\\', 4) == std::wstring::npos;
    }
    return path.size() <= VolumeRootLength(path);
}

}  // namespace

// Where the walk up the parents stops: the root of a drive ("\\?\C:\"), a
// network share ("\\?\UNC\server\share") or a volume named by its GUID
// ("\\?\Volume{...}\").
std::size_t VolumeRootLength(const std::wstring& path) {
    const std::wstring unc = L"\\\\?\\UNC\\";
    if (path.compare(0, unc.size(), unc) == 0) {
        const std::size_t server_end = path.find(L'\\', unc.size());
        if (server_end == std::wstring::npos) return path.size();
        const std::size_t share_end = path.find(L'\\', server_end + 1);
        return share_end == std::wstring::npos ? path.size() : share_end;
    }
    if (path.compare(4, 7, L"Volume{") == 0) {
        const std::size_t end = path.find(L'\\', 4);
        return end == std::wstring::npos ? path.size() : end + 1;
    }
    const std::size_t colon = path.find(L':');
    return colon == std::wstring::npos ? path.size() : std::min(colon + 2, path.size());
}

void ForgetVolumeSerials() { known_serials.clear(); }

HANDLE OpenForIdentity(const LongPath& path) {
    return CreateFileW(path.wide(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool OpenFolderByPath(const std::string& path, OpenFolder& folder) {
    const HANDLE h = OpenForIdentity(LongPathOf(path));
    folder.value = reinterpret_cast<std::intptr_t>(h);
    if (h == INVALID_HANDLE_VALUE) return false;
    if (IsFolderHandle(h)) return true;
    CloseHandle(h);
    folder.value = reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE);
    return false;
}

void CloseFolder(OpenFolder folder) {
    if (Handle(folder) != INVALID_HANDLE_VALUE) CloseHandle(Handle(folder));
}

// The folder, then each folder that its final path passes through, a file
// index each; the volume's serial number is asked once for each volume the
// path passes through. A final path holds no link but where a volume is
// mounted in a folder, and such a folder is a reparse point: the folders
// above it are on another volume (the folder itself, followed, is the
// mounted volume's root). Any other reparse point there only costs a
// second question.
bool FolderChain(OpenFolder folder, std::vector<FolderId>& chain) {
    chain.clear();
    std::wstring path;
    if (!FinalPath(Handle(folder), path)) return false;
    const std::size_t root_length = VolumeRootLength(path);
    std::size_t segment = 0;  // where the levels on the current volume begin
    HANDLE h = Handle(folder);
    for (;;) {
        std::uint64_t index = 0;
        if (!FileIndexOf(h, index)) break;
        chain.push_back(FolderId{0, index});
        const bool top = path.size() <= root_length;
        const DWORD seen = GetFileAttributesW(LongPathOf(path).wide());
        const bool mounted_here = seen != INVALID_FILE_ATTRIBUTES &&
                                  (seen & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if (top || mounted_here) {
            std::uint64_t serial = 0;
            const bool known = top ? RootVolumeSerial(path.substr(0, root_length), h, serial)
                                   : VolumeSerialOf(h, serial);
            if (!known) break;
            for (std::size_t i = segment; i < chain.size(); ++i) chain[i].volume = serial;
            segment = chain.size();
        }
        if (h != Handle(folder)) CloseHandle(h);
        h = INVALID_HANDLE_VALUE;
        if (top) return true;
        std::size_t cut = path.find_last_of(L'\\');
        if (cut == std::wstring::npos) break;
        if (cut < root_length) cut = root_length;  // the volume's root keeps its '\'
        path.resize(cut);
        if (path.back() == L':') path += L'\\';
        h = OpenForIdentity(LongPathOf(path));
        if (h == INVALID_HANDLE_VALUE) break;
    }
    if (h != INVALID_HANDLE_VALUE && h != Handle(folder)) CloseHandle(h);
    chain.resize(segment);  // only levels whose volume is known
    return false;
}

// The folder's own identity, its volume's serial number asked once a
// process for each volume a final path begins with, unless the path passes
// a folder where a volume is mounted (a reparse point: see FolderChain).
bool FolderIdOf(OpenFolder folder, FolderId& id) {
    const HANDLE h = Handle(folder);
    std::uint64_t index = 0;
    std::wstring path;
    if (!FileIndexOf(h, index) || !FinalPath(h, path)) return false;
    const std::size_t root_length = VolumeRootLength(path);
    bool mounted_on_the_way = false;
    while (path.size() > root_length && !mounted_on_the_way) {
        const DWORD seen = GetFileAttributesW(LongPathOf(path).wide());
        mounted_on_the_way = seen == INVALID_FILE_ATTRIBUTES || (seen & FILE_ATTRIBUTE_REPARSE_POINT);
        path.resize(std::max(path.find_last_of(L'\\'), root_length));
    }
    std::uint64_t serial = 0;
    const bool known = mounted_on_the_way ? VolumeSerialOf(h, serial)
                                          : RootVolumeSerial(path.substr(0, root_length), h, serial);
    if (!known) return false;
    id = FolderId{serial, index};
    return true;
}

bool IsVolumeRoot(OpenFolder folder, const std::string& path) {
    // As the path names it, after "." and ".." (a drive letter may lead
    // anywhere, but to the user it is a whole drive).
    if (NamesVolumeRoot(LongPathOf(path).text())) return true;
    // As the system resolved it.
    std::wstring final_path;
    if (!FinalPath(Handle(folder), final_path)) return true;
    if (NamesVolumeRoot(final_path)) return true;
    // A volume mounted in a folder: the folder is where its volume begins,
    // its parent is on another one.
    const HANDLE parent = OpenForIdentity(LongPathOf(final_path.substr(
        0, std::max(final_path.find_last_of(L'\\'), VolumeRootLength(final_path)))));
    if (parent == INVALID_HANDLE_VALUE) return false;
    std::uint64_t serial = 0, parent_serial = 0;
    const bool mounted = VolumeSerialOf(Handle(folder), serial) &&
                         VolumeSerialOf(parent, parent_serial) && serial != parent_serial;
    CloseHandle(parent);
    return mounted;
}

}  // namespace qb
