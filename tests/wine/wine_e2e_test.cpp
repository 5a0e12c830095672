// Quenbrook.exe under Wine, every path a user can meet: real command lines,
// real message boxes read and answered by the box robot, real files.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <thread>

#include "support/settings_text.h"
#include "support/temp_folder.h"
#include "wine/wine_session.h"

namespace {

using namespace qbtest;
using Lines = std::vector<std::string>;

const char* kForm1 = "http://sv.5ch.net/test/read.cgi/news/123/l50";
const char* kForm2 = "http://kanto.machi.to/bbs/read.pl?BBS=tokyo&KEY=456&LAST=100";

// Under Wine a plain path "...\nul.txt" names /dev/null, and the suite runs
// as root: a program that gave such a path to the system would delete the
// host's /dev/null. Every scenario holds a guard: a /dev/null that is not
// the null device when the scenario begins or ends is put back (character
// device 1, 3, mode 0666, made under another name and renamed into place)
// and the scenario fails, loudly, saying whether it broke it.
class NullDeviceGuard {
public:
    explicit NullDeviceGuard(const char* path = "/dev/null") : path_(path) {
        if (!Intact()) Restore("BEFORE THIS SCENARIO BEGAN");
    }
    NullDeviceGuard(const NullDeviceGuard&) = delete;
    NullDeviceGuard& operator=(const NullDeviceGuard&) = delete;
    ~NullDeviceGuard() {
        if (!Intact()) Restore("AFTER THIS SCENARIO: the program reached it through a plain path");
    }

private:
    bool Intact() const {
        struct stat st;
        return ::lstat(path_, &st) == 0 && S_ISCHR(st.st_mode) && st.st_rdev == makedev(1, 3) &&
               (st.st_mode & 07777) == 0666;
    }

    void Restore(const char* when) const {
        const std::string made = std::string(path_) + ".guard";
        const mode_t mask = ::umask(0);
        ::unlink(made.c_str());
        const bool back = ::mknod(made.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0 &&
                          ::rename(made.c_str(), path_) == 0;
        ::umask(mask);
        ADD_FAILURE() << "\n!!!!!!!! " << path_ << " WAS NOT THE NULL DEVICE " << when << ". "
                      << (back ? "It has been put back." : "IT COULD NOT BE PUT BACK: run "
                                                           "mknod -m 666 /dev/null c 1 3")
                      << " !!!!!!!!";
    }

    const char* path_;
};

class WineTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!WineSession::Available()) GTEST_SKIP() << "the Wine suite's script sets up Wine";
        MakeFolders(dir / "prog");
        MakeFolders(dir / "logs");
        MakeFolders(dir / "dest");
        WriteBytes(exe(), ReadBytes(WineSession::BuildFile("Quenbrook.exe")));
        ::chmod(exe().c_str(), 0755);
    }

    std::string exe() const { return dir / "prog/Quenbrook.exe"; }
    std::string ini() const { return dir / "prog/Quenbrook.ini"; }
    std::string W(const std::string& relative) const { return WineSession::WinPath(dir / relative); }

    void Settings(int generation, const std::string& add = "0", const std::string& show = "1",
                  const std::string& handle = "0") {
        SettingsText(W("logs")).Generation(std::to_string(generation)).AddUnderscore(add)
            .ShowTitle(show).Handle(handle).WriteTo(ini());
    }

    void Thread(const std::string& folder, const std::string& key, const std::string& dat,
                const std::string& inf) {
        WriteThread(dir / ("logs/" + folder), key, dat, inf);
    }

    // The trash for the Wine processes of one test: $XDG_DATA_HOME/Trash,
    // beside the roots. The folder must exist: Wine's shell makes no more
    // than the trash in it, and else deletes for good.
    ScopedVariable DataHome() const {
        MakeFolders(dir / "data");
        return ScopedVariable("XDG_DATA_HOME", dir / "data");
    }

    // The settings line that has the emptying delete for good.
    void WithoutBin() { WriteBytes(ini(), ReadBytes(ini()) + "UseRcyBin=0\r\n"); }

    // Takes the notice that the link `path` (Windows) could not be deleted
    // out of `shown`, wherever it stands: a folder's when Wine lists the
    // link as one (a Unix link to a folder), else a file's.
    static bool TakeNotice(Lines& shown, const std::string& path, bool folder) {
        const std::string notice = std::string("Quenbrook [e] ") +
                                   (folder ? "フォルダ" : "ファイル") + " '" + path +
                                   "' を削除できませんでした。";
        const auto line = std::find(shown.begin(), shown.end(), notice);
        if (line == shown.end()) return false;
        shown.erase(line);
        return true;
    }

    // Runs with the arguments after the program token, as typed.
    WineRun Run(const std::string& args, const std::string& answers = "",
                const std::string& lang = "") {
        return WineSession::Run(exe(), "Quenbrook.exe " + args, answers, lang);
    }

    const NullDeviceGuard null_device_;  // first made, last gone
    TempFolder dir;
};

TEST_F(WineTest, FirstRunWritesTheTemplateThenTheTemplateIsRejected) {
    const WineRun first = WineSession::Run(exe(), "\"" + WineSession::WinPath(exe()) + "\"");
    EXPECT_EQ(first.outcome, "exit code 0");
    EXPECT_EQ(first.Lines(), Lines{"Quenbrook [e] 設定ファイル 'Quenbrook.ini' が\nフォルダ '" +
                                   W("prog") +
                                   "' 内に\n見つからなかったので、雛型を上記フォルダ内に作成しました。"});
    EXPECT_EQ(ReadBytes(ini()), kSettingsTemplate);
    const WineRun second = Run("x y");
    EXPECT_EQ(second.Lines(), Lines{"Quenbrook [e] 設定ファイル内、VelmLogDir の値が、空です。"});
}

TEST_F(WineTest, NoticeBoxStyles) {
    Settings(2);
    const WineRun run = Run("");
    ASSERT_EQ(run.boxes.size(), 1u) << run.outcome;
    const WineBox& box = run.boxes[0];
    EXPECT_EQ(box.Line(),
              "Quenbrook [e] Velmaris の [ツール(T)｜ツールの設定(T)...] に登録して使用して下さい。");
    EXPECT_EQ(box.buttons, "OK");
    EXPECT_EQ(box.default_button, "OK");
    EXPECT_EQ(box.icon, 'e');
    EXPECT_EQ(run.code_page, 932u);
}

TEST_F(WineTest, ArgumentsThroughRealCommandLines) {
    Settings(2);
    struct Case {
        std::string args;
        Lines boxes;
    };
    const std::string root_spaced = dir / "my dest";
    const Case cases[] = {
        {"http://sv.5ch.net/x", {"Quenbrook [e] コピー先フォルダを登録して下さい。"}},
        {"\"\" http://sv.5ch.net/test/read.cgi/news/1",
         {"Quenbrook [e] コピー先フォルダを登録して下さい。"}},
        {"\"C:\\My Folder\\\"", {"Quenbrook [e] スレッドを表示させてから実行して下さい。"}},
        {"HTTP://sv.5ch.net/", {"Quenbrook [e] スレッドを表示させてから実行して下さい。"}},
        {"a b c", {"Quenbrook [e] 引数が多すぎます。"}},
        {"a \"b c\" d", {"Quenbrook [e] 引数が多すぎます。"}},
        {"Q:\\\"no drive\" " + std::string(kForm1),
         {"Quenbrook [e] コピー先として指定されたフォルダ 'Q:\\no drive' が存在しません。"}},
        {"zq " + std::string(kForm1) + " \"",
         {"Quenbrook [e] コピー先として指定されたフォルダ 'zq' が存在しません。"}},
        {"Q:\\nodrive " + std::string(kForm1),
         {"Quenbrook [e] コピー先として指定されたフォルダ 'Q:\\nodrive' が存在しません。"}},
        {"\"" + W("my dest") + "\\\" http://sv.5ch.net/news",
         {"Quenbrook [i] コピー先として指定されたフォルダ '" + W("my dest") +
              "' が存在しなかったので、\n新たに作成しました。",
          "Quenbrook [e] URL が正しくないようです。　非対応の BBS かもしれません。"}},
    };
    for (const Case& c : cases) {
        const WineRun run = Run(c.args);
        EXPECT_EQ(run.outcome, "exit code 0") << c.args;
        EXPECT_EQ(run.Lines(), c.boxes) << c.args;
    }
    EXPECT_TRUE(IsFolder(root_spaced));
}

