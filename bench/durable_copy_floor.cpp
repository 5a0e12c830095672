// The floor that a whole run of Quenbrook.exe under Wine is measured against
// (bench/run-bench.sh): a program that does only what a run cannot do
// without, finding the browser's main window and copying the thread's two
// files durably (the system's copy to a new name, flushed to the disk, then
// moved over the earlier copy).
//
//   durable_copy_floor.exe <source .dat> <source .inf> <destination folder>
#include <windows.h>

#include <string>

namespace {

std::wstring Wide(const char* text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n - 1 : 0), L'\0');
    if (n > 1) MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], n);
    return wide;
}

bool DurableCopy(const std::wstring& src, const std::wstring& dst) {
    const std::wstring temp = dst + L".floor.tmp";
    if (!CopyFileW(src.c_str(), temp.c_str(), FALSE)) return false;
    const HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool flushed = FlushFileBuffers(h) != 0;
    CloseHandle(h);
    return flushed && MoveFileExW(temp.c_str(), dst.c_str(),
                                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    FindWindowW(L"TVelmarisWindow", nullptr);
    const std::wstring folder = Wide(argv[3]) + L"\\";
    for (int i = 1; i <= 2; ++i) {
        const std::wstring src = Wide(argv[i]);
        const std::wstring name = src.substr(src.find_last_of(L'\\') + 1);
        if (!DurableCopy(src, folder + name)) return 1;
    }
    return 0;
}
