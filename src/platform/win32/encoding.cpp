#include "platform/win32/encoding.h"

#include <windows.h>

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

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = static_cast<int>(text.size());
    const int n =
        WideCharToMultiByte(kCodePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(kCodePage, 0, text.data(), size, &narrow[0], n, nullptr, nullptr);
    return narrow;
}

}  // namespace qb
