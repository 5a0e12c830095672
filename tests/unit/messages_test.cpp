// The texts as the program holds them: a few pinned byte for byte by hand,
// every one checked for its shape, and the filler that completes them.
#include <gtest/gtest.h>

#include <vector>

#include "base/cp932_text.h"
#include "base/messages.h"

namespace {

using namespace qb;

// Bytes written out by hand, independent of any converter: a full-width
// space, CR LF, a lone LF, full-width punctuation and placeholders.
TEST(MessagesTest, AFewTextsHaveTheirExactBytes) {
    EXPECT_EQ(std::string(msg::kUrlInvalid),
              "URL \x82\xAA\x90\xB3\x82\xB5\x82\xAD\x82\xC8\x82\xA2\x82\xE6\x82\xA4\x82\xC5"
              "\x82\xB7\x81" "B\x81@\x94\xF1\x91\xCE\x89\x9E\x82\xCC BBS \x82\xA9\x82\xE0"
              "\x82\xB5\x82\xEA\x82\xDC\x82\xB9\x82\xF1\x81" "B");
    EXPECT_EQ(std::string(msg::kRootCreated),
              "\x83R\x83s\x81[\x90\xE6\x82\xC6\x82\xB5\x82\xC4\x8Ew\x92\xE8\x82\xB3\x82\xEA"
              "\x82\xBD\x83t\x83H\x83\x8B\x83_ '{1}' \x82\xAA\x91\xB6\x8D\xDD\x82\xB5\x82\xC8"
              "\x82\xA9\x82\xC1\x82\xBD\x82\xCC\x82\xC5\x81" "A\r\n\x90V\x82\xBD\x82\xC9\x8D\xEC"
              "\x90\xAC\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81" "B");
    EXPECT_EQ(std::string(msg::kFailureReport),
              "{1}\x82\xAA\x83\x82\x83W\x83\x85\x81[\x83\x8B {2} \x82\xCC {3} \x82\xC5\x94\xAD"
              "\x90\xB6\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81" "B\n{4}");
    EXPECT_EQ(std::string(msg::kRegisterInTools),
              "Velmaris \x82\xCC [\x83" "c\x81[\x83\x8B(T)\x81" "b\x83" "c\x81[\x83\x8B\x82\xCC"
              "\x90\xDD\x92\xE8(T)...] \x82\xC9\x93o\x98^\x82\xB5\x82\xC4\x8Eg\x97p\x82\xB5"
              "\x82\xC4\x89\xBA\x82\xB3\x82\xA2\x81" "B");
    EXPECT_EQ(std::string(msg::kTitleBox), "\x81\x75{1}\x81\x76 \x81\x97 {2}");
}

// Every text is whole code-page-932 text whose braces all open a placeholder
// numbered from {1} up without a gap; CR only ever comes before LF.
TEST(MessagesTest, EveryTextIsWholeAndItsPlaceholdersAreNumberedInOrder) {
    ASSERT_GE(msg::kAllTextCount, 40u);
    for (std::size_t i = 0; i < msg::kAllTextCount; ++i) {
        const std::string name = msg::kAllTexts[i].name;
        const std::string text = msg::kAllTexts[i].text;
        EXPECT_FALSE(text.empty()) << name;
        EXPECT_FALSE(IsTrailByteAt(text, text.size())) << name << ": ends inside a character";
        unsigned highest = 0;
        bool used[10] = {};
        for (std::size_t at = FindText(text, "{"); at != std::string::npos;
             at = FindText(text, "{", at + 3)) {
            ASSERT_LT(at + 2, text.size()) << name;
            const char digit = text[at + 1];
            ASSERT_TRUE(digit >= '1' && digit <= '9' && text[at + 2] == '}') << name;
            used[digit - '0'] = true;
            if (static_cast<unsigned>(digit - '0') > highest) highest = digit - '0';
        }
        for (unsigned n = 1; n <= highest; ++n) EXPECT_TRUE(used[n]) << name << ": no {" << n << "}";
        for (std::size_t cr = text.find('\r'); cr != std::string::npos; cr = text.find('\r', cr + 1)) {
            EXPECT_EQ(text.compare(cr, 2, "\r\n"), 0) << name;
        }
    }
}

TEST(MessagesTest, TheFillerPutsEachValueInItsPlaceOnce) {
    struct Case {
        std::string text;
        std::vector<std::string> values;
        std::string filled;
    };
    const Case cases[] = {
        {"'{1}' / '{2}'", {"a", "b"}, "'a' / 'b'"},
        {"{2}{1}{2}", {"x", "y"}, "yxy"},
        {"no placeholder", {"a"}, "no placeholder"},
        {"{1}", {""}, ""},
        // A value holding a placeholder token is not searched again.
        {"<{1}>{2}", {"{2}", "b"}, "<{2}>b"},
        // 0x83 0x7B is one character whose second byte is '{'.
        {"\x83\x7B" "1}{1}", {"v"}, "\x83\x7B" "1}v"},
        // A brace that opens no placeholder, or one without a value, stays.
        {"{0} {x} {3} {", {"a"}, "{0} {x} {3} {"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FillText(c.text.c_str(), c.values), c.filled) << c.text;
    }
}

}  // namespace
