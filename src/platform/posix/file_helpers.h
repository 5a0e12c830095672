// Helpers shared by the POSIX file operations (the copy, the raw text-file
// access, folder identity, the walk and the trash); private to this folder.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <string>

#include "platform/folders.h"

namespace qb {

// Opening a folder only to look at it (its identity, its parent).
#ifdef O_PATH
constexpr int kLookOnly = O_PATH;
#else
constexpr int kLookOnly = O_RDONLY;
#endif

// The identity of what `st` describes.
FolderId IdOf(const struct stat& st);

// Whether the folder open as `fd` (described by `st`) is where a file
// system, or a folder of one, is mounted. Where the system cannot say, a
// change of device from the parent's (`parent`) is taken as one.
bool IsMountRoot(int fd, const struct stat& st, dev_t parent);

// The folder of the user's data, $XDG_DATA_HOME when it is absolute, else
// $HOME/.local/share; empty when neither is known.
std::string DataHome();

// Writes all `size` bytes, going on after a short write or an interruption.
bool WriteAll(int fd, const char* data, std::size_t size);

// Flushes a file's data to the disk; file systems that cannot are let be.
bool Flush(int fd);

// The folder part of a system path ("." for a bare name, "/" for "/x").
std::string FolderOfSystemPath(const std::string& path);

// `path` + "." + process id + "-" + counter + ".tmp": a name of this run only.
std::string PrivateName(const std::string& path);

// A new regular file under a private name beside `path`; created exclusively,
// so that an existing entry of that name (a link, a pipe, a stale file) is
// never opened: the next name is tried instead.
int CreatePrivate(const std::string& path, mode_t mode, std::string& name);

// RemoveStaleTemporaries for a path already named as the system names it:
// converts nothing, so it never throws.
void RemoveStaleTemporariesOf(const std::string& sys_path);

// What a run learns of the system once and keeps to the end of the run (the
// mount table; whether an unnamed file can be given a name), forgotten so
// that the next run in the same process looks again.
void ForgetMountTable();
void ForgetUnnamedFileSupport();

}  // namespace qb