TEST_F(WineTest, SettingsFaults) {
    const std::string log = W("logs");
    struct Case {
        std::string content;
        std::string notice;
    };
    const Case cases[] = {
        {"", "設定ファイルの内容が空です。"},
        {"VelmVer=2\r\n", "設定ファイル内に VelmLogDir が、見つかりませんでした。"},
        {"VelmVer=\r\n", "設定ファイル内、VelmVer の値が、空です。"},
        {SettingsText(log).Generation("3").Bytes(), "設定ファイル内、VelmVer の値が不正です。"},
        {SettingsText("Z:\\no\\such\\").Bytes(),
         "設定ファイル内、VelmLogDir の値が不正です。\n（フォルダ 'Z:\\no\\such' は、存在しません。）"},
        {SettingsText(log).Handle("4294967296").Bytes(), "設定ファイル内、hwVelmWnd の値が不正です。"},
    };
    for (const Case& c : cases) {
        WriteBytes(ini(), c.content);
        EXPECT_EQ(Run(W("dest") + " " + kForm1).Lines(), Lines{"Quenbrook [e] " + c.notice});
    }
}

TEST_F(WineTest, BothFormsBothGenerationsWithAndWithoutUnderscores) {
    std::string dat(200000, '\0');
    for (std::size_t i = 0; i < dat.size(); ++i) dat[i] = static_cast<char>(i * 13 + 1);
    Thread("sv.5ch.net/news", "123", dat, "TITLE=one\r\n");
    Thread("5ch/news", "123", dat + "g2", "TITLE=two\r\n");
    Thread("machibbs/tokyo", "456", "town", "TITLE=three\r\n");
    struct Case {
        int generation;
        const char* add;
        const char* url;
        const char* copied;
        std::string bytes;
        const char* title;
    };
    const Case cases[] = {
        {1, "0", kForm1, "dest/sv.5ch.net/news/123", dat, "123 成功 [n] 「one」 ＠ news"},
        {1, "1", kForm1, "dest/_sv.5ch.net/_news/123", dat, "123 成功 [n] 「one」 ＠ news"},
        {2, "0", kForm1, "dest/5ch/news/123", dat + "g2", "123 成功 [n] 「two」 ＠ news"},
        {2, "1", kForm2, "dest/_machibbs/_tokyo/456", "town", "456 成功 [n] 「three」 ＠ tokyo"},
        {2, "0", "http://kanto.machi.to/bbs/read.pl?BBS=tokyo&KEY=456", "dest/machibbs/tokyo/456",
         "town", "456 成功 [n] 「three」 ＠ tokyo"},
        {1, "0", "https://sv.5ch.net/test/read.cgi/news/123/", "dest/sv.5ch.net/news/123", dat,
         "123 成功 [n] 「one」 ＠ news"},
    };
    for (const Case& c : cases) {
        Settings(c.generation, c.add);
        const WineRun run = Run(W("dest") + " \"" + c.url + "\"");
        EXPECT_EQ(run.outcome, "exit code 0");
        EXPECT_EQ(run.Lines(), Lines{c.title}) << c.url;
        EXPECT_EQ(ReadBytes(dir / (std::string(c.copied) + ".dat")), c.bytes) << c.copied;
    }
    // An overwrite of an earlier copy.
    WriteBytes(dir / "logs/5ch/news/123.dat", "newer");
    Settings(2, "0", "0");
    EXPECT_EQ(Run(W("dest") + " " + kForm1).Lines(), Lines{});
    EXPECT_EQ(ReadBytes(dir / "dest/5ch/news/123.dat"), "newer");
}

TEST_F(WineTest, UrlAndSourceNotices) {
    Settings(1);
    const std::string bad = "Quenbrook [e] URL が正しくないようです。　非対応の BBS かもしれません。";
    EXPECT_EQ(Run(W("dest") + " http://sv.5ch.net/news").Lines(), Lines{bad});
    EXPECT_EQ(Run(W("dest") + " http://sv.5ch.net/test/read.cgi/news/..").Lines(), Lines{bad});
    EXPECT_EQ(Run(W("dest") + " http://localhost/test/read.cgi/news/1").Lines(),
              Lines{"Quenbrook [e] サーバ名を抽出できませんでした。　非対応の BBS かもしれません。"});
    const std::string folder = W("logs") + "\\sv.5ch.net\\news";
    EXPECT_EQ(Run(W("dest") + " " + kForm1).Lines(),
              Lines{"Quenbrook [e] コピー元のフォルダ '" + folder + "' が、見つかりませんでした。"});
    MakeFolders(dir / "logs/sv.5ch.net/news");
    EXPECT_EQ(Run(W("dest") + " " + kForm1).Lines(),
              Lines{"Quenbrook [e] コピー元のファイル '" + folder + "\\123.dat' が、見つかりませんでした。"});
    WriteBytes(dir / "logs/sv.5ch.net/news/123.dat", "d");
    EXPECT_EQ(Run(W("dest") + " " + kForm1).Lines(),
              Lines{"Quenbrook [e] コピー元のファイル '" + folder + "\\123.inf' が、見つかりませんでした。"});
    // A key with wildcard characters names no file, whatever lies beside it.
    WriteBytes(dir / "logs/sv.5ch.net/news/123.inf", "TITLE=t");
    EXPECT_EQ(Run(W("dest") + " http://sv.5ch.net/test/read.cgi/news/12*").Lines(),
              Lines{"Quenbrook [e] コピー元のファイル '" + folder + "\\12*.dat' が、見つかりませんでした。"});
}

