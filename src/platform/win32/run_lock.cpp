// The lock that runs sharing a settings file take in turn, on Windows: a
// named mutex of the session. The system releases it when the process ends,
// however it ends; a mutex whose holder ended without releasing it is handed
// to the next waiter as abandoned, which counts as free.
#include <windows.h>

#include <cstdint>

#include "platform/files.h"
#include "platform/win32/encoding.h"
#include "platform/win32/file_helpers.h"

namespace qb {

namespace {

// "Local\Quenbrook-run-" and 16 hexadecimal digits of a hash of the path,
// letter case folded: a mutex name may not hold '\'.
std::wstring LockName(const std::string& settings_path) {
    // The settings file's full path, as Windows completes it.
    std::wstring path = FullPath(Wide(settings_path));
    if (!path.empty()) CharUpperBuffW(&path[0], static_cast<DWORD>(path.size()));
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const wchar_t c : path) {
        hash = (hash ^ static_cast<std::uint16_t>(c)) * 1099511628211ull;
    }
    std::wstring name = L"Local\\Quenbrook-run-";
    for (int shift = 60; shift >= 0; shift -= 4) {
        name += L"0123456789ABCDEF"[(hash >> shift) & 0xF];
    }
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
