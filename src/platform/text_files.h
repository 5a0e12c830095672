// Raw file access for the text reader and writer, and rewriting a file
// without ever leaving a partial one. Each raises InOutError.
//
// All texts are code-page-932 byte strings. Paths use '\' as separator; on
// the POSIX build '/' separates folders as well. Conversion to the system's
// own encoding happens only inside the implementations (win32/, posix/),
// which the build picks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/errors.h"

namespace qb {

// Raw file access for the text reader and writer. Each raises InOutError.
struct FileHandle {
    std::intptr_t value = -1;
};
FileHandle OpenForRead(const std::string& path);
// Returns the number of bytes read, 0 at the end of the file.
std::size_t ReadFile(FileHandle file, char* buffer, std::size_t size);
// Goes back to the file's first byte, to read it again through the same handle.
void RewindFile(FileHandle file);
void WriteFile(FileHandle file, const char* data, std::size_t size);
// Flushes written data to the disk before the file is closed.
void FlushFile(FileHandle file);
void CloseFile(FileHandle file);
// Replaces `dst` by `src` in one step; raises InOutError on failure.
void ReplaceFile(const std::string& src, const std::string& dst);
// Best effort, for cleaning up after a failure.
void DiscardFile(FileHandle file, const std::string& path);

// Rewriting a file without ever leaving a partial one. Each raises InOutError.
//
// The file that `path` finally names, symbolic links followed; `path` itself
// when it is no link or does not exist.
std::string FinalFilePath(const std::string& path);
// Opens an existing regular file for writing without changing it; raises
// InOutError kIoAccessDenied when it is read-only or no regular file.
FileHandle OpenExistingForWrite(const std::string& path);
// Creates a new, empty regular file beside `path`, under a name that no other
// run uses (`path` + "." + process id + "-" + counter + ".tmp"), never
// following a link or opening an existing entry; `name` receives its path.
// Raises InOutError kIoAccessDenied when the folder refuses new files.
FileHandle CreatePrivateFile(const std::string& path, std::string& name);
// Gives `file` the permissions of the existing file `model` (on POSIX its mode
// bits, and its owner and group where this user may set them).
void CopyPermissions(const std::string& model, FileHandle file);
// Makes sure the disk has room for `size` bytes of the open file without
// changing its length or content; raises InOutError kIoDiskFull when it has not.
// File systems that cannot say are let be.
void ReserveFileSpace(FileHandle file, std::uint64_t size);
// Cuts or extends the open file to `size` bytes.
void SetFileLength(FileHandle file, std::uint64_t size);

}  // namespace qb