TEST_F(WineTest, BrowserRunsWithTheStandIn) {
    Thread("sv.5ch.net/news", "123", "posts", "TITLE=t\r\n");
    MakeFolders(dir / "dest/older/thread");
    WriteBytes(dir / "dest/older/thread/1.dat", "old");
    std::string handle;
    auto browser = WineSession::StartBrowser("TVelmarisForm", handle);
    ASSERT_FALSE(handle.empty());
    ASSERT_NE(handle, "0");
    Settings(1, "0", "0", "0");
    const std::string question = "Quenbrook [q] ログをコピーする前に、コピー先フォルダ '" + W("dest") +
                                 "' の中身を空にしますか？";
    // A new browser run: asked, answered no, the handle saved after the copy.
    WineRun run = Run(W("dest") + " " + kForm1, "N");
    ASSERT_EQ(run.Lines(), Lines{question});
    EXPECT_EQ(run.boxes[0].buttons, "Yes,No");
    EXPECT_EQ(run.boxes[0].default_button, "No");
    EXPECT_TRUE(IsFolder(dir / "dest/older/thread"));
    EXPECT_EQ(SavedHandle(ini()), handle);
    // The same browser run: nothing asked.
    EXPECT_EQ(Run(W("dest") + " " + kForm1, "Y").Lines(), Lines{});
    EXPECT_TRUE(IsFolder(dir / "dest/older/thread"));
    // The browser gone: asked again; yes empties the root, which stays.
    browser->Stop();
    run = Run(W("dest") + " " + kForm1, "Y");
    EXPECT_EQ(run.Lines(), Lines{question});
    EXPECT_EQ(ListNames(dir / "dest"), Lines{"sv.5ch.net"});
    EXPECT_EQ(SavedHandle(ini()), "0");
    // A generation-2 browser window is a different class.
    auto browser2 = WineSession::StartBrowser("TVelmarisWindow", handle);
    Thread("5ch/news", "123", "posts", "TITLE=t\r\n");
    Settings(2, "0", "0", "0");
    EXPECT_EQ(Run(W("dest") + " " + kForm1, "N").Lines(), Lines{question});
    EXPECT_EQ(SavedHandle(ini()), handle);
    // A new browser run with an empty root: the listing holds nothing (not
    // even "." and ".."), so nothing is asked; the handle is still saved.
    MakeFolders(dir / "empty");
    browser2->Stop();
    EXPECT_EQ(Run(W("empty") + " " + kForm1, "Y").Lines(), Lines{});
    EXPECT_EQ(SavedHandle(ini()), "0");
}

// Wine shows a Unix symbolic link as a reparse-point folder but cannot
// remove the link itself (it would act on the target), so the link to a
// folder with content stays, with its notice, and is never entered. Deleted
// for good (UseRcyBin=0), since Wine's shell moves even a folder whose file
// is held open: nothing goes to the bin.
TEST_F(WineTest, AFileThatCannotBeDeletedAndALinkInTheRoot) {
    Thread("sv.5ch.net/news", "123", "posts", "TITLE=t\r\n");
    const ScopedVariable data_home = DataHome();
    MakeFolders(dir / "dest/old/deeper");
    WriteBytes(dir / "dest/old/deeper/held.dat", "held");
    WriteBytes(dir / "dest/readonly.txt", "ro");
    ::chmod((dir / "dest/readonly.txt").c_str(), 0444);
    MakeFolders(dir / "outside/sub");
    WriteBytes(dir / "outside/sub/precious.txt", "keep");
    ASSERT_EQ(::symlink((dir / "outside").c_str(), (dir / "dest/link").c_str()), 0);
    // A file held open without delete sharing cannot be removed.
    std::string handle;
    auto holder = WineSession::StartBrowser("THolder", handle, dir / "dest/old/deeper/held.dat");
    Settings(1, "0", "0", "1");
    WithoutBin();
    const WineRun run = Run(W("dest") + " " + kForm1, "Y");
    holder->Stop();
    const Lines expected = {
        "Quenbrook [q] ログをコピーする前に、コピー先フォルダ '" + W("dest") + "' の中身を空にしますか？",
        "Quenbrook [e] ファイル '" + W("dest/readonly.txt") + "' を削除できませんでした。",
        "Quenbrook [e] ファイル '" + W("dest/old/deeper/held.dat") + "' を削除できませんでした。",
        "Quenbrook [e] フォルダ '" + W("dest/old/deeper") + "' を削除できませんでした。",
        "Quenbrook [e] フォルダ '" + W("dest/old") + "' を削除できませんでした。",
    };
    Lines shown = run.Lines();
    EXPECT_TRUE(TakeNotice(shown, W("dest/link"), true));
    // The listing order is the file system's; compare the notices as a set
    // after the question, which always comes first.
    ASSERT_EQ(shown.size(), expected.size()) << run.outcome;
    EXPECT_EQ(shown[0], expected[0]);
    std::sort(shown.begin() + 1, shown.end());
    Lines sorted = expected;
    std::sort(sorted.begin() + 1, sorted.end());
    EXPECT_EQ(shown, sorted);
    EXPECT_EQ(ReadBytes(dir / "outside/sub/precious.txt"), "keep");
    EXPECT_EQ(ReadBytes(dir / "dest/old/deeper/held.dat"), "held");
    EXPECT_EQ(ReadBytes(dir / "dest/sv.5ch.net/news/123.dat"), "posts");
    EXPECT_EQ(TrashedPaths(dir / "data"), Lines{});
}

// A yes sends what the root holds to the Recycle Bin (under Wine the
// freedesktop.org trash of $XDG_DATA_HOME), each entry with the path it had.
// Never a link: Wine's shell, given one, moves what it leads to, and lists a
// link to a file as that file. Wine cannot remove a Unix link itself either,
// so each stays with its notice and what it leads to stays where it is; a
// folder that holds a link is not sent whole, what else it holds goes. A
// name that a plain path would read otherwise ("nul.txt" names a device,
// "dot." loses its dot) is not given to the shell but removed for good.
// This thread's log file, a link to a file in the root, keeps that file
// there, although Wine can read no link: known by what it leads to.
TEST_F(WineTest, AYesSendsTheRootToTheBinButNoLinkNorWhereItLeads) {
    Thread("sv.5ch.net/news", "123", "posts", "TITLE=t\r\n");
    MakeFolders(dir / "dest/keep");
    WriteBytes(dir / "dest/keep/123.dat", "linked posts");
    ::unlink((dir / "logs/sv.5ch.net/news/123.dat").c_str());
    ASSERT_EQ(::symlink((dir / "dest/keep/123.dat").c_str(),
                        (dir / "logs/sv.5ch.net/news/123.dat").c_str()),
              0);
    const ScopedVariable data_home = DataHome();
    MakeFolders(dir / "outside/full/sub");
    WriteBytes(dir / "outside/full/sub/precious", "keep");
    MakeFolders(dir / "outside/empty");
    WriteBytes(dir / "outside/target.txt", "target");
    WriteBytes(dir / "dest/file.txt", "f");
    MakeFolders(dir / "dest/folder/inner");
    WriteBytes(dir / "dest/folder/inner/g", "g");
    MakeFolders(dir / "dest/holder");
    WriteBytes(dir / "dest/holder/h", "h");
    WriteBytes(dir / "dest/.hidden", "stays");
    WriteBytes(dir / "dest/nul.txt", "n");
    WriteBytes(dir / "dest/dot.", "d");
    const struct {
        const char* link;
        const char* target;
        bool folder;  // named a folder in its notice
    } links[] = {{"dest/full", "outside/full", true},
                 {"dest/empty", "outside/empty", true},
                 {"dest/file-link.txt", "outside/target.txt", false},
                 {"dest/holder/link.txt", "outside/target.txt", false}};
    for (const auto& l : links) {
        ASSERT_EQ(::symlink((dir / l.target).c_str(), (dir / l.link).c_str()), 0);
    }
    const auto outside = Snapshot(dir / "outside");
    Settings(1, "0", "0", "5");
    Lines shown = Run(W("dest") + " " + kForm1, "Y").Lines();
    for (const auto& l : links) {
        EXPECT_TRUE(TakeNotice(shown, W(l.link), l.folder)) << l.link;
        char target[4096] = {};
        EXPECT_GT(::readlink((dir / l.link).c_str(), target, sizeof target - 1), 0) << l.link;
        EXPECT_EQ(target, dir / l.target);
    }
    // The listing order is the file system's: the notices after the
    // question, which comes first, as a set.
    if (!shown.empty()) std::sort(shown.begin() + 1, shown.end());
    EXPECT_EQ(shown, (Lines{"Quenbrook [q] ログをコピーする前に、コピー先フォルダ '" + W("dest") +
                                "' の中身を空にしますか？",
                            "Quenbrook [e] ファイル '" + W("dest/keep/123.dat") + "' を削除できませんでした。",
                            "Quenbrook [e] フォルダ '" + W("dest/holder") + "' を削除できませんでした。",
                            "Quenbrook [e] フォルダ '" + W("dest/keep") + "' を削除できませんでした。"}));
    EXPECT_EQ(TrashedPaths(dir / "data"),
              (Lines{dir / "dest/file.txt", dir / "dest/folder", dir / "dest/holder/h"}));
    EXPECT_EQ(ReadBytes(dir / "data/Trash/files/folder/inner/g"), "g");
    EXPECT_EQ(Snapshot(dir / "outside"), outside);
    EXPECT_EQ(ListNames(dir / "dest"),
              (Lines{".hidden", "empty", "file-link.txt", "full", "holder", "keep", "sv.5ch.net"}));
    EXPECT_EQ(ListNames(dir / "dest/holder"), Lines{"link.txt"});
    EXPECT_EQ(ReadBytes(dir / "dest/sv.5ch.net/news/123.dat"), "linked posts");
}

