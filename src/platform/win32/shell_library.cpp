// The shell's libraries, each loaded once a run from the system folder only,
// so that no DLL of the same name beside the program is ever loaded in its
// place; the executable itself imports none of them.
#include "platform/win32/shell_library.h"

#include <string>

namespace qb {

namespace {

HMODULE SystemLibrary(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    return LoadLibraryW((std::wstring(folder, n) + L"\\" + name).c_str());
}

}  // namespace

FARPROC ShellFunction(const char* name) {
    static const HMODULE shell = SystemLibrary(L"shell32.dll");
    return shell ? GetProcAddress(shell, name) : nullptr;
}

FARPROC OleFunction(const char* name) {
    static const HMODULE ole = SystemLibrary(L"ole32.dll");
    return ole ? GetProcAddress(ole, name) : nullptr;
}

}  // namespace qb
