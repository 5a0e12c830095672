// Helpers shared by the POSIX file operations (the copy and the raw
// text-file access); private to this folder.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace qb {

// Writes all `size` bytes, going on after a short write or an interruption.
bool WriteAll(int fd, const char* data, std::size_t size);

// Flushes a file's data to the disk; file systems that cannot are let be.
bool Flush(int fd);

// `path` + "." + process id + "-" + counter + ".tmp": a name of this run only.
std::string PrivateName(const std::string& path);

// A new regular file under a private name beside `path`; created exclusively,
// so that an existing entry of that name (a link, a pipe, a stale file) is
// never opened: the next name is tried instead.
int CreatePrivate(const std::string& path, mode_t mode, std::string& name);

}  // namespace qb
