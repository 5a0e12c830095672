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

struct KnownFolder {
    std::wstring path;
    bool inside_refused;
};

// The paths of the known folders. The shell is loaded only for them (or
// the Recycle Bin), on the rare run that may empty the root, so that an
// ordinary run does not pay for it. The user's own folders are refused
// only where a root is or holds them: a folder inside Documents or on the
// Desktop is where users keep such things. The system's, the programs'
// and the applications' data are refused inside too.
std::vector<KnownFolder> KnownFolderPaths() {
    std::vector<KnownFolder> paths;
    using GetKnownFolderPath = HRESULT(WINAPI*)(const GUID&, DWORD, HANDLE, PWSTR*);
    using FreeTaskMemory = void(WINAPI*)(LPVOID);
    const auto get = reinterpret_cast<GetKnownFolderPath>(
        reinterpret_cast<void*>(ShellFunction("SHGetKnownFolderPath")));
    const auto free = reinterpret_cast<FreeTaskMemory>(
        reinterpret_cast<void*>(OleFunction("CoTaskMemFree")));
    if (get != nullptr && free != nullptr) {
        const struct {
            const GUID* id;
            bool inside_refused;
        } known[] = {
            {&FOLDERID_Profile, false},        {&FOLDERID_Desktop, false},
            {&FOLDERID_Documents, false},      {&FOLDERID_Downloads, false},
            {&FOLDERID_Pictures, false},       {&FOLDERID_Music, false},
            {&FOLDERID_Videos, false},         {&FOLDERID_Windows, true},
            {&FOLDERID_ProgramFiles, true},    {&FOLDERID_ProgramFilesX86, true},
            {&FOLDERID_ProgramData, true},     {&FOLDERID_RoamingAppData, true},
            {&FOLDERID_LocalAppData, true},    {&FOLDERID_LocalAppDataLow, true},
        };
        for (const auto& folder : known) {
            PWSTR path = nullptr;
            if (SUCCEEDED(get(*folder.id, 0, nullptr, &path)) && path != nullptr) {
                paths.push_back(KnownFolder{path, folder.inside_refused});
            }
            free(path);
        }
    }
    // A 32-bit program is told the 32-bit Program Files; the other one is
    // named in the environment on 64-bit Windows.
    wchar_t other[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"ProgramW6432", other, MAX_PATH);
    if (n > 0 && n < MAX_PATH) paths.push_back(KnownFolder{std::wstring(other, n), true});
    return paths;
}

}  // namespace

std::vector<NamedFolder> OpenSystemFolders() {
    std::vector<NamedFolder> folders;
    for (const KnownFolder& known : KnownFolderPaths()) {
        const HANDLE h = OpenForIdentity(known.path);
        if (h == INVALID_HANDLE_VALUE) continue;
        DWORD attributes = 0;
        if (!AttributesOf(h, attributes) || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            CloseHandle(h);
            continue;
        }
        NamedFolder named;
        ToCp932(known.path, named.path);
        named.folder.value = reinterpret_cast<std::intptr_t>(h);
        named.inside_refused = known.inside_refused;
        folders.push_back(named);
    }
    return folders;
}

}  // namespace qb
