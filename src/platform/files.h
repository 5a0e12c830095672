// Files and folders by path: queries, creation, the copy, the
// cleaning up after killed runs, and the lock of runs taking turns.
//
// All texts are code-page-932 byte strings. Paths use '\' as separator; on
// the POSIX build '/' separates folders as well. Conversion to the system's
// own encoding happens only inside the implementations (win32/, posix/),
// which the build picks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/folders.h"

namespace qb {

// The byte that joins path pieces on this platform.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// '\' separates folders; on the POSIX build '/' does too.
inline bool IsPathSeparator(char c) {
#ifdef _WIN32
    return c == '\\';
#else
    return c == '\\' || c == '/';
#endif
}

// Whether the system takes a plain path without the blanks and dots that
// end its last name (Windows: "C:\dest. " names C:\dest, while below it
// "C:\dest \x" passes through a folder "dest ").
#ifdef _WIN32
constexpr bool kEndBlanksAndDotsIgnored = true;
#else
constexpr bool kEndBlanksAndDotsIgnored = false;
#endif

bool FolderExists(const std::string& path);
// An entry of exactly this name exists and is not a folder.
bool FileIsPresent(const std::string& path);

bool CreateFolder(const std::string& path);
struct FileCopy {
    std::string src;
    std::string dst;
};
// Copies each whole file, in order, to a new temporary file beside its `dst`,
// flushes it and moves it over `dst` in one step: a link at `dst` is
// replaced, never written through, and an earlier copy stays whole until its
// replacement is complete. When the entry `dst` itself (a link not followed)
// is the source file, the copy is already in place: it counts as made, and
// nothing is written. A copy fails (no temporary file is left, and no later
// file is copied) on any failure, or when `dst` is a folder or another entry
// that is no file. Returns the number of files copied, the first ones.
std::size_t CopyFiles(const std::vector<FileCopy>& files);

// The lock of a folder, which runs that use the folder take in turn (the
// program's folder, where the settings file is, and the destination root).
// The system releases it however the process ends, so nothing is left to
// clean up after a crash, and a lock whose holder ended without giving it
// back counts as free. The process that holds it may take it again (it is
// then held until given back as often).
struct RunLock {
    std::intptr_t value = -1;
};
// Waits, showing nothing, until this run holds the lock of `folder`
// (Windows: a named mutex of the session whose name comes from the folder's
// identity, else from its full path, letter case folded; POSIX: flock on the
// folder). Where the system gives no lock, the run goes on without one: the
// value stays -1.
RunLock TakeRunLock(const std::string& folder);
// The same for the volume that holds `folder` (POSIX: flock on the folder
// where its file system begins; Windows: a named mutex of the session from
// the volume's serial number), so that runs whose roots lie inside one
// another take turns; where the volume cannot be told, the folder's own
// lock. `VolumeLockId` gives the identity by which it is ordered among a
// run's locks (POSIX: that folder's; Windows: the serial number, index 0,
// never a folder's); false where the volume cannot be told.
bool VolumeLockId(const std::string& folder, FolderId& id);
RunLock TakeVolumeRunLock(const std::string& folder);
void ReleaseRunLock(RunLock lock);

// Removes what killed runs left beside `path`: regular files named `path` +
// "." + process id + "-" + number + ".tmp" (the names CreatePrivateFile and
// the copy give) whose process no longer runs. Nothing else is ever removed;
// a file that cannot be removed is let be.
void RemoveStaleTemporaries(const std::string& path);

}  // namespace qb
