#include <gtest/gtest.h>

#include "base/cp932_text.h"
#include "base/path_text.h"

namespace {

using namespace qb;

// 表 ends in 0x5C ('\'), 能 in 0x5C, ソ in 0x5C; 0x82 0x2F does not occur in
// code page 932 but the search must still step over it as one character.
const std::string kHyou = "\x95\x5C";   // 表
const std::string kSo = "\x83\x5C";     // ソ

TEST(FindTextTest, NeverMatchesOnASecondByte) {
    struct Case {
        std::string text, pattern;
        std::size_t expected;
    };
    const std::size_t none = std::string::npos;
    const Case cases[] = {
        {"abc", "b", 1},
        {"abc", "d", none},
        {"abc", "", none},
        {"", "a", none},
        {kHyou + "\\", "\\", 2},                 // the trail byte is skipped
        {kHyou, "\\", none},
        {kSo + kSo + "/x", "\\", none},
        {"\x81" "/" "/", "/", 2},                // trail byte '/' (0x2F)
        {"\x81" "." "a.b", ".", 3},              // trail byte '.'
        {"a" + kHyou + "b", kHyou, 1},          // a whole character matches
        {"\x95" + kHyou, "\\", 2},              // 0x95 0x95 pairs up, the '\\' stands alone
        {"ab" "\x95", "\x95", 2},               // lone lead byte at the end
        {"http://x/http://", "http://", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindText(c.text, c.pattern), c.expected) << c.text << " / " << c.pattern;
    }
    // From a later character boundary on.
    EXPECT_EQ(FindText("http://x/http://", "http://", 1), 9u);
    EXPECT_EQ(FindText(kHyou + "\\" + kHyou + "\\", "\\", 3), 5u);
}

TEST(FindTextTest, ReplaceFirstReplacesOnlyTheFirst) {
    std::string s = "a/l50/l50";
    ReplaceFirst(s, "/l50", "");
    EXPECT_EQ(s, "a/l50");
    std::string t = kHyou + "/";
    ReplaceFirst(t, "\\", "X");
    EXPECT_EQ(t, kHyou + "/");
}

TEST(PathTextTest, TrailingSeparatorRule) {
    struct Case {
        std::string in, out;
    };
    const Case cases[] = {
        {"C:\\a\\", "C:\\a"},
        {"C:\\a\\\\", "C:\\a\\"},   // only one is removed
        {"C:\\a", "C:\\a"},
        {"\\", ""},
        {"", ""},
        {"C:\\" + kHyou, "C:\\" + kHyou},          // trail byte kept
        {"C:\\" + kHyou + "\\", "C:\\" + kHyou},
        {"/tmp/a/", "/tmp/a"},
        {"/", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(RemoveTrailingSeparator(c.in), c.out) << c.in;
}

TEST(PathTextTest, ParentAndFolder) {
    EXPECT_EQ(ParentLength("C:\\a\\b"), 5u);
    EXPECT_EQ(ParentLength("C:"), 2u);
    EXPECT_EQ(ParentLength("abc"), 0u);
    EXPECT_EQ(ParentLength("C:\\" + kHyou), 3u);
    EXPECT_EQ(ParentLength("/tmp/a/b"), 7u);
    EXPECT_EQ(ParentLength("/tmp/a:b"), 5u);
    EXPECT_EQ(FolderOf("C:\\Tools\\Quenbrook.exe"), "C:\\Tools");
    EXPECT_EQ(FolderOf("C:\\Quenbrook.exe"), "C:\\");
    EXPECT_EQ(FolderOf("/opt/qb/Quenbrook"), "/opt/qb");
    EXPECT_EQ(FolderOf("/Quenbrook"), "/");
    // Name by name: a ':' is part of a name, '/' separates too.
    EXPECT_EQ(FolderAbove("/l/5ch/a:b"), "/l/5ch");
    EXPECT_EQ(FolderAbove("C:\\" + kHyou + "\\n/k.dat"), "C:\\" + kHyou + "\\n");
    EXPECT_EQ(FolderAbove("C:\\" + kHyou), "C:");
    EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
}

}  // namespace
