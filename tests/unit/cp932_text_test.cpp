#include <gtest/gtest.h>

#include <iterator>

#include "base/cp932_text.h"
#include "base/path_text.h"
#include "platform/win32/long_path.h"

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
    // The blanks and dots that end the last name, where the system ignores
    // them; what would then name another folder stays as spelt.
    const Case ends[] = {
        {"C:\\a. .", "C:\\a"},
        {"C:\\a.\\b ", "C:\\a.\\b"},
        {"C:\\a\\..", "C:\\a\\.."},
        {"C:\\a\\. .", "C:\\a\\. ."},
        {"C:..", "C:.."},
        {"\\\\?\\C:\\a.", "\\\\?\\C:\\a."},
        {"C:\\" + kHyou + " ", "C:\\" + kHyou},
    };
    for (const Case& c : ends) EXPECT_EQ(WithoutIgnoredEnd(c.in), c.out) << c.in;
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

// The long form of a Windows path: which text the system is asked to make
// full ("-": it must not be asked), and what is made of its answer.
std::wstring g_asked, g_answer;
std::wstring StandInFullPath(const std::wstring& path) {
    g_asked = path;
    return g_answer;
}

TEST(PathTextTest, LongFormOfAWindowsPath) {
    struct Case {
        std::wstring path, asked, answer, long_form;
    };
    const Case cases[] = {
        {L"C:\\a\\b", L"C:\\a\\b", L"C:\\a\\b", L"\\\\?\\C:\\a\\b"},
        {L"d:", L"d:\\", L"d:\\", L"\\\\?\\d:\\"},  // a bare drive is its root
        {L"C:\\a\\.\\..\\b/c\\", L"C:\\a\\.\\..\\b/c\\", L"C:\\b\\c\\", L"\\\\?\\C:\\b\\c\\"},
        {L"rel\\x", L"rel\\x", L"C:\\cur\\rel\\x", L"\\\\?\\C:\\cur\\rel\\x"},
        {L"\\\\srv\\share\\x", L"\\\\srv\\share\\x", L"\\\\srv\\share\\x", L"\\\\?\\UNC\\srv\\share\\x"},
        {L"//?/C:/a", L"//?/C:/a", L"\\\\?\\C:\\a", L"\\\\?\\C:\\a"},
        // The long form is taken as it is spelt; a bare drive there ("\\?\\D:\\"
        // with its separator cut) is the drive's root, not its volume.
        {L"\\\\?\\C:\\a\\..\\b. ", L"-", L"", L"\\\\?\\C:\\a\\..\\b. "},
        {L"\\\\?\\UNC\\srv\\share", L"-", L"", L"\\\\?\\UNC\\srv\\share"},
        {L"\\\\?\\D:", L"-", L"", L"\\\\?\\D:\\"},
        {L"\\\\?\\D:\\", L"-", L"", L"\\\\?\\D:\\"},
        // Devices, and what the system makes no full path of, name nothing.
        {L"\\\\.\\C:\\a", L"\\\\.\\C:\\a", L"\\\\.\\C:\\a", L""},
        {L"C:\\a\\NUL", L"C:\\a\\NUL", L"\\\\.\\NUL", L""},
        {L"", L"", L"", L""},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        g_asked = L"-";
        g_answer = c.answer;
        EXPECT_EQ(LongForm(c.path, StandInFullPath), c.long_form) << i;
        EXPECT_EQ(g_asked, c.asked) << i;
    }
    // Paths made from a long path: one separator below a root, and nothing
    // out of a path that names nothing.
    const LongPath root = LongPath::Of(L"\\\\?\\C:\\", StandInFullPath);
    const LongPath file = LongPath::Of(L"\\\\?\\C:\\a\\f", StandInFullPath);
    g_answer = L"";
    const LongPath none = LongPath::Of(L"", StandInFullPath);
    EXPECT_EQ(root.Child(L"*").text(), L"\\\\?\\C:\\*");
    EXPECT_EQ(file.Child(L"n").text(), L"\\\\?\\C:\\a\\f\\n");
    EXPECT_EQ(file.Beside(L"g").text(), L"\\\\?\\C:\\a\\g");
    EXPECT_EQ(file.WithEnding(L".1-1.tmp").text(), L"\\\\?\\C:\\a\\f.1-1.tmp");
    EXPECT_EQ(none.Child(L"n").text() + none.Beside(L"n").text() + none.WithEnding(L"n").text(), L"");
}

}  // namespace
