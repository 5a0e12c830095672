#include "settings/saved_handle.h"

#include <vector>

#include "base/text_file.h"
#include "settings/settings_file.h"
#include "settings/settings_loader.h"

namespace qb {

bool ReadSavedHandle(const std::string& program_folder, std::uint32_t& handle) {
    const std::vector<std::string> lines =
        ReadTextLines(SettingsPath(program_folder), kSettingLinesSearched);
    const std::size_t i = FindKeyLine(lines, kKeyHwVelmWnd);
    if (i == kNoLine) return false;
    return HandleFromValue(lines[i].substr(KeyLine(kKeyHwVelmWnd, "").size()), handle);
}

}  // namespace qb
