#include "settings/handle_writeback.h"

#include <string>

#include "base/text_file.h"
#include "settings/settings_file.h"
#include "settings/settings_syntax.h"

namespace qb {

bool SaveWindowHandle(RunState& state) {
    // Written in the plain form, whatever form the line had.
    const std::string line = KeyLine(kKeyHwVelmWnd, std::to_string(state.SavedWnd));
    ReplaceKeyLine(state.IniLines, kKeyHwVelmWnd, line);
    // The file is read again as it is now, and only the handle line changes.
    ReplaceTextLine(SettingsPath(state.ProgramFolder), kSettingLinesSearched,
                    [&line](std::vector<std::string>& lines) {
                        return ReplaceKeyLine(lines, kKeyHwVelmWnd, line);
                    });
    return true;
}

}  // namespace qb
