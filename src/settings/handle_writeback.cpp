#include "settings/handle_writeback.h"

#include <string>

#include "base/text_file.h"
#include "settings/settings_file.h"
#include "settings/settings_loader.h"

namespace qb {

bool SaveWindowHandle(RunState& state) {
    const std::string prefix = "hwVelmWnd=";
    const std::size_t searched = std::min(state.IniLines.size(), kSettingLinesSearched);
    for (std::size_t i = 0; i < searched; ++i) {
        if (state.IniLines[i].compare(0, prefix.size(), prefix) == 0) {
            state.IniLines[i] = prefix + std::to_string(state.SavedWnd);
            break;
        }
    }
    // The file is read again as it is now, and only the handle line changes.
    ReplaceTextLine(SettingsPath(state.ProgramFolder), kSettingLinesSearched, prefix,
                    prefix + std::to_string(state.SavedWnd));
    return true;
}

}  // namespace qb
