#include "settings/settings_syntax.h"

#include <algorithm>

#include "base/cp932_text.h"

namespace qb {

namespace {

constexpr unsigned char kEndOfData = 0x1A;
constexpr std::size_t kUtf8MarkLength = sizeof kUtf8Mark - 1;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The second byte of a double-byte character of code page 932.
bool IsCp932Trail(unsigned char c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// A character of code page 932 in one byte.
bool IsCp932Single(unsigned char c) { return c < 0x80 || (c >= 0xA1 && c <= 0xDF); }

// The text of line `i`: the first line without the UTF-8 mark, which belongs
// to the file, not to the line.
std::string LineText(const std::vector<std::string>& lines, std::size_t i) {
    const std::string& line = lines[i];
    if (i == 0 && line.compare(0, kUtf8MarkLength, kUtf8Mark) == 0) {
        return line.substr(kUtf8MarkLength);
    }
    return line;
}

}  // namespace

// A strict UTF-8 check: no overlong form, no surrogate, nothing above
// U+10FFFF, no sequence cut short. Beside it, the code page 932 check: each
// byte a character of its own or one of a double-byte character's two.
void EncodingDetector::Feed(const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size && !ended_; ++i) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        if (c == kEndOfData) {
            ended_ = true;
            break;
        }
        if (seen_ < sizeof first_) first_[seen_] = c;
        ++seen_;
        if (cp932_lead_) {
            cp932_invalid_ = cp932_invalid_ || !IsCp932Trail(c);
            cp932_lead_ = false;
        } else if (IsLeadByte(c)) {
            cp932_lead_ = true;
        } else if (!IsCp932Single(c)) {
            cp932_invalid_ = true;
        }
        if (invalid_) continue;
        if (pending_ > 0) {
            if (c < next_low_ || c > next_high_) invalid_ = true;
            --pending_;
            next_low_ = 0x80;
            next_high_ = 0xBF;
            continue;
        }
        if (c < 0x80) continue;
        above_ascii_ = true;
        if (c >= 0xC2 && c <= 0xDF) {
            pending_ = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            pending_ = 2;
            long_sequence_ = true;
            if (c == 0xE0) next_low_ = 0xA0;   // below: overlong
            if (c == 0xED) next_high_ = 0x9F;  // above: surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            pending_ = 3;
            long_sequence_ = true;
            if (c == 0xF0) next_low_ = 0x90;   // below: overlong
            if (c == 0xF4) next_high_ = 0x8F;  // above: past U+10FFFF
        } else {
            invalid_ = true;
        }
    }
}

bool EncodingDetector::HasUtf16Mark() const {
    return seen_ >= 2 && ((first_[0] == 0xFF && first_[1] == 0xFE) ||
                          (first_[0] == 0xFE && first_[1] == 0xFF));
}

bool EncodingDetector::HasUtf8Mark() const {
    return seen_ >= kUtf8MarkLength && first_[0] == 0xEF && first_[1] == 0xBB &&
           first_[2] == 0xBF;
}

bool EncodingDetector::Settled() const {
    return ended_ || HasUtf16Mark() || (seen_ >= kUtf8MarkLength && (HasUtf8Mark() || invalid_));
}

SettingsEncoding EncodingDetector::Encoding() const {
    if (HasUtf16Mark()) return SettingsEncoding::kUtf16;
    if (HasUtf8Mark()) return SettingsEncoding::kUtf8;
    const bool utf8 = !invalid_ && pending_ == 0 && above_ascii_;
    const bool cp932 = !cp932_invalid_ && !cp932_lead_;
    return utf8 && (long_sequence_ || !cp932) ? SettingsEncoding::kUtf8
                                              : SettingsEncoding::kCp932;
}

SettingsEncoding DetectSettingsEncoding(const std::string& bytes) {
    EncodingDetector detector;
    detector.Feed(bytes.data(), bytes.size());
    return detector.Encoding();
}

// Blanks, tabs and double quotes are single bytes below 0x40, which are
// never the second byte of a double-byte character, so cutting at them is
// safe in either encoding.
std::string SettingValueOf(const std::string& written) {
    std::size_t begin = 0;
    while (begin < written.size() && IsBlank(written[begin])) ++begin;
    std::size_t end = written.size();
    while (end > begin && IsBlank(written[end - 1])) --end;
    if (end - begin >= 2 && written[begin] == '"' && written[end - 1] == '"') {
        return written.substr(begin + 1, end - begin - 2);
    }
    return written.substr(begin, end - begin);
}

bool KeyValueOnLine(const std::string& line, const std::string& key, std::string& value) {
    std::size_t pos = 0;
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (key.empty() || line.compare(pos, key.size(), key) != 0) return false;
    pos += key.size();
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos >= line.size() || line[pos] != '=') return false;
    value = SettingValueOf(line.substr(pos + 1));
    return true;
}

std::size_t FindKeyLine(const std::vector<std::string>& lines, const std::string& key) {
    const std::size_t plain = FindLineStarting(lines, kSettingLinesSearched, key + "=");
    if (plain != kNoLine) return plain;
    const std::size_t searched = std::min(lines.size(), kSettingLinesSearched);
    std::string value;
    for (std::size_t i = 0; i < searched; ++i) {
        if (KeyValueOnLine(LineText(lines, i), key, value)) return i;
    }
    return kNoLine;
}

bool FindKeyValue(const std::vector<std::string>& lines, const std::string& key,
                  std::string& value) {
    value.clear();
    const std::size_t i = FindKeyLine(lines, key);
    return i != kNoLine && KeyValueOnLine(LineText(lines, i), key, value);
}

bool ReplaceKeyLine(std::vector<std::string>& lines, const std::string& key,
                    const std::string& line) {
    if (!lines.empty() && DetectSettingsEncoding(lines[0]) == SettingsEncoding::kUtf16) {
        return false;
    }
    const std::size_t i = FindKeyLine(lines, key);
    if (i == kNoLine) return false;
    const std::size_t mark = lines[i].size() - LineText(lines, i).size();
    lines[i] = lines[i].substr(0, mark) + line;
    return true;
}

}  // namespace qb
