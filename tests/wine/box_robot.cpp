// Test helper for Windows (runs under Wine): starts a program with an exact
// raw command line, reads and answers each message box it shows, and
// reports the boxes and the exit code on standard output.
//
//   box_robot.exe <job file>
//
// The job file (UTF-8) has four lines: the program's path, the whole raw
// command line, the answers for yes/no boxes ("Y"/"N", one letter a box; No
// when none is left) and the time limit in milliseconds. A fifth line, when
// there is one, names a gate file: at each yes/no box the robot creates the
// gate's name + ".asked" and answers only once the gate file exists, so that
// a test can do things while a question waits.
//
// Report lines, texts as hexadecimal code-page-932 bytes:
//   acp <the ANSI code page of this Windows>
//   box <caption> <text> <buttons> <default> <topmost> <icon>
//   start-retried <error>  a start that failed with 1359, tried again
//   exit <code>            or   timeout   or   start-failed <error>
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

std::wstring FromUtf8(const std::string& s) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
    return w;
}

std::string Hex932(const std::wstring& w) {
    if (w.empty()) return "-";
    const int n = WideCharToMultiByte(932, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(932, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    std::string hex;
    char byte[3];
    for (unsigned char c : s) {
        std::snprintf(byte, sizeof byte, "%02X", c);
        hex += byte;
    }
    return hex;
}

std::wstring WindowText(HWND h) {
    wchar_t buffer[4096];
    const int n = GetWindowTextW(h, buffer, 4096);
    return std::wstring(buffer, static_cast<std::size_t>(n > 0 ? n : 0));
}

std::wstring ClassName(HWND h) {
    wchar_t buffer[256];
    const int n = GetClassNameW(h, buffer, 256);
    return std::wstring(buffer, static_cast<std::size_t>(n > 0 ? n : 0));
}

struct Button {
    HWND hwnd;
    int id;
    std::wstring text;
    bool is_default;
};

BOOL CALLBACK CollectButton(HWND h, LPARAM lp) {
    auto* buttons = reinterpret_cast<std::vector<Button>*>(lp);
    if (ClassName(h) != L"Button" || !IsWindowVisible(h)) return TRUE;
    const LONG style = GetWindowLongW(h, GWL_STYLE);
    buttons->push_back(Button{h, GetDlgCtrlID(h), WindowText(h),
                              (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON});
    return TRUE;
}

const char* ButtonName(int id) {
    switch (id) {
        case IDOK: return "OK";
        case IDCANCEL: return "Cancel";
        case IDYES: return "Yes";
        case IDNO: return "No";
        default: return "?";
    }
}

// The pixels of a w x h bitmap after `paint` has drawn on it.
template <typename Paint>
std::vector<COLORREF> Pixels(int w, int h, Paint paint) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(dc, bitmap);
    paint(dc, screen);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) pixels.push_back(GetPixel(dc, x, y));
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// An icon drawn on the dialog's face colour.
std::vector<COLORREF> Rendered(HICON icon, int w, int h) {
    return Pixels(w, h, [&](HDC dc, HDC) {
        RECT all = {0, 0, w, h};
        FillRect(dc, &all, GetSysColorBrush(COLOR_3DFACE));
        DrawIconEx(dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    });
}

// What the control shows on the screen.
std::vector<COLORREF> Captured(HWND control, int w, int h) {
    RECT r;
    GetWindowRect(control, &r);
    return Pixels(w, h, [&](HDC dc, HDC screen) {
        BitBlt(dc, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    });
}

// The icon letter of the box: e, i, w, q, n for none, ? when unreadable.
// Icon handles are not shared between processes, so the icon shown is
// compared, pixel by pixel, with each standard icon drawn here.
char IconKind(HWND box) {
    struct Known {
        LPCWSTR id;
        char kind;
    };
    const Known known[] = {{MAKEINTRESOURCEW(32513), 'e'}, {MAKEINTRESOURCEW(32516), 'i'},
                           {MAKEINTRESOURCEW(32515), 'w'}, {MAKEINTRESOURCEW(32514), 'q'}};
    HWND icon_control = nullptr;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassName(child) == L"Static" &&
            (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            icon_control = child;
        }
    }
    if (icon_control == nullptr || !IsWindowVisible(icon_control) ||
        SendMessageW(icon_control, STM_GETICON, 0, 0) == 0) {
        return 'n';
    }
    const int w = GetSystemMetrics(SM_CXICON), h = GetSystemMetrics(SM_CYICON);
    // The box may not be painted yet when it first shows: look again a while.
    for (int attempt = 0; attempt < 40; ++attempt) {
        const std::vector<COLORREF> shown = Captured(icon_control, w, h);
        for (const Known& k : known) {
            if (Rendered(LoadIconW(nullptr, k.id), w, h) == shown) return k.kind;
        }
        Sleep(25);
    }
    return '?';
}

struct Search {
    DWORD pid;
    std::set<HWND>* handled;
    HWND found;
};

BOOL CALLBACK FindBox(HWND h, LPARAM lp) {
    auto* search = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid != search->pid || !IsWindowVisible(h) || ClassName(h) != L"#32770") return TRUE;
    if (search->handled->count(h)) return TRUE;
    search->found = h;
    return FALSE;
}

std::vector<std::string> ReadLines(const char* path) {
    std::vector<std::string> lines;
    FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return lines;
    std::string line;
    int c;
    while ((c = std::fgetc(f)) != EOF) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += static_cast<char>(c);
        }
    }
    lines.push_back(line);
    std::fclose(f);
    return lines;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: box_robot <job file>\n");
        return 2;
    }
    std::vector<std::string> job = ReadLines(argv[1]);
    if (job.size() < 4) {
        std::fprintf(stderr, "job file needs four lines\n");
        return 2;
    }
    const std::wstring program = FromUtf8(job[0]);
    std::wstring command_line = FromUtf8(job[1]);
    std::string answers = job[2];
    const DWORD limit = static_cast<DWORD>(std::atoi(job[3].c_str()));
    const std::wstring gate = job.size() > 4 ? FromUtf8(job[4]) : std::wstring();

    std::printf("acp %u\n", GetACP());
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    // Wine's CreateProcessW now and then fails with an internal error before
    // the program runs at all: such a start is tried again, twice at most.
    // Any other failure is reported at once.
    for (int attempt = 0;; ++attempt) {
        if (CreateProcessW(program.c_str(), &command_line[0], nullptr, nullptr, FALSE, 0,
                           nullptr, nullptr, &si, &pi)) {
            break;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_INTERNAL_ERROR || attempt == 2) {
            std::printf("start-failed %lu\n", error);
            return 3;
        }
        std::printf("start-retried %lu\n", error);
    }
    std::set<HWND> handled;
    const DWORD start = GetTickCount();
    for (;;) {
        if (WaitForSingleObject(pi.hProcess, 10) == WAIT_OBJECT_0) break;
        if (GetTickCount() - start > limit) {
            TerminateProcess(pi.hProcess, 99);
            WaitForSingleObject(pi.hProcess, 5000);
            std::printf("timeout\n");
            std::fflush(stdout);
            return 0;
        }
        Search search{pi.dwProcessId, &handled, nullptr};
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        HWND box = search.found;
        if (box == nullptr) continue;
        handled.insert(box);
        std::vector<Button> buttons;
        EnumChildWindows(box, CollectButton, reinterpret_cast<LPARAM>(&buttons));
        std::string names, default_name = "-";
        for (const Button& b : buttons) {
            if (!names.empty()) names += ",";
            names += ButtonName(b.id);
            if (b.is_default) default_name = ButtonName(b.id);
        }
        const bool topmost = (GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        std::printf("box %s %s %s %s %d %c\n", Hex932(WindowText(box)).c_str(),
                    Hex932(WindowText(GetDlgItem(box, 0xFFFF))).c_str(),
                    names.empty() ? "-" : names.c_str(), default_name.c_str(), topmost ? 1 : 0,
                    IconKind(box));
        std::fflush(stdout);
        int answer = IDOK;
        bool has_yes = false;
        for (const Button& b : buttons) has_yes = has_yes || b.id == IDYES;
        if (has_yes && !gate.empty()) {
            CloseHandle(CreateFileW((gate + L".asked").c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
            while (GetFileAttributesW(gate.c_str()) == INVALID_FILE_ATTRIBUTES &&
                   GetTickCount() - start <= limit) {
                Sleep(20);
            }
        }
        if (has_yes) {
            const bool yes = !answers.empty() && (answers[0] == 'Y' || answers[0] == 'y');
            if (!answers.empty()) answers.erase(0, 1);
            answer = yes ? IDYES : IDNO;
        }
        HWND button = GetDlgItem(box, answer);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
    }
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    std::printf("exit %lu\n", code);
    std::fflush(stdout);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return 0;
}
