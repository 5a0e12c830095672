// The settings loader on arbitrary file bytes, the integer conversions, and
// the write-back keeping every other line and every byte after the lines
// searched.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/text_file.h"
#include "fuzz/fuzz_support.h"
#include "settings/handle_writeback.h"
#include "settings/integer_conversion.h"
#include "settings/settings_loader.h"
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
    qb::TextFileReader reader(path);
    std::string line, piece, rest;
    for (std::size_t i = 0; i < qb::kSettingLinesSearched && reader.ReadLine(line); ++i) {
    }
    while (reader.ReadRest(piece)) rest += piece;
    return rest;
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
    qb::RunState state;
    state.ProgramFolder = folder;
    qbfuzz::RecordingUserFacing ui;
    const bool loaded = qb::LoadSettings(state, ui);
    QB_CHECK(loaded == ui.boxes.empty());
    QB_CHECK(ui.boxes.size() <= 1);
    if (!loaded) return 0;
    QB_CHECK(state.BrowserVer == 1 || state.BrowserVer == 2);
    // The write-back changes the handle line and nothing else.
    const std::vector<std::string> before = state.IniLines;
    const std::string rest_before = Rest(ini);
    state.SavedWnd = 4294967295u;
    qb::SaveWindowHandle(state);
    const std::vector<std::string> after = qb::ReadTextLines(ini, qb::kSettingLinesSearched);
    QB_CHECK(Rest(ini) == rest_before);
    QB_CHECK(after.size() == before.size());
    int changed = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (after[i] != before[i]) {
            ++changed;
            QB_CHECK(after[i] == "hwVelmWnd=4294967295");
        }
    }
    QB_CHECK(changed <= 1);
    qb::RunState again;
    again.ProgramFolder = folder;
    QB_CHECK(qb::LoadSettings(again, ui));
    QB_CHECK(again.SavedWnd == 4294967295u);
    return 0;
}
