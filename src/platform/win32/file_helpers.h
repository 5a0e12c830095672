// Helpers shared by the Win32 file operations (the folder queries, the copy,
// the raw text-file access, folder identity and the emptying); private to
// this folder. Helpers that raise nothing of their own are noexcept: nothing
// catches a failed allocation anyway, and the unwinding tables they spare
// keep the 64-bit program under its size limit.
#pragma once

#include <windows.h>

#include <string>

#include "platform/folder_walk.h"
#include "platform/folders.h"
#include "platform/win32/long_path.h"

namespace qb {

// Every kind of sharing: others may read, write, rename and delete meanwhile.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The attribute of a volume label: such an entry counts as hidden.
constexpr DWORD kVolumeAttribute = 0x8;

// The attributes of the exact name; INVALID_FILE_ATTRIBUTES when there is none.
DWORD Attributes(const std::string& path);

// Opens a file or folder for its attributes only; a link or junction is
// followed.
HANDLE OpenForIdentity(const LongPath& path);

// A function of ntdll, which every process has loaded; nullptr when it has
// none of that name.
FARPROC NtdllFunction(const char* name);

// The file index of an open file or folder (a cheap query).
bool FileIndexOf(HANDLE h, std::uint64_t& index);
// The serial number of the volume it is on (a costly query under Wine).
bool VolumeSerialOf(HANDLE h, std::uint64_t& serial);
// Its attributes (a cheap query).
bool AttributesOf(HANDLE h, DWORD& attributes);
// Forgets the serial numbers of the volumes whose roots a run has met.
void ForgetVolumeSerials();

// Its identity: the volume's serial number and the file index. (The 64-bit
// index: on a file system where it may not be unique, two files may seem one
// and a check errs on the safe side, never the other way.)
bool IdOf(HANDLE h, FolderId& id);
// Whether it is the file or folder `id`, the costly query made only when
// the file indexes agree.
bool IsSame(HANDLE h, const FolderId& id);

// The open file's or folder's own full path in the long form ("\\?\C:\..." or
// "\\?\UNC\server\share\..."), as the system resolved it, at any length.
bool FinalPath(HANDLE h, std::wstring& path);

// Opens the entry `name` of the open folder `parent` relative to it, with
// NtCreateFile's `options` (FILE_OPEN_REPARSE_POINT: the entry itself when
// it is a link or junction, never what it leads to). INVALID_HANDLE_VALUE
// when it cannot be opened; `status` is then the reason (an NTSTATUS below
// 0).
HANDLE OpenEntryOf(HANDLE parent, const std::wstring& name, ACCESS_MASK access, ULONG share,
                   ULONG options, LONG& status) noexcept;

// The name of the open file or folder on its volume ("\\dir\\file"), as the
// system named it when it was opened (through the names its folders were
// opened by), at any length. (Wine's GetFinalPathNameByHandle stops at
// MAX_PATH.)
bool NameOf(HANDLE h, std::wstring& name) noexcept;

// Whether `h`, opened as the entry `name` of the folder whose name (NameOf)
// is `parent_path`, is that entry itself, not what a link there leads to.
bool IsEntryItself(HANDLE h, const std::wstring& parent_path, const std::wstring& name) noexcept;

// Opens the listed entry `name` of `parent` (named `parent_path`) with
// `access`, only when it is still that entry: of `kind` by the handle's
// own attributes (a link: a reparse point; a folder: a directory and no
// reparse point; a file: neither), with the file index `index`, and itself.
// INVALID_HANDLE_VALUE otherwise.
HANDLE OpenListedEntry(HANDLE parent, const std::wstring& parent_path, const std::wstring& name,
                       EntryKind kind, std::uint64_t index, ACCESS_MASK access) noexcept;

// Where the walk up the parents stops in a long-form path: the length of
// its drive's root ("\\?\C:\"), network share ("\\?\UNC\server\share") or
// volume named by its GUID ("\\?\Volume{...}\"), at most the path's.
std::size_t VolumeRootLength(const std::wstring& path);

// `path` + "." + process id + "-" + counter + ".tmp": a name of this run only.
LongPath PrivateName(const LongPath& path);

// Moves `src` over `dst` in one step. A reader that holds `dst` open for a
// moment (another run) can make the move fail; it is tried again a few times.
bool MoveOver(const LongPath& src, const LongPath& dst);

// Whether the shell, given the plain path `path`, takes it for the entry
// whose long path is `entry` and nothing else (in recycle_bin.cpp).
bool ShellTakes(const std::wstring& path, const std::wstring& entry) noexcept;

}  // namespace qb
