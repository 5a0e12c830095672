// The folders of the user and of the system that no emptying may reach, as
// the shell's known folders name them wherever they are redirected.
#include <windows.h>

#include <knownfolders.h>

#include "platform/folders.h"
#include "platform/program.h"
#include "platform/win32/file_helpers.h"
#include "platform/win32/shell_library.h"

namespace qb {

namespace {

// The folder at `path`, open, when it exists.
void AddFolder(const std::wstring& path, bool inside_refused,
               std::vector<NamedFolder>& folders) noexcept {
    const HANDLE h = OpenForIdentity(LongPathOf(path));
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD attributes = 0;
    if (!AttributesOf(h, attributes) || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CloseHandle(h);
        return;
    }
    NamedFolder named;
    ToCp932(path, named.path);
    named.folder.value = reinterpret_cast<std::intptr_t>(h);
    named.inside_refused = inside_refused;
    folders.push_back(std::move(named));
}

}  // namespace

// As the known folders name them. The shell is loaded only for them (or
// the Recycle Bin), on the rare run that may empty the root, so that an
// ordinary run does not pay for it. The user's own folders are refused
// only where a root is or holds them: a folder inside Documents or on the
// Desktop is where users keep such things. The system's, the programs'
// and the applications' data are refused inside too.
std::vector<NamedFolder> OpenSystemFolders() {
    std::vector<NamedFolder> folders;
    using GetKnownFolderPath = HRESULT(WINAPI*)(const GUID&, DWORD, HANDLE, PWSTR*);
    using FreeTaskMemory = void(WINAPI*)(LPVOID);
    const auto get = reinterpret_cast<GetKnownFolderPath>(
        reinterpret_cast<void*>(ShellFunction(ShellLibrary::kShell, "SHGetKnownFolderPath")));
    const auto free = reinterpret_cast<FreeTaskMemory>(
        reinterpret_cast<void*>(ShellFunction(ShellLibrary::kOle, "CoTaskMemFree")));
    // The user's folders first, then those refused inside too.
    const GUID* const known[] = {
        &FOLDERID_Profile,      &FOLDERID_Desktop,         &FOLDERID_Documents,
        &FOLDERID_Downloads,    &FOLDERID_Pictures,        &FOLDERID_Music,
        &FOLDERID_Videos,       &FOLDERID_Windows,         &FOLDERID_ProgramFiles,
        &FOLDERID_ProgramFilesX86, &FOLDERID_ProgramData,  &FOLDERID_RoamingAppData,
        &FOLDERID_LocalAppData, &FOLDERID_LocalAppDataLow,
    };
    constexpr std::size_t kUserFolders = 7;
    constexpr std::size_t kKnown = sizeof known / sizeof known[0];
    for (std::size_t i = 0; i <= kKnown; ++i) {
        std::wstring path;
        if (i < kKnown) {
            PWSTR found = nullptr;
            if (get == nullptr || free == nullptr) continue;
            if (SUCCEEDED(get(*known[i], 0, nullptr, &found)) && found != nullptr) path = found;
            free(found);
        } else {
            // A 32-bit program is told the 32-bit Program Files; the other
            // one is named in the environment on 64-bit Windows.
            wchar_t other[MAX_PATH];
            const DWORD n = GetEnvironmentVariableW(L"ProgramW6432", other, MAX_PATH);
            if (n > 0 && n < MAX_PATH) path.assign(other, n);
        }
        if (!path.empty()) AddFolder(path, i >= kUserFolders, folders);
    }
    return folders;
}

}  // namespace qb
