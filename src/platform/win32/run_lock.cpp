// The locks that runs take in turn, on Windows: a named mutex of the session
// for each folder. The system releases it when the process ends, however it
// ends; a mutex whose holder ended without releasing it is handed to the
// next waiter as abandoned, which counts as free.
#include <windows.h>

#include <cstdint>

#include "platform/files.h"
#include "platform/folders.h"
#include "platform/win32/file_helpers.h"

namespace qb {

namespace {

// Appends 16 hexadecimal digits of `n`.
void AppendHex(std::wstring& name, std::uint64_t n) {
    for (int shift = 60; shift >= 0; shift -= 4) name += L"0123456789ABCDEF"[(n >> shift) & 0xF];
}

// "Local\Quenbrook-run-" and the folder's identity, the same however its
// path is spelt (a folder link, another drive letter, a short name), as the
// folder that flock locks on POSIX; where it cannot be opened, a hash of its
// full path, letter case folded. A mutex name may not hold '\'.
std::wstring LockName(const std::string& folder) {
    std::wstring name = L"Local\\Quenbrook-run-";
    OpenFolder open;
    FolderId id;
    bool known = false;
    if (OpenFolderByPath(folder, open)) {
        known = FolderIdOf(open, id);
        CloseFolder(open);
    }
    if (known) {
        AppendHex(name, id.volume);
        name += L'-';
        AppendHex(name, id.index);
        return name;
    }
    std::wstring path = LongPathOf(folder).text();
    if (!path.empty()) CharUpperBuffW(&path[0], static_cast<DWORD>(path.size()));
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const wchar_t c : path) {
        hash = (hash ^ static_cast<std::uint16_t>(c)) * 1099511628211ull;
    }
    AppendHex(name, hash);
    return name;
}

// The serial number of the volume that holds `folder`.
bool VolumeSerialOf(const std::string& folder, std::uint64_t& serial) {
    OpenFolder open;
    FolderId id;
    if (!OpenFolderByPath(folder, open)) return false;
    const bool known = FolderIdOf(open, id);
    CloseFolder(open);
    serial = id.volume;
    return known;
}

RunLock TakeNamedLock(const std::wstring& name) {
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    if (mutex == nullptr) return RunLock{};
    const DWORD waited = WaitForSingleObject(mutex, INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex);
        return RunLock{};
    }
    return RunLock{reinterpret_cast<std::intptr_t>(mutex)};
}

}  // namespace

RunLock TakeRunLock(const std::string& folder) { return TakeNamedLock(LockName(folder)); }

bool VolumeLockId(const std::string& folder, FolderId& id) {
    std::uint64_t serial = 0;
    if (!VolumeSerialOf(folder, serial)) return false;
    id = FolderId{serial, 0};
    return true;
}

// "Local\Quenbrook-run-volume-" and the serial number: never a folder's name.
RunLock TakeVolumeRunLock(const std::string& folder) {
    std::uint64_t serial = 0;
    if (!VolumeSerialOf(folder, serial)) return TakeRunLock(folder);
    std::wstring name = L"Local\\Quenbrook-run-volume-";
    AppendHex(name, serial);
    return TakeNamedLock(name);
}

void ReleaseRunLock(RunLock lock) {
    if (lock.value == -1) return;
    const HANDLE mutex = reinterpret_cast<HANDLE>(lock.value);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
}

}  // namespace qb
