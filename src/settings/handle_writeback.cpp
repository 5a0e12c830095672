#include "settings/handle_writeback.h"

#include <string>

#include "base/text_file.h"
#include "settings/settings_file.h"
#include "settings/settings_loader.h"

namespace qb {

bool SaveWindowHandle(RunState& state) {
    const std::string line = KeyLine(kKeyHwVelmWnd, std::to_string(state.SavedWnd));
    const std::size_t i = FindKeyLine(state.IniLines, kKeyHwVelmWnd);
    if (i != kNoLine) state.IniLines[i] = line;
    // The file is read again as it is now, and only the handle line changes.
    ReplaceTextLine(SettingsPath(state.ProgramFolder), kSettingLinesSearched,
                    KeyLine(kKeyHwVelmWnd, ""), line);
    return true;
}

}  // namespace qb
