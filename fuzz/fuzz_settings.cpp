// The settings loader on arbitrary file bytes, the integer conversions, the
// encoding and key rules, and the write-back keeping every other line, the
// UTF-8 mark and every byte after the lines searched (in a file of LF lines,
// every byte but the handle line's).
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "base/text_file.h"
#include "fuzz/fuzz_support.h"
#include "settings/handle_writeback.h"
#include "settings/integer_conversion.h"
#include "settings/saved_handle.h"
#include "settings/settings_loader.h"
#include "settings/settings_syntax.h"
#include "support/temp_folder.h"

namespace {

// Decimal text with no prefix, sign or blank: the reference is strtoll.
void CheckDecimal(const std::string& value) {
    if (value.empty() || value.size() > 18) return;
    for (char c : value) {
        if (c < '0' || c > '9') return;
    }
    const long long expected = std::strtoll(value.c_str(), nullptr, 10);
    QB_CHECK(qb::ToInt64OrMinusOne(value) == expected);
    const std::int32_t narrow = qb::ToInt32OrMinusOne(value);
    QB_CHECK(expected > 2147483647LL ? narrow == -1 : narrow == expected);
}

// The bytes after the lines searched for settings.
std::string Rest(const std::string& path) {
    qb::TextFileReader reader(path, qb::kSettingsLineEnds);
    std::string line, piece, rest;
    for (std::size_t i = 0; i < qb::kSettingLinesSearched && reader.ReadLine(line); ++i) {
    }
    while (reader.ReadRest(piece)) rest += piece;
    return rest;
}

// Whether the lines of a file of these bytes end at LF: no CR before the
// first 0x1A.
bool EndsAtLf(const std::string& bytes) {
    return bytes.find('\r') >= bytes.find('\x1A');
}

// A line that begins with key + "=" is still the one found, its value as
// written unless that begins with a blank, a tab or a quote, or ends with a
// blank or a tab.
void CheckPlainForm(const std::vector<std::string>& lines) {
    for (const std::string key : {"VelmVer", "VelmLogDir", "AddUdrScr", "ShowTitle", "hwVelmWnd"}) {
        const std::size_t plain = qb::FindLineStarting(lines, qb::kSettingLinesSearched, key + "=");
        if (plain == qb::kNoLine) continue;
        const std::string written = lines[plain].substr(key.size() + 1);
        std::string value;
        QB_CHECK(qb::FindKeyLine(lines, key) == plain && qb::FindKeyValue(lines, key, value));
        const bool as_written =
            written.find_first_of(" \t\"") != 0 &&
            (written.empty() || (written.back() != ' ' && written.back() != '\t'));
        if (as_written) QB_CHECK(value == written);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CheckDecimal(bytes);
    const std::int32_t v32 = qb::ToInt32OrMinusOne(bytes);
    const std::int64_t v64 = qb::ToInt64OrMinusOne(bytes);
    // A trailing blank never converts.
    if (!bytes.empty() && bytes.back() == ' ') QB_CHECK(v32 == -1 && v64 == -1);

    const std::string folder = qbfuzz::ScratchFolder();
    const std::string ini = folder + "/Quenbrook.ini";
    qbtest::WriteBytes(ini, bytes);
    qbfuzz::RecordingUserFacing ui;
    const std::optional<qb::Settings> settings = qb::LoadSettings(ini, ui);
    const bool loaded = settings.has_value();
    QB_CHECK(loaded == ui.boxes.empty());
    QB_CHECK(ui.boxes.size() <= 1);

    // The loader, reading by lines, tells the encoding the bytes have.
    const qb::SettingsEncoding encoding = qb::DetectSettingsEncoding(bytes);
    std::vector<std::string> lines;
    QB_CHECK(qb::ReadSettingsLines(ini, lines) == encoding);
    if (encoding == qb::SettingsEncoding::kUtf16) QB_CHECK(!loaded);
    CheckPlainForm(lines);
    if (!loaded) return 0;
    QB_CHECK(settings->generation == 1 || settings->generation == 2);
    // The write-back changes the handle line and nothing else.
    const std::vector<std::string>& before = lines;
    const std::string rest_before = Rest(ini);
    qb::SaveWindowHandle(ini, 4294967295u);
    const std::vector<std::string> after =
        qb::ReadTextLines(ini, qb::kSettingLinesSearched, qb::kSettingsLineEnds);
    QB_CHECK(Rest(ini) == rest_before);
    QB_CHECK(after.size() == before.size());
    // Only the line the loader read the handle from, now in the plain form
    // (after the mark, on the first line of a file that has one).
    const std::size_t line = qb::FindKeyLine(before, "hwVelmWnd");
    const bool mark = line == 0 && before[0].compare(0, 3, qb::kUtf8Mark) == 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
        QB_CHECK(after[i] == (i != line ? before[i] : (mark ? qb::kUtf8Mark : "") +
                                                          std::string("hwVelmWnd=4294967295")));
    }
    const std::string rewritten = qbtest::ReadBytes(ini);
    // With the lines and the rest as they were: not one line end added or lost.
    if (EndsAtLf(bytes)) {
        QB_CHECK(rewritten.size() + before[line].size() == bytes.size() + after[line].size());
    }
    QB_CHECK(qb::DetectSettingsEncoding(rewritten) == encoding);
    const std::optional<qb::Settings> again = qb::LoadSettings(ini, ui);
    std::uint32_t saved = 0;
    QB_CHECK(again && qb::ReadSavedHandle(ini, saved) && saved == 4294967295u);
    return 0;
}
