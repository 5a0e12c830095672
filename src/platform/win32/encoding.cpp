#include "platform/win32/encoding.h"

#include <windows.h>

#include "platform/platform.h"

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

std::wstring WidePath(const std::string& path) {
    std::wstring wide = Wide(path);
    if (wide.size() == 2 && wide[1] == L':') wide += L'\\';
    return wide;
}

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

}  // namespace qb
