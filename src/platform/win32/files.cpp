// File and folder operations over the wide Win32 API.
#include <windows.h>

// The platform's own names, not the Win32 macros.
#undef CopyFile
#undef ReplaceFile

#include "platform/platform.h"
#include "platform/win32/encoding.h"

namespace qb {

namespace {

constexpr DWORD kVolumeAttribute = 0x8;

// A full disk reads the same as a short write.
std::uint32_t ErrorCode(DWORD error) {
    if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) return 101;
    return error;
}

[[noreturn]] __attribute__((noinline)) void RaiseInOutError(std::uint32_t code) {
    throw InOutError{code, reinterpret_cast<std::uintptr_t>(__builtin_return_address(0))};
}

[[noreturn]] void RaiseLastError() { RaiseInOutError(ErrorCode(GetLastError())); }

HANDLE Handle(FileHandle file) { return reinterpret_cast<HANDLE>(file.value); }

FileHandle MakeHandle(HANDLE h) { return FileHandle{reinterpret_cast<std::intptr_t>(h)}; }

DWORD Attributes(const std::string& path) {
    return GetFileAttributesW(WidePath(path).c_str());
}

}  // namespace

bool FolderExists(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The attributes of the exact name: unlike a search, '*' and '?' in the
// name are never taken as wildcards.
bool FileIsPresent(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ListFolder(const std::string& dir, std::vector<FolderEntry>& entries) {
    entries.clear();
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW(WidePath(dir + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    const DWORD skipped = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | kVolumeAttribute;
    do {
        if (data.dwFileAttributes & skipped) continue;
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
    return CreateDirectoryW(WidePath(path).c_str(), nullptr) != 0;
}

bool CopyFile(const std::string& src, const std::string& dst) {
    return CopyFileW(Wide(src).c_str(), Wide(dst).c_str(), FALSE) != 0;
}

FileHandle OpenForRead(const std::string& path) {
    const HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) RaiseLastError();
    return MakeHandle(h);
}

std::size_t ReadFile(FileHandle file, char* buffer, std::size_t size) {
    DWORD read = 0;
    if (!::ReadFile(Handle(file), buffer, static_cast<DWORD>(size), &read, nullptr)) {
        RaiseLastError();
    }
    return read;
}

FileHandle CreateForWrite(const std::string& path) {
    const HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) RaiseLastError();
    return MakeHandle(h);
}

void WriteFile(FileHandle file, const char* data, std::size_t size) {
    while (size > 0) {
        DWORD written = 0;
        if (!::WriteFile(Handle(file), data, static_cast<DWORD>(size), &written, nullptr)) {
            RaiseLastError();
        }
        if (written == 0) RaiseInOutError(101);
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
    if (!MoveFileExW(Wide(src).c_str(), Wide(dst).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        RaiseLastError();
    }
}

void DiscardFile(FileHandle file, const std::string& path) {
    if (file.value != -1) CloseHandle(Handle(file));
    DeleteFileW(Wide(path).c_str());
}

}  // namespace qb
