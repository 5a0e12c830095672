#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <optional>
#include <iostream>

#include "app/run_driver.h"
#include "base/folder_identity.h"
#include "browser_run/browser_run_check.h"
#include "locate/folder_facts.h"
#include "platform/posix/system_calls.h"
#include "support/sandbox.h"
#include "support/settings_text.h"
#include "support/system_faults.h"

namespace {

using namespace qbtest;
using Texts = std::vector<std::string>;

const char* kUrl = "http://sv.5ch.net/test/read.cgi/news/123";

class BrowserRunTest : public ::testing::Test {
protected:
    BrowserRunTest() {
        box.AddThread({"sv.5ch.net", "news", "123", "posts", "TITLE=t"});
        MakeFolders(box.root() + "/old/deeper");
        WriteBytes(box.root() + "/old/deeper/1.dat", "x");
        WriteBytes(box.root() + "/top.txt", "x");
    }

    std::string Question() const {
        return "ログをコピーする前に、コピー先フォルダ '" + box.root() + "' の中身を空にしますか？";
    }

    Sandbox box;
};

TEST_F(BrowserRunTest, TheHandleDecidesWhetherToAsk) {
    struct Case {
        std::string saved;
        std::uint32_t window;
        std::vector<bool> answers;
        bool asked;
        bool emptied;
        std::string saved_after;
    };
    const Case cases[] = {
        {"0", 0, {}, false, false, "0"},                     // equal, both 0
        {"777", 777, {}, false, false, "777"},               // equal
        {"777", 0, {true}, true, true, "0"},                 // browser gone, yes
        {"0", 4294967295u, {false}, true, false, "4294967295"},  // new run, no
        {"5", 6, {}, true, false, "6"},                      // no answer left: no
    };
    for (const Case& c : cases) {
        box.Settings(1, "0", "0", c.saved);
        box.ui.window = c.window;
        box.ui.answers.assign(c.answers.begin(), c.answers.end());
        EXPECT_EQ(box.Run({box.root(), kUrl}), 0);
        EXPECT_EQ(box.ui.looked_up.back(), "TVelmarisForm");
        if (c.asked) {
            ASSERT_EQ(box.Texts(), Texts{Question()}) << c.saved;
            EXPECT_EQ(box.ui.boxes[0].style, kQuestionStyle);
            EXPECT_EQ(box.ui.boxes[0].caption, "Quenbrook");
        } else {
            EXPECT_EQ(box.Texts(), Texts{}) << c.saved;
        }
        EXPECT_EQ(Exists(box.root() + "/top.txt"), !c.emptied);
        EXPECT_EQ(ListNames(box.root() + "/sv.5ch.net/news"),
                  (std::vector<std::string>{"123.dat", "123.inf"}));
        EXPECT_EQ(SavedHandle(box.ini()), c.saved_after);
        // Put the old content back for the next case.
        MakeFolders(box.root() + "/old/deeper");
        WriteBytes(box.root() + "/top.txt", "x");
    }
}

TEST_F(BrowserRunTest, GenerationTwoLooksForItsOwnWindowClass) {
    box.AddThread({"5ch", "news", "123", "posts", "TITLE=t"});
    box.Settings(2, "0", "0", "0");
    box.Run({box.root(), kUrl});
    EXPECT_EQ(box.ui.looked_up, Texts{"TVelmarisWindow"});
}

// Hidden entries are never emptied: a root that holds only those is empty.
TEST_F(BrowserRunTest, AnEmptyRootIsNotAskedAboutButTheHandleIsSaved) {
    MakeFolders(box.dir / "hidden-only/.config");
    for (const std::string& root : {box.dir / "empty-root", box.dir / "hidden-only"}) {
        MakeFolders(root);
        box.Settings(1, "0", "0", "0");
        box.ui.window = 42;
        EXPECT_EQ(box.Run({root, kUrl}), 0);
        EXPECT_EQ(box.Texts(), Texts{}) << root;
        EXPECT_EQ(SavedHandle(box.ini()), "42");
    }
}

// Inside the turn the handle is read again: a line that is gone or no
// longer holds a handle counts as a new browser run.
TEST_F(BrowserRunTest, TheHandleIsReadAgainInsideTheTurn) {
    const struct {
        std::string handle_line;
        bool is_new;
    } cases[] = {{"hwVelmWnd=0\r\n", false}, {"", true}, {"hwVelmWnd=x\r\n", true}};
    for (const auto& c : cases) {
        WriteBytes(box.ini(), "VelmVer=1\r\n" + c.handle_line);
        qb::Settings settings;
        settings.file = box.ini();
        settings.generation = 1;
        EXPECT_EQ(qb::NoticeBrowserRun(settings, box.ui).is_new, c.is_new) << c.handle_line;
    }
}

TEST_F(BrowserRunTest, AFailedCopyKeepsTheOldHandle) {
    box.Settings(1, "0", "0", "0");
    box.ui.window = 42;
    box.ui.answers = {false};
    WriteBytes(box.root() + "/sv.5ch.net", "in the way");
    box.Run({box.root(), kUrl});
    EXPECT_EQ(box.Texts().size(), 2u);
    EXPECT_EQ(SavedHandle(box.ini()), "0");
}

TEST_F(BrowserRunTest, EmptyingRemovesEverythingButTheRootAndHiddenEntries) {
    WriteBytes(box.root() + "/.hidden", "kept");
    MakeFolders(box.root() + "/withhidden/inner");
    WriteBytes(box.root() + "/withhidden/inner/.keep", "kept");
    box.Settings(1, "0", "0", "1");
    box.ui.answers = {true};
    box.Run({box.root(), kUrl});
    const Texts expected = {
        Question(),
        "フォルダ '" + box.root() + "/withhidden/inner' を削除できませんでした。",
        "フォルダ '" + box.root() + "/withhidden' を削除できませんでした。",
    };
    EXPECT_EQ(box.Texts(), expected);
    EXPECT_EQ(ListNames(box.root()),
              (Texts{".hidden", "sv.5ch.net", "withhidden"}));
    EXPECT_TRUE(Exists(box.root() + "/withhidden/inner/.keep"));
}

TEST_F(BrowserRunTest, ALinkIsRemovedAsALinkAndNeverEntered) {
    const std::string outside = box.dir / "outside";
    MakeFolders(outside + "/sub");
    WriteBytes(outside + "/sub/precious.txt", "keep me");
    WriteBytes(outside + "/file.txt", "keep me too");
    ASSERT_EQ(::symlink(outside.c_str(), (box.root() + "/link").c_str()), 0);
    ASSERT_EQ(::symlink((outside + "/file.txt").c_str(), (box.root() + "/flink").c_str()), 0);
    ASSERT_EQ(::symlink("/nonexistent", (box.root() + "/dangling").c_str()), 0);
    // A folder whose link is removed first still goes to the trash whole.
    MakeFolders(box.root() + "/holder");
    ASSERT_EQ(::symlink(outside.c_str(), (box.root() + "/holder/link").c_str()), 0);
    box.Settings(1, "0", "0", "1");
    box.ui.answers = {true};
    box.Run({box.root(), kUrl});
    EXPECT_EQ(box.Texts(), Texts{Question()});
    EXPECT_EQ(ListNames(box.root()), Texts{"sv.5ch.net"});
    EXPECT_EQ(ReadBytes(outside + "/sub/precious.txt"), "keep me");
    EXPECT_EQ(ReadBytes(outside + "/file.txt"), "keep me too");
    EXPECT_EQ(TrashedPaths(box.data()),
              (Texts{box.root() + "/holder", box.root() + "/old", box.root() + "/top.txt"}));
    EXPECT_EQ(ListNames(box.data() + "/Trash/files/holder"), Texts{});
    // A link that stays keeps its folder out of the trash: the folder stays
    // with its notice, and nothing below it is moved.
    MakeFolders(box.root() + "/stays");
    ASSERT_EQ(::symlink(outside.c_str(), (box.root() + "/stays/link").c_str()), 0);
    SystemFaults faults;
    faults.Fail(Call::kRemove, "/stays/link", EPERM);
    box.Settings(1, "0", "0", "1");
    box.ui.answers = {true};
    box.Run({box.root(), kUrl});
    EXPECT_EQ(box.Texts(), (Texts{Question(),
                                  "ファイル '" + box.root() + "/stays/link' を削除できませんでした。",
                                  "フォルダ '" + box.root() + "/stays' を削除できませんでした。"}));
    EXPECT_EQ(ListNames(box.root()), (Texts{"stays", "sv.5ch.net"}));
    EXPECT_EQ(TrashedPaths(box.data()),  // and the copy of the run before
              (Texts{box.root() + "/holder", box.root() + "/old", box.root() + "/sv.5ch.net",
                     box.root() + "/top.txt"}));
    EXPECT_EQ(ReadBytes(outside + "/sub/precious.txt"), "keep me");
}

// A file of the root that another program makes a folder while the walk is
// below another entry was never looked into: it stays, with its notice, and
// nothing in it goes to the trash.
TEST_F(BrowserRunTest, AnEntryThatBecameAFolderMeanwhileStays) {
    static std::string changed;
    changed = box.root() + "/top.txt";
    const qb::SystemCalls saved = qb::System();
    qb::System().openat = [](int dir, const char* name, int flags, mode_t mode) {
        if (std::string(name) == "old" && !changed.empty()) {
            ::unlink(changed.c_str());
            MakeFolders(changed);
            WriteBytes(changed + "/.keep", "kept");
            changed.clear();
        }
        return qb::library::openat(dir, name, flags, mode);
    };
    box.Settings(1, "0", "0", "1");
    box.ui.answers = {true};
    box.Run({box.root(), kUrl});
    qb::System() = saved;
    EXPECT_EQ(box.Texts(), (Texts{Question(), "ファイル '" + box.root() + "/top.txt' を削除できませんでした。"}));
    EXPECT_EQ(ReadBytes(box.root() + "/top.txt/.keep"), "kept");
    EXPECT_EQ(TrashedPaths(box.data()), Texts{box.root() + "/old"});
}

// A file that cannot be removed (read-only, in use): one notice for it and
// one for each folder between it and the root, whether it is removed for good
// from the start or the bin did not take the folder that holds it.
TEST_F(BrowserRunTest, AFileThatCannotBeRemoved) {
    const std::string stuck = box.root() + "/old/deeper/1.dat";
    const Texts removed_for_good = {
        Question(),
        "ファイル '" + stuck + "' を削除できませんでした。",
        "フォルダ '" + box.root() + "/old/deeper' を削除できませんでした。",
        "フォルダ '" + box.root() + "/old' を削除できませんでした。",
    };
    const struct {
        const char* what;
        std::string extra_line;  // in the settings file
        int rename_error;        // of a move into the trash
        std::string refused;     // the moves that fail with it
        Texts trashed;
        Texts notices;
    } cases[] = {
        {"without the bin", "UseRcyBin=0\r\n", 0, "", {}, removed_for_good},
        // The copy of the case before goes too; the folder the trash failed
        // to take stays whole, never removed for good in its place.
        {"the folder's move refused", "", EIO, "/files/old",
         {box.root() + "/sv.5ch.net", box.root() + "/top.txt"},
         {Question(), "フォルダ '" + box.root() + "/old' を削除できませんでした。"}},
        {"the trash on another file system", "", EXDEV, "/files/", {}, removed_for_good},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ScopedVariable data_home("XDG_DATA_HOME", box.dir / ("data" + std::to_string(++n)));
        WriteBytes(box.root() + "/top.txt", "x");
        SystemFaults faults;
        faults.Fail(Call::kRemove, stuck, EPERM);
        if (c.rename_error != 0) faults.Fail(Call::kRename, "/Trash" + c.refused, c.rename_error);
        box.Settings(1, "0", "0", "1");
        WriteBytes(box.ini(), ReadBytes(box.ini()) + c.extra_line);
        box.ui.answers = {true};
        box.Run({box.root(), kUrl});
        EXPECT_EQ(box.Texts(), c.notices);
        EXPECT_EQ(ListNames(box.root()), (Texts{"old", "sv.5ch.net"}));
        EXPECT_EQ(TrashedPaths(box.dir / ("data" + std::to_string(n))), c.trashed);
        EXPECT_EQ(ReadBytes(box.root() + "/sv.5ch.net/news/123.dat"), "posts");  // copy went on
    }
}

TEST_F(BrowserRunTest, ARootOverlappingTheLogFolderIsNeverEmptied) {
    ASSERT_EQ(::symlink(box.logs().c_str(), (box.dir / "loglink").c_str()), 0);
    ASSERT_EQ(::symlink(box.dir.path().c_str(), (box.dir / "toplink").c_str()), 0);
    struct Case {
        std::string root;   // as given
        std::string shown;  // as the notice names it
    };
    const Case cases[] = {
        {box.logs(), box.logs()},                                        // the log folder itself
        {box.dir.path(), box.dir.path()},                                // holds it
        {box.logs() + "/sv.5ch.net", box.logs() + "/sv.5ch.net"},        // lies inside it
        {box.logs() + "/../logs/", box.logs() + "/../logs"},             // '..', trailing separator
        {box.logs() + "/./", box.logs() + "/."},                         // '.'
        {box.logs() + "//", box.logs() + "/"},                           // two separators
        {box.dir / "loglink", box.dir / "loglink"},                      // a link to it
        {box.dir / "toplink/logs/sv.5ch.net", box.dir / "toplink/logs/sv.5ch.net"},  // through a link
        {"logs", "logs"},                                                // relative to the current folder
    };
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(::chdir(box.dir.path().c_str()), 0);
    for (const Case& c : cases) {
        box.Settings(1, "1", "0", "1");  // '_' folders: never the log files themselves
        box.ui.answers = {true};
        EXPECT_EQ(box.Run({c.root, kUrl}), 0);
        ASSERT_EQ(box.Texts().size(), 1u) << c.root;
        EXPECT_EQ(box.Texts()[0], "コピー先フォルダ '" + c.shown + "' は、\r\nログフォルダ '" +
                                      box.logs() +
                                      "' と重なっているので、\r\n中身を空にせずにコピーします。");
        EXPECT_EQ(box.ui.boxes[0].style, kWarningStyle);
        EXPECT_EQ(ReadBytes(box.logs() + "/sv.5ch.net/news/123.dat"), "posts");
        EXPECT_EQ(box.ui.answers.size(), 1u);  // nothing was asked
        EXPECT_EQ(SavedHandle(box.ini()), "0");  // the copy went on
    }
    ASSERT_EQ(::chdir(cwd), 0);
    // Without '_' folders a root that is the log folder holds the copies
    // already: nothing is copied or reported, the handle is saved and the
    // title shown, and the log files are the browser's own, never replaced.
    box.Settings(1, "0", "1", "1");
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string leftover =
        box.logs() + "/sv.5ch.net/news/123.dat." + std::to_string(gone) + "-1.tmp";
    WriteBytes(leftover, "named like a leftover of a killed copy");
    struct stat before, after;
    ASSERT_EQ(::stat((box.logs() + "/sv.5ch.net/news/123.inf").c_str(), &before), 0);
    box.Run({box.logs(), kUrl});
    ASSERT_EQ(box.Texts().size(), 2u);
    EXPECT_EQ(box.Texts()[1], "「t」 ＠ news");
    EXPECT_EQ(SavedHandle(box.ini()), "0");
    ASSERT_EQ(::stat((box.logs() + "/sv.5ch.net/news/123.inf").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(ReadBytes(box.logs() + "/sv.5ch.net/news/123.dat"), "posts");
    EXPECT_TRUE(Exists(leftover));  // nothing is written there, so nothing cleaned up
    // A sibling whose name merely starts the same is no overlap.
    MakeFolders(box.logs() + "2");
    WriteBytes(box.logs() + "2/x", "x");
    box.Settings(1, "0", "0", "1");
    box.ui.answers = {true};
    box.Run({box.logs() + "2", kUrl});
    EXPECT_EQ(box.Texts(), Texts{"ログをコピーする前に、コピー先フォルダ '" + box.logs() +
                                 "2' の中身を空にしますか？"});
}

// The program's folder holds the settings file (and, here, the program):
// a root that is it or holds it is never emptied either.
TEST_F(BrowserRunTest, ARootOverlappingTheProgramFolderIsNeverEmptied) {
    const std::string app = box.dir / "app";
    const std::string bin = app + "/bin";
    MakeFolders(bin);
    WriteBytes(bin + "/Quenbrook", "program");
    ASSERT_EQ(::symlink(bin.c_str(), (box.dir / "binlink").c_str()), 0);
    for (const std::string& root : {app, bin, box.dir / "binlink"}) {
        box.Settings(1, "0", "0", "1");
        WriteBytes(bin + "/Quenbrook.ini", ReadBytes(box.ini()));
        box.ui.answers = {true};
        box.ui.boxes.clear();
        EXPECT_EQ(RunQuenbrook({root, kUrl}, bin + "/Quenbrook", box.ui), 0);
        EXPECT_EQ(box.Texts(), Texts{"コピー先フォルダ '" + root +
                                     "' は、\r\nプログラムのフォルダ '" + bin +
                                     "' と重なっているので、\r\n中身を空にせずにコピーします。"})
            << root;
        EXPECT_EQ(box.ui.boxes[0].style, kWarningStyle);
        EXPECT_EQ(ReadBytes(bin + "/Quenbrook"), "program");
        EXPECT_EQ(SavedHandle(bin + "/Quenbrook.ini"), "0");
        EXPECT_EQ(ReadBytes(root + "/sv.5ch.net/news/123.dat"), "posts");  // the copy went on
    }
}

// `text` with ROOT for the sandbox's destination root and DIR for its folder.
std::string Filled(const std::string& text, const Sandbox& box) {
    std::string filled;
    for (std::size_t at = 0; at < text.size();) {
        if (text.compare(at, 4, "ROOT") == 0) {
            filled += box.root();
            at += 4;
        } else if (text.compare(at, 3, "DIR") == 0) {
            filled += box.dir.path();
            at += 3;
        } else {
            filled += text[at++];
        }
    }
    return filled;
}

std::string Repeated(const std::string& text, int times) {
    std::string all;
    while (times-- > 0) all += text;
    return all;
}

// Folders that must stay, whatever setup leads the emptying to them: each
// case is a setup a user may have and the boxes it must give (ROOT stands
// for the destination root, DIR for the folder around it). A warning means
// nothing is asked and nothing deleted; an entry that must stay, reached
// from inside the root, is named once and left whole, and the rest goes to
// the trash, a folder whole when nothing in it stays. The copy is made every
// time.
TEST(EmptyingGuardTest, TheEmptyingNeverReachesWhatMustStay) {
    const char* const kept_home = std::getenv("HOME");
    const std::string home = kept_home ? kept_home : "";
    const ScopedVariable config_home("XDG_CONFIG_HOME", "");  // not absolute: ignored
    const std::string overlap = "コピー先フォルダ 'ROOT' は、\r\n";
    const std::string no_emptying = "\r\n中身を空にせずにコピーします。";
    struct Case {
        const char* what;
        std::function<bool(Sandbox&)> prepare;  // false: cannot be set up here
        Texts boxes;  // after the question, or the warning alone
        bool asked;
        Texts left;   // what the root holds afterwards
        Texts trashed = {};  // the trash's entries by their original paths
        std::string board = "news";
        // Run again where a listing's numbers are not the entries' own.
        bool numbers_matter = false;
        std::string unopenable = "";  // a folder no run may open (no permission)
    };
    const Texts both = {"ROOT/old", "ROOT/top.txt"};  // the root's own entries, whole
    const Case cases[] = {
        {"the settings file is a link to a file in the root",
         [](Sandbox& box) {
             MakeFolders(box.root() + "/conf");
             WriteBytes(box.root() + "/conf/Quenbrook.ini", ReadBytes(box.ini()));
             ::unlink(box.ini().c_str());
             return ::symlink((box.root() + "/conf/Quenbrook.ini").c_str(), box.ini().c_str()) == 0;
         },
         {"フォルダ 'ROOT/conf' を削除できませんでした。"}, true, {"conf", "sv.5ch.net"}, both},
        {"the board's logs are kept in the root, through a link in the log folder",
         [](Sandbox& box) {
             const std::string site = box.logs() + "/sv.5ch.net";
             return ::rename(site.c_str(), (box.root() + "/boardlogs").c_str()) == 0 &&
                    ::symlink((box.root() + "/boardlogs").c_str(), site.c_str()) == 0;
         },
         {"フォルダ 'ROOT/boardlogs' を削除できませんでした。"}, true, {"boardlogs", "sv.5ch.net"},
         both},
        {"the same, the board's name holding a ':', which names no drive",
         [](Sandbox& box) {
             const std::string site = box.logs() + "/sv.5ch.net";
             MakeFolders(site + "/news");
             WriteBytes(site + "/news/9.dat", "another board's thread");
             return ::rename(site.c_str(), (box.root() + "/boardlogs").c_str()) == 0 &&
                    ::symlink((box.root() + "/boardlogs").c_str(), site.c_str()) == 0;
         },
         {"フォルダ 'ROOT/boardlogs' を削除できませんでした。"}, true, {"boardlogs", "sv.5ch.net"},
         both, "a:b"},
        {"a root inside the program's folder is emptied like any other",
         [](Sandbox& box) {
             const std::string inside = box.dir / "prog/copies";
             return ::rename(box.root().c_str(), inside.c_str()) == 0 &&
                    ::symlink(inside.c_str(), box.root().c_str()) == 0;
         },
         {}, true, {"sv.5ch.net"}, {"DIR/prog/copies/old", "DIR/prog/copies/top.txt"}},
        {"$HOME is the root",
         [](Sandbox& box) { return ::setenv("HOME", box.root().c_str(), 1) == 0; },
         {overlap + "システムかユーザーのフォルダ 'ROOT' と重なっているので、" + no_emptying}, false,
         {"old", "sv.5ch.net", "top.txt"}},
        {"$HOME lies inside the root",
         [](Sandbox& box) { return ::setenv("HOME", (box.root() + "/old").c_str(), 1) == 0; },
         {overlap + "システムかユーザーのフォルダ 'ROOT/old' と重なっているので、" + no_emptying},
         false, {"old", "sv.5ch.net", "top.txt"}},
        {"a root inside $HOME is emptied",
         [](Sandbox& box) { return ::setenv("HOME", box.dir.path().c_str(), 1) == 0; },
         {}, true, {"sv.5ch.net"}, both},
        {"a mount point as the root",
         [](Sandbox& box) {
             if (::mount("tmpfs", box.root().c_str(), "tmpfs", 0, "size=1m") != 0) return false;
             WriteBytes(box.root() + "/top.txt", "x");
             return true;
         },
         {overlap + "ドライブのルートなので、" + no_emptying}, false, {"sv.5ch.net", "top.txt"}},
        {"$HOME inside the root, named through a bind mount elsewhere, whose walk up stops",
         [](Sandbox& box) {
             MakeFolders(box.dir / "bind");
             return ::mount((box.root() + "/old").c_str(), (box.dir / "bind").c_str(), nullptr,
                            MS_BIND, nullptr) == 0 &&
                    ::setenv("HOME", (box.dir / "bind/deeper").c_str(), 1) == 0;
         },
         {"フォルダ 'ROOT/old/deeper' を削除できませんでした。",
          "フォルダ 'ROOT/old' を削除できませんでした。"}, true, {"old", "sv.5ch.net"},
         {"ROOT/top.txt"}},
        {"another board's folder of the log folder is a link to a folder in the root",
         [](Sandbox& box) {
             MakeFolders(box.root() + "/moved/board");
             WriteBytes(box.root() + "/moved/board/9.dat", "another board's thread");
             return ::symlink((box.root() + "/moved/board").c_str(),
                              (box.logs() + "/sv.5ch.net/other").c_str()) == 0;
         },
         {"フォルダ 'ROOT/moved/board' を削除できませんでした。",
          "フォルダ 'ROOT/moved' を削除できませんでした。"}, true, {"moved", "sv.5ch.net"}, both},
        {"another site's folder of the log folder is a link to a folder in the root",
         [](Sandbox& box) {
             MakeFolders(box.root() + "/site/board");
             WriteBytes(box.root() + "/site/board/9.dat", "another site's thread");
             return ::symlink((box.root() + "/site").c_str(),
                              (box.logs() + "/other.example.com").c_str()) == 0;
         },
         {"フォルダ 'ROOT/site' を削除できませんでした。"}, true, {"site", "sv.5ch.net"}, both},
        {"an empty board's folder in the root, linked from the log folder, that cannot be opened",
         [](Sandbox& box) {
             MakeFolders(box.root() + "/moved/empty");
             return ::symlink((box.root() + "/moved/empty").c_str(),
                              (box.logs() + "/sv.5ch.net/other").c_str()) == 0;
         },
         {"フォルダ 'ROOT/moved/empty' を削除できませんでした。",
          "フォルダ 'ROOT/moved' を削除できませんでした。"}, true, {"moved", "sv.5ch.net"}, both,
         "news", true, "/dest/moved/empty"},
        {"this thread's .dat is a link to a file in the root",
         [](Sandbox& box) {
             const std::string dat = box.logs() + "/sv.5ch.net/news/123.dat";
             MakeFolders(box.root() + "/keep");
             return ::rename(dat.c_str(), (box.root() + "/keep/123.dat").c_str()) == 0 &&
                    ::symlink((box.root() + "/keep/123.dat").c_str(), dat.c_str()) == 0;
         },
         {"ファイル 'ROOT/keep/123.dat' を削除できませんでした。",
          "フォルダ 'ROOT/keep' を削除できませんでした。"}, true, {"keep", "sv.5ch.net"}, both,
         "news", true},
        {"this thread's .inf is a link to a link in the root to the real file outside",
         [](Sandbox& box) {
             const std::string inf = box.logs() + "/sv.5ch.net/news/123.inf";
             MakeFolders(box.dir / "real");
             return ::rename(inf.c_str(), (box.dir / "real/123.inf").c_str()) == 0 &&
                    ::symlink((box.dir / "real/123.inf").c_str(), (box.root() + "/inner.inf").c_str()) == 0 &&
                    ::symlink((box.root() + "/inner.inf").c_str(), inf.c_str()) == 0;
         },
         {"ファイル 'ROOT/inner.inf' を削除できませんでした。"}, true, {"inner.inf", "sv.5ch.net"},
         both, "news", true},
        {"this thread's .dat is a link to a link in the root to the real file outside",
         [](Sandbox& box) {
             const std::string dat = box.logs() + "/sv.5ch.net/news/123.dat";
             MakeFolders(box.dir / "real");
             return ::rename(dat.c_str(), (box.dir / "real/123.dat").c_str()) == 0 &&
                    ::symlink((box.dir / "real/123.dat").c_str(), (box.root() + "/inner.dat").c_str()) == 0 &&
                    ::symlink((box.root() + "/inner.dat").c_str(), dat.c_str()) == 0;
         },
         {"ファイル 'ROOT/inner.dat' を削除できませんでした。"}, true, {"inner.dat", "sv.5ch.net"},
         both, "news", true},
        {"a hard link in the root to this thread's plain .dat goes: the log stays",
         [](Sandbox& box) {
             return ::link((box.logs() + "/sv.5ch.net/news/123.dat").c_str(),
                           (box.root() + "/hard.dat").c_str()) == 0;
         },
         {}, true, {"sv.5ch.net"}, {"ROOT/hard.dat", "ROOT/old", "ROOT/top.txt"}},
        {"the settings file is a link to a link in the root to the real file outside",
         [](Sandbox& box) {
             MakeFolders(box.dir / "real");
             WriteBytes(box.dir / "real/Quenbrook.ini", ReadBytes(box.ini()));
             ::unlink(box.ini().c_str());
             return ::symlink((box.dir / "real/Quenbrook.ini").c_str(),
                              (box.root() + "/inner.ini").c_str()) == 0 &&
                    ::symlink((box.root() + "/inner.ini").c_str(), box.ini().c_str()) == 0;
         },
         {"ファイル 'ROOT/inner.ini' を削除できませんでした。"}, true, {"inner.ini", "sv.5ch.net"},
         both, "news", true},
        {"the root is the folder of the settings file's final target",
         [](Sandbox& box) {
             WriteBytes(box.root() + "/Quenbrook.ini", ReadBytes(box.ini()));
             ::unlink(box.ini().c_str());
             return ::symlink((box.root() + "/Quenbrook.ini").c_str(), box.ini().c_str()) == 0;
         },
         {overlap + "設定ファイル 'ROOT/Quenbrook.ini' のあるフォルダなので、" + no_emptying}, false,
         {"Quenbrook.ini", "old", "sv.5ch.net", "top.txt"}},
        {"the root is another board's folder, linked from the log folder",
         [](Sandbox& box) {
             return ::symlink(box.root().c_str(), (box.logs() + "/sv.5ch.net/other").c_str()) == 0;
         },
         {overlap + "ログフォルダ 'DIR/logs' と重なっているので、" + no_emptying}, false,
         {"old", "sv.5ch.net", "top.txt"}},
        {"the root lies inside a board's folder linked from the log folder",
         [](Sandbox& box) {
             return ::symlink(box.dir.path().c_str(), (box.logs() + "/sv.5ch.net/other").c_str()) == 0;
         },
         {overlap + "ログフォルダ 'DIR/logs' と重なっているので、" + no_emptying}, false,
         {"old", "sv.5ch.net", "top.txt"}},
        {"a root inside $XDG_DATA_HOME",
         [](Sandbox& box) { return ::setenv("XDG_DATA_HOME", box.dir.path().c_str(), 1) == 0; },
         {overlap + "システムかユーザーのフォルダ 'DIR' と重なっているので、" + no_emptying}, false,
         {"old", "sv.5ch.net", "top.txt"}},
        {"a root inside $XDG_CONFIG_HOME",
         [](Sandbox& box) { return ::setenv("XDG_CONFIG_HOME", box.dir.path().c_str(), 1) == 0; },
         {overlap + "システムかユーザーのフォルダ 'DIR' と重なっているので、" + no_emptying}, false,
         {"old", "sv.5ch.net", "top.txt"}},
        {"a root inside the trash, which a link leads to",
         [](Sandbox& box) {
             MakeFolders(box.dir / "xdg");
             return ::symlink(box.dir.path().c_str(), (box.dir / "xdg/Trash").c_str()) == 0 &&
                    ::setenv("XDG_DATA_HOME", (box.dir / "xdg").c_str(), 1) == 0;
         },
         {overlap + "システムかユーザーのフォルダ 'DIR/xdg/Trash' と重なっているので、" +
          no_emptying}, false, {"old", "sv.5ch.net", "top.txt"}},
        {"a folder holding a hidden file is walked: the rest goes, the folder stays",
         [](Sandbox& box) {
             WriteBytes(box.root() + "/old/.hidden", "x");
             WriteBytes(box.root() + "/old/メモ 1%.txt", "x");
             return true;
         },
         {"フォルダ 'ROOT/old' を削除できませんでした。"}, true, {"old", "sv.5ch.net"},
         {"ROOT/old/%E3%83%A1%E3%83%A2%201%25.txt", "ROOT/old/deeper", "ROOT/top.txt"}},
        {"a name no text holds, too long for the trash to keep whole, goes all the same",
         [](Sandbox& box) {
             WriteBytes(box.root() + "/" + std::string(255, '\x80'), "x");
             return true;
         },
         {}, true, {"sv.5ch.net"}, {"ROOT/" + Repeated("%80", 255), "ROOT/old", "ROOT/top.txt"}},
    };
    std::vector<std::pair<const Case&, bool>> runs;
    for (const Case& c : cases) {
        runs.push_back({c, false});
        if (c.numbers_matter) runs.push_back({c, true});
    }
    for (const auto& [c, other_numbers] : runs) {
        SCOPED_TRACE(std::string(c.what) + (other_numbers ? ", the listing's numbers not own" : ""));
        Sandbox box;
        box.AddThread({"sv.5ch.net", c.board, "123", "posts", "TITLE=t"});
        MakeFolders(box.root() + "/old/deeper");
        WriteBytes(box.root() + "/top.txt", "x");
        box.Settings(1, "0", "0", "1");
        if (!c.prepare(box)) {
            std::cout << "[ SKIPPED  ] " << c.what << ": cannot be set up here\n";
            continue;
        }
        box.ui.answers = {true};
        std::optional<SystemFaults> faults;
        if (other_numbers || !c.unopenable.empty()) faults.emplace();
        if (other_numbers) faults->ListOtherNumbers();
        if (!c.unopenable.empty()) faults->Fail(Call::kOpenToRead, c.unopenable, EACCES);
        EXPECT_EQ(box.Run({box.root(), "http://sv.5ch.net/test/read.cgi/" + c.board + "/123"}), 0);
        faults.reset();
        ::setenv("HOME", home.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", "", 1);
        ::setenv("XDG_DATA_HOME", box.data().c_str(), 1);
        Texts expected;
        if (c.asked) {
            expected.push_back("ログをコピーする前に、コピー先フォルダ '" + box.root() +
                               "' の中身を空にしますか？");
        }
        for (const std::string& text : c.boxes) expected.push_back(Filled(text, box));
        EXPECT_EQ(box.Texts(), expected);
        EXPECT_EQ(ListNames(box.root()), c.left);
        Texts trashed;
        for (const std::string& path : c.trashed) trashed.push_back(Filled(path, box));
        EXPECT_EQ(TrashedPaths(box.data()), trashed);
        EXPECT_EQ(ReadBytes(box.logs() + "/sv.5ch.net/" + c.board + "/123.dat"), "posts");
        EXPECT_EQ(ReadBytes(box.root() + "/sv.5ch.net/" + c.board + "/123.dat"), "posts");
        EXPECT_EQ(SavedHandle(box.ini()), "0");
        ::umount2(box.root().c_str(), MNT_DETACH);
        ::umount2((box.dir / "bind").c_str(), MNT_DETACH);
    }
}

// A key holding a separator leads the log files below the board's folder:
// the folders on the way are kept too, wherever a link there leads.
TEST(EmptyingGuardTest, TheFoldersDownToTheLogFilesAreKept) {
    TempFolder dir;
    MakeFolders(dir / "logs/5ch/news/sub");
    qb::Places places;
    places.log_folder = dir / "logs";
    places.program_folder = dir.path();
    places.source_folder = dir / "logs/5ch/news";
    places.source_dat = dir / "logs/5ch/news/sub\\123.dat";
    const std::vector<qb::FolderId> kept =
        qb::FolderFacts(places, dir / "Quenbrook.ini").Kept().folders;
    qb::FolderId sub;
    ASSERT_TRUE(qb::FolderIdAt(dir / "logs/5ch/news/sub", sub));
    EXPECT_NE(std::find(kept.begin(), kept.end(), sub), kept.end());
}

// Two runs in the same browser run: the first asks and waits; the second
// asks too, is answered yes, copies and saves the handle; then the first is
// answered yes. It must not delete what the second copied.
TEST_F(BrowserRunTest, AYesAfterAnotherRunSavedTheHandleDeletesNothing) {
    box.Settings(1, "0", "0", "1");
    box.ui.window = 42;
    box.ui.answers = {true};
    bool second_ran = false;
    box.ui.while_asking = [&] {
        box.ui.while_asking = nullptr;
        qbtest::FakeUserFacing second;
        second.window = 42;
        second.answers = {true};
        EXPECT_EQ(RunQuenbrook({box.root(), kUrl}, box.program(), second), 0);
        EXPECT_EQ(second.boxes.size(), 1u);  // its own question
        second_ran = true;
    };
    EXPECT_EQ(box.Run({box.root(), kUrl}), 0);
    ASSERT_TRUE(second_ran);
    EXPECT_EQ(box.Texts(), Texts{Question()});  // no notice of its own
    EXPECT_EQ(ListNames(box.root()), Texts{"sv.5ch.net"});
    EXPECT_EQ(ReadBytes(box.root() + "/sv.5ch.net/news/123.dat"), "posts");
    // What the second run emptied, and not its copy, which the first run
    // would copy again byte for byte.
    EXPECT_EQ(TrashedPaths(box.data()), (Texts{box.root() + "/old", box.root() + "/top.txt"}));
    EXPECT_EQ(SavedHandle(box.ini()), "42");
    // A handle saved meanwhile that is another one does not hold the yes back.
    MakeFolders(box.root() + "/old");
    box.Settings(1, "0", "0", "1");
    box.ui.window = 43;
    box.ui.answers = {true};
    box.ui.while_asking = [&] { box.Settings(1, "0", "0", "7"); };
    box.Run({box.root(), kUrl});
    EXPECT_FALSE(Exists(box.root() + "/old"));
}

TEST(RelateTest, SameInsideHoldsApartOrUnknown) {
    using qb::Relation;
    const qb::FolderId a{1, 10}, b{1, 11}, top{1, 2}, other{2, 10};
    const struct {
        qb::FolderPlace x, y;
        Relation relation;
    } cases[] = {
        {{{a, top}, true}, {{a, top}, true}, Relation::kSame},
        {{{a, top}, true}, {{top}, true}, Relation::kInside},
        {{{top}, true}, {{b, top}, true}, Relation::kHolds},
        {{{a, top}, true}, {{b, top}, true}, Relation::kApart},    // siblings
        {{{a, top}, true}, {{other}, true}, Relation::kApart},     // same index, other volume
        {{{a}, false}, {{b, top}, true}, Relation::kUnknown},      // a's parents unknown
        {{{a, top}, false}, {{top}, false}, Relation::kInside},    // found before the walk stopped
        {{{}, false}, {{b, top}, true}, Relation::kUnknown},       // a could not be opened
    };
    for (const auto& c : cases) EXPECT_EQ(qb::Relate(c.x, c.y), c.relation);
}

}  // namespace
