// Failures of the system made inside the test process, through the POSIX
// platform's table of system calls: files, links and mounts stay real, and
// only the calls named here fail, with the error the system would give.
// While a SystemFaults lives, every entry of the table is counted, and any
// call can be made to fail: by what the program asks for on which path, by
// the entry's name ("open", "read", "getenv", ...), or as the Nth call.
#pragma once

#include <string>
#include <vector>

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
//
// A call made to fail answers as the system does when it fails: -1 or a
// null pointer, with errno set to the error. Calls that do not fail so
// answer otherwise: getenv that the variable is unset, getpid the id of a
// process that does not run, isatty that there is no terminal, time -1. A close
// (closedir, iconv_close) that fails still releases what it was given, as
// the system does.
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

    // Every call of the entry `entry` fails with `error`.
    void Fail(const std::string& entry, int error);
    // The `n`th call (from 1, counted from this object's making) of any
    // entry, or of the entry `entry`, fails with `error`.
    void FailNth(long n, int error);
    void FailNth(const std::string& entry, long n, int error);

    // What the calls that do not fail through errno answer meanwhile: the
    // variable is unset, or holds `value`; the process id; no terminal; the
    // time, in seconds since 1970.
    void Unset(const std::string& variable);
    void SetVariable(const std::string& variable, const std::string& value);
    void AnswerProcessId(int pid);
    void NoTerminal();
    // A listing gives each entry a number that is not its own, as some
    // file systems do: only a look at the entry itself tells who it is.
    void ListOtherNumbers();
    void AnswerTime(long seconds);

    // How many calls failed so far.
    int failures() const;
    // How many calls were made so far, of all entries or of `entry`.
    long Calls() const;
    long Calls(const std::string& entry) const;
    // The entry of each call made so far, in order.
    std::vector<std::string> CallsMade() const;
    // The names of all entries of the table.
    static std::vector<std::string> Entries();
};

}  // namespace qbtest
