#include "support/settings_text.h"

#include "support/temp_folder.h"

namespace qbtest {

const char* const kSettingsTemplate =
    "IniVer=101\r\nVelmVer=2\r\n\r\nVelmLogDir=\r\n\r\nAddUdrScr=0\r\nShowTitle=1\r\n\r\n"
    "hwVelmWnd=0\r\n";

std::string SettingsText::Bytes() const {
    const std::string gap = spaced_ ? "\r\n" : "";
    return (ini_ver_ ? "IniVer=101\r\n" : "") + ("VelmVer=" + generation_ + "\r\n") + gap +
           "VelmLogDir=" + log_dir_ + "\r\n" + gap + "AddUdrScr=" + add_ + "\r\nShowTitle=" +
           show_ + "\r\n" + gap + "hwVelmWnd=" + handle_ + "\r\n";
}

void SettingsText::WriteTo(const std::string& path) const { WriteBytes(path, Bytes()); }

std::string SavedHandle(const std::string& path) {
    static const std::string kKey = "hwVelmWnd=";
    const std::string text = ReadBytes(path);
    std::size_t at = text.compare(0, kKey.size(), kKey) == 0 ? 0 : text.find("\n" + kKey);
    if (at == std::string::npos) return "(no handle line)";
    at = text.find(kKey, at) + kKey.size();
    const std::size_t end = text.find("\r\n", at);
    return text.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

}  // namespace qbtest
