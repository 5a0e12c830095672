// The settings file as every test writes and reads it. Values are the text
// after a key's "=", written as given, so that a test can also write values
// the program must reject.
#pragma once

#include <string>
#include <utility>

namespace qbtest {

// The template the program writes when there is no settings file.
extern const char* const kSettingsTemplate;

// A whole settings file: IniVer=101, then VelmVer, VelmLogDir, AddUdrScr,
// ShowTitle and hwVelmWnd, each line ending in CR LF. Without changes, a valid
// generation-2 file with every flag at its template value and handle 0.
class SettingsText {
public:
    explicit SettingsText(std::string log_dir) : log_dir_(std::move(log_dir)) {}

    SettingsText& Generation(std::string value) { generation_ = std::move(value); return *this; }
    SettingsText& AddUnderscore(std::string value) { add_ = std::move(value); return *this; }
    SettingsText& ShowTitle(std::string value) { show_ = std::move(value); return *this; }
    SettingsText& Handle(std::string value) { handle_ = std::move(value); return *this; }
    // Leaves the IniVer line out, so that VelmVer is the first line.
    SettingsText& WithoutIniVer() { ini_ver_ = false; return *this; }
    // A blank line before VelmLogDir, AddUdrScr and hwVelmWnd, as the template has.
    SettingsText& Spaced() { spaced_ = true; return *this; }

    std::string Bytes() const;
    void WriteTo(const std::string& path) const;

private:
    std::string log_dir_;
    std::string generation_ = "2";
    std::string add_ = "0";
    std::string show_ = "1";
    std::string handle_ = "0";
    bool ini_ver_ = true;
    bool spaced_ = false;
};

// The saved window handle in the settings file at `path`: the text after
// "hwVelmWnd=" on the first line that starts with it, up to the line's CR LF
// (to the end of the file when there is none); "(no handle line)" when no
// line starts with it.
std::string SavedHandle(const std::string& path);

}  // namespace qbtest
