// Raw file access for the text reader and writer over the wide Win32 API.
// Every failure raises InOutError.
#include <windows.h>

// The platform's own names, not the Win32 macros.
#undef ReplaceFile

#include "platform/errors.h"
#include "platform/program.h"
#include "platform/text_files.h"
#include "platform/win32/encoding.h"
#include "platform/win32/file_helpers.h"

namespace qb {

namespace {

// A full disk reads the same as a short write.
std::uint32_t ErrorCode(DWORD error) {
    if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) return kIoDiskFull;
    return error;
}

[[noreturn]] void RaiseLastError() { RaiseInOutError(ErrorCode(GetLastError())); }

HANDLE Handle(FileHandle file) { return reinterpret_cast<HANDLE>(file.value); }

FileHandle MakeHandle(HANDLE h) { return FileHandle{reinterpret_cast<std::intptr_t>(h)}; }

}  // namespace

// Text is read from files on a disk only: a device (under Wine a Unix link
// to /dev/zero, say) could feed the program without end.
FileHandle OpenForRead(const std::string& path) {
    // Others may read, replace or rewrite the file while it is read here.
    const LongPath long_path = LongPathOf(path);
    const HANDLE h = CreateFileW(long_path.wide(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) RaiseLastError();
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        RaiseInOutError(kIoAccessDenied);
    }
    return MakeHandle(h);
}

std::size_t ReadFile(FileHandle file, char* buffer, std::size_t size) {
    DWORD read = 0;
    if (!::ReadFile(Handle(file), buffer, static_cast<DWORD>(size), &read, nullptr)) {
        RaiseLastError();
    }
    return read;
}

void RewindFile(FileHandle file) {
    LARGE_INTEGER start;
    start.QuadPart = 0;
    if (!SetFilePointerEx(Handle(file), start, nullptr, FILE_BEGIN)) RaiseLastError();
}

void WriteFile(FileHandle file, const char* data, std::size_t size) {
    while (size > 0) {
        DWORD written = 0;
        if (!::WriteFile(Handle(file), data, static_cast<DWORD>(size), &written, nullptr)) {
            RaiseLastError();
        }
        if (written == 0) RaiseInOutError(kIoDiskFull);
        data += written;
        size -= written;
    }
}

void FlushFile(FileHandle file) {
    if (!FlushFileBuffers(Handle(file))) RaiseLastError();
}

void CloseFile(FileHandle file) {
    if (!CloseHandle(Handle(file))) RaiseLastError();
}

void ReplaceFile(const std::string& src, const std::string& dst) {
    if (!MoveOver(LongPathOf(src), LongPathOf(dst))) RaiseLastError();
}

void DiscardFile(FileHandle file, const std::string& path) {
    if (file.value != -1) CloseHandle(Handle(file));
    const LongPath long_path = LongPathOf(path);
    DeleteFileW(long_path.wide());
}

namespace {

// Whether `h`, opened as `path` with links followed, is the entry of that
// name itself: Wine shows a Unix symbolic link to a file as a plain file,
// opened as its target, which only the name the handle has on its volume
// tells from the entry. (A folder link on the way leads both the folder's
// name and the file's to the same place.)
bool IsFileItself(HANDLE h, const LongPath& path) {
    const std::size_t cut = path.text().find_last_of(L'\\');
    const HANDLE folder = OpenForIdentity(LongPathOf(path.text().substr(0, cut)));
    if (folder == INVALID_HANDLE_VALUE) return false;
    std::wstring folder_name;
    const bool itself =
        NameOf(folder, folder_name) && IsEntryItself(h, folder_name, path.text().substr(cut + 1));
    CloseHandle(folder);
    return itself;
}

}  // namespace

std::string FinalFilePath(const std::string& path) {
    const LongPath long_path = LongPathOf(path);
    const DWORD attributes = GetFileAttributesW(long_path.wide());
    if (attributes == INVALID_FILE_ATTRIBUTES) return path;
    const HANDLE h = CreateFileW(long_path.wide(), 0,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        // A dangling link: the entry itself is what a rewrite replaces.
        if (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND) {
            return path;
        }
        RaiseLastError();
    }
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsFileItself(h, long_path)) {
        CloseHandle(h);
        return path;
    }
    std::wstring final_path;
    const bool found = FinalPath(h, final_path);
    const DWORD error = GetLastError();
    CloseHandle(h);
    if (!found) RaiseInOutError(ErrorCode(error));
    // Kept in the long form, names as the system spells them. Only a name
    // that converts back to the same characters is used.
    std::string narrow;
    if (!ToCp932(final_path, narrow) || Wide(narrow) != final_path) {
        RaiseInOutError(kIoPathNotFound);
    }
    return narrow;
}

FileHandle OpenExistingForWrite(const std::string& path) {
    const LongPath long_path = LongPathOf(path);
    const HANDLE h = CreateFileW(long_path.wide(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) RaiseLastError();
    // Windows refuses to open a read-only file for writing; the attribute is
    // also checked here, for file systems where the opening alone succeeds.
    DWORD attributes = 0;
    if (GetFileType(h) != FILE_TYPE_DISK || !AttributesOf(h, attributes) ||
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
        CloseHandle(h);
        RaiseInOutError(kIoAccessDenied);
    }
    return MakeHandle(h);
}

FileHandle CreatePrivateFile(const std::string& path, std::string& name) {
    const LongPath long_path = LongPathOf(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const LongPath temp = PrivateName(long_path);
        const HANDLE h = CreateFileW(temp.wide(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                     CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            // The ending is plain ASCII: the name is the path's bytes and it.
            std::string ending;
            ToCp932(temp.text().substr(long_path.text().size()), ending);
            name = path + ending;
            return MakeHandle(h);
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) RaiseLastError();
    }
    RaiseInOutError(ERROR_FILE_EXISTS);
}

// Windows files take their permissions from the folder; what is carried is
// the old file's hidden and system attributes, so that a hidden settings
// file stays hidden. (A read-only file is never replaced.)
void CopyPermissions(const std::string& model, FileHandle file) {
    const DWORD attributes = Attributes(model);
    if (attributes == INVALID_FILE_ATTRIBUTES) RaiseLastError();
    const DWORD kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    if (kept == 0) return;
    FILE_BASIC_INFO info = {};  // times of 0 stay as they are
    info.FileAttributes = kept;
    if (!SetFileInformationByHandle(Handle(file), FileBasicInfo, &info, sizeof info)) {
        RaiseLastError();
    }
}

void ReserveFileSpace(FileHandle file, std::uint64_t size) {
    // The allocation grows without the end of the file moving.
    LARGE_INTEGER current;
    if (!GetFileSizeEx(Handle(file), &current)) RaiseLastError();
    if (static_cast<std::uint64_t>(current.QuadPart) >= size) return;
    FILE_ALLOCATION_INFO allocation;
    allocation.AllocationSize.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFileInformationByHandle(Handle(file), FileAllocationInfo, &allocation,
                                    sizeof allocation)) {
        const DWORD error = GetLastError();
        if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) {
            RaiseInOutError(kIoDiskFull);
        }
    }
}

void SetFileLength(FileHandle file, std::uint64_t size) {
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(Handle(file), end, nullptr, FILE_BEGIN) ||
        !SetEndOfFile(Handle(file))) {
        RaiseLastError();
    }
}

}  // namespace qb
