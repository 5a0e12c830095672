// Copying whole files over the wide Win32 API: the system's copy into a
// private temporary file beside the destination, flushed, then moved over it.
#include <windows.h>

#include "platform/files.h"
#include "platform/win32/file_helpers.h"

namespace qb {

namespace {

// An entry opened to look at it; with `entry_itself`, a link is not
// followed. INVALID_HANDLE_VALUE when there is no such entry.
HANDLE OpenEntry(const LongPath& path, bool entry_itself) {
    const DWORD flags =
        FILE_FLAG_BACKUP_SEMANTICS | (entry_itself ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    return CreateFileW(path.wide(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                       flags, nullptr);
}

enum class CopyCheck { kCopy, kInPlace, kRefused };

// Whether a copy from `src` to `dst` may be made: the source is a file, and
// the destination entry itself (a link not followed) is no folder. When that
// entry is the source file (the destination folder is the log folder, or the
// entry a hard link of the log), the copy is already in place, and the log
// is never replaced by itself.
CopyCheck MayCopy(const LongPath& src, const LongPath& dst) {
    const HANDLE source = OpenEntry(src, false);
    if (source == INVALID_HANDLE_VALUE) return CopyCheck::kRefused;
    DWORD attributes = 0;
    std::uint64_t index = 0;
    bool may = AttributesOf(source, attributes) && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
               FileIndexOf(source, index);
    bool in_place = false;
    const HANDLE target = may ? OpenEntry(dst, true) : INVALID_HANDLE_VALUE;
    if (target != INVALID_HANDLE_VALUE) {
        DWORD target_attributes = 0;
        const bool known = AttributesOf(target, target_attributes);
        if (known && (target_attributes & FILE_ATTRIBUTE_DIRECTORY)) may = false;
        FolderId source_id;
        // The costly question of the volume only when the indexes agree.
        std::uint64_t target_index = 0;
        const bool indexed = may && FileIndexOf(target, target_index);
        if (indexed && target_index == index) {
            in_place = IdOf(source, source_id) && IsSame(target, source_id);
        }
        // A link at the destination that is the source's own entry, the
        // link the browser's log is reached through: the copy is there too.
        if (indexed && !in_place && known && (target_attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            const HANDLE own = OpenEntry(src, true);
            std::uint64_t own_index = 0;
            if (own != INVALID_HANDLE_VALUE) {
                in_place = FileIndexOf(own, own_index) && own_index == target_index &&
                           IdOf(own, source_id) && IsSame(target, source_id);
                CloseHandle(own);
            }
        }
        CloseHandle(target);
    }
    CloseHandle(source);
    if (!may) return CopyCheck::kRefused;
    return in_place ? CopyCheck::kInPlace : CopyCheck::kCopy;
}

// Flushes a closed file's data to the disk. A read-only file (the copy of a
// read-only source) is made writable for the flush and then read-only again.
bool FlushByName(const LongPath& path) {
    const DWORD attributes = GetFileAttributesW(path.wide());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    const bool read_only = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (read_only && !SetFileAttributesW(path.wide(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
        return false;
    }
    const HANDLE h = CreateFileW(path.wide(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = h != INVALID_HANDLE_VALUE;
    if (ok) {
        ok = FlushFileBuffers(h) != 0;
        ok = CloseHandle(h) != 0 && ok;
    }
    if (read_only) ok = SetFileAttributesW(path.wide(), attributes) != 0 && ok;
    return ok;
}

// The system's copy into a private temporary file, flushed and moved over
// `dst` in one step.
bool CopyOne(const std::string& src, const std::string& dst) {
    const LongPath long_src = LongPathOf(src);
    const LongPath long_dst = LongPathOf(dst);
    const CopyCheck check = MayCopy(long_src, long_dst);
    if (check != CopyCheck::kCopy) return check == CopyCheck::kInPlace;
    RemoveStaleTemporaries(dst);
    // The system's own copy into a new file of a private name; an existing
    // entry of that name is never touched, the next name is tried instead.
    LongPath temp = long_dst;
    bool copied = false;
    for (int attempt = 0; attempt < 100 && !copied; ++attempt) {
        temp = PrivateName(long_dst);
        copied = CopyFileExW(long_src.wide(), temp.wide(), nullptr, nullptr, nullptr,
                             COPY_FILE_FAIL_IF_EXISTS) != 0;
        if (!copied) {
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
                // A copy that failed part-way may have left its file.
                DeleteFileW(temp.wide());
                return false;
            }
        }
    }
    if (!copied) return false;
    if (!FlushByName(temp) || !MoveOver(temp, long_dst)) {
        DeleteFileW(temp.wide());
        return false;
    }
    return true;
}

}  // namespace

LongPath PrivateName(const LongPath& path) {
    static unsigned counter = 0;
    // Built as ASCII and widened: the C library's wide formatting would bring
    // its whole printer into the executable.
    const std::string ending = "." + std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(++counter) + ".tmp";
    return path.WithEnding(std::wstring(ending.begin(), ending.end()));
}

bool MoveOver(const LongPath& src, const LongPath& dst) {
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(src.wide(), dst.wide(),
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

std::size_t CopyFiles(const std::vector<FileCopy>& files) {
    std::size_t done = 0;
    while (done < files.size()) {
        if (!CopyOne(files[done].src, files[done].dst)) break;
        ++done;
    }
    return done;
}

}  // namespace qb
