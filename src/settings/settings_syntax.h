// The settings file as people save it: which encoding its bytes are in, and
// how a line holds a key and its value. Rules on bytes and lines only; the
// loader, the handle write-back and the second look at the handle share them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/text_file.h"

namespace qb {

// Only the first lines of the file are searched for settings.
constexpr std::size_t kSettingLinesSearched = 50;

// Lines end at CR LF or a lone CR, as Notepad saves them; in a file with no
// CR before its first 0x1A, at LF. The load, the second look at the handle
// and the rewrite all read the file so.
constexpr LineEnds kSettingsLineEnds = LineEnds::kCrUnlessLf;

enum class SettingsEncoding { kCp932, kUtf8, kUtf16 };

// The UTF-8 byte-order mark that some editors put at the start of a file.
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

// Tells a settings file's encoding from its bytes, fed from the start in
// pieces of any size. UTF-16 when the file begins with FF FE or FE FF; UTF-8
// when it begins with the UTF-8 mark, or when everything before its first
// 0x1A byte is valid UTF-8, holds at least one byte above 0x7F, and either
// holds a sequence of three or four bytes or is not valid code page 932;
// code page 932 otherwise. So a file of plain ASCII reads the same either
// way, and pairs of half-width katakana that happen to form two-byte UTF-8
// sequences stay Shift_JIS: Japanese text in UTF-8 has three bytes a
// character.
class EncodingDetector {
public:
    void Feed(const char* data, std::size_t size);
    // True when no later byte can change the answer.
    bool Settled() const;
    SettingsEncoding Encoding() const;

private:
    bool HasUtf16Mark() const;
    bool HasUtf8Mark() const;

    std::size_t seen_ = 0;          // bytes fed before a 0x1A
    unsigned char first_[3] = {};   // the first bytes, for the marks
    bool ended_ = false;            // a 0x1A was met
    bool invalid_ = false;          // not valid UTF-8
    bool above_ascii_ = false;      // a byte above 0x7F was met
    bool long_sequence_ = false;    // a sequence of three or four bytes was met
    unsigned pending_ = 0;          // continuation bytes a sequence still needs
    unsigned char next_low_ = 0x80;   // the range the next continuation byte
    unsigned char next_high_ = 0xBF;  // must lie in
    bool cp932_invalid_ = false;    // not valid code page 932
    bool cp932_lead_ = false;       // a double-byte character awaits its second byte
};

// The encoding of a file that holds exactly `bytes`.
SettingsEncoding DetectSettingsEncoding(const std::string& bytes);

// A value as written after "=": blanks and tabs before and after it are
// dropped, and when it is wrapped in one pair of double quotes, it is taken
// without them (blanks and tabs inside them stay). A full-width blank is
// text, not a blank.
std::string SettingValueOf(const std::string& written);

// When `line` holds `key`, with blanks or tabs allowed before the key and
// around "=": true, with the value after "=" as SettingValueOf takes it.
// Keys are matched exactly, in their letter case.
bool KeyValueOnLine(const std::string& line, const std::string& key, std::string& value);

// The index of the line among the first 50 of `lines` that holds `key`: the
// first that begins with key + "=", the form that always counted, so that a
// file that loaded before loads the same; when none does, the first that
// holds it with blanks or tabs around it (on the first line, after the
// UTF-8 mark). kNoLine when there is none.
std::size_t FindKeyLine(const std::vector<std::string>& lines, const std::string& key);

// The value of `key` on the line FindKeyLine finds; false when there is none.
bool FindKeyValue(const std::vector<std::string>& lines, const std::string& key,
                  std::string& value);

// Replaces the line FindKeyLine finds for `key` by `line` (after the UTF-8
// mark, which the first line keeps). False, with nothing changed, when no
// line holds the key or the lines are those of a UTF-16 file, which is never
// rewritten.
bool ReplaceKeyLine(std::vector<std::string>& lines, const std::string& key,
                    const std::string& line);

}  // namespace qb