// Where the shell cannot move a folder to the bin, it deletes it by plain
// paths, and Wine's shell cannot move the folder that holds its trash into
// the trash. The trash in the root (and, before the shell makes it, the
// folder it will be made in) stays with its notice, all it held before and
// what the yes sent there kept. Without a trash, a file "COM1.txt" in a
// folder (the prefix's COM1, here a file outside the root) is removed
// itself, so that the folder can go whole.
TEST_F(WineTest, TheShellDeletesNothingPastTheRootNorTheTrash) {
    Thread("sv.5ch.net/news", "123", "posts", "TITLE=t\r\n");
    const auto question = [&](const std::string& root) {
        return "Quenbrook [q] ログをコピーする前に、コピー先フォルダ '" + W(root) + "' の中身を空にしますか？";
    };
    const auto stays = [&](const std::string& folder) {
        return "Quenbrook [e] フォルダ '" + W(folder) + "' を削除できませんでした。";
    };
    for (const std::string root : {"dest", "fresh"}) {
        const bool trash_there = root == "dest";
        const ScopedVariable data_home("XDG_DATA_HOME", dir / (root + "/data"));
        MakeFolders(dir / (root + "/data"));
        if (trash_there) {
            MakeFolders(dir / "dest/data/Trash/info");
            MakeFolders(dir / "dest/data/Trash/files");
            WriteBytes(dir / "dest/data/Trash/files/earlier.txt", "earlier");
        }
        WriteBytes(dir / (root + "/a.txt"), "a");
        Settings(1, "0", "0", "5");
        const Lines expected = trash_there ? Lines{question(root), stays("dest/data/Trash"),
                                                   stays("dest/data")}
                                           : Lines{question(root), stays(root + "/data")};
        EXPECT_EQ(Run(W(root) + " " + kForm1, "Y").Lines(), expected) << root;
        EXPECT_EQ(ListNames(dir / root), (Lines{"data", "sv.5ch.net"})) << root;
        EXPECT_EQ(ReadBytes(dir / (root + "/data/Trash/files/a.txt")), "a") << root;
        if (trash_there) {
            EXPECT_EQ(ReadBytes(dir / "dest/data/Trash/files/earlier.txt"), "earlier");
        }
    }

    const std::string com1 = std::string(std::getenv("WINEPREFIX")) + "/dosdevices/com1";
    ::unlink(com1.c_str());
    WriteBytes(dir / "outside.txt", "keep");
    ASSERT_EQ(::symlink((dir / "outside.txt").c_str(), com1.c_str()), 0);
    MakeFolders(dir / "plain/sub");
    WriteBytes(dir / "plain/sub/COM1.txt", "c");
    WriteBytes(dir / "plain/sub/other", "o");
    const ScopedVariable no_trash("XDG_DATA_HOME", "/proc/no-trash");
    Settings(1, "0", "0", "5");
    EXPECT_EQ(Run(W("plain") + " " + kForm1, "Y").Lines(), Lines{question("plain")});
    ::unlink(com1.c_str());
    EXPECT_EQ(ReadBytes(dir / "outside.txt"), "keep");
    EXPECT_EQ(ListNames(dir / "plain"), Lines{"sv.5ch.net"});
}

TEST_F(WineTest, CopyFailuresAndTheOverlapWarning) {
    Thread("sv.5ch.net/news", "123", "posts", "TITLE=t\r\n");
    Settings(1, "0", "0");
    // A file where the destination folder should be.
    WriteBytes(dir / "dest/sv.5ch.net", "in the way");
    EXPECT_EQ(Run(W("dest") + " " + kForm1).Lines(),
              Lines{"Quenbrook [e] コピー先フォルダ '" + W("dest/sv.5ch.net/news") +
                    "' を作成できませんでした。"});
    // A folder where the .inf copy should go: the .dat copy stays.
    ::unlink((dir / "dest/sv.5ch.net").c_str());
    MakeFolders(dir / "dest/sv.5ch.net/news/123.inf");
    EXPECT_EQ(Run(W("dest") + " " + kForm1).Lines(),
              Lines{"Quenbrook [e] ログファイルのコピー中に、エラーが発生しました。"});
    EXPECT_EQ(ReadBytes(dir / "dest/sv.5ch.net/news/123.dat"), "posts");
    // A destination root that is the log folder, in a new browser run; the
    // settings file is hidden (Wine keeps the attribute in an extended
    // attribute) and stays hidden when the handle is saved.
    Settings(1, "1", "0", "77");
    ASSERT_EQ(::setxattr(ini().c_str(), "user.DOSATTRIB", "0x2", 3, 0), 0);
    const WineRun run = Run(W("logs") + "\\ " + kForm1, "Y");
    ASSERT_EQ(run.Lines(), Lines{"Quenbrook [w] コピー先フォルダ '" + W("logs") +
                                 "' は、\nログフォルダ '" + W("logs") +
                                 "' と重なっているので、\n中身を空にせずにコピーします。"});
    EXPECT_EQ(run.boxes[0].icon, 'w');
    EXPECT_EQ(ReadBytes(dir / "logs/sv.5ch.net/news/123.dat"), "posts");
    EXPECT_EQ(SavedHandle(ini()), "0");
    char attributes[16] = {};
    EXPECT_GT(::getxattr(ini().c_str(), "user.DOSATTRIB", attributes, sizeof attributes - 1), 0);
    EXPECT_EQ(std::strtoul(attributes, nullptr, 16) & 0x2, 0x2u) << attributes;
    // Without the '_' folders the copies are there already: the warning, and
    // then the title as after any copy, the handle saved.
    Settings(1, "0", "1", "78");
    EXPECT_EQ(Run(W("logs") + " " + kForm1, "Y").Lines(),
              (Lines{"Quenbrook [w] コピー先フォルダ '" + W("logs") + "' は、\nログフォルダ '" +
                         W("logs") + "' と重なっているので、\n中身を空にせずにコピーします。",
                     "123 成功 [n] 「t」 ＠ news"}));
    EXPECT_EQ(ReadBytes(dir / "logs/sv.5ch.net/news/123.dat"), "posts");
    EXPECT_EQ(SavedHandle(ini()), "0");
}

