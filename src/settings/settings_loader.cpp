#include "settings/settings_loader.h"

#include "base/messages.h"
#include "base/notices.h"
#include "base/path_text.h"
#include "base/text_file.h"
#include "platform/program.h"
#include "settings/integer_conversion.h"
#include "settings/settings_file.h"

namespace qb {

SettingsEncoding ReadSettingsLines(const std::string& path, std::vector<std::string>& lines) {
    TextFileReader reader(path, kSettingsLineEnds);
    EncodingDetector detector;
    lines.clear();
    std::string line;
    while (lines.size() < kSettingLinesSearched && reader.ReadLine(line)) {
        lines.push_back(line);
        // A line end is ASCII, which is all that matters for the encoding.
        if (reader.LastLineEnded()) line += '\n';
        detector.Feed(line.data(), line.size());
    }
    std::string piece;
    while (!detector.Settled() && reader.ReadRest(piece)) detector.Feed(piece.data(), piece.size());
    reader.Close();
    return detector.Encoding();
}

bool GetSettingValue(const std::vector<std::string>& lines, SettingsEncoding encoding,
                     const std::string& key, UserFacing& ui, std::string& value) {
    if (!FindKeyValue(lines, key, value)) {
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

std::optional<Settings> LoadSettings(const std::string& file, UserFacing& ui) {
    // Only the lines searched are held, as the file has them; a rewrite
    // reads the file again.
    std::vector<std::string> lines;
    const SettingsEncoding encoding = ReadSettingsLines(file, lines);
    if (encoding == SettingsEncoding::kUtf16) {
        ShowNotice(ui, msg::kSettingsUtf16, NoticeKind::Error);
        return std::nullopt;
    }
    if (lines.empty()) {
        ShowNotice(ui, msg::kSettingsEmpty, NoticeKind::Error);
        return std::nullopt;
    }
    std::string version, log_folder, add_underscore, show_title, handle;
    if (!GetSettingValue(lines, encoding, kKeyVelmVer, ui, version) ||
        !GetSettingValue(lines, encoding, kKeyVelmLogDir, ui, log_folder) ||
        !GetSettingValue(lines, encoding, kKeyAddUdrScr, ui, add_underscore) ||
        !GetSettingValue(lines, encoding, kKeyShowTitle, ui, show_title) ||
        !GetSettingValue(lines, encoding, kKeyHwVelmWnd, ui, handle)) {
        return std::nullopt;
    }
    Settings settings;
    settings.file = file;
    settings.log_folder = RemoveTrailingSeparator(log_folder);
    settings.generation = ToInt32OrMinusOne(version);
    if (settings.generation != 1 && settings.generation != 2) {
        ShowNotice(ui, msg::kVelmVerInvalid, NoticeKind::Error);
        return std::nullopt;
    }
    if (!FolderExists(settings.log_folder)) {
        ShowNotice(ui, FillText(msg::kLogDirInvalid, {settings.log_folder}), NoticeKind::Error);
        return std::nullopt;
    }
    settings.underscore_folders = add_underscore == "1";
    settings.title_on = show_title != "0";
    // Only checked here: the handle that counts is read again inside the
    // run's turn.
    std::uint32_t saved_handle = 0;
    if (!HandleFromValue(handle, saved_handle)) {
        ShowNotice(ui, msg::kHandleInvalid, NoticeKind::Error);
        return std::nullopt;
    }
    // Optional, without a notice: anything but "0" (the same in either
    // encoding) keeps the bin.
    std::string recycle;
    settings.recycle = !FindKeyValue(lines, kKeyUseRcyBin, recycle) || recycle != "0";
    return settings;
}

bool HandleFromValue(const std::string& value, std::uint32_t& handle) {
    const std::int64_t n = ToInt64OrMinusOne(value);
    if (n < 0 || n > 0xFFFFFFFFll) return false;
    handle = static_cast<std::uint32_t>(n);
    return true;
}

}  // namespace qb
