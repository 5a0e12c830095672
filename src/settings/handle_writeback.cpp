#include "settings/handle_writeback.h"

#include "base/text_file.h"
#include "settings/settings_file.h"
#include "settings/settings_syntax.h"

namespace qb {

void SaveWindowHandle(const std::string& file, std::uint32_t handle) {
    // Written in the plain form, whatever form the line had.
    const std::string line = KeyLine(kKeyHwVelmWnd, std::to_string(handle));
    ReplaceTextLine(file, kSettingLinesSearched, kSettingsLineEnds,
                    [&line](std::vector<std::string>& lines) {
                        return ReplaceKeyLine(lines, kKeyHwVelmWnd, line);
                    });
}

}  // namespace qb
