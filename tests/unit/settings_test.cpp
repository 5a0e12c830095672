#include <gtest/gtest.h>

#include <algorithm>

#include "base/notices.h"
#include "base/text_file.h"
#include "settings/handle_writeback.h"
#include "settings/saved_handle.h"
#include "settings/settings_file.h"
#include "settings/settings_loader.h"
#include "settings/settings_syntax.h"
#include "support/fake_user_facing.h"
#include "support/settings_text.h"
#include "support/temp_folder.h"

namespace {

using namespace qb;
using qbtest::FakeUserFacing;
using qbtest::kSettingsTemplate;
using qbtest::Sjis;
using qbtest::TempFolder;
using qbtest::Utf8;

class SettingsTest : public ::testing::Test {
protected:
    SettingsTest() { qbtest::MakeFolders(dir / "logs"); }

    std::string Ini() const { return dir / "Quenbrook.ini"; }

    // A valid file of five lines, VelmVer first, with these values.
    std::string Settings(const std::string& version = "2", const std::string& handle = "0") {
        return qbtest::SettingsText(dir / "logs").WithoutIniVer().Generation(version)
            .Handle(handle).Bytes();
    }

    // Loads `content`; returns the one notice's text in UTF-8, "" when none.
    std::string Load(const std::string& content) {
        qbtest::WriteBytes(Ini(), content);
        ui = FakeUserFacing();
        loaded = LoadSettings(Ini(), ui);
        EXPECT_EQ(loaded.has_value(), ui.boxes.empty());
        if (ui.boxes.empty()) return "";
        EXPECT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].caption, "Quenbrook");
        EXPECT_EQ(ui.boxes[0].style, qbtest::kErrorStyle);
        return Utf8(ui.boxes[0].text);
    }

    TempFolder dir;
    std::optional<qb::Settings> loaded;
    FakeUserFacing ui;
};

