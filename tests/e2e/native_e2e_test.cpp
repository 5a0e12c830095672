// The native binary run as a process: notices read from standard error,
// answers given on standard input, exit codes checked.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <iostream>

#include "e2e/program_runner.h"
#include "support/settings_text.h"
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
        WriteBytes(Ini(), SettingsText(dir / "logs").Generation(std::to_string(generation))
                              .Handle(handle).Bytes() + extra);
    }

    Blocks Run(const std::vector<std::string>& args, const std::string& input = "",
               int expected_exit = 0) {
        const ProcessResult r = RunProgram(program, args, input);
        EXPECT_EQ(r.exit_code, expected_exit) << r.errors;
        return NoticeBlocks(r.errors);
    }

    TempFolder dir;
    ScopedVariable data_home{"XDG_DATA_HOME", dir / "data"};  // the trash's
    std::string program;
};

TEST_F(NativeTest, FirstRunThenTheTemplatesEmptyLogFolder) {
    EXPECT_EQ(Run({"a", "b"}),
              Blocks{"Quenbrook [e] 設定ファイル 'Quenbrook.ini' が\nフォルダ '" + dir.path() +
                     "/prog' 内に\n見つからなかったので、雛型を上記フォルダ内に作成しました。"});
    EXPECT_EQ(ReadBytes(Ini()), kSettingsTemplate);
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
        {SettingsText(log).Generation("7").Bytes(), "設定ファイル内、VelmVer の値が不正です。"},
        {SettingsText("/no/such").Bytes(),
         "設定ファイル内、VelmLogDir の値が不正です。\n（フォルダ '/no/such' は、存在しません。）"},
        {SettingsText(log).Handle("x").Bytes(), "設定ファイル内、hwVelmWnd の値が不正です。"},
    };
    for (const Case& c : cases) {
        WriteBytes(Ini(), c.content);
        EXPECT_EQ(Run({dir / "dest", kForm1}), Blocks{"Quenbrook [e] " + c.notice});
    }
}

