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

// The file information of an entry; with `entry_itself`, a link is not
// followed. False when there is no such entry.
bool EntryInformation(const std::wstring& path, bool entry_itself,
                      BY_HANDLE_FILE_INFORMATION& info) {
    const DWORD flags =
        FILE_FLAG_BACKUP_SEMANTICS | (entry_itself ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    const HANDLE h = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool ok = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    return ok;
}

// The same file: the same volume and the same file index.
bool SameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

// `path` + "." + process id + "-" + counter + ".tmp": a name of this run only.
std::wstring PrivateName(const std::wstring& path) {
    static unsigned counter = 0;
    // Built as ASCII and widened: the C library's wide formatting would bring
    // its whole printer into the executable.
    const std::string ending = "." + std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(++counter) + ".tmp";
    return path + std::wstring(ending.begin(), ending.end());
}

// Flushes a closed file's data to the disk. A read-only file (the copy of a
// read-only source) is made writable for the flush and then read-only again.
bool FlushByName(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    const bool read_only = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (read_only && !SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
        return false;
    }
    const HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = h != INVALID_HANDLE_VALUE;
    if (ok) {
        ok = FlushFileBuffers(h) != 0;
        ok = CloseHandle(h) != 0 && ok;
    }
    if (read_only) ok = SetFileAttributesW(path.c_str(), attributes) != 0 && ok;
    return ok;
}

// Moves `src` over `dst` in one step. A reader that holds `dst` open for a
// moment (another run) can make the move fail; it is tried again a few times.
bool MoveOver(const std::wstring& src, const std::wstring& dst) {
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(src.c_str(), dst.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        const DWORD error = GetLastError();
        if (attempt == 20 || (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED)) {
            SetLastError(error);
            return false;
        }
        Sleep(10);
    }
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

namespace {

// The system's copy into a private temporary file, flushed and moved over
// `dst` in one step.
bool CopyOne(const std::string& src, const std::string& dst) {
    const std::wstring wide_src = Wide(src);
    const std::wstring wide_dst = Wide(dst);
    BY_HANDLE_FILE_INFORMATION src_info;
    if (!EntryInformation(wide_src, false, src_info) ||
        (src_info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return false;
    }
    // The destination entry itself, a link not followed: the source file
    // (the destination folder is the log folder) is never replaced, and a
    // folder never.
    BY_HANDLE_FILE_INFORMATION dst_info;
    if (EntryInformation(wide_dst, true, dst_info) &&
        (SameFile(src_info, dst_info) || (dst_info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))) {
        return false;
    }
    // The system's own copy into a new file of a private name; an existing
    // entry of that name is never touched, the next name is tried instead.
    std::wstring temp;
    bool copied = false;
    for (int attempt = 0; attempt < 100 && !copied; ++attempt) {
        temp = PrivateName(wide_dst);
        copied = CopyFileExW(wide_src.c_str(), temp.c_str(), nullptr, nullptr, nullptr,
                             COPY_FILE_FAIL_IF_EXISTS) != 0;
        if (!copied) {
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
                // A copy that failed part-way may have left its file.
                DeleteFileW(temp.c_str());
                return false;
            }
        }
    }
    if (!copied) return false;
    if (!FlushByName(temp) || !MoveOver(temp, wide_dst)) {
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace

std::size_t CopyFiles(const std::vector<FileCopy>& files) {
    std::size_t done = 0;
    while (done < files.size() && CopyOne(files[done].src, files[done].dst)) ++done;
    return done;
}

FileHandle OpenForRead(const std::string& path) {
    // Others may read, replace or rewrite the file while it is read here.
    const HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
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
    if (!MoveOver(Wide(src), Wide(dst))) RaiseLastError();
}

void DiscardFile(FileHandle file, const std::string& path) {
    if (file.value != -1) CloseHandle(Handle(file));
    DeleteFileW(Wide(path).c_str());
}

std::string FinalFilePath(const std::string& path) {
    const std::wstring wide = Wide(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return path;
    }
    const HANDLE h = CreateFileW(wide.c_str(), 0,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        // A dangling link: the entry itself is what a rewrite replaces.
        if (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND) {
            return path;
        }
        RaiseLastError();
    }
    std::wstring final_path(MAX_PATH, L'\0');
    DWORD n = GetFinalPathNameByHandleW(h, &final_path[0], static_cast<DWORD>(final_path.size()),
                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n >= final_path.size()) {
        final_path.resize(n + 1);
        n = GetFinalPathNameByHandleW(h, &final_path[0], static_cast<DWORD>(final_path.size()),
                                      FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    }
    const DWORD error = GetLastError();
    CloseHandle(h);
    if (n == 0 || n >= final_path.size()) RaiseInOutError(ErrorCode(error));
    final_path.resize(n);
    // "\\?\C:\..." and "\\?\UNC\server\..." as ordinary paths.
    if (final_path.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
        final_path = L"\\\\" + final_path.substr(8);
    } else if (final_path.compare(0, 4, L"\\\\?\\") == 0) {
        final_path = final_path.substr(4);
    }
    // Only a name that converts back to the same characters is used.
    std::string narrow;
    if (!ToCp932(final_path, narrow) || Wide(narrow) != final_path) RaiseInOutError(3);
    return narrow;
}

FileHandle OpenExistingForWrite(const std::string& path) {
    const HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) RaiseLastError();
    // Windows refuses to open a read-only file for writing; the attribute is
    // also checked here, for file systems where the opening alone succeeds.
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
        CloseHandle(h);
        RaiseInOutError(5);
    }
    return MakeHandle(h);
}

FileHandle CreatePrivateFile(const std::string& path, std::string& name) {
    const std::wstring wide = Wide(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring temp = PrivateName(wide);
        const HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                     CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            // The ending is plain ASCII: the name is the path's bytes and it.
            std::string ending;
            ToCp932(temp.substr(wide.size()), ending);
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
        if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) RaiseInOutError(101);
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
