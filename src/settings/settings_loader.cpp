#include "settings/settings_loader.h"

#include "base/messages.h"
#include "base/notices.h"
#include "base/path_text.h"
#include "base/text_file.h"
#include "settings/integer_conversion.h"
#include "settings/settings_file.h"

namespace qb {

std::size_t FindKeyLine(const std::vector<std::string>& lines, const std::string& key) {
    return FindLineStarting(lines, kSettingLinesSearched, KeyLine(key, ""));
}

bool FindKeyValue(const std::vector<std::string>& lines, const std::string& key,
                  std::string& value) {
    value.clear();
    const std::size_t i = FindKeyLine(lines, key);
    if (i == kNoLine) return false;
    value = lines[i].substr(key.size() + 1);
    return true;
}

bool GetSettingValue(const RunState& state, UserFacing& ui, const std::string& key,
                     std::string& value) {
    if (!FindKeyValue(state.IniLines, key, value)) {
        ShowNotice(ui, FillText(msg::kKeyMissing, {key}), NoticeKind::Error);
        return false;
    }
    if (value.empty()) {
        ShowNotice(ui, FillText(msg::kValueEmpty, {key}), NoticeKind::Error);
        return false;
    }
    return true;
}

bool LoadSettings(RunState& state, UserFacing& ui) {
    // Only the lines searched are held; a rewrite carries the rest over as
    // bytes, so memory does not grow with the file.
    state.IniLines = ReadTextLines(SettingsPath(state.ProgramFolder), kSettingLinesSearched);
    if (state.IniLines.empty()) {
        ShowNotice(ui, msg::kSettingsEmpty, NoticeKind::Error);
        return false;
    }
    std::string version, add_underscore, show_title, handle;
    if (!GetSettingValue(state, ui, kKeyVelmVer, version) ||
        !GetSettingValue(state, ui, kKeyVelmLogDir, state.LogDir) ||
        !GetSettingValue(state, ui, kKeyAddUdrScr, add_underscore) ||
        !GetSettingValue(state, ui, kKeyShowTitle, show_title) ||
        !GetSettingValue(state, ui, kKeyHwVelmWnd, handle)) {
        return false;
    }
    state.LogDir = RemoveTrailingSeparator(state.LogDir);
    state.BrowserVer = ToInt32OrMinusOne(version);
    if (state.BrowserVer != 1 && state.BrowserVer != 2) {
        ShowNotice(ui, msg::kVelmVerInvalid, NoticeKind::Error);
        return false;
    }
    if (!FolderExists(state.LogDir)) {
        ShowNotice(ui, FillText(msg::kLogDirInvalid, {state.LogDir}),
                   NoticeKind::Error);
        return false;
    }
    state.AddUnderscore = add_underscore == "1";
    state.ShowTitleOn = show_title != "0";
    if (!HandleFromValue(handle, state.SavedWnd)) {
        ShowNotice(ui, msg::kHandleInvalid, NoticeKind::Error);
        return false;
    }
    return true;
}

bool HandleFromValue(const std::string& value, std::uint32_t& handle) {
    const std::int64_t n = ToInt64OrMinusOne(value);
    if (n < 0 || n > 0xFFFFFFFFll) return false;
    handle = static_cast<std::uint32_t>(n);
    return true;
}

}  // namespace qb
