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

const std::vector<std::string>& SettingsTemplate() {
    static const std::vector<std::string> lines = {
        "IniVer=101", "VelmVer=2", "",          "VelmLogDir=", "",
        "AddUdrScr=0", "ShowTitle=1", "", "hwVelmWnd=0",
    };
    return lines;
}

bool EnsureSettingsFile(const RunState& state, UserFacing& ui) {
    const std::string path = SettingsPath(state.ProgramFolder);
    if (FileIsPresent(path)) return true;
    WriteTextFileReplacing(path, SettingsTemplate());
    ShowNotice(ui,
               FillText(msg::kTemplateWritten, {state.ProgramFolder}),
               NoticeKind::Error);
    return false;
}

}  // namespace qb
