#include "platform/win32/encoding.h"

#include <windows.h>

#include "platform/program.h"
#include "platform/win32/long_path.h"

namespace qb {

namespace {
constexpr UINT kCodePage = 932;
}

std::wstring Wide(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(kCodePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(kCodePage, 0, text.data(), size, &wide[0], n);
    return wide;
}

namespace {

// GetFullPathNameW, which takes paths of any length when its buffer is big
// enough.
std::wstring SystemFullPath(const std::wstring& path) {
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0],
                                         nullptr);
        if (n == 0) return std::wstring();
        if (n < full.size()) {
            full.resize(n);
            return full;
        }
        full.resize(n + 1);
    }
}

}  // namespace

LongPath LongPathOf(const std::wstring& path) { return LongPath::Of(path, SystemFullPath); }

LongPath LongPathOf(const std::string& path) { return LongPathOf(Wide(path)); }

// No best-fit mapping: a character without its own code-page-932 form turns
// into the default character '?' and makes the conversion inexact.
bool ToCp932(const std::wstring& text, std::string& out) {
    out.clear();
    if (text.empty()) return true;
    const int size = static_cast<int>(text.size());
    BOOL used_default = FALSE;
    const int n = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, text.data(), size,
                                      nullptr, 0, "?", &used_default);
    if (n <= 0) return false;
    out.assign(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, text.data(), size, &out[0], n, "?",
                        &used_default);
    return !used_default;
}

namespace {

// UTF-8 to UTF-16; false when `text` is no valid UTF-8.
bool FromUtf8(const std::string& text, std::wstring& wide) {
    wide.clear();
    if (text.empty()) return true;
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (n <= 0) return false;
    wide.assign(static_cast<std::size_t>(n), L'\0');
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, &wide[0], n) == n;
}

// Exact only when the code-page-932 bytes read back as the same characters.
bool Utf8PieceToCp932(const std::string& text, std::string& out) {
    std::wstring wide;
    return FromUtf8(text, wide) && ToCp932(wide, out) && Wide(out) == wide;
}

// The length of the UTF-8 character at `pos`: its first byte and the
// continuation bytes after it.
std::size_t Utf8CharLength(const std::string& text, std::size_t pos) {
    std::size_t n = 1;
    while (pos + n < text.size() && (static_cast<unsigned char>(text[pos + n]) & 0xC0) == 0x80) {
        ++n;
    }
    return n;
}

}  // namespace

bool Utf8ToCp932Exact(const std::string& text, std::string& out) {
    if (Utf8PieceToCp932(text, out)) return true;
    // Again a character at a time, so that only what cannot be held shows as '?'.
    out.clear();
    for (std::size_t pos = 0; pos < text.size();) {
        const std::string one = text.substr(pos, Utf8CharLength(text, pos));
        std::string converted;
        out += Utf8PieceToCp932(one, converted) ? converted : "?";
        pos += one.size();
    }
    return false;
}

}  // namespace qb
