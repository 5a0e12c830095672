// The settings file beside the executable: its place, its template, and
// making sure it exists.
#pragma once

#include <string>
#include <vector>

#include "platform/desktop.h"

namespace qb {

constexpr const char* kSettingsFileName = "Quenbrook.ini";

// The keys of the settings file. A setting is the line key + "=" + value.
constexpr char kKeyIniVer[] = "IniVer";
constexpr char kKeyVelmVer[] = "VelmVer";
constexpr char kKeyVelmLogDir[] = "VelmLogDir";
constexpr char kKeyAddUdrScr[] = "AddUdrScr";
constexpr char kKeyShowTitle[] = "ShowTitle";
constexpr char kKeyHwVelmWnd[] = "hwVelmWnd";
// Optional, not in the template: "0" empties the root without the bin.
constexpr char kKeyUseRcyBin[] = "UseRcyBin";

// key + "=" + value.
std::string KeyLine(const std::string& key, const std::string& value);

std::string SettingsPath(const std::string& program_folder);

// The template's nine lines; written with a CR LF after each.
const std::vector<std::string>& SettingsTemplate();

// True when the settings file `file` (in `program_folder`) exists.
// Otherwise writes the template, announces it and returns false. Raises
// InOutError when it cannot write.
bool EnsureSettingsFile(const std::string& file, const std::string& program_folder,
                        UserFacing& ui);

}  // namespace qb
