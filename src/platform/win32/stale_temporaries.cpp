// Removing the private temporary files of killed runs on Windows.
#include <windows.h>

#include <vector>

#include "platform/files.h"
#include "platform/win32/file_helpers.h"

namespace qb {

namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Whether `name` is `base` + "." + process id + "-" + number + ".tmp", the
// names PrivateName gives; `pid` receives the process id.
bool IsPrivateNameOf(const std::wstring& name, const std::wstring& base, DWORD& pid) {
    static const std::wstring kEnding = L".tmp";
    if (name.size() < base.size() + 1 + kEnding.size() ||
        name.compare(0, base.size(), base) != 0 || name[base.size()] != L'.' ||
        name.compare(name.size() - kEnding.size(), kEnding.size(), kEnding) != 0) {
        return false;
    }
    const std::wstring middle =
        name.substr(base.size() + 1, name.size() - base.size() - 1 - kEnding.size());
    const std::size_t dash = middle.find(L'-');
    if (dash == 0 || dash == std::wstring::npos || dash > 10 || dash + 1 == middle.size()) {
        return false;
    }
    unsigned long long id = 0;
    for (std::size_t i = 0; i < middle.size(); ++i) {
        if (i == dash) continue;
        if (!IsDigit(middle[i])) return false;
        if (i < dash) id = id * 10 + static_cast<unsigned>(middle[i] - L'0');
    }
    pid = static_cast<DWORD>(id);
    return id > 0 && id <= 0xFFFFFFFFull;
}

// A process that cannot be opened for want of rights still runs.
bool ProcessRuns(DWORD pid) {
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (process == nullptr) return GetLastError() != ERROR_INVALID_PARAMETER;
    const bool runs = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return runs;
}

}  // namespace

void RemoveStaleTemporaries(const std::string& path) {
    const LongPath file = LongPathOf(path);
    const std::wstring base = file.text().substr(file.text().find_last_of(L'\\') + 1);
    const LongPath pattern = file.WithEnding(L".*-*.tmp");
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW(pattern.wide(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    std::vector<std::wstring> stale;
    const DWORD not_a_file = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    do {
        DWORD pid = 0;
        if (!(data.dwFileAttributes & not_a_file) &&
            IsPrivateNameOf(data.cFileName, base, pid) && pid != GetCurrentProcessId() &&
            !ProcessRuns(pid)) {
            stale.push_back(data.cFileName);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    for (const std::wstring& name : stale) {
        const LongPath leftover = file.Beside(name);
        DeleteFileW(leftover.wide());
    }
}

}  // namespace qb
