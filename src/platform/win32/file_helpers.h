// Helpers shared by the Win32 file operations (the folder queries, the copy,
// the raw text-file access and the emptying); private to this folder.
#pragma once

#include <windows.h>

#include <string>

#include "platform/platform.h"

namespace qb {

// The attribute of a volume label, which a listing skips.
constexpr DWORD kVolumeAttribute = 0x8;

// "." or "..": the folder itself or its parent, which a search lists too.
bool IsDot(const wchar_t* name);

// The attributes of the exact name; INVALID_FILE_ATTRIBUTES when there is none.
DWORD Attributes(const std::string& path);

// `path` + "." + process id + "-" + counter + ".tmp": a name of this run only.
std::wstring PrivateName(const std::wstring& path);

// Moves `src` over `dst` in one step. A reader that holds `dst` open for a
// moment (another run) can make the move fail; it is tried again a few times.
bool MoveOver(const std::wstring& src, const std::wstring& dst);

}  // namespace qb
