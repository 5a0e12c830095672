// What identifies an open file or folder on Windows: the serial number of
// its volume and its file index. The index and the attributes are cheap
// queries everywhere; the serial number is not under Wine, which asks its
// mount manager in another process for it (up to half a millisecond each
// time), so it is asked for only where it decides something. And its full
// path, as the system resolved it.
#include <windows.h>
#include <winternl.h>

#include <vector>

#include "platform/folders.h"
#include "platform/win32/file_helpers.h"

namespace qb {

namespace {

// FileInternalInformation of NtQueryInformationFile: the file index alone.
constexpr int kFileInternalInformation = 6;
using QueryInformationFile = LONG(WINAPI*)(HANDLE, IO_STATUS_BLOCK*, void*, ULONG, int);
// ObjectNameInformation of NtQueryObject: the object's name.
constexpr int kObjectNameInformation = 1;
using QueryObject = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);

QueryInformationFile QueryFunction() {
    static const auto query = reinterpret_cast<QueryInformationFile>(
        reinterpret_cast<void*>(NtdllFunction("NtQueryInformationFile")));
    return query;
}

// Wine 8's GetFinalPathNameByHandleW reads the name into a buffer of
// MAX_PATH characters and fails with ERROR_MORE_DATA past it. There the
// name NtQueryObject gives is the DOS path behind "\??\" at any length,
// which it would have made "\\?\..." of. (Windows gives a name on the
// volume's device, "\Device\...", which is never taken.)
bool LongObjectName(HANDLE h, std::wstring& path) {
    const auto query =
        reinterpret_cast<QueryObject>(reinterpret_cast<void*>(NtdllFunction("NtQueryObject")));
    std::vector<UNICODE_STRING> buffer(1 + 65536 / sizeof(UNICODE_STRING));
    const ULONG size = static_cast<ULONG>(buffer.size() * sizeof(UNICODE_STRING));
    ULONG used = 0;
    if (query == nullptr || query(h, kObjectNameInformation, buffer.data(), size, &used) < 0) {
        return false;
    }
    const std::wstring name(buffer[0].Buffer, buffer[0].Length / sizeof(wchar_t));
    if (name.compare(0, 4, L"\\??\\") != 0) return false;
    path = L"\\\\?\\" + name.substr(4);
    return true;
}

}  // namespace

FARPROC NtdllFunction(const char* name) {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name);
}

bool FileIndexOf(HANDLE h, std::uint64_t& index) {
    const QueryInformationFile query = QueryFunction();
    IO_STATUS_BLOCK status;
    LARGE_INTEGER value;  // FILE_INTERNAL_INFORMATION
    if (query == nullptr || query(h, &status, &value, sizeof value, kFileInternalInformation) < 0) {
        return false;
    }
    index = static_cast<std::uint64_t>(value.QuadPart);
    return true;
}

bool VolumeSerialOf(HANDLE h, std::uint64_t& serial) {
    FILE_ID_INFO info;
    if (GetFileInformationByHandleEx(h, FileIdInfo, &info, sizeof info)) {
        serial = info.VolumeSerialNumber;
        return true;
    }
    // Windows 7 knows only the 32-bit number; a system gives one or the other
    // for every volume, so numbers of one run always compare alike.
    DWORD short_serial = 0;
    if (!GetVolumeInformationByHandleW(h, nullptr, 0, &short_serial, nullptr, nullptr, nullptr,
                                       0)) {
        return false;
    }
    serial = short_serial;
    return true;
}

bool AttributesOf(HANDLE h, DWORD& attributes) {
    FILE_ATTRIBUTE_TAG_INFO info;
    if (!GetFileInformationByHandleEx(h, FileAttributeTagInfo, &info, sizeof info)) return false;
    attributes = info.FileAttributes;
    return true;
}

bool FinalPath(HANDLE h, std::wstring& path) {
    path.assign(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFinalPathNameByHandleW(h, &path[0], static_cast<DWORD>(path.size()),
                                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) return GetLastError() == ERROR_MORE_DATA && LongObjectName(h, path);
        if (n < path.size()) {
            path.resize(n);
            return true;
        }
        path.resize(n + 1);
    }
}

bool IdOf(HANDLE h, FolderId& id) {
    std::uint64_t index = 0, serial = 0;
    if (!FileIndexOf(h, index) || !VolumeSerialOf(h, serial)) return false;
    id = FolderId{serial, index};
    return true;
}

bool IsSame(HANDLE h, const FolderId& id) {
    std::uint64_t index = 0, serial = 0;
    return FileIndexOf(h, index) && index == id.index && VolumeSerialOf(h, serial) &&
           serial == id.volume;
}

}  // namespace qb
