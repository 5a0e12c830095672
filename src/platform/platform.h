// Every operation Quenbrook asks of the operating system, declared once.
// win32/ and posix/ implement it; the build picks one.
//
// All texts are code-page-932 byte strings. Paths use '\' as separator; on
// the POSIX build '/' separates folders as well. Conversion to the system's
// own encoding happens only inside the implementations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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

// Raised for any input or output failure on a text file (settings, .inf).
// `code` is the system error number in the Windows numbering that the
// failure report turns into a message.
// `location` is the code address the failure was raised from.
struct InOutError {
    std::uint32_t code;
    std::uintptr_t location;
};

// The codes of InOutError that the program raises or reports by name.
constexpr std::uint32_t kIoFileNotFound = 2;
constexpr std::uint32_t kIoPathNotFound = 3;
constexpr std::uint32_t kIoTooManyOpenFiles = 4;
constexpr std::uint32_t kIoAccessDenied = 5;
constexpr std::uint32_t kIoSharingViolation = 32;
constexpr std::uint32_t kIoReadBeyondEnd = 100;
constexpr std::uint32_t kIoDiskFull = 101;
constexpr std::uint32_t kIoNotNumeric = 106;

// Throws InOutError with `code`, recording the address this was called from.
// Never inlined, so that the address is the caller's.
[[noreturn]] __attribute__((noinline)) inline void RaiseInOutError(std::uint32_t code) {
    throw InOutError{code, reinterpret_cast<std::uintptr_t>(__builtin_return_address(0))};
}

// Message box styles, with the Win32 values.
enum : unsigned {
    kBoxOk = 0x0,
    kBoxYesNo = 0x4,
    kBoxIconHand = 0x10,
    kBoxIconQuestion = 0x20,
    kBoxIconExclamation = 0x30,
    kBoxIconAsterisk = 0x40,
    kBoxDefButton2 = 0x100,
    kBoxTaskModal = 0x2000,
    kBoxSetForeground = 0x10000,
    kBoxTopmost = 0x40000,
};
enum : int { kIdOk = 1, kIdYes = 6, kIdNo = 7 };

// The operations that face the user or the host browser. The real one talks
// to the desktop (or, on POSIX, to the terminal); tests put a fake in its place.
class UserFacing {
public:
    virtual ~UserFacing() = default;
    // A modal box without owner; returns the code of the button pressed.
    virtual int ShowBox(const std::string& text, const std::string& caption,
                        unsigned style) = 0;
    // Handle of a top-level window of the class, 0 when there is none.
    virtual std::uint32_t FindTopWindow(const std::string& window_class) = 0;
};

UserFacing& RealUserFacing();

// Text as the system holds it: UTF-16 on Windows, the raw bytes of a name
// on POSIX (UTF-8 by convention, but any byte but '/' and NUL may occur).
#ifdef _WIN32
using SystemString = std::wstring;
#else
using SystemString = std::string;
#endif

// Converts system text to code page 932, exactly: false when a character has
// no code-page-932 form or the text is not valid in the system's encoding.
// Such characters come out as '?', so `out` is still fit for display.
bool ToCp932(const SystemString& text, std::string& out);

// Converts UTF-8 text (a settings value) to code page 932, exactly: false
// when it is no valid UTF-8 or a character has no code-page-932 form of its
// own (no best fit: a yen sign never becomes '\'). Each such character, and
// each stretch of bytes that is no valid character, comes out as '?', so
// `out` is still fit for display.
bool Utf8ToCp932Exact(const std::string& text, std::string& out);

// The executable's own full path, as the system reports it; false when it
// cannot be written in code page 932 ('?' stands for what cannot).
bool ProgramPath(std::string& path);
// The raw command line; false where the system hands the arguments over
// already split (POSIX).
bool RawCommandLine(SystemString& line);
// The arguments after the program itself as the system split them; used
// where there is no raw command line.
std::vector<SystemString> SystemArguments(int argc, char** argv);

bool FolderExists(const std::string& path);
// An entry of exactly this name exists and is not a folder.
bool FileIsPresent(const std::string& path);

struct FolderEntry {
    std::string name;
    bool is_folder;  // the directory bit, as the listing reports it
    bool is_link;    // a symbolic link, junction or other reparse point
};
// Entries of `dir`, never "." or "..", hidden and system entries skipped.
// False when the folder cannot be listed.
bool ListFolder(const std::string& dir, std::vector<FolderEntry>& entries);

