// Test helper for Windows (runs under Wine): stands in for the host
// browser's main window. Registers the window class given as its argument,
// creates a top-level window of it, prints the window's handle as an
// unsigned decimal number, and quits when its standard input ends.
// With a second argument it also holds that file open, sharing it for
// reading only, so that nobody can write, rename or delete it meanwhile;
// with "rw" after it, opened for reading and writing and shared for both,
// as an editor or a sync client holds a file: others may write it, but
// not rename or delete it.
// "browser_standin --short <path>" prints the path's short (8.3) form in
// UTF-8 instead, and ends.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

DWORD g_main_thread;

DWORD WINAPI WaitForEndOfInput(LPVOID) {
    char buffer[64];
    DWORD read;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &read, nullptr) &&
           read > 0) {
    }
    PostThreadMessageW(g_main_thread, WM_QUIT, 0, 0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: browser_standin <window class> [file to hold [rw]]\n");
        return 2;
    }
    if (argc == 3 && std::strcmp(argv[1], "--short") == 0) {
        wchar_t path[1024], short_path[1024];
        char utf8[4096];
        MultiByteToWideChar(CP_ACP, 0, argv[2], -1, path, 1024);
        if (GetShortPathNameW(path, short_path, 1024) == 0) return 6;
        WideCharToMultiByte(CP_UTF8, 0, short_path, -1, utf8, sizeof utf8, nullptr, nullptr);
        std::printf("%s\n", utf8);
        return 0;
    }
    HANDLE held = INVALID_HANDLE_VALUE;
    if (argc >= 3) {
        const bool rw = argc == 4 && std::strcmp(argv[3], "rw") == 0;
        held = CreateFileA(argv[2], rw ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                           rw ? FILE_SHARE_READ | FILE_SHARE_WRITE : FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (held == INVALID_HANDLE_VALUE) return 5;
    }
    wchar_t window_class[256];
    MultiByteToWideChar(CP_ACP, 0, argv[1], -1, window_class, 256);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = window_class;
    if (!RegisterClassW(&wc)) return 3;
    HWND window = CreateWindowExW(0, window_class, L"Velmaris", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                  100, nullptr, nullptr, wc.hInstance, nullptr);
    if (window == nullptr) return 4;
    g_main_thread = GetCurrentThreadId();
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // make the thread's queue
    std::printf("%lu\n", static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(window)));
    std::fflush(stdout);
    CreateThread(nullptr, 0, WaitForEndOfInput, nullptr, 0, nullptr);
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    DestroyWindow(window);
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    return 0;
}
