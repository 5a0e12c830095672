// The native binary run as a process: notices read from standard error,
// answers given on standard input, exit codes checked.
#include <gtest/gtest.h>

#include "e2e/program_runner.h"
#include "support/temp_folder.h"

namespace {

using namespace qbtest;
using Blocks = std::vector<std::string>;

const char* kForm1 = "http://sv.5ch.net/test/read.cgi/news/123/l50";
const char* kForm2 = "http://kanto.machi.to/bbs/read.pl?BBS=tokyo&KEY=456&LAST=100";

class NativeTest : public ::testing::Test {
protected:
    NativeTest() : program(InstallProgram(dir / "prog")) { MakeFolders(dir / "logs"); }

    std::string Ini() const { return dir / "prog/Quenbrook.ini"; }

    void Settings(int generation, const std::string& extra = "", const std::string& handle = "0") {
        WriteBytes(Ini(), "IniVer=101\r\nVelmVer=" + std::to_string(generation) +
                              "\r\nVelmLogDir=" + dir.path() + "/logs\r\nAddUdrScr=0\r\n"
                              "ShowTitle=1\r\nhwVelmWnd=" + handle + "\r\n" + extra);
    }

    Blocks Run(const std::vector<std::string>& args, const std::string& input = "",
               int expected_exit = 0) {
        const ProcessResult r = RunProgram(program, args, input);
        EXPECT_EQ(r.exit_code, expected_exit) << r.errors;
        return NoticeBlocks(r.errors);
    }