TEST_F(SettingsTest, FirstRunWritesTheTemplateAndStops) {
    EXPECT_FALSE(EnsureSettingsFile(Ini(), dir.path(), ui));
    EXPECT_EQ(qbtest::ReadBytes(Ini()), kSettingsTemplate);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(Utf8(ui.boxes[0].text),
              "設定ファイル 'Quenbrook.ini' が\r\nフォルダ '" + dir.path() +
                  "' 内に\r\n見つからなかったので、雛型を上記フォルダ内に作成しました。");
    EXPECT_EQ(ui.boxes[0].style, qbtest::kErrorStyle);
    // Present now, whatever its content: nothing is shown or written again.
    qbtest::WriteBytes(Ini(), "");
    EXPECT_TRUE(EnsureSettingsFile(Ini(), dir.path(), ui));
    EXPECT_EQ(qbtest::ReadBytes(Ini()), "");
    EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(SettingsTest, AFolderNamedLikeTheFileCannotBeReplaced) {
    qbtest::MakeFolders(Ini());
    try {
        EnsureSettingsFile(Ini(), dir.path(), ui);
        FAIL() << "no failure raised";
    } catch (const InOutError& e) {
        EXPECT_EQ(e.code, 5u);
    }
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(SettingsTest, EachFaultGetsItsOneNoticeInTheFixedOrder) {
    const std::string log = dir.path() + "/logs";
    const std::string kUtf16 = "設定ファイルの文字コードが UTF-16 です。\r\nShift_JIS か UTF-8 で保存し直して下さい。";
    struct Case {
        std::string content;
        std::string notice;
    };
    const Case cases[] = {
        {"", "設定ファイルの内容が空です。"},
        {"\x1A", "設定ファイルの内容が空です。"},
        {kSettingsTemplate, "設定ファイル内、VelmLogDir の値が、空です。"},
        {"VelmLogDir=x\r\n", "設定ファイル内に VelmVer が、見つかりませんでした。"},
        {"velmVer=2\r\n", "設定ファイル内に VelmVer が、見つかりませんでした。"},
        {"VelmVer=\r\nVelmVer=2\r\n", "設定ファイル内、VelmVer の値が、空です。"},  // first line wins
        {" VelmVer = \"\" \r\n", "設定ファイル内、VelmVer の値が、空です。"},
        {std::string("\xFF\xFE" "V\0=\0" "2\0", 8) + "\r\n" + Settings(), kUtf16},
        // A UTF-8 file: each value converted exactly, in key order.
        {"VelmVer=2\r\nVelmLogDir=" + log + "/café¥表\r\n",
         "設定ファイル内、VelmLogDir の値 '" + log + "/caf?" "?表' には、扱えない文字が含まれています。"},
        // Half-width katakana that happen to read as two-byte UTF-8: Shift_JIS.
        {"VelmVer=2\r\nVelmLogDir=" + log + "/\xD0\xB0\r\nAddUdrScr=0\r\nShowTitle=1\r\n"
         "hwVelmWnd=0\r\n",
         "設定ファイル内、VelmLogDir の値が不正です。\r\n（フォルダ '" + log +
             "/ﾐｰ' は、存在しません。）"},
        {"\xEF\xBB\xBFVelmVer=2\xFF\r\nVelmLogDir=\xE3\r\n",  // the mark decides
         "設定ファイル内、VelmVer の値 '2?' には、扱えない文字が含まれています。"},
        {"VelmVer=9\r\nVelmLogDir=" + log + "\r\n",
         "設定ファイル内に AddUdrScr が、見つかりませんでした。"},  // keys before values
        {Settings("3"), "設定ファイル内、VelmVer の値が不正です。"},
        {Settings("abc"), "設定ファイル内、VelmVer の値が不正です。"},
        {Settings("1.0"), "設定ファイル内、VelmVer の値が不正です。"},
        {Settings("3", "-1"), "設定ファイル内、VelmVer の値が不正です。"},  // version first
        {Settings("2", "4294967296"), "設定ファイル内、hwVelmWnd の値が不正です。"},
        {Settings("2", "-1"), "設定ファイル内、hwVelmWnd の値が不正です。"},
        {Settings("2", "x1"), "設定ファイル内、hwVelmWnd の値が不正です。"},
        {Settings("2", "x"), "設定ファイル内、hwVelmWnd の値が不正です。"},
        {"VelmVer=2\r\nVelmLogDir=" + log + "/none\\\r\nAddUdrScr=0\r\nShowTitle=1\r\n"
         "hwVelmWnd=-1\r\n",
         "設定ファイル内、VelmLogDir の値が不正です。\r\n（フォルダ '" + log +
             "/none' は、存在しません。）"},
    };
    for (const Case& c : cases) EXPECT_EQ(Load(c.content), c.notice) << c.content;
}

TEST_F(SettingsTest, ValidValuesAreLoaded) {
    struct Case {
        std::string version;
        std::int32_t generation;
        std::string handle;
        std::uint32_t saved;
        bool lf = false;  // lines end at LF, not at CR LF
    };
    const Case cases[] = {
        {"2", 2, "0", 0},
        {" 1", 1, "4294967295", 4294967295u},
        {"+2", 2, "0xFFFFFFFF", 4294967295u},
        {"02", 2, "$10", 16},
        {"$2", 2, "0X10", 16},
        {"x2", 2, "+7", 7},
        {"0x1", 1, "  7", 7},
        {"2 \t", 2, "7 ", 7},  // blanks after a value are no part of it
        {"1", 1, "8", 8, true},
    };
    for (const Case& c : cases) {
        std::string content = Settings(c.version, c.handle);
        if (c.lf) content.erase(std::remove(content.begin(), content.end(), '\r'), content.end());
        EXPECT_EQ(Load(content), "") << c.version << " " << c.handle;
        EXPECT_EQ(loaded->generation, c.generation);
        std::uint32_t saved = 0;
        EXPECT_TRUE(ReadSavedHandle(Ini(), saved));
        EXPECT_EQ(saved, c.saved);
        EXPECT_EQ(loaded->file, Ini());
    }
}

TEST_F(SettingsTest, FlagsAndTheLogFolder) {
    const std::string log = dir.path() + "/logs";
    struct Case {
        std::string add, show;
        bool underscore, title;
        std::string bin_line;  // after hwVelmWnd, "" for none
        bool recycle;
    };
    const Case cases[] = {
        {"1", "0", true, false, "\r\nUseRcyBin=0", false},
        {"yes", "no", false, true, "", true},  // no such line, no notice
        {"1 ", "0\t", true, false, "\r\nUseRcyBin=", true},
        // A full-width blank is no blank; a half-width one after a value is.
        {"1\x81\x40", "0\x81\x40", false, true, "\r\nUseRcyBin=0 ", false},
        {" \"1\"", "\t0", true, false, "\r\nUseRcyBin = \"0\"", false},
        {"0", "1", false, true, "\r\nUseRcyBin=00", true},
    };
    for (const Case& c : cases) {
        const std::string content = "VelmVer=2\r\nVelmLogDir=" + log + "/\r\nAddUdrScr=" + c.add +
                                    "\r\nShowTitle=" + c.show + "\r\nhwVelmWnd=0" + c.bin_line;
        ASSERT_EQ(Load(content), "");
        EXPECT_EQ(loaded->underscore_folders, c.underscore) << c.add;
        EXPECT_EQ(loaded->title_on, c.title) << c.show;
        EXPECT_EQ(loaded->recycle, c.recycle) << c.bin_line;
        EXPECT_EQ(loaded->log_folder, log);  // one trailing separator removed
    }
}

TEST_F(SettingsTest, OnlyTheFirstFiftyLinesAreSearched) {
    std::string filler;
    for (int i = 0; i < 45; ++i) filler += "Other=" + std::to_string(i) + "\r\n";
    EXPECT_EQ(Load(Settings() + filler + "Extra=1\r\n"), "");  // 51 lines, keys in the first 5
    std::vector<std::string> held;
    ReadSettingsLines(Ini(), held);
    EXPECT_EQ(held.size(), 50u);  // only the lines searched are held
    // VelmVer on line 49, VelmLogDir on 50, AddUdrScr on 51.
    EXPECT_EQ(Load(filler + "A\r\nB\r\nC\r\n" + Settings()),
              "設定ファイル内に AddUdrScr が、見つかりませんでした。");
}

TEST(FindKeyLineTest, ThePlainFormFirstThenTheFirstWithBlanksAmongTheFirstFifty) {
    const std::vector<std::string> filler(49, "Other=1");
    auto after = [](std::vector<std::string> lines, const std::string& line) {
        lines.push_back(line);
        return lines;
    };
    const struct {
        std::vector<std::string> lines;
        std::size_t index;
    } cases[] = {
        {{"hwVelmWnd=1"}, 0},
        {{"x", "hwVelmWnd=", "hwVelmWnd=2"}, 1},  // the first, even with no value
        {{"HWVELMWND=1", "hwVelmWnd", "hwVelmWndX=1", "x hwVelmWnd=1"}, kNoLine},
        {{"x", "\thwVelmWnd=1", "hwVelmWnd = 2"}, 1},
        {{" hwVelmWnd=1", "hwVelmWnd =2", "hwVelmWnd=3"}, 2},  // the form that always counted
        {{kUtf8Mark + std::string(" hwVelmWnd=1")}, 0},       // after the file's mark only
        {{"x", kUtf8Mark + std::string("hwVelmWnd=1")}, kNoLine},
        {after(filler, "hwVelmWnd=3"), 49},                    // line 50
        {after(after(filler, "y"), " hwVelmWnd=3"), kNoLine},  // line 51
        {{}, kNoLine},
    };
    for (const auto& c : cases) EXPECT_EQ(FindKeyLine(c.lines, kKeyHwVelmWnd), c.index);
    EXPECT_EQ(FindKeyLine({"VelmVer=2", "VelmLogDir=x"}, kKeyVelmLogDir), 1u);
    std::vector<std::string> utf16 = {"\xFF\xFEh", "hwVelmWnd=5"};  // never rewritten
    EXPECT_FALSE(ReplaceKeyLine(utf16, kKeyHwVelmWnd, "hwVelmWnd=7"));
    EXPECT_EQ(utf16[1], "hwVelmWnd=5");
    std::vector<std::string> none = {"x"};  // the key gone meanwhile
    EXPECT_FALSE(ReplaceKeyLine(none, kKeyHwVelmWnd, "hwVelmWnd=7"));
    EXPECT_EQ(none, std::vector<std::string>{"x"});
}

TEST(SettingsSyntaxTest, TheEncodingOfTheFileBytesInAnyPieces) {
    const auto cp932 = SettingsEncoding::kCp932, utf8 = SettingsEncoding::kUtf8,
               utf16 = SettingsEncoding::kUtf16;
    const std::pair<std::string, SettingsEncoding> cases[] = {
        {"", cp932}, {"V=2\r\n", cp932}, {"D=C:\\山田\r\n", utf8}, {"D=C:\\\x8ER\x93" "c", cp932},
        {"\xEF\xBB\xBF" "D=\x8ER", utf8}, {"\xFF\xFE" "D", utf16}, {"\xFE\xFF", utf16},
        // Cut short at the end, by a line end or by a 0x1A; nothing after it counts.
        {"x\xE5\xB1", cp932}, {"\xE5\xB1\r\xB1", cp932}, {"\xE5\xB1\x1A\xB1", cp932},
        {"\xE5\xB1\xB1\x1A\xFF", utf8}, {"\x1A\xE5\xB1\xB1", cp932},
        // Overlong forms, a surrogate, past U+10FFFF; then the valid edges.
        {"\xC0\xAF", cp932}, {"\xE0\x80\xAF", cp932}, {"\xED\xA0\x80", cp932},
        {"\xF4\x90\x80\x80", cp932}, {"\xF0\x8F\xBF\xBF", cp932},
        {"\xF0\x9F\x98\x80\xC2\xA5\xEF\xBF\xBF", utf8},
        // Two-byte sequences only, and valid code page 932 as well: Shift_JIS.
        {"D=\xD0\xB0", cp932}, {"D=\xD0\x9B\xD0\xBE", cp932}, {"\xC2\x81@", cp932},
        {"D=\xD0\xB0\xE5\xB1\xB1", utf8}, {"\xEF\xBB\xBF" "D=\xD0\xB0", utf8},
        // Not code page 932: no such single byte, a second byte missing or out of range.
        {"D=\xC2\x80", utf8}, {"D=\xC2\xA0", utf8}, {"D=\xC2\x81", utf8}, {"\xC2\x81\x7F", utf8},
        // Read by lines: a line end inside a sequence; a sequence past the lines searched.
        {"\xE5\xB1\r\n\xB1", cp932}, {std::string(100, '\n') + "D=\xE5\xB1\xB1", utf8},
    };
    TempFolder dir;
    std::vector<std::string> lines;
    for (const auto& c : cases) {
        EXPECT_EQ(DetectSettingsEncoding(c.first), c.second) << c.first;
        qbtest::WriteBytes(dir / "s.ini", c.first);
        EXPECT_EQ(ReadSettingsLines(dir / "s.ini", lines), c.second) << c.first;
        for (std::size_t cut = 1; cut < c.first.size(); ++cut) {
            EncodingDetector detector;
            detector.Feed(c.first.data(), cut);
            detector.Feed(c.first.data() + cut, c.first.size() - cut);
            EXPECT_EQ(detector.Encoding(), c.second) << c.first << " cut at " << cut;
        }
    }
}

TEST(SettingsSyntaxTest, TheValueOfAKeyFromALine) {
    // A line, and the value of K it holds ("-" when it holds none).
    const std::pair<std::string, std::string> cases[] = {
        {"K=C:\\Logs", "C:\\Logs"}, {" \tK\t= \tC:\\Logs", "C:\\Logs"},
        {"K=\"C:\\My Logs\"", "C:\\My Logs"}, {"K = \"C:\\x\" \t", "C:\\x"},
        {"K=\" x \"", " x "}, {"K=x \t", "x"}, {"K=\"x\" y ", "\"x\" y"},  // in quotes, blanks stay
        {"K=x\x81\x40", "x\x81\x40"}, {"K=x\xE3\x80\x80", "x\xE3\x80\x80"},  // wide blanks stay
        {"K=\"\"", ""}, {"K= \t", ""}, {"K=\"", "\""}, {"K=\"x", "\"x"}, {"K==x", "=x"},
        {"K=\"\"x\"\"", "\"x\""}, {"K=\x81\x40x", "\x81\x40x"},  // one pair; a wide blank is text
        {"\x81\x40K=x", "-"}, {"KX=1", "-"}, {"k=1", "-"}, {"K", "-"}, {"K 1=2", "-"}, {"x K=1", "-"},
    };
    for (const auto& c : cases) {
        std::string value;
        EXPECT_EQ(KeyValueOnLine(c.first, "K", value) ? value : "-", c.second) << c.first;
    }
}

TEST_F(SettingsTest, WriteBackReplacesTheHandleAndKeepsEveryOtherLine) {
    std::string filler;
    for (int i = 0; i < 60; ++i) filler += "Line" + std::to_string(i) + "\r\n";
    const std::string content =
        "IniVer=101\r\n" + Settings("2", "12") + "\r\n hwVelmWnd=5\r\nhwVelmWnd=6\rLF\nx\r\n" +
        filler + "last\rwithout end";
    ASSERT_EQ(Load(content), "");
    SaveWindowHandle(Ini(), 4294967295u);
    // The first 50 lines come back with CR LF, the rest byte for byte.
    std::string expected = content;
    expected.replace(expected.find("hwVelmWnd=12"), 12, "hwVelmWnd=4294967295");
    expected.replace(expected.find("hwVelmWnd=6\r"), 12, "hwVelmWnd=6\r\n");
    EXPECT_EQ(qbtest::ReadBytes(Ini()), expected);
    EXPECT_EQ(qbtest::ListNames(dir.path()), (std::vector<std::string>{"Quenbrook.ini", "logs"}));

    SaveWindowHandle(Ini(), 0);
    ASSERT_EQ(Load(qbtest::ReadBytes(Ini())), "");
    std::uint32_t saved = 1;
    EXPECT_TRUE(ReadSavedHandle(Ini(), saved));
    EXPECT_EQ(saved, 0u);
    EXPECT_EQ(qbtest::SavedHandle(Ini()), "0");
}

TEST_F(SettingsTest, WriteBackReadsTheFileAsItIsNow) {
    ASSERT_EQ(Load(Settings("2", "12")), "");
    // Changed since it was loaded: the change is kept, only the handle is new.
    qbtest::WriteBytes(Ini(), "User=1\r\n" + Settings("2", "99") + "\x1A" "after\r\nend");
    SaveWindowHandle(Ini(), 7);
    EXPECT_EQ(qbtest::ReadBytes(Ini()), "User=1\r\n" + Settings("2", "7") + "\x1A" "after\r\nend");
}

}  // namespace
