// Reading the settings file and checking each setting.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "settings/settings.h"
#include "settings/settings_syntax.h"

namespace qb {

// The first 50 lines of the settings file at `path`, and its encoding, told
// from all of its bytes up to a 0x1A (read a piece at a time, so memory does
// not grow with the file). Raises InOutError when it cannot be read.
SettingsEncoding ReadSettingsLines(const std::string& path, std::vector<std::string>& lines);

// The value of `key` in `lines` as FindKeyValue finds it, in code page 932:
// a value of a UTF-8 file is converted exactly. Shows a notice and returns
// false when there is no such line, its value is empty, or it holds a
// character that code page 932 has no form for.
bool GetSettingValue(const std::vector<std::string>& lines, SettingsEncoding encoding,
                     const std::string& key, UserFacing& ui, std::string& value);

// The settings of the file at `file`; nothing, after a notice, for a UTF-16
// file or at the first missing, empty or invalid setting. Raises InOutError
// when the file cannot be read.
std::optional<Settings> LoadSettings(const std::string& file, UserFacing& ui);

// The window handle a "hwVelmWnd" value holds: false unless it converts and
// lies within 0 to 4294967295.
bool HandleFromValue(const std::string& value, std::uint32_t& handle);

}  // namespace qb
