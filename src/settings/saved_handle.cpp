#include "settings/saved_handle.h"

#include <vector>

#include "base/text_file.h"
#include "settings/settings_file.h"
#include "settings/settings_loader.h"
#include "settings/settings_syntax.h"

namespace qb {

bool ReadSavedHandle(const std::string& file, std::uint32_t& handle) {
    const std::vector<std::string> lines =
        ReadTextLines(file, kSettingLinesSearched, kSettingsLineEnds);
    std::string value;
    return FindKeyValue(lines, kKeyHwVelmWnd, value) && HandleFromValue(value, handle);
}

}  // namespace qb
