// The lock that runs sharing a settings file take in turn, on Windows: a
// named mutex of the session. The system releases it when the process ends,
// however it ends; a mutex whose holder ended without releasing it is handed
// to the next waiter as abandoned, which counts as free.
#include <windows.h>

#include <cstdint>

#include "platform/files.h"
#include "platform/folders.h"
#include "platform/win32/encoding.h"
#include "platform/win32/file_helpers.h"

namespace qb {

namespace {

// The settings file's full path, as Windows completes it.
std::wstring FullPath(const std::string& settings_path) {
    const std::wstring wide = Wide(settings_path);
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), &full[0],
                                         nullptr);
        if (n == 0) return wide;
        if (n < full.size()) {
            full.resize(n);
            return full;
        }
        full.resize(n + 1);
    }
}

// Appends 16 hexadecimal digits of `n`.
void AppendHex(std::wstring& name, std::uint64_t n) {
    for (int shift = 60; shift >= 0; shift -= 4) name += L"0123456789ABCDEF"[(n >> shift) & 0xF];
}

// The identity of the folder that holds the settings file: the same however
// its path is spelt (a folder link, another drive letter, a short name), as
// the folder that flock locks on POSIX. False when it cannot be opened.
bool HoldingFolderId(const std::string& settings_path, FolderId& id) {
    const std::wstring wide = Wide(settings_path);
    const std::size_t cut = wide.find_last_of(L"\\/:");
    if (cut == std::wstring::npos) return false;
    const HANDLE h = OpenForIdentity(wide.substr(0, cut + 1));
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool known = FolderIdOf(OpenFolder{reinterpret_cast<std::intptr_t>(h)}, id);
    CloseHandle(h);
    return known;
}

// "Local\Quenbrook-run-" and the hexadecimal digits of the identity of the
// settings file's folder; where it cannot be had, of a hash of the file's
// full path, letter case folded: a mutex name may not hold '\'.
std::wstring LockName(const std::string& settings_path) {
    std::wstring name = L"Local\\Quenbrook-run-";
    FolderId id;
    if (HoldingFolderId(settings_path, id)) {
        AppendHex(name, id.volume);
        name += L'-';
        AppendHex(name, id.index_low);
        return name;
    }
    std::wstring path = FullPath(settings_path);
    if (!path.empty()) CharUpperBuffW(&path[0], static_cast<DWORD>(path.size()));
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const wchar_t c : path) {
        hash = (hash ^ static_cast<std::uint16_t>(c)) * 1099511628211ull;
    }
    AppendHex(name, hash);
    return name;
}

}  // namespace

RunLock TakeRunLock(const std::string& settings_path) {
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, LockName(settings_path).c_str());
    if (mutex == nullptr) return RunLock{};
    const DWORD waited = WaitForSingleObject(mutex, INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex);
        return RunLock{};
    }
    return RunLock{reinterpret_cast<std::intptr_t>(mutex)};
}

void ReleaseRunLock(RunLock lock) {
    if (lock.value == -1) return;
    const HANDLE mutex = reinterpret_cast<HANDLE>(lock.value);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
}

}  // namespace qb