    TempFolder dir;
    std::string program;
};

TEST_F(NativeTest, FirstRunThenTheTemplatesEmptyLogFolder) {
    EXPECT_EQ(Run({"a", "b"}),
              Blocks{"Quenbrook [e] 設定ファイル 'Quenbrook.ini' が\nフォルダ '" + dir.path() +
                     "/prog' 内に\n見つからなかったので、雛型を上記フォルダ内に作成しました。"});
    EXPECT_EQ(ReadBytes(Ini()),
              "IniVer=101\r\nVelmVer=2\r\n\r\nVelmLogDir=\r\n\r\nAddUdrScr=0\r\nShowTitle=1\r\n"
              "\r\nhwVelmWnd=0\r\n");
    EXPECT_EQ(Run({"a", "b"}), Blocks{"Quenbrook [e] 設定ファイル内、VelmLogDir の値が、空です。"});
}

TEST_F(NativeTest, ArgumentCountsAndTheUncaughtFailure) {
    Settings(2);
    EXPECT_EQ(Run({}), Blocks{"Quenbrook [e] Velmaris の [ツール(T)｜ツールの設定(T)...] に"
                              "登録して使用して下さい。"});
    EXPECT_EQ(Run({kForm1}), Blocks{"Quenbrook [e] コピー先フォルダを登録して下さい。"});
    EXPECT_EQ(Run({"/tmp"}), Blocks{"Quenbrook [e] スレッドを表示させてから実行して下さい。"});
    EXPECT_EQ(Run({"a", "b", "c"}), Blocks{"Quenbrook [e] 引数が多すぎます。"});
    const Blocks failure = Run({"\\", kForm1}, "", 1);
    ASSERT_EQ(failure.size(), 1u);
    EXPECT_EQ(failure[0].rfind("アプリケーション エラー [e] Exceptionがモジュール Quenbrook の ", 0),
              0u);
    EXPECT_NE(failure[0].find(" で発生しました。\nディレクトリを作成することができません."),
              std::string::npos);
}

TEST_F(NativeTest, SettingsFaults) {
    struct Case {
        std::string content;
        std::string notice;
    };
    const std::string log = dir.path() + "/logs";
    const Case cases[] = {
        {"", "設定ファイルの内容が空です。"},
        {"VelmVer=2\r\n", "設定ファイル内に VelmLogDir が、見つかりませんでした。"},
        {"VelmVer=7\r\nVelmLogDir=" + log + "\r\nAddUdrScr=0\r\nShowTitle=1\r\nhwVelmWnd=0",
         "設定ファイル内、VelmVer の値が不正です。"},
        {"VelmVer=2\r\nVelmLogDir=/no/such\r\nAddUdrScr=0\r\nShowTitle=1\r\nhwVelmWnd=0",
         "設定ファイル内、VelmLogDir の値が不正です。\n（フォルダ '/no/such' は、存在しません。）"},
        {"VelmVer=2\r\nVelmLogDir=" + log + "\r\nAddUdrScr=0\r\nShowTitle=1\r\nhwVelmWnd=x",
         "設定ファイル内、hwVelmWnd の値が不正です。"},
    };
    for (const Case& c : cases) {
        WriteBytes(Ini(), c.content);
        EXPECT_EQ(Run({dir / "dest", kForm1}), Blocks{"Quenbrook [e] " + c.notice});
    }
}

TEST_F(NativeTest, UrlNotices) {
    Settings(1);
    EXPECT_EQ(Run({dir / "dest", "http://sv.5ch.net/news"}),
              (Blocks{"Quenbrook [i] コピー先として指定されたフォルダ '" + dir.path() +
                          "/dest' が存在しなかったので、\n新たに作成しました。",
                      "Quenbrook [e] URL が正しくないようです。　非対応の BBS かもしれません。"}));
    EXPECT_EQ(Run({dir / "dest", "http://localhost/test/read.cgi/news/1"}),
              Blocks{"Quenbrook [e] サーバ名を抽出できませんでした。　非対応の BBS かもしれません。"});
}

TEST_F(NativeTest, WholeCopiesOverwriteAndTheTitle) {
    Settings(2);
    MakeFolders(dir / "logs/5ch/news");
    MakeFolders(dir / "logs/machibbs/tokyo");
    std::string dat(300000, '\0');
    for (std::size_t i = 0; i < dat.size(); ++i) dat[i] = static_cast<char>(i * 7);
    WriteBytes(dir / "logs/5ch/news/123.dat", dat);
    WriteBytes(dir / "logs/5ch/news/123.inf", "TITLE=\x83X\x83\x8C\r\n");  // スレ
    WriteBytes(dir / "logs/machibbs/tokyo/456.dat", "m");
    WriteBytes(dir / "logs/machibbs/tokyo/456.inf", "X=1\r\nTITLE=town\r\n");
    MakeFolders(dir / "dest");
    EXPECT_EQ(Run({dir / "dest", kForm1}), Blocks{"123 成功 [n] 「スレ」 ＠ news"});
    EXPECT_EQ(ReadBytes(dir / "dest/5ch/news/123.dat"), dat);
    EXPECT_EQ(Run({dir / "dest", kForm2}), Blocks{"456 成功 [n] 「town」 ＠ tokyo"});
    EXPECT_EQ(Run({dir / "dest", "https://kanto.machi.to/test/read.cgi/tokyo/456/"}),
              Blocks{"456 成功 [n] 「town」 ＠ tokyo"});
    WriteBytes(dir / "logs/5ch/news/123.dat", "grown");
    Run({dir / "dest", kForm1});
    EXPECT_EQ(ReadBytes(dir / "dest/5ch/news/123.dat"), "grown");
}

TEST_F(NativeTest, YesOnStandardInputEmptiesTheRoot) {
    Settings(1, "", "99");  // the browser's window was another: a new run
    MakeFolders(dir / "logs/sv.5ch.net/news");
    WriteBytes(dir / "logs/sv.5ch.net/news/123.dat", "d");
    WriteBytes(dir / "logs/sv.5ch.net/news/123.inf", "TITLE=t");
    MakeFolders(dir / "dest/older/thread");
    WriteBytes(dir / "dest/older/thread/1.dat", "old");
    const std::string question = "Quenbrook [q] ログをコピーする前に、コピー先フォルダ '" +
                                 dir.path() + "/dest' の中身を空にしますか？";
    EXPECT_EQ(Run({dir / "dest/", kForm1}, "YES\n"),
              (Blocks{question, "123 成功 [n] 「t」 ＠ news"}));
    EXPECT_EQ(ListNames(dir / "dest"), Blocks{"sv.5ch.net"});
    EXPECT_NE(ReadBytes(Ini()).find("\r\nhwVelmWnd=0\r\n"), std::string::npos);
    // The same browser run: nothing is asked again.
    MakeFolders(dir / "dest/older");
    EXPECT_EQ(Run({dir / "dest", kForm1}, "y\n"), Blocks{"123 成功 [n] 「t」 ＠ news"});
    EXPECT_TRUE(IsFolder(dir / "dest/older"));
}

TEST_F(NativeTest, AnythingButYesKeepsTheRoot) {
    MakeFolders(dir / "logs/sv.5ch.net/news");
    WriteBytes(dir / "logs/sv.5ch.net/news/123.dat", "d");
    WriteBytes(dir / "logs/sv.5ch.net/news/123.inf", "TITLE=t");
    for (const char* answer : {"", "\n", "no\n", "yess\n", " y\n"}) {
        Settings(1, "", "5");
        MakeFolders(dir / "dest/keep");
        const Blocks blocks = Run({dir / "dest", kForm1}, answer);
        ASSERT_EQ(blocks.size(), 2u) << answer;
        EXPECT_EQ(blocks[0].rfind("Quenbrook [q] ", 0), 0u);
        EXPECT_TRUE(IsFolder(dir / "dest/keep")) << answer;
    }
}

TEST_F(NativeTest, JapanesePathsArriveIntact) {
    // 表 and ソ end in the byte of '\': the path must survive conversion.
    const std::string root = dir / "表ソ/コピー";
    Settings(1);
    MakeFolders(dir / "logs/sv.5ch.net/news");
    WriteBytes(dir / "logs/sv.5ch.net/news/123.dat", "d");
    WriteBytes(dir / "logs/sv.5ch.net/news/123.inf", "TITLE=t");
    EXPECT_EQ(Run({root, kForm1}),
              (Blocks{"Quenbrook [i] コピー先として指定されたフォルダ '" + root +
                          "' が存在しなかったので、\n新たに作成しました。",
                      "123 成功 [n] 「t」 ＠ news"}));
    EXPECT_EQ(ReadBytes(root + "/sv.5ch.net/news/123.dat"), "d");
}

}  // namespace
