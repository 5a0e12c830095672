// Folder queries and listing over the wide Win32 API.
#include <windows.h>

#include "platform/files.h"
#include "platform/program.h"
#include "platform/win32/encoding.h"
#include "platform/win32/file_helpers.h"
#include "platform/win32/long_path.h"

namespace qb {

bool IsDot(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

DWORD Attributes(const std::string& path) {
    const LongPath long_path = LongPathOf(path);
    return GetFileAttributesW(long_path.wide());
}

bool FolderExists(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The attributes of the exact name: unlike a search, '*' and '?' in the
// name are never taken as wildcards. Only a failure that says there is no
// such entry (or no way to it) counts as absent: a file that cannot be
// looked at for another reason (an I/O error, a lost network) is present,
// so that reading it fails and is reported, and a settings file is never
// taken for missing and replaced by the template.
bool FileIsPresent(const std::string& path) {
    const DWORD attributes = Attributes(path);
    if (attributes != INVALID_FILE_ATTRIBUTES) return !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_INVALID_DRIVE:
        case ERROR_NOT_READY:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_DIRECTORY:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_ACCESS_DENIED:
            return false;
        default:
            return true;
    }
}

bool ListFolder(const std::string& dir, std::vector<FolderEntry>& entries) {
    entries.clear();
    WIN32_FIND_DATAW data;
    const LongPath pattern = LongPathOf(dir).Child(L"*");
    const HANDLE find = FindFirstFileW(pattern.wide(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    const DWORD skipped = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | kVolumeAttribute;
    do {
        if ((data.dwFileAttributes & skipped) || IsDot(data.cFileName)) continue;
        FolderEntry entry;
        ToCp932(data.cFileName, entry.name);
        entry.is_folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.is_link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entries.push_back(entry);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return true;
}

bool CreateFolder(const std::string& path) {
    const LongPath long_path = LongPathOf(path);
    return CreateDirectoryW(long_path.wide(), nullptr) != 0;
}

}  // namespace qb
