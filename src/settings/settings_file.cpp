#include "settings/settings_file.h"

#include "base/messages.h"
#include "base/notices.h"
#include "base/path_text.h"
#include "base/text_file.h"

namespace qb {

std::string SettingsPath(const std::string& program_folder) {
    const std::string folder = RemoveTrailingSeparator(program_folder);
    return JoinPath(folder, kSettingsFileName);
}

std::string KeyLine(const std::string& key, const std::string& value) {
    return key + "=" + value;
}

const std::vector<std::string>& SettingsTemplate() {
    static const std::vector<std::string> lines = {
        KeyLine(kKeyIniVer, "101"),   KeyLine(kKeyVelmVer, "2"),   "",
        KeyLine(kKeyVelmLogDir, ""),  "",
        KeyLine(kKeyAddUdrScr, "0"),  KeyLine(kKeyShowTitle, "1"), "",
        KeyLine(kKeyHwVelmWnd, "0"),
    };
    return lines;
}

bool EnsureSettingsFile(const std::string& file, const std::string& program_folder,
                        UserFacing& ui) {
    if (FileIsPresent(file)) return true;
    WriteTextFileReplacing(file, SettingsTemplate());
    ShowNotice(ui, FillText(msg::kTemplateWritten, {program_folder}), NoticeKind::Error);
    return false;
}

}  // namespace qb
