// Reading the settings file into the run state and checking each setting.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/run_state.h"
#include "base/text_file.h"
#include "platform/platform.h"

namespace qb {

// Only the first lines of the file are searched for settings.
constexpr std::size_t kSettingLinesSearched = 50;

// The index of the first line among the first 50 of `lines` that begins
// with key + "="; kNoLine when there is none.
std::size_t FindKeyLine(const std::vector<std::string>& lines, const std::string& key);

// The value after key + "=" on the line FindKeyLine finds; false when there
// is no such line.
bool FindKeyValue(const std::vector<std::string>& lines, const std::string& key,
                  std::string& value);

// The value of `key` from the first line of `state.IniLines` (among the
// first 50) that begins with key + "=". Shows a notice and returns false
// when there is no such line or its value is empty.
bool GetSettingValue(const RunState& state, UserFacing& ui, const std::string& key,
                     std::string& value);

// Fills BrowserVer, LogDir, AddUnderscore, ShowTitleOn, SavedWnd and IniLines;
// false after a notice on the first missing, empty or invalid setting.
bool LoadSettings(RunState& state, UserFacing& ui);

// The window handle a "hwVelmWnd" value holds: false unless it converts and
// lies within 0 to 4294967295.
bool HandleFromValue(const std::string& value, std::uint32_t& handle);

}  // namespace qb
