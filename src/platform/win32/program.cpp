// The executable's own location and its command line on Windows.
#include <windows.h>

#include "platform/program.h"
#include "platform/win32/encoding.h"
#include "platform/win32/file_helpers.h"

namespace qb {

bool ProgramPath(std::string& path) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, &buffer[0],
                                           static_cast<DWORD>(buffer.size()));
        if (n < buffer.size()) {
            buffer.resize(n);
            return ToCp932(buffer, path);
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool RawCommandLine(std::wstring& line) {
    line = GetCommandLineW();
    return true;
}

std::vector<std::wstring> SystemArguments(int, char**) { return {}; }

void ForgetRunFacts() { ForgetVolumeSerials(); }

}  // namespace qb
