#include "settings/saved_handle.h"

#include <vector>

#include "base/text_file.h"
#include "settings/settings_file.h"
#include "settings/settings_loader.h"

namespace qb {

bool ReadSavedHandle(const std::string& program_folder, std::uint32_t& handle) {
    const std::string prefix = "hwVelmWnd=";
    const std::vector<std::string> lines =
        ReadTextLines(SettingsPath(program_folder), kSettingLinesSearched);
    for (const std::string& line : lines) {
        if (line.compare(0, prefix.size(), prefix) != 0) continue;
        return HandleFromValue(line.substr(prefix.size()), handle);
    }
    return false;
}

}  // namespace qb
