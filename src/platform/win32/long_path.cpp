#include "platform/win32/long_path.h"

namespace qb {

namespace {

const std::wstring kLong = L"\\\\?\\";
const std::wstring kLongUnc = L"\\\\?\\UNC\\";

bool StartsWith(const std::wstring& text, const std::wstring& start) {
    return text.compare(0, start.size(), start) == 0;
}

bool IsLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// Whether `text` is a drive's name, "X:", from `at` to its end.
bool IsBareDrive(const std::wstring& text, std::size_t at) {
    return text.size() == at + 2 && IsLetter(text[at]) && text[at + 1] == L':';
}

// A long path, a bare drive there taken as its root.
std::wstring DriveRootCompleted(const std::wstring& path) {
    return IsBareDrive(path, kLong.size()) ? path + L'\\' : path;
}

}  // namespace

std::wstring LongForm(const std::wstring& path, FullPathFunction full_path) {
    if (StartsWith(path, kLong)) return DriveRootCompleted(path);
    const std::wstring full = full_path(IsBareDrive(path, 0) ? path + L'\\' : path);
    if (StartsWith(full, kLong)) return DriveRootCompleted(full);
    if (full.size() >= 3 && IsLetter(full[0]) && full[1] == L':' && full[2] == L'\\') {
        return kLong + full;
    }
    // "\\server\share\..." ("\\.\..." names a device).
    if (StartsWith(full, L"\\\\") && !StartsWith(full, L"\\\\.\\")) return kLongUnc + full.substr(2);
    return std::wstring();
}

LongPath LongPath::Child(const std::wstring& name) const {
    if (text_.empty()) return *this;
    return LongPath(text_.back() == L'\\' ? text_ + name : text_ + L'\\' + name);
}

LongPath LongPath::Beside(const std::wstring& name) const {
    if (text_.empty()) return *this;
    return LongPath(text_.substr(0, text_.find_last_of(L'\\') + 1) + name);
}

LongPath LongPath::WithEnding(const std::wstring& ending) const {
    if (text_.empty()) return *this;
    return LongPath(text_ + ending);
}

}  // namespace qb