// A hard link at the destination is replaced as an entry: the other log it
// shared its data with keeps its posts. One of the source itself is the copy
// already: it stays, and nothing is reported.
TEST_F(WineTest, AHardLinkAtTheDestinationIsReplacedNeverWrittenThrough) {
    Thread("sv.5ch.net/news", "123", "posts", "TITLE=t\r\n");
    Thread("sv.5ch.net/news", "999", "another thread's posts", "TITLE=o\r\n");
    Settings(1, "0", "0");
    MakeFolders(dir / "dest/sv.5ch.net/news");
    const std::string copy = dir / "dest/sv.5ch.net/news/123.dat";
    ASSERT_EQ(::link((dir / "logs/sv.5ch.net/news/999.dat").c_str(), copy.c_str()), 0);
    EXPECT_EQ(Run(W("dest") + " " + kForm1).Lines(), Lines{});
    EXPECT_EQ(ReadBytes(dir / "logs/sv.5ch.net/news/999.dat"), "another thread's posts");
    EXPECT_EQ(ReadBytes(copy), "posts");
    EXPECT_EQ(ListNames(dir / "dest/sv.5ch.net/news"), (Lines{"123.dat", "123.inf"}));
    ASSERT_EQ(::unlink(copy.c_str()), 0);
    ASSERT_EQ(::link((dir / "logs/sv.5ch.net/news/123.dat").c_str(), copy.c_str()), 0);
    EXPECT_EQ(Run(W("dest") + " " + kForm1).Lines(), Lines{});
    EXPECT_EQ(ReadBytes(dir / "logs/sv.5ch.net/news/123.dat"), "posts");
    struct stat copy_st, log_st;
    ASSERT_EQ(::stat(copy.c_str(), &copy_st), 0);
    ASSERT_EQ(::stat((dir / "logs/sv.5ch.net/news/123.dat").c_str(), &log_st), 0);
    EXPECT_EQ(copy_st.st_ino, log_st.st_ino);
    EXPECT_EQ(ListNames(dir / "dest/sv.5ch.net/news"), (Lines{"123.dat", "123.inf"}));
}

TEST_F(WineTest, TitleNoticeAndShowTitleOff) {
    Thread("sv.5ch.net/news", "123", "d", "A=1\r\nTITLE=\x83X\x83\x8C\x83" "b\x83h\r\n");
    Settings(1);
    WineRun run = Run(W("dest") + " " + kForm1);
    EXPECT_EQ(run.Lines(), Lines{"123 成功 [n] 「スレッド」 ＠ news"});
    Thread("sv.5ch.net/news", "123", "d", "no title here\r\n");
    EXPECT_EQ(Run(W("dest") + " " + kForm1).Lines(),
              Lines{"123 成功 [n] 「（infファイル内の Title が空です）」 ＠ news"});
    Settings(1, "0", "0");
    EXPECT_EQ(Run(W("dest") + " " + kForm1).Lines(), Lines{});
}

TEST_F(WineTest, UncaughtFailures) {
    Settings(2);
    WineRun run = Run("\\ " + std::string(kForm1));
    EXPECT_EQ(run.outcome, "exit code 1");
    ASSERT_EQ(run.boxes.size(), 1u) << run.outcome;
    const std::string text = run.boxes[0].Line();
    EXPECT_EQ(text.rfind("アプリケーション エラー [e] Exceptionがモジュール Quenbrook.exe の ", 0), 0u)
        << text;
    EXPECT_NE(text.find(" で発生しました。\nディレクトリを作成することができません."),
              std::string::npos);
    EXPECT_EQ(run.boxes[0].buttons, "OK");

    // A folder where the settings file should be, and a link to a device
    // that would feed the reader without end: a zero device of the test's
    // own where it may make one (as root), so that a program that wrote or
    // renamed through the link would not reach the host's.
    ::unlink(ini().c_str());
    const std::string zero = dir / "zero";
    const bool own_zero = ::mknod(zero.c_str(), S_IFCHR | 0666, makedev(1, 5)) == 0;
    for (const bool folder : {true, false}) {
        if (folder) MakeFolders(ini());
        else ASSERT_EQ(::symlink(own_zero ? zero.c_str() : "/dev/zero", ini().c_str()), 0);
        run = Run(W("dest") + " " + kForm1);
        ::remove(ini().c_str());
        EXPECT_EQ(run.outcome, "exit code 1") << folder;
        ASSERT_EQ(run.boxes.size(), 1u) << run.outcome;
        EXPECT_NE(run.Lines()[0].find("EInOutErrorがモジュール Quenbrook.exe の "), std::string::npos);
        EXPECT_NE(run.Lines()[0].find(" で発生しました。\nファイルへのアクセスが拒否されました."),
                  std::string::npos)
            << run.Lines()[0];
    }
    if (own_zero) {
        struct stat st;
        EXPECT_TRUE(::lstat(zero.c_str(), &st) == 0 && S_ISCHR(st.st_mode) &&
                    st.st_rdev == makedev(1, 5));
    }

    // The settings file cannot be written while another program holds it
    // without sharing writes: the sharing violation is reported, the copy is
    // made, the settings file stays as it was.
    Thread("5ch/news", "123", "posts", "TITLE=t\r\n");
    Settings(2, "0", "0", "5");
    const std::string before = ReadBytes(ini());
    std::string handle;
    auto holder = WineSession::StartBrowser("THolder", handle, ini());
    run = Run(W("dest") + " " + kForm1);
    holder->Stop();
    EXPECT_EQ(run.outcome, "exit code 1");
    ASSERT_EQ(run.boxes.size(), 1u) << run.outcome;
    EXPECT_EQ(run.boxes[0].Line().rfind("アプリケーション エラー [e] EInOutErrorがモジュール Quenbrook.exe の ", 0),
              0u) << run.boxes[0].Line();
    EXPECT_NE(run.boxes[0].Line().find(" で発生しました。\nI/O エラー (32)."), std::string::npos)
        << run.boxes[0].Line();
    EXPECT_EQ(ReadBytes(dir / "dest/5ch/news/123.dat"), "posts");
    EXPECT_EQ(ReadBytes(ini()), before);
    EXPECT_EQ(ListNames(dir / "prog"), (Lines{"Quenbrook.exe", "Quenbrook.ini"}));

    // A read-only settings file is not replaced either.
    ::chmod(ini().c_str(), 0444);
    MakeFolders(dir / "dest2");
    run = Run(W("dest2") + " " + kForm1);
    ::chmod(ini().c_str(), 0644);
    EXPECT_EQ(run.outcome, "exit code 1");
    ASSERT_EQ(run.boxes.size(), 1u) << run.outcome;
    EXPECT_NE(run.boxes[0].Line().find(" で発生しました。\nファイルへのアクセスが拒否されました."),
              std::string::npos)
        << run.boxes[0].Line();
    EXPECT_EQ(ReadBytes(ini()), before);
    EXPECT_EQ(ListNames(dir / "prog"), (Lines{"Quenbrook.exe", "Quenbrook.ini"}));
}

// A settings file saved as UTF-8 with the mark, naming a Japanese log
// folder: Windows converts it exactly, the copy is made and the file keeps
// its encoding. A value that code page 932 holds only by a best fit, or not
// at all, is refused.
TEST_F(WineTest, AUtf8SettingsFileNamesAJapaneseLogFolder) {
    WriteThread(dir / "髙橋 表①/5ch/news", "123", "posts", "TITLE=t\r\n");
    const std::string content = "\xEF\xBB\xBFVelmVer=2\r\nVelmLogDir=\"" + W("髙橋 表①") +
                                "\"\r\nAddUdrScr=0\r\nShowTitle=0\r\nhwVelmWnd=5\r\n";
    WriteBytes(ini(), content);
    EXPECT_EQ(Run(W("dest") + " " + kForm1).Lines(), Lines{});
    EXPECT_EQ(ReadBytes(dir / "dest/5ch/news/123.dat"), "posts");
    EXPECT_EQ(ReadBytes(ini()), content.substr(0, content.size() - 3) + "0\r\n");
    WriteBytes(ini(), SettingsText(W("café¥表")).Bytes());
    EXPECT_EQ(Run(W("dest") + " " + kForm1).Lines(),
              Lines{"Quenbrook [e] 設定ファイル内、VelmLogDir の値 '" + W("caf?") +
                    "?表' には、扱えない文字が含まれています。"});
}

