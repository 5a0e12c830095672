// The system calls of the POSIX platform, through one table of function
// pointers: every call the platform makes to the system (files, folders,
// processes, the environment, the terminal and the text converters) goes
// through System(), whose entries call the C library. A test puts its own
// function into one entry to make that call fail as the system would (a
// full disk, an I/O error, a refused rename) or answer otherwise (a
// variable unset, another process id), calling the C library's for
// everything else, and puts the table back afterwards:
//
//     const qb::SystemCalls saved = qb::System();
//     qb::System().rename = [](const char*, const char*) { errno = EIO; return -1; };
//     ...
//     qb::System() = saved;
//
// The files, links and mounts stay real. Private to platform/posix/ and
// the tests: the code above the platform never includes it.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

namespace qb {

// The C library's functions with a variable argument list, given their one
// fixed form.
namespace library {
inline int open(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
inline int openat(int dir, const char* path, int flags, mode_t mode) {
    return ::openat(dir, path, flags, mode);
}
inline int fcntl(int fd, int command, int arg) { return ::fcntl(fd, command, arg); }
}  // namespace library

// Each entry is named and typed as the function it stands for; a
// value-initialised table calls the C library.
struct SystemCalls {
    // Opening, reading and writing.
    int (*open)(const char* path, int flags, mode_t mode) = library::open;
    int (*openat)(int dir, const char* path, int flags, mode_t mode) = library::openat;
    int (*close)(int fd) = ::close;
    ssize_t (*read)(int fd, void* buffer, size_t size) = ::read;
    ssize_t (*write)(int fd, const void* data, size_t size) = ::write;
    off_t (*lseek)(int fd, off_t offset, int whence) = ::lseek;
    ssize_t (*copy_file_range)(int in, loff_t* in_offset, int out, loff_t* out_offset,
                               size_t size, unsigned flags) = ::copy_file_range;
    int (*fcntl)(int fd, int command, int arg) = library::fcntl;
    // Making written data last, and room for it.
    int (*fsync)(int fd) = ::fsync;
    int (*sync_file_range)(int fd, off_t offset, off_t size, unsigned flags) = ::sync_file_range;
    int (*fallocate)(int fd, int mode, off_t offset, off_t size) = ::fallocate;
    int (*ftruncate)(int fd, off_t size) = ::ftruncate;
    int (*fchmod)(int fd, mode_t mode) = ::fchmod;
    int (*fchown)(int fd, uid_t owner, gid_t group) = ::fchown;
    // Looking at entries.
    int (*fstat)(int fd, struct stat* st) = ::fstat;
    int (*fstatat)(int dir, const char* path, struct stat* st, int flags) = ::fstatat;
    int (*stat)(const char* path, struct stat* st) = ::stat;
    int (*lstat)(const char* path, struct stat* st) = ::lstat;
    int (*statx)(int dir, const char* path, int flags, unsigned mask,
                 struct statx* sx) = ::statx;
    int (*access)(const char* path, int mode) = ::access;
    char* (*realpath)(const char* path, char* resolved) = ::realpath;
    ssize_t (*readlink)(const char* path, char* buffer, size_t size) = ::readlink;
    // Naming, moving and removing entries.
    int (*rename)(const char* from, const char* to) = ::rename;
    int (*renameat)(int from_dir, const char* from, int to_dir, const char* to) = ::renameat;
    int (*renameat2)(int from_dir, const char* from, int to_dir, const char* to,
                     unsigned flags) = ::renameat2;
    int (*linkat)(int from_dir, const char* from, int to_dir, const char* to,
                  int flags) = ::linkat;
    int (*unlink)(const char* path) = ::unlink;
    int (*unlinkat)(int dir, const char* path, int flags) = ::unlinkat;
    int (*mkdir)(const char* path, mode_t mode) = ::mkdir;
    int (*mkdirat)(int dir, const char* path, mode_t mode) = ::mkdirat;
    // Listing folders.
    DIR* (*opendir)(const char* path) = ::opendir;
    DIR* (*fdopendir)(int fd) = ::fdopendir;
    struct dirent* (*readdir)(DIR* dir) = ::readdir;
    int (*closedir)(DIR* dir) = ::closedir;
    // The clock, in local time.
    time_t (*time)(time_t* now) = ::time;
    struct tm* (*localtime_r)(const time_t* at, struct tm* local) = ::localtime_r;
    // Runs and processes.
    int (*flock)(int fd, int operation) = ::flock;
    int (*kill)(pid_t pid, int signal) = ::kill;
    pid_t (*getpid)() = ::getpid;
    // The environment and the terminal.
    char* (*getenv)(const char* name) = ::getenv;
    int (*isatty)(int fd) = ::isatty;
    // Converting text.
    iconv_t (*iconv_open)(const char* to, const char* from) = ::iconv_open;
    size_t (*iconv)(iconv_t cd, char** in, size_t* in_left, char** out,
                    size_t* out_left) = ::iconv;
    int (*iconv_close)(iconv_t cd) = ::iconv_close;
};

// The table every system call of the platform goes through.
SystemCalls& System();

}  // namespace qb
