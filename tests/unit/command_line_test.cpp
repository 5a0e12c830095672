#include <gtest/gtest.h>

#include "app/command_line.h"

namespace {

using qb::SplitCommandLine;
using Items = std::vector<std::string>;

TEST(CommandLineTest, SplitsByTheProgramsOwnRules) {
    struct Case {
        const char* line;
        Items items;
    };
    const Case cases[] = {
        {"", {}},
        {"q.exe", {"q.exe"}},
        {"q.exe a b", {"q.exe", "a", "b"}},
        {"  q.exe \t a\x01\x1F" "b  ", {"q.exe", "a", "b"}},      // blanks and control bytes
        {"\"C:\\Program Files\\q.exe\" a", {"C:\\Program Files\\q.exe", "a"}},
        {"q \"C:\\My Logs\" http://x/", {"q", "C:\\My Logs", "http://x/"}},
        {"q C:\\\"My Logs\"\\sub x", {"q", "C:\\My Logs\\sub", "x"}},  // stretch inside
        {"q a\"\"b", {"q", "ab"}},                                   // empty stretch inside
        {"q \"\" http://x/", {"q", "http://x/"}},                   // "" alone: no argument
        {"q \"\" \"\" a", {"q", "a"}},
        {"q \"C:\\dir\\\" b", {"q", "C:\\dir\\", "b"}},              // no escape byte
        {"q \"open to the end", {"q", "open to the end"}},
        {"q a \"", {"q", "a"}},                                       // lone quote ends the list
        {"q \" b", {"q", " b"}},
        {"q \"\"\" b", {"q", " b"}},                                  // pair skipped, then a stretch
        {"q \x81\x40x", {"q", "\x81\x40x"}},                         // 0x40 is no blank anyway
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitCommandLine(std::string(c.line)), c.items) << c.line;
        // The wide command line splits alike, a character for a byte.
        const std::string line = c.line;
        std::vector<std::wstring> wide_items;
        for (const std::string& item : c.items) wide_items.emplace_back(item.begin(), item.end());
        EXPECT_EQ(SplitCommandLine(std::wstring(line.begin(), line.end())), wide_items) << c.line;
    }
    // Blanks are 0x01 to 0x20 in wide text too; U+3000 and U+0120 are not.
    EXPECT_EQ(SplitCommandLine(std::wstring(L"q\x3000x \x0120y")),
              (std::vector<std::wstring>{L"q\x3000x", L"\x0120y"}));
}

}  // namespace
