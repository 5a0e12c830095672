// The shell's libraries, each loaded once a run from the system folder only,
// so that no DLL of the same name beside the program is ever loaded in its
// place; the executable itself imports none of them.
#include "platform/win32/shell_library.h"

namespace qb {

FARPROC ShellFunction(ShellLibrary library, const char* name) {
    static HMODULE loaded[2];
    const int which = library == ShellLibrary::kShell ? 0 : 1;
    wchar_t path[MAX_PATH + 16];
    const UINT n = loaded[which] ? 0 : GetSystemDirectoryW(path, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        lstrcpyW(path + n, which == 0 ? L"\\shell32.dll" : L"\\ole32.dll");
        loaded[which] = LoadLibraryW(path);
    }
    return loaded[which] ? GetProcAddress(loaded[which], name) : nullptr;
}

}  // namespace qb