// Another program holds the settings file open for reading and writing and
// lets others write it too (an editor, a sync client): Windows refuses to
// replace it, so it is rewritten in place, every byte but the handle kept.
// A settings file that is a Unix symbolic link to a file, which Wine shows
// as a plain file, is rewritten where it leads, and the link stays.
TEST_F(WineTest, ASettingsFileHeldWithWriteSharingOrALinkIsRewrittenWhereItIs) {
    Thread("5ch/news", "123", "posts", "TITLE=t\r\n");
    WriteBytes(ini(), SettingsText(W("logs")).ShowTitle("0").Handle("5").Bytes() + "User=1\r\n");
    std::string handle;
    auto holder = WineSession::StartBrowser("THolder", handle, ini(), true);
    const WineRun run = Run(W("dest") + " " + kForm1);
    holder->Stop();
    EXPECT_EQ(run.outcome, "exit code 0");
    EXPECT_EQ(run.Lines(), Lines{});
    EXPECT_EQ(ReadBytes(ini()), SettingsText(W("logs")).ShowTitle("0").Bytes() + "User=1\r\n");
    EXPECT_EQ(ListNames(dir / "prog"), (Lines{"Quenbrook.exe", "Quenbrook.ini"}));
    EXPECT_EQ(ReadBytes(dir / "dest/5ch/news/123.dat"), "posts");

    WriteBytes(dir / "real.ini", SettingsText(W("logs")).ShowTitle("0").Handle("6").Bytes());
    ::unlink(ini().c_str());
    ASSERT_EQ(::symlink((dir / "real.ini").c_str(), ini().c_str()), 0);
    MakeFolders(dir / "empty");
    const WineRun linked = Run(W("empty") + " " + kForm1);
    EXPECT_EQ(linked.outcome, "exit code 0");
    EXPECT_EQ(linked.Lines(), Lines{});
    char target[4096] = {};
    EXPECT_GT(::readlink(ini().c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(target, dir / "real.ini");
    EXPECT_EQ(ReadBytes(dir / "real.ini"), SettingsText(W("logs")).ShowTitle("0").Bytes());
    EXPECT_EQ(ListNames(dir / "prog"), (Lines{"Quenbrook.exe", "Quenbrook.ini"}));
    EXPECT_EQ(ReadBytes(dir / "empty/5ch/news/123.dat"), "posts");
}

TEST_F(WineTest, AnyLocaleShowsTheSameTextsAndHandlesJapanesePaths) {
    const std::string lang = "en_US.UTF-8";
    Settings(2);
    WineRun run = Run("a b c", "", lang);
    EXPECT_EQ(run.code_page, 1252u);
    EXPECT_EQ(run.Lines(), Lines{"Quenbrook [e] 引数が多すぎます。"});
    Thread("5ch/news", "123", "posts", "TITLE=\x83X\x83\x8C\r\n");
    const std::string root = "表ソ 能/コピー";
    run = Run("\"" + W(root) + "\" " + kForm1, "", lang);
    EXPECT_EQ(run.Lines(), (Lines{"Quenbrook [i] コピー先として指定されたフォルダ '" + W(root) +
                                      "' が存在しなかったので、\n新たに作成しました。",
                                  "123 成功 [n] 「スレ」 ＠ news"}));
    EXPECT_EQ(ReadBytes(dir / (root + "/5ch/news/123.dat")), "posts");
}

// Names that read as paths once converted with best fit ('¥' becomes '\'),
// and a chain of folders deeper than the usual path limit: the emptying acts
// on the names Windows lists and never leaves the root, whether it removes
// them itself (UseRcyBin=0) or gives them to the shell's bin, which takes
// each as one piece with the path it had. (Wine turns every path into a
// Unix path of at most 4,096 bytes, so no Wine program can reach a chain
// thousands deep; 300 levels already pass the 260-character limit.) Roots
// and program folders whose names code page 932 cannot hold are refused
// before anything is created.
TEST_F(WineTest, EmptyingNeverReachesOutsideTheRoot) {
    Thread("sv.5ch.net/news", "123", "posts", "TITLE=t\r\n");
    const ScopedVariable data_home = DataHome();
    MakeFolders(dir / "outside/victimdir");
    WriteBytes(dir / "outside/victimdir/precious", "keep");
    const auto logs = Snapshot(dir / "logs");
    const std::string program = ReadBytes(exe());
    const std::string question = "Quenbrook [q] ログをコピーする前に、コピー先フォルダ '" + W("dest") +
                                 "' の中身を空にしますか？";
    // The trash's Path of an entry of the root, percent-encoded as Wine writes it.
    const auto trashed = [&](std::string name) {
        for (std::size_t at; (at = name.find("¥")) != std::string::npos;) name.replace(at, 2, "%C2%A5");
        return dir / ("dest/" + name);
    };
    for (const bool bin : {false, true}) {
        MakeFolders(dir / "dest/x¥..¥..¥outside¥victimdir");
        WriteBytes(dir / "dest/x¥..¥..¥outside¥victimdir/f", "x");
        WriteBytes(dir / "dest/y¥..¥..¥outside¥victimdir¥precious", "x");
        MakeFolders(dir / "dest/kept¥");
        WriteBytes(dir / "dest/kept¥/read only¥", "x");
        ::chmod((dir / "dest/kept¥/read only¥").c_str(), 0444);
        std::string chain = dir / "dest";
        for (int i = 0; i < 300; ++i) {
            chain += "/c";
            ASSERT_EQ(::mkdir(chain.c_str(), 0777), 0);
        }
        const auto outside = Snapshot(dir / "outside");
        Settings(1, "0", "0", "5");
        if (!bin) WithoutBin();
        const WineRun run = Run(W("dest") + " " + kForm1, "Y");
        EXPECT_EQ(run.outcome, "exit code 0");
        if (bin) {
            // The read-only file goes with its folder.
            EXPECT_EQ(run.Lines(), Lines{question});
            EXPECT_EQ(ListNames(dir / "dest"), Lines{"sv.5ch.net"});
            EXPECT_EQ(TrashedPaths(dir / "data"),
                      (Lines{trashed("c"), trashed("kept¥"), trashed("sv.5ch.net"),
                             trashed("x¥..¥..¥outside¥victimdir"),
                             trashed("y¥..¥..¥outside¥victimdir¥precious")}));
        } else {
            EXPECT_EQ(run.Lines(),
                      (Lines{question,
                             "Quenbrook [e] ファイル '" + W("dest") + "\\kept?\\read only?' を削除できませんでした。",
                             "Quenbrook [e] フォルダ '" + W("dest") + "\\kept?' を削除できませんでした。"}));
            EXPECT_EQ(ListNames(dir / "dest"), (Lines{"kept¥", "sv.5ch.net"}));
            EXPECT_EQ(TrashedPaths(dir / "data"), Lines{});
        }
        EXPECT_EQ(Snapshot(dir / "outside"), outside);
        EXPECT_EQ(Snapshot(dir / "logs"), logs);
    }

    // "café" is no name in code page 932; by best fit it would be "cafe".
    MakeFolders(dir / "cafe");
    WriteBytes(dir / "cafe/f", "x");
    EXPECT_EQ(Run("\"" + W("café") + "\" " + kForm1, "Y").Lines(),
              Lines{"Quenbrook [e] コピー先として指定されたフォルダ '" + W("caf?") +
                    "' の名前には、扱えない文字が含まれています。"});
    EXPECT_EQ(ListNames(dir / "cafe"), Lines{"f"});
    EXPECT_FALSE(Exists(dir / "café"));
    EXPECT_EQ(Run(W("dest") + " http://sv.5ch.net/test/read.cgi/news/123é", "Y").Lines(),
              Lines{"Quenbrook [e] URL が正しくないようです。　非対応の BBS かもしれません。"});
    EXPECT_EQ(ReadBytes(exe()), program);

    // The program in a folder whose name cannot be held: it ends at once.
    MakeFolders(dir / "café prog");
    WriteBytes(dir / "café prog/Quenbrook.exe", ReadBytes(exe()));
    const WineRun moved = WineSession::Run(dir / "café prog/Quenbrook.exe",
                                           "Quenbrook.exe " + W("dest") + " " + kForm1);
    EXPECT_EQ(moved.outcome, "exit code 0");
    EXPECT_EQ(moved.Lines(), Lines{"Quenbrook [e] Quenbrook.exe を置いたフォルダ '" +
                                   W("caf? prog") +
                                   "' の名前には、扱えない文字が含まれています。\n別のフォルダに移して下さい。"});
    EXPECT_EQ(ListNames(dir / "café prog"), Lines{"Quenbrook.exe"});
}

// The same folder however it is spelt: a second drive letter (a link in the
// prefix's dosdevices), the drive's root as "Y:" or "Y:\" whatever the
// current folder, the long "\\?\" form, letter case, '.' and '..', trailing
// separators, a short 8.3 name, a link. Each is refused with the warning and
// nothing outside is touched.
TEST_F(WineTest, TheGuardKnowsAFolderHoweverItIsSpelt) {
    Thread("sv.5ch.net/news", "123", "posts", "TITLE=t\r\n");
    const std::string drive = std::string(std::getenv("WINEPREFIX")) + "/dosdevices/y:";
    ::unlink(drive.c_str());
    ASSERT_EQ(::symlink(dir.path().c_str(), drive.c_str()), 0);
    ASSERT_EQ(::symlink((dir / "logs").c_str(), (dir / "loglink").c_str()), 0);
    std::string short_dir;
    WineSession::StartBrowser("--short", short_dir, dir.path())->Stop();
    ASSERT_NE(short_dir.find('~'), std::string::npos) << short_dir;
    std::string upper = W("logs");
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::string log_tail = "' は、\nログフォルダ '" + W("logs") + "' と重なっているので、\n中身を空にせずにコピーします。";
    const std::string prog_tail = "' は、\nプログラムのフォルダ '" + W("prog") + "' と重なっているので、\n中身を空にせずにコピーします。";
    struct Case {
        std::string root;
        std::string shown;
        std::string tail;
    };
    const Case cases[] = {
        {"Y:", "Y:", log_tail},
        {"Y:\\", "Y:", log_tail},
        {"Y:\\logs\\sv.5ch.net", "Y:\\logs\\sv.5ch.net", log_tail},
        {"\\\\?\\" + W("logs"), "\\\\?\\" + W("logs"), log_tail},
        {upper, upper, log_tail},
        {W("logs") + "\\.\\..\\logs\\\\", W("logs") + "\\.\\..\\logs\\", log_tail},
        {short_dir, short_dir, log_tail},
        {W("loglink"), W("loglink"), log_tail},
        // The blanks and dots that end the root are no part of its name, nor
        // of the folders the copy goes to below it.
        {W("logs") + " ", W("logs"), log_tail},
        {W("logs") + ". .\\", W("logs"), log_tail},
        {W("prog"), W("prog"), prog_tail},
        {"Y:\\prog\\", "Y:\\prog", prog_tail},
    };
    const auto logs = Snapshot(dir / "logs");
    const std::string program = ReadBytes(exe());
    for (const Case& c : cases) {
        Settings(1, "1", "0", "5");
        const WineRun run = Run("\"" + c.root + "\" " + kForm1, "Y");
        EXPECT_EQ(run.Lines(), Lines{"Quenbrook [w] コピー先フォルダ '" + c.shown + c.tail}) << c.root;
        // The copy may land in the log folder; everything that was there stays.
        const auto after = Snapshot(dir / "logs");
        for (const auto& entry : logs) {
            EXPECT_EQ(after.count(entry.first) ? after.at(entry.first) : "<gone>", entry.second)
                << c.root << ": " << entry.first;
        }
        EXPECT_EQ(SavedHandle(ini()), "0") << c.root;
        EXPECT_EQ(ReadBytes(exe()), program) << c.root;
    }
    ::unlink(drive.c_str());
}

// A drive letter is a link in the prefix's dosdevices: Q: is the log folder,
// P: the program's folder and M: the user's Documents, all kept inside the
// root. The walk up from "Q:\", "P:\" or "M:\" ends at the drive's root, so
// the emptying finds them on its way down by their identity and leaves them
// whole. "D:\" as the root is a whole drive: never emptied, the copy goes on.
TEST_F(WineTest, DriveLettersIntoTheRootAndADriveAsTheRoot) {
    const std::string devices = std::string(std::getenv("WINEPREFIX")) + "/dosdevices/";
    for (const char* letter : {"q:", "p:", "m:", "d:"}) ::unlink((devices + letter).c_str());
    WriteThread(dir / "dest/logs/sv.5ch.net/news", "123", "posts", "TITLE=t\r\n");
    MakeFolders(dir / "dest/prog");
    WriteBytes(dir / "dest/prog/Quenbrook.exe", ReadBytes(exe()));
    MakeFolders(dir / "dest/old");
    WriteBytes(dir / "dest/old/f", "x");
    MakeFolders(dir / "dest/docs");
    WriteBytes(dir / "dest/docs/thesis.txt", "the user's own");
    ASSERT_EQ(::symlink((dir / "dest/logs").c_str(), (devices + "q:").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "dest/prog").c_str(), (devices + "p:").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "dest/docs").c_str(), (devices + "m:").c_str()), 0);
    const auto documents = [](const std::string& to) {
        return RunProcess({std::getenv("QB_WINE"), "reg", "add",
                           "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                           "/v", "Personal", "/t", "REG_EXPAND_SZ", "/d", to, "/f"}, "", {}, 60).exit_code;
    };
    ASSERT_EQ(documents("M:\\"), 0);
    SettingsText("Q:\\").Generation("1").ShowTitle("0").Handle("5").WriteTo(dir / "dest/prog/Quenbrook.ini");
    const auto logs = Snapshot(dir / "dest/logs");
    WineRun run = WineSession::Run(dir / "dest/prog/Quenbrook.exe",
                                   "P:\\Quenbrook.exe " + W("dest") + " " + kForm1, "Y");
    EXPECT_EQ(documents("%USERPROFILE%\\Documents"), 0);
    EXPECT_EQ(run.outcome, "exit code 0");
    Lines shown = run.Lines();
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, (Lines{"Quenbrook [e] フォルダ '" + W("dest") + "\\docs' を削除できませんでした。",
                            "Quenbrook [e] フォルダ '" + W("dest") + "\\logs' を削除できませんでした。",
                            "Quenbrook [e] フォルダ '" + W("dest") + "\\prog' を削除できませんでした。",
                            "Quenbrook [q] ログをコピーする前に、コピー先フォルダ '" + W("dest") +
                                "' の中身を空にしますか？"}));
    EXPECT_EQ(Snapshot(dir / "dest/logs"), logs);
    EXPECT_EQ(ReadBytes(dir / "dest/docs/thesis.txt"), "the user's own");
    EXPECT_EQ(ListNames(dir / "dest"), (Lines{"docs", "logs", "prog", "sv.5ch.net"}));
    EXPECT_EQ(ReadBytes(dir / "dest/prog/Quenbrook.exe"), ReadBytes(exe()));
    EXPECT_EQ(SavedHandle(dir / "dest/prog/Quenbrook.ini"), "0");

    Thread("sv.5ch.net/news", "123", "posts", "TITLE=t\r\n");
    MakeFolders(dir / "drive/old");
    ASSERT_EQ(::symlink((dir / "drive").c_str(), (devices + "d:").c_str()), 0);
    // "\\?\D:\" keeps naming the drive's root once its separator is cut.
    for (const std::string root : {"D:", "\\\\?\\D:"}) {
        Settings(1, "0", "0", "5");
        run = Run(root + "\\ " + kForm1, "Y");
        EXPECT_EQ(run.Lines(), Lines{"Quenbrook [w] コピー先フォルダ '" + root +
                                     "' は、\nドライブのルートなので、\n中身を空にせずにコピーします。"});
        EXPECT_EQ(ListNames(dir / "drive"), (Lines{"old", "sv.5ch.net"}));
        EXPECT_EQ(ReadBytes(dir / "drive/sv.5ch.net/news/123.dat"), "posts") << root;
        EXPECT_EQ(SavedHandle(ini()), "0");
        ::unlink((dir / "drive/sv.5ch.net/news/123.dat").c_str());
    }
    for (const char* letter : {"q:", "p:", "m:", "d:"}) ::unlink((devices + letter).c_str());

    // The user's profile, as Windows names it, reached through drive Z:. (No
    // is the answer, should a question come.)
    const std::string users = std::string(std::getenv("WINEPREFIX")) + "/drive_c/users";
    std::string user;
    for (const std::string& name : ListNames(users)) {
        if (name != "Public") user = name;
    }
    ASSERT_FALSE(user.empty());
    Settings(1, "0", "0", "5");
    run = Run("\"" + WineSession::WinPath(users + "/" + user) + "\" " + kForm1, "N");
    EXPECT_EQ(run.Lines(), Lines{"Quenbrook [w] コピー先フォルダ '" + WineSession::WinPath(users + "/" + user) +
                                 "' は、\nシステムかユーザーのフォルダ 'C:\\users\\" + user +
                                 "' と重なっているので、\n中身を空にせずにコピーします。"});
}

// Paths past the 260 characters of a plain path: a root of 300 characters
// that the program makes, a root whose destination folder and files lie past
// 260, a log folder past 260. Each copies and shows the title; the notices
// name the root as it was given. (A box that wide reaches past the screen,
// where the robot cannot see its icon: its text is compared.)
TEST_F(WineTest, PathsPastTheOldLimitCopyAndShowTheTitle) {
    // A folder below `dir` whose Windows path has `length` characters.
    const auto deep = [&](std::string relative, std::size_t length) {
        while (W(relative).size() + 1 < length) {
            std::size_t n = std::min<std::size_t>(100, length - W(relative).size() - 1);
            if (length - W(relative).size() - 1 - n == 1) --n;
            relative += "/" + std::string(n, 'L');
        }
        return relative;
    };
    const std::string logs = deep("logs", 270);
    WriteThread(dir / (logs + "/5ch/news"), "123", "deep posts", "TITLE=deep\r\n");
    Thread("5ch/news", "123", "posts", "TITLE=t\r\n");
    const std::string r300 = deep("r300", 300);
    const std::string r256 = deep("r256", 256);
    MakeFolders(dir / r256);
    ASSERT_EQ(W(r300).size(), 300u);
    ASSERT_EQ(W(r256).size(), 256u);
    ASSERT_EQ(W(logs).size(), 270u);
    struct Case {
        std::string root, logs;
        Lines texts;
        const char* copy;
    };
    const Case cases[] = {
        {r300, "logs", {"Quenbrook: コピー先として指定されたフォルダ '" + W(r300) +
                            "' が存在しなかったので、\r\n新たに作成しました。",
                        "123 成功: 「t」 ＠ news"}, "posts"},
        {r256, "logs", {"123 成功: 「t」 ＠ news"}, "posts"},
        {"dest", logs, {"123 成功: 「deep」 ＠ news"}, "deep posts"},
    };
    for (const Case& c : cases) {
        SettingsText(W(c.logs)).WriteTo(ini());
        const WineRun run = Run("\"" + W(c.root) + "\" " + kForm1);
        Lines texts;
        for (const WineBox& box : run.boxes) texts.push_back(box.caption + ": " + box.text);
        EXPECT_EQ(texts, c.texts) << c.root;
        EXPECT_EQ(ReadBytes(dir / (c.root + "/5ch/news/123.dat")), c.copy) << c.root;
    }
}

// A question left open while the browser restarts: the run started after the
// restart waits for its turn, so the late yes of the first run empties the
// root before the second copies, and the second, finding the old browser's
// handle saved, asks for itself. Both copies stay; the new handle is saved.
// The second is started through a link to the program's folder: the same
// settings file, however its path is spelt, is the same turn.
TEST_F(WineTest, ALateYesAcrossABrowserRestartUndoesNothing) {
    ASSERT_EQ(::symlink((dir / "prog").c_str(), (dir / "proglink").c_str()), 0);
    Thread("sv.5ch.net/news", "123", "first", "TITLE=t\r\n");
    Thread("sv.5ch.net/news", "456", "second", "TITLE=t\r\n");
    MakeFolders(dir / "dest/old");
    std::string before, after;
    auto browser = WineSession::StartBrowser("TVelmarisForm", before);
    Settings(1, "0", "0", "0");
    const std::string gate = dir / "gate";
    WineRun late, next;
    std::thread first([&] { late = WineSession::Run(exe(), "Quenbrook.exe " + W("dest") + " " +
                                                               kForm1, "Y", "", gate); });
    for (int i = 0; i < 600 && !Exists(gate + ".asked"); ++i) ::usleep(50000);
    ASSERT_TRUE(Exists(gate + ".asked"));
    browser->Stop();
    auto restarted = WineSession::StartBrowser("TVelmarisForm", after);
    std::thread second([&] {
        next = WineSession::Run(dir / "proglink/Quenbrook.exe", "Quenbrook.exe " + W("dest") +
                                    " http://sv.5ch.net/test/read.cgi/news/456", "N");
    });
    ::sleep(2);
    WriteBytes(gate, "answer now");
    first.join();
    second.join();
    const std::string question = "Quenbrook [q] ログをコピーする前に、コピー先フォルダ '" + W("dest") +
                                 "' の中身を空にしますか？";
    EXPECT_EQ(late.Lines(), Lines{question});
    EXPECT_EQ(next.Lines(), Lines{question});
    EXPECT_EQ(ListNames(dir / "dest"), Lines{"sv.5ch.net"});
    EXPECT_EQ(ReadBytes(dir / "dest/sv.5ch.net/news/123.dat"), "first");
    EXPECT_EQ(ReadBytes(dir / "dest/sv.5ch.net/news/456.dat"), "second");
    EXPECT_EQ(SavedHandle(ini()), after);
    EXPECT_NE(after, before);
}

}  // namespace