// Settings saved as UTF-8, as today's editors save them, with and without
// the mark, with CR LF or LF line ends, naming a Japanese log folder in
// quotes and blanks: the copy is made, and the handle line, in the plain
// form, is all that changes (a last line without its end stays so).
TEST_F(NativeTest, Utf8SettingsFilesNameJapaneseLogFolders) {
    const std::string log = dir / "ログ/山田 表";
    WriteThread(log + "/5ch/news", "123", "d", "TITLE=t");
    const std::string crlf = "\r\nVelmVer=2\r\nメモ=日本語\r\nVelmLogDir = \"" + log +
                             "\"\r\nAddUdrScr=0\r\nShowTitle=1\r\n";
    const std::string lf = "\nVelmVer=2 \nVelmLogDir=" + log + "\t\nAddUdrScr=0\nShowTitle=1";
    const std::pair<std::string, std::string> files[] = {
        {"", crlf}, {"\xEF\xBB\xBF", crlf}, {"", lf}, {"\xEF\xBB\xBF", lf}};
    int n = 0;
    for (const auto& file : files) {
        WriteBytes(Ini(), file.first + "hwVelmWnd = 5" + file.second);  // a new browser run
        const std::string root = dir / ("dest" + std::to_string(++n));
        MakeFolders(root);  // empty: nothing is asked
        EXPECT_EQ(Run({root, kForm1}), Blocks{"123 成功 [n] 「t」 ＠ news"}) << n;
        EXPECT_EQ(ReadBytes(Ini()), file.first + "hwVelmWnd=0" + file.second);
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
    std::string dat(300000, '\0');
    for (std::size_t i = 0; i < dat.size(); ++i) dat[i] = static_cast<char>(i * 7);
    WriteThread(dir / "logs/5ch/news", "123", dat, "TITLE=\x83X\x83\x8C\r\n");  // スレ
    WriteThread(dir / "logs/machibbs/tokyo", "456", "m", "X=1\r\nTITLE=town\r\n");
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
    WriteThread(dir / "logs/sv.5ch.net/news", "123", "d", "TITLE=t");
    MakeFolders(dir / "dest/older/thread");
    WriteBytes(dir / "dest/older/thread/1.dat", "old");
    const std::string question = "Quenbrook [q] ログをコピーする前に、コピー先フォルダ '" +
                                 dir.path() + "/dest' の中身を空にしますか？";
    EXPECT_EQ(Run({dir / "dest/", kForm1}, "YES\n"),
              (Blocks{question, "123 成功 [n] 「t」 ＠ news"}));
    EXPECT_EQ(ListNames(dir / "dest"), Blocks{"sv.5ch.net"});
    EXPECT_EQ(SavedHandle(Ini()), "0");
    // In the trash, which was made for it, private to the user.
    EXPECT_EQ(TrashedPaths(dir / "data"), Blocks{dir / "dest/older"});
    for (const char* folder : {"data/Trash", "data/Trash/files", "data/Trash/info"}) {
        struct stat st;
        ASSERT_EQ(::stat((dir / folder).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u) << folder;
    }
    // The same browser run: nothing is asked again.
    MakeFolders(dir / "dest/older");
    EXPECT_EQ(Run({dir / "dest", kForm1}, "y\n"), Blocks{"123 成功 [n] 「t」 ＠ news"});
    EXPECT_TRUE(IsFolder(dir / "dest/older"));
    // The next browser run: a second "older" beside the first in the trash.
    Settings(1, "", "99");
    EXPECT_EQ(Run({dir / "dest", kForm1}, "y\n"), (Blocks{question, "123 成功 [n] 「t」 ＠ news"}));
    EXPECT_EQ(TrashedPaths(dir / "data"),
              (Blocks{dir / "dest/older", dir / "dest/older", dir / "dest/sv.5ch.net"}));
}

TEST_F(NativeTest, AnythingButYesKeepsTheRoot) {
    WriteThread(dir / "logs/sv.5ch.net/news", "123", "d", "TITLE=t");
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
    WriteThread(dir / "logs/sv.5ch.net/news", "123", "d", "TITLE=t");
    EXPECT_EQ(Run({root, kForm1}),
              (Blocks{"Quenbrook [i] コピー先として指定されたフォルダ '" + root +
                          "' が存在しなかったので、\n新たに作成しました。",
                      "123 成功 [n] 「t」 ＠ news"}));
    EXPECT_EQ(ReadBytes(root + "/sv.5ch.net/news/123.dat"), "d");
}

// A chain of `depth` folders named "c" below `root`, made relative to open
// folders because its full path is longer than the system allows.
void MakeChain(const std::string& root, int depth) {
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < depth && fd >= 0; ++i) {
        ::mkdirat(fd, "c", 0777);
        const int next = ::openat(fd, "c", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    ASSERT_GE(fd, 0);
    ::close(::openat(fd, "bottom.dat", O_WRONLY | O_CREAT, 0666));
    ::close(fd);
}

// Emptying the destination root with hostile names, deep trees and roots
// that must not be emptied, each run with only 64 file descriptors and a
// 512 KiB stack (half the stack Windows gives). Whatever happens inside the
// root, nothing outside it changes but the trash, which holds exactly what
// left the root: the log folder, an "outside" folder beside the root and the
// program's folder stay as they were.
TEST_F(NativeTest, NothingOutsideTheRootIsEverTouched) {
    WriteThread(dir / "logs/sv.5ch.net/news", "123", "d", "TITLE=t");
    MakeFolders(dir / "outside/victimdir");
    WriteBytes(dir / "outside/victimdir/precious", "keep");
    const std::string root = dir / "dest";
    const std::string question = "Quenbrook [q] ログをコピーする前に、コピー先フォルダ '";
    const std::string other = dir / "tmpfs/dest";  // a root on another file system
    bool mounted = false;
    struct Case {
        const char* what;
        std::function<void()> prepare;
        std::vector<std::string> args;
        Blocks notices;
        std::vector<std::string> left_in_root;  // sorted names
        Blocks trashed = {};                    // their original paths as the trash has them
        std::string extra = "";                 // settings lines
        std::string emptied = "";               // the root, when it is not `root`
    };
    const Case cases[] = {
        {"a name holding '\\' that reads as a path to the outside folder",
         [&] {
             MakeFolders(root + "/x\\..\\..\\outside\\victimdir");
             WriteBytes(root + "/x\\..\\..\\outside\\victimdir/f", "x");
             WriteBytes(root + "/y\\..\\..\\outside\\victimdir\\precious", "x");
         },
         {root, kForm1}, {question + root + "' の中身を空にしますか？"}, {"sv.5ch.net"},
         {root + "/x%5C..%5C..%5Coutside%5Cvictimdir",
          root + "/y%5C..%5C..%5Coutside%5Cvictimdir%5Cprecious"}},
        {"a name with an invalid byte beside a link named as it would read",
         [&] {
             MakeFolders(root + "/bad\xff");
             WriteBytes(root + "/bad\xff/f", "x");
             ASSERT_EQ(::symlink((dir / "outside/victimdir").c_str(), (root + "/bad?").c_str()), 0);
         },
         {root, kForm1}, {question + root + "' の中身を空にしますか？"}, {"sv.5ch.net"},
         {root + "/bad%FF", root + "/sv.5ch.net"}},
        {"a folder that cannot be removed is named with '?' for the byte",
         [&] {
             MakeFolders(root + "/bad\xff/.keep");
         },
         {root, kForm1},
         {question + root + "' の中身を空にしますか？",
          "Quenbrook [e] フォルダ '" + root + "/bad?' を削除できませんでした。"},
         {"bad\xff", "sv.5ch.net"}, {root + "/sv.5ch.net"}},
        {"a chain of 2,500 folders, deeper than any path can reach, to the trash whole",
         [&] { MakeChain(root, 2500); },
         {root, kForm1}, {question + root + "' の中身を空にしますか？"}, {"sv.5ch.net"},
         {root + "/c", root + "/sv.5ch.net"}},
        {"the same chain removed for good (UseRcyBin=0)",
         [&] { MakeChain(root, 2500); },
         {root, kForm1}, {question + root + "' の中身を空にしますか？"}, {"sv.5ch.net"}, {},
         "UseRcyBin=0\r\n"},
        {"a root on another file system than the trash: removed for good",
         [&] {
             MakeFolders(dir / "tmpfs");
             mounted = ::mount("tmpfs", (dir / "tmpfs").c_str(), "tmpfs", 0, "size=4m") == 0;
             MakeFolders(other + "/board");
             WriteBytes(other + "/board/1.dat", "x");
             WriteBytes(other + "/top.txt", "x");
         },
         {other, kForm1}, {question + other + "' の中身を空にしますか？"}, {"sv.5ch.net"}, {}, "",
         other},
        {"a root whose name is no UTF-8 beside the folder it would read as",
         [&] {
             MakeFolders(dir / "caf?");
             WriteBytes(dir / "caf?/f", "x");
         },
         {dir / "caf\xe9", kForm1},
         {"Quenbrook [e] コピー先として指定されたフォルダ '" + dir.path() +
          "/caf?' の名前には、扱えない文字が含まれています。"},
         {"sv.5ch.net"}},
        {"a root with a character code page 932 has not (é), and ¥",
         [] {},
         {dir / "café¥", kForm1},
         {"Quenbrook [e] コピー先として指定されたフォルダ '" + dir.path() +
          "/caf?" "?' の名前には、扱えない文字が含まれています。"},
         {"sv.5ch.net"}},
        {"a URL with such a character",
         [] {},
         {root, "http://sv.5ch.net/test/read.cgi/news/123é"},
         {"Quenbrook [e] URL が正しくないようです。　非対応の BBS かもしれません。"}, {"sv.5ch.net"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Settings(1, c.extra, "5");
        MakeFolders(root);
        c.prepare();
        if (c.emptied == other && !mounted) {
            std::cout << "[ SKIPPED  ] " << c.what << ": cannot mount here\n";
            continue;
        }
        const std::string data = dir / ("data" + std::to_string(&c - cases));
        const ScopedVariable data_home("XDG_DATA_HOME", data);
        const auto logs = Snapshot(dir / "logs");
        const auto outside = Snapshot(dir / "outside");
        const std::string exe = ReadBytes(program);
        const ProcessResult r = RunProcess(
            {"/bin/sh", "-c", "ulimit -n 64 && ulimit -s 512 && exec \"$0\" \"$@\"", program,
             c.args[0], c.args[1]},
            "y\n", {}, 60);
        EXPECT_EQ(r.exit_code, 0);
        Blocks notices = NoticeBlocks(r.errors);
        if (!notices.empty() && notices.back().rfind("123 ", 0) == 0) notices.pop_back();  // title
        EXPECT_EQ(notices, c.notices);
        EXPECT_EQ(ListNames(c.emptied.empty() ? root : c.emptied), c.left_in_root);
        EXPECT_EQ(TrashedPaths(data), c.trashed);
        RunProcess({"/bin/rm", "-rf", data});  // a chain deeper than a path can reach
        EXPECT_EQ(Snapshot(dir / "logs"), logs);
        EXPECT_EQ(Snapshot(dir / "outside"), outside);
        EXPECT_EQ(ReadBytes(program), exe);
        EXPECT_FALSE(Exists(dir / "caf\xe9") || Exists(dir / "café¥") || Exists(dir / "cafe"));
        if (c.emptied == other) ::umount2((dir / "tmpfs").c_str(), MNT_DETACH);
        ::chmod((root + "/bad\xff").c_str(), 0777);
        ::rmdir((root + "/bad\xff/.keep").c_str());
        ::rmdir((root + "/bad\xff").c_str());
    }
}

// The program's folder inside the root: never emptied, so that when the copy
// then fails the settings and the program are still there.
TEST_F(NativeTest, AProgramFolderInsideTheRootSurvivesAFailedCopy) {
    WriteThread(dir / "logs/sv.5ch.net/news", "123", "d", "TITLE=t");
    const std::string inner = InstallProgram(dir / "dest/tools");
    SettingsText(dir / "logs").WithoutIniVer().Generation("1").Handle("5").WriteTo(
        dir / "dest/tools/Quenbrook.ini");
    WriteBytes(dir / "dest/sv.5ch.net", "in the way");  // the copy fails
    const std::string ini = ReadBytes(dir / "dest/tools/Quenbrook.ini");
    const ProcessResult r = RunProgram(inner, {dir / "dest", kForm1}, "y\n");
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(NoticeBlocks(r.errors),
              (Blocks{"Quenbrook [w] コピー先フォルダ '" + dir.path() +
                          "/dest' は、\nプログラムのフォルダ '" + dir.path() +
                          "/dest/tools' と重なっているので、\n中身を空にせずにコピーします。",
                      "Quenbrook [e] コピー先フォルダ '" + dir.path() +
                          "/dest/sv.5ch.net/news' を作成できませんでした。"}));
    EXPECT_EQ(ReadBytes(inner), ReadBytes(program));
    EXPECT_EQ(ReadBytes(dir / "dest/tools/Quenbrook.ini"), ini);
}

// A program whose folder's name code page 932 cannot hold would look for its
// settings elsewhere: it stops at once and creates nothing.
TEST_F(NativeTest, AProgramFolderWithAnUnusableName) {
    const std::string moved = InstallProgram(dir / "prog-é");
    const ProcessResult r = RunProgram(moved, {dir / "dest", kForm1});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(NoticeBlocks(r.errors),
              Blocks{"Quenbrook [e] Quenbrook.exe を置いたフォルダ '" + dir.path() +
                     "/prog-?' の名前には、扱えない文字が含まれています。\n別のフォルダに移して下さい。"});
    EXPECT_EQ(ListNames(dir / "prog-é"), Blocks{"Quenbrook"});
    EXPECT_FALSE(Exists(dir / "dest"));
}

}  // namespace
