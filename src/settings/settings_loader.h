// Reading the settings file into the run state and checking each setting.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/run_state.h"
#include "platform/platform.h"
#include "settings/settings_syntax.h"

namespace qb {

// The first 50 lines of the settings file at `path`, and its encoding, told
// from all of its bytes up to a 0x1A (read a piece at a time, so memory does
// not grow with the file). Raises InOutError when it cannot be read.
SettingsEncoding ReadSettingsLines(const std::string& path, std::vector<std::string>& lines);

// The value of `key` from `state.IniLines` as FindKeyValue finds it, in code
// page 932: a value of a UTF-8 file is converted exactly. Shows a notice and
// returns false when there is no such line, its value is empty, or it holds
// a character that code page 932 has no form for.
bool GetSettingValue(const RunState& state, UserFacing& ui, const std::string& key,
                     SettingsEncoding encoding, std::string& value);

// Fills BrowserVer, LogDir, AddUnderscore, ShowTitleOn, SavedWnd and IniLines;
// false after a notice on a UTF-16 file or the first missing, empty or
// invalid setting.
bool LoadSettings(RunState& state, UserFacing& ui);

// The window handle a "hwVelmWnd" value holds: false unless it converts and
// lies within 0 to 4294967295.
bool HandleFromValue(const std::string& value, std::uint32_t& handle);

}  // namespace qb