bool CreateFolder(const std::string& path);
struct FileCopy {
    std::string src;
    std::string dst;
};
// Copies each whole file, in order, to a new temporary file beside its `dst`,
// flushes it and moves it over `dst` in one step: a link at `dst` is
// replaced, never written through, and an earlier copy stays whole until its
// replacement is complete. A copy fails (no temporary file is left, and no
// later file is copied) on any failure, when `dst` is the source file itself,
// or when `dst` is a folder or another entry that is no file. Returns the
// number of files copied, the first ones.
std::size_t CopyFiles(const std::vector<FileCopy>& files);

// ---- The destination root: identity and emptying by native names ----

// What the system says identifies a folder (Windows: volume serial number
// and file ID; POSIX: device and inode).
struct FolderId {
    std::uint64_t volume = 0;
    std::uint64_t index_high = 0;
    std::uint64_t index_low = 0;
    bool operator==(const FolderId& o) const {
        return volume == o.volume && index_high == o.index_high && index_low == o.index_low;
    }
};

// An open folder, held from the identity check to the end of the emptying,
// so that both act on the same folder whatever happens to its name.
struct OpenFolder {
    std::intptr_t value = -1;
};
// Opens an existing folder (a link to a folder is followed); false when it
// cannot be opened.
bool OpenFolderByPath(const std::string& path, OpenFolder& folder);
void CloseFolder(OpenFolder folder);

// The identity of the open folder; false when the system cannot tell it.
bool FolderIdOf(OpenFolder folder, FolderId& id);

// The identities of the folder and of each of its parents up to the root of
// its file system, nearest first. False when a step of the walk failed
// (`chain` then holds the steps that succeeded).
bool FolderChain(OpenFolder folder, std::vector<FolderId>& chain);

// True when the open folder, named `path`, is the root of a volume: a drive's
// or a network share's root as `path` names it (after "." and ".." are
// resolved), or the root of a volume wherever it is mounted; on POSIX "/" and
// every mount point.
bool IsVolumeRoot(OpenFolder folder, const std::string& path);

// The folders of the user and of the system that no emptying may reach
// (Windows: the profile, Desktop, Documents, Downloads, Pictures, Music and
// Videos wherever they are redirected, the Windows folder, Program Files,
// Program Files (x86) and ProgramData; POSIX: $HOME), those that exist, each
// open, with its path for display ('?' for what code page 932 cannot hold).
// The caller closes them.
struct NamedFolder {
    std::string path;
    OpenFolder folder;
};
std::vector<NamedFolder> OpenSystemFolders();

// Told of every entry the emptying could not remove: its path for display
// (the root's text joined with each name, converted to code page 932 with
// '?' for what has no form there) and whether it is a folder.
class EmptyingListener {
public:
    virtual ~EmptyingListener() = default;
    virtual void CannotRemove(const std::string& display_path, bool is_folder) = 0;
};

// Removes everything below `folder` by the names the system lists, relative
// to their open parent (POSIX) or through long absolute paths (Windows), so
// depth is no limit and a name is never re-read as a path. Links are removed
// as links and never entered; hidden and system entries are left alone; the
// folder itself stays. A folder whose identity is one of `kept` (the folder
// itself included) is neither entered nor removed, however it is reached,
// and is reported once as a folder that stays. `display_root` names the
// folder in reports.
void EmptyOpenFolder(OpenFolder folder, const std::string& display_root,
                     const std::vector<FolderId>& kept, EmptyingListener& listener);

// ---- Runs taking turns ----

// The lock that runs sharing one settings file take in turn. The system
// releases it however the process ends, so nothing is left to clean up after
// a crash, and a lock whose holder ended without giving it back counts as
// free. The process that holds it may take it again (it is then held until
// given back as often).
struct RunLock {
    std::intptr_t value = -1;
};
// Waits, showing nothing, until this run holds the lock of the settings file
// at `settings_path` (Windows: a named mutex of the session whose name comes
// from the file's full path, letter case folded; POSIX: flock on the folder
// that holds the file). Where the system gives no lock, the run goes on
// without one: the value stays -1.
RunLock TakeRunLock(const std::string& settings_path);
void ReleaseRunLock(RunLock lock);

// Removes what killed runs left beside `path`: regular files named `path` +
// "." + process id + "-" + number + ".tmp" (the names CreatePrivateFile and
// the copy give) whose process no longer runs. Nothing else is ever removed;
// a file that cannot be removed is let be.
void RemoveStaleTemporaries(const std::string& path);

// Raw file access for the text reader and writer. Each raises InOutError.
struct FileHandle {
    std::intptr_t value = -1;
};
FileHandle OpenForRead(const std::string& path);
// Returns the number of bytes read, 0 at the end of the file.
std::size_t ReadFile(FileHandle file, char* buffer, std::size_t size);
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
