// The shell's libraries, loaded from the system folder the first time one
// is needed and kept for the rest of the run: the known folders and the
// Recycle Bin share them, and an ordinary run (no question) never loads
// them. Private to this folder.
#pragma once

#include <windows.h>

namespace qb {

enum class ShellLibrary { kShell, kOle };

// A function of shell32.dll or ole32.dll (CoTaskMemFree, for what the shell
// hands back); nullptr when it or the library is missing.
FARPROC ShellFunction(ShellLibrary library, const char* name);

}  // namespace qb
