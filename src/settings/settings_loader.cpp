#include "settings/settings_loader.h"

#include "base/messages.h"
#include "base/notices.h"
#include "base/path_text.h"
#include "base/text_file.h"
#include "settings/integer_conversion.h"
#include "settings/settings_file.h"

namespace qb {

SettingsEncoding ReadSettingsLines(const std::string& path, std::vector<std::string>& lines) {
    TextFileReader reader(path);
    EncodingDetector detector;
    lines.clear();
    std::string line;
    while (lines.size() < kSettingLinesSearched && reader.ReadLine(line)) {
        lines.push_back(line);
        // A line end is ASCII, which is what matters for the encoding.
        line += '\r';
        detector.Feed(line.data(), line.size());
    }
    std::string piece;
    while (!detector.Settled() && reader.ReadRest(piece)) detector.Feed(piece.data(), piece.size());
    reader.Close();
    return detector.Encoding();
}

bool GetSettingValue(const RunState& state, UserFacing& ui, const std::string& key,
                     SettingsEncoding encoding, std::string& value) {
    if (!FindKeyValue(state.IniLines, key, value)) {
        ShowNotice(ui, FillText(msg::kKeyMissing, {key}), NoticeKind::Error);
        return false;
    }
    if (value.empty()) {
        ShowNotice(ui, FillText(msg::kValueEmpty, {key}), NoticeKind::Error);
        return false;
    }
    if (encoding != SettingsEncoding::kUtf8) return true;
    // Exactly or not at all: a best fit would name another folder.
    std::string converted;
    if (!Utf8ToCp932Exact(value, converted)) {
        ShowNotice(ui, FillText(msg::kValueUnconvertible, {key, converted}), NoticeKind::Error);
        return false;
    }
    value = converted;
    return true;
}

bool LoadSettings(RunState& state, UserFacing& ui) {
    // Only the lines searched are held, as the file has them; a rewrite
    // carries the rest over as bytes, so memory does not grow with the file.
    const SettingsEncoding encoding =
        ReadSettingsLines(SettingsPath(state.ProgramFolder), state.IniLines);
    if (encoding == SettingsEncoding::kUtf16) {
        ShowNotice(ui, msg::kSettingsUtf16, NoticeKind::Error);
        return false;
    }
    if (state.IniLines.empty()) {
        ShowNotice(ui, msg::kSettingsEmpty, NoticeKind::Error);
        return false;
    }
    std::string version, add_underscore, show_title, handle;
    if (!GetSettingValue(state, ui, kKeyVelmVer, encoding, version) ||
        !GetSettingValue(state, ui, kKeyVelmLogDir, encoding, state.LogDir) ||
        !GetSettingValue(state, ui, kKeyAddUdrScr, encoding, add_underscore) ||
        !GetSettingValue(state, ui, kKeyShowTitle, encoding, show_title) ||
        !GetSettingValue(state, ui, kKeyHwVelmWnd, encoding, handle)) {
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
