// Helpers shared by the Win32 file operations (the folder queries, the copy,
// the raw text-file access, folder identity and the emptying); private to
// this folder.
#pragma once

#include <windows.h>

#include <string>

#include "platform/folders.h"

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
HANDLE OpenForIdentity(const std::wstring& path);

// The 128-bit file ID where the file system gives it, else the 64-bit index,
// with the volume serial number.
bool IdOf(HANDLE h, FolderId& id);

// The open file's or folder's own full path in the long form ("\\?\C:\..." or
// "\\?\UNC\server\share\..."), as the system resolved it.
bool FinalPath(HANDLE h, std::wstring& path);

// `path` + "." + process id + "-" + counter + ".tmp": a name of this run only.
std::wstring PrivateName(const std::wstring& path);

// Moves `src` over `dst` in one step. A reader that holds `dst` open for a
// moment (another run) can make the move fail; it is tried again a few times.
bool MoveOver(const std::wstring& src, const std::wstring& dst);

}  // namespace qb
