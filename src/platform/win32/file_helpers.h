// Helpers shared by the Win32 file operations (the folder queries, the copy,
// the raw text-file access, folder identity and the emptying); private to
// this folder.
#pragma once

#include <windows.h>

#include <string>

#include "platform/folders.h"
#include "platform/win32/long_path.h"

namespace qb {

// Every kind of sharing: others may read, write, rename and delete meanwhile.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The attribute of a volume label, which a listing skips.
constexpr DWORD kVolumeAttribute = 0x8;

// "." or "..": the folder itself or its parent, which a search lists too.
bool IsDot(const wchar_t* name);

// The attributes of the exact name; INVALID_FILE_ATTRIBUTES when there is none.
DWORD Attributes(const std::string& path);

// Opens a file or folder for its attributes only; a link or junction is
// followed.
HANDLE OpenForIdentity(const LongPath& path);

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

// `path` + "." + process id + "-" + counter + ".tmp": a name of this run only.
LongPath PrivateName(const LongPath& path);

// Moves `src` over `dst` in one step. A reader that holds `dst` open for a
// moment (another run) can make the move fail; it is tried again a few times.
bool MoveOver(const LongPath& src, const LongPath& dst);

}  // namespace qb
