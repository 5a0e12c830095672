// Folder queries and creation over the wide Win32 API.
#include <windows.h>

#include "platform/files.h"
#include "platform/program.h"
#include "platform/win32/encoding.h"
#include "platform/win32/file_helpers.h"
#include "platform/win32/long_path.h"

namespace qb {

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

bool CreateFolder(const std::string& path) {
    const LongPath long_path = LongPathOf(path);
    return CreateDirectoryW(long_path.wide(), nullptr) != 0;
}

}  // namespace qb
