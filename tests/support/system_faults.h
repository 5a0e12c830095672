// Failures of the system made inside the test process, through the POSIX
// platform's table of system calls: files, links and mounts stay real, and
// only the calls named here fail, with the error the system would give.
#pragma once

#include <string>

namespace qbtest {

// The calls a test can make fail, named by what the program asks for.
enum class Call {
    kOpenToRead,   // open or openat without write access, folders included
    kOpenToWrite,  // open or openat of an existing file for writing
    kCreate,       // open or openat that makes a new file (named or not)
    kWrite,        // write or copy_file_range, by the file written
    kFlush,        // fsync
    kReserve,      // fallocate
    kCut,          // ftruncate
    kLookAt,       // stat, by the path looked at
    kRename,       // rename, renameat or renameat2, by the path moved onto
    kLink,         // linkat, by the new name
    kRemove,       // unlink or unlinkat
};

// While it lives, each call of a rule's kind on a path that holds the
// rule's text fails with its error, and a full disk refuses what would need
// room. Paths are absolute: an open file's is what /proc says it is (an
// unnamed file's holds its folder's path), a name given relative to an open
// folder is joined to the folder's. One at a time.
class SystemFaults {
public:
    SystemFaults();
    ~SystemFaults();
    SystemFaults(const SystemFaults&) = delete;
    SystemFaults& operator=(const SystemFaults&) = delete;

    void Fail(Call call, const std::string& where, int error);
    // The disk that holds `folder` has no room left: below it, a write past
    // a file's end is cut short where the file ends (fails with ENOSPC when
    // nothing fits), as does room reserved past it; what a file already
    // holds can still be written over.
    void FillDisk(const std::string& folder);
    // How many calls failed so far.
    int failures() const;
};

}  // namespace qbtest
