// Failures of the system during whole runs, made through the POSIX
// platform's system-call table so that they happen for every user, root
// included. For each: what the user sees, the exit code, and that nothing
// is lost (the settings file and the log folder byte-identical unless the
// run succeeded, an earlier copy whole, no temporary file left).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <iconv.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <map>

#include "app/run_driver.h"
#include "base/run_turn.h"
#include "platform/posix/system_calls.h"
#include "platform/program.h"
#include "support/sandbox.h"
#include "support/settings_text.h"
#include "support/system_faults.h"

namespace {

using namespace qbtest;
using Texts = std::vector<std::string>;
using Tree = std::map<std::string, std::string>;

const char* kUrl = "http://sv.5ch.net/test/read.cgi/news/123";
const std::string kPosts(200000, 'd');

class SystemFaultTest : public ::testing::Test {
protected:
    SystemFaultTest() {
        box.AddThread({"sv.5ch.net", "news", "123", kPosts, "TITLE=t\r\n"});
    }

    // Generation 1, no title; with handle 5 a new browser run (none is
    // found now), so that a whole copy rewrites the file.
    std::string SettingsBytes(const std::string& handle = "5") const {
        return SettingsText(box.logs()).Generation("1").ShowTitle("0").Handle(handle).Bytes() +
               "User=keep me\r\n";
    }

    std::string Copies() const { return box.root() + "/sv.5ch.net/news"; }

    Sandbox box;
};

// The one box of `run`: the failure report with `message`.
void ExpectFailureReport(const Sandbox& run, const std::string& message) {
    ASSERT_EQ(run.ui.boxes.size(), 1u) << testing::PrintToString(run.Texts());
    EXPECT_EQ(Utf8(run.ui.boxes[0].caption), "アプリケーション エラー");
    EXPECT_EQ(run.ui.boxes[0].style, kFailureReportStyle);
    const std::string text = run.Texts()[0];
    EXPECT_EQ(text.rfind("EInOutErrorがモジュール Quenbrook の ", 0), 0u) << text;
    EXPECT_NE(text.find(" で発生しました。\n" + message), std::string::npos) << text;
}

// The copy fails: the notice, exit code 0, the earlier copy whole, the
// settings file unchanged (the handle is saved only after a whole copy).
TEST_F(SystemFaultTest, ACopyThatFailsLeavesTheEarlierCopyWhole) {
    struct Case {
        const char* what;
        std::function<void(SystemFaults&, const std::string& copies)> fault;
        bool dat_replaced;  // the .inf failed after the .dat was in place
    };
    const Case cases[] = {
        {"disk full", [](SystemFaults& f, const std::string& c) { f.FillDisk(c); }, false},
        {"I/O error on the flush",
         [](SystemFaults& f, const std::string& c) { f.Fail(Call::kFlush, c, EIO); }, false},
        {"new files refused",
         [](SystemFaults& f, const std::string& c) { f.Fail(Call::kCreate, c, EACCES); }, false},
        {"the copy cannot be named",
         [](SystemFaults& f, const std::string& c) { f.Fail(Call::kLink, c, EIO); }, false},
        {"rename refused",
         [](SystemFaults& f, const std::string& c) { f.Fail(Call::kRename, c + "/123.inf", EIO); },
         true},
    };
    WriteBytes(box.ini(), SettingsBytes());
    const std::string before = ReadBytes(box.ini());
    const Tree source = Snapshot(box.logs());
    MakeFolders(Copies());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(Copies() + "/123.dat", "the earlier copy");
        WriteBytes(Copies() + "/123.inf", "TITLE=earlier");
        SystemFaults faults;
        c.fault(faults, Copies());
        EXPECT_EQ(box.Run({box.root(), kUrl}), 0);
        EXPECT_GT(faults.failures(), 0);
        // Asked first, since the root holds the earlier copy (and answered no).
        EXPECT_EQ(box.Texts(), (Texts{"ログをコピーする前に、コピー先フォルダ '" + box.root() +
                                          "' の中身を空にしますか？",
                                      "ログファイルのコピー中に、エラーが発生しました。"}));
        ASSERT_EQ(box.ui.boxes.size(), 2u);
        EXPECT_EQ(box.ui.boxes[1].style, kErrorStyle);
        EXPECT_EQ(ListNames(Copies()), (Texts{"123.dat", "123.inf"}));  // no half-written copy
        EXPECT_EQ(ReadBytes(Copies() + "/123.dat"), c.dat_replaced ? kPosts : "the earlier copy");
        EXPECT_EQ(ReadBytes(Copies() + "/123.inf"), "TITLE=earlier");
        EXPECT_EQ(ReadBytes(box.ini()), before);
        EXPECT_EQ(Snapshot(box.logs()), source);
    }
}

// The handle write-back fails after a whole copy: the failure report, exit
// code 1, the copy made, the settings file byte-identical, no temporary file.
TEST_F(SystemFaultTest, AFailedWriteBackLeavesTheSettingsFileAsItWas) {
    // Lines ending in a lone CR grow when they come back with CR LF, so that
    // the file rewritten in place needs room that a full disk does not have.
    std::string lone_cr = SettingsBytes();
    std::replace(lone_cr.begin(), lone_cr.end(), '\n', '\r');
    lone_cr.erase(std::unique(lone_cr.begin(), lone_cr.end(),
                              [](char a, char b) { return a == '\r' && b == '\r'; }),
                  lone_cr.end());
    lone_cr += std::string(50, '\r') + std::string(4030 - lone_cr.size(), 'x');
    struct Case {
        const char* what;
        std::string settings;
        std::function<void(SystemFaults&, const std::string& prog)> fault;
        const char* message;
    };
    const Case cases[] = {
        {"settings file read-only", SettingsBytes(),
         [](SystemFaults& f, const std::string& p) {
             f.Fail(Call::kOpenToWrite, p + "/Quenbrook.ini", EPERM);
         },
         "ファイルへのアクセスが拒否されました."},
        {"disk full", SettingsBytes(),
         [](SystemFaults& f, const std::string& p) { f.FillDisk(p); }, "ディスクがいっぱいです."},
        {"disk full, rewritten in place", lone_cr,
         [](SystemFaults& f, const std::string& p) {
             f.FillDisk(p);
             f.Fail(Call::kCreate, p + "/", EACCES);
         },
         "ディスクがいっぱいです."},
        // Without the room made sure of, the write stops where the old
        // bytes end: they are put back.
        {"disk full, rewritten in place, no room reserved", lone_cr,
         [](SystemFaults& f, const std::string& p) {
             f.FillDisk(p);
             f.Fail(Call::kCreate, p + "/", EACCES);
             f.Fail(Call::kReserve, p + "/", EOPNOTSUPP);
         },
         "ディスクがいっぱいです."},
        // The new content is shorter (handle 0 for 12345): without the cut,
        // old bytes would stay after it; all of them are put back.
        {"the cut refused, rewritten in place", SettingsBytes("12345"),
         [](SystemFaults& f, const std::string& p) {
             f.Fail(Call::kCreate, p + "/", EACCES);
             f.Fail(Call::kCut, p + "/", EIO);
         },
         "I/O エラー (1117)."},
        {"I/O error on the write", SettingsBytes(),
         [](SystemFaults& f, const std::string& p) { f.Fail(Call::kWrite, p + "/", EIO); },
         "I/O エラー (1117)."},
        {"rename refused", SettingsBytes(),
         [](SystemFaults& f, const std::string& p) {
             f.Fail(Call::kRename, p + "/Quenbrook.ini", EIO);
         },
         "I/O エラー (1117)."},
        // Never taken for missing and replaced by the template.
        {"the settings file cannot be looked at", SettingsBytes(),
         [](SystemFaults& f, const std::string& p) {
             f.Fail(Call::kLookAt, p + "/Quenbrook.ini", EIO);
         },
         "I/O エラー (1117)."},
    };
    const std::string prog = box.dir / "prog";
    const Tree source = Snapshot(box.logs());
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(box.ini(), c.settings);
        const std::string root = box.dir / ("dest" + std::to_string(++n));
        MakeFolders(root);
        SystemFaults faults;
        c.fault(faults, prog);
        EXPECT_EQ(box.Run({root, kUrl}), 1);
        EXPECT_GT(faults.failures(), 0);
        ExpectFailureReport(box, c.message);
        EXPECT_TRUE(ReadBytes(box.ini()) == c.settings);  // whole, and never printed: 4 KB
        EXPECT_EQ(ListNames(prog), Texts{"Quenbrook.ini"});
        EXPECT_EQ(ReadBytes(root + "/sv.5ch.net/news/123.dat"), kPosts);
        EXPECT_EQ(Snapshot(box.logs()), source);
    }
}

TEST_F(SystemFaultTest, AProgramFolderThatRefusesNewFilesOnAFirstRun) {
    SystemFaults faults;
    faults.Fail(Call::kCreate, box.dir / "prog/", EACCES);
    EXPECT_EQ(box.Run({}), 1);
    ExpectFailureReport(box, "ファイルへのアクセスが拒否されました.");
    EXPECT_EQ(ListNames(box.dir / "prog"), Texts{});
}

// The settings rewrite keeps everything after the lines searched, rewrites a
// link at its target with its mode, leaves a read-only file as it was and
// rewrites the file in place in a folder that refuses new files. The modes
// are set for real; the seam refuses what they would refuse any user but
// root.
TEST_F(SystemFaultTest, TheSettingsRewriteKeepsWhatIsThere) {
    std::string filler;
    for (int i = 0; i < 55; ++i) filler += "Line" + std::to_string(i) + "\r\n";
    const std::string tail = filler + "\x1A" "after the end\r\x1A" + std::string(1, '\0') + "bytes";
    struct Case {
        const char* name;
        bool link;
        mode_t file_mode;
        mode_t folder_mode;
        int exit_code;
    };
    const Case cases[] = {
        {"tail", false, 0644, 0755, 0},
        {"link", true, 0600, 0755, 0},
        {"read-only", false, 0444, 0755, 1},
        {"closed folder", false, 0644, 0555, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Sandbox run;
        run.AddThread({"sv.5ch.net", "news", "123", kPosts, "TITLE=t\r\n"});
        std::string file = run.ini();
        if (c.link) {
            MakeFolders(run.dir / "conf");
            file = run.dir / "conf/real.ini";
            ASSERT_EQ(::symlink(file.c_str(), run.ini().c_str()), 0);
        }
        const auto settings = [&](const std::string& handle) {
            return SettingsText(run.logs()).Generation("1").ShowTitle("0").Handle(handle).Bytes() +
                   "User=keep me\r\n" + tail;
        };
        WriteBytes(file, settings("5"));
        ASSERT_EQ(::chmod(file.c_str(), c.file_mode), 0);
        ASSERT_EQ(::chmod((run.dir / "prog").c_str(), c.folder_mode), 0);
        SystemFaults faults;
        if ((c.file_mode & 0200) == 0) faults.Fail(Call::kOpenToWrite, file, EACCES);
        if ((c.folder_mode & 0200) == 0) faults.Fail(Call::kCreate, run.dir / "prog/", EACCES);
        const int exit_code = run.Run({run.root(), kUrl});
        ::chmod((run.dir / "prog").c_str(), 0755);
        EXPECT_EQ(exit_code, c.exit_code);
        if (c.exit_code == 1) {
            ExpectFailureReport(run, "ファイルへのアクセスが拒否されました.");
            EXPECT_EQ(ReadBytes(file), settings("5"));
        } else {
            EXPECT_EQ(run.Texts(), Texts{});
            EXPECT_EQ(ReadBytes(file), settings("0"));
        }
        struct stat st;
        ASSERT_EQ(::lstat(run.ini().c_str(), &st), 0);
        EXPECT_EQ(S_ISLNK(st.st_mode), c.link);
        ASSERT_EQ(::stat(file.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c.file_mode);
        EXPECT_EQ(ListNames(run.dir / "prog"), Texts{"Quenbrook.ini"});
        EXPECT_EQ(ReadBytes(run.root() + "/sv.5ch.net/news/123.dat"), kPosts);
    }
}

// A folder in the root that can be read but not searched stays with its
// notice, and the emptying goes on with the entries after it.
TEST_F(SystemFaultTest, AFolderThatCannotBeSearchedStopsNothingElse) {
    WriteBytes(box.ini(), SettingsBytes());
    MakeFolders(box.root() + "/a/inner");
    // Listing order is the file system's: with 40 entries beside it, some
    // come after the folder.
    for (int i = 0; i < 40; ++i) WriteBytes(box.root() + "/f" + std::to_string(i), "x");
    SystemFaults faults;
    faults.Fail(Call::kOpenToRead, box.root() + "/a/.", EACCES);  // opened, never entered
    box.ui.answers = {true};
    EXPECT_EQ(box.Run({box.root(), kUrl}), 0);
    EXPECT_EQ(box.Texts(),
              (Texts{"ログをコピーする前に、コピー先フォルダ '" + box.root() +
                         "' の中身を空にしますか？",
                     "フォルダ '" + box.root() + "/a' を削除できませんでした。"}));
    EXPECT_EQ(ListNames(box.root()), (Texts{"a", "sv.5ch.net"}));
}

// While the walk is inside ROOT/a/inner, another program moves that folder
// out of the root: coming back up, its parent is another folder, and the
// emptying stops there rather than act on what it would now take for its
// parent, with a notice for that folder and for each above it, the root
// included, since what the walk has not reached stays too.
std::string moving_folder, moved_to;
qb::SystemCalls calls_before_move;
int MoveAwayOnTheWayUp(int dir, const char* path, int flags, mode_t mode) {
    if (std::string(path) == ".." && !moving_folder.empty()) {
        ::rename(moving_folder.c_str(), moved_to.c_str());
        moving_folder.clear();
    }
    return calls_before_move.openat(dir, path, flags, mode);
}

TEST_F(SystemFaultTest, AFolderMovedAwayWhileEmptiedStopsTheEmptying) {
    WriteBytes(box.ini(), SettingsBytes());
    MakeFolders(box.root() + "/a/inner");
    MakeFolders(box.dir / "elsewhere");
    Texts before = {"a"};
    for (int i = 0; i < 40; ++i) {
        WriteBytes(box.root() + "/f" + std::to_string(i), "x");
        before.push_back("f" + std::to_string(i));
    }
    std::sort(before.begin(), before.end());
    box.ui.answers = {true};
    box.ui.while_asking = [&] {
        calls_before_move = qb::System();
        qb::System().openat = MoveAwayOnTheWayUp;
        moving_folder = box.root() + "/a/inner";
        moved_to = box.dir / "elsewhere/inner";
    };
    EXPECT_EQ(box.Run({box.root(), kUrl}), 0);
    qb::System() = calls_before_move;
    EXPECT_EQ(box.Texts(),
              (Texts{"ログをコピーする前に、コピー先フォルダ '" + box.root() +
                         "' の中身を空にしますか？",
                     "フォルダ '" + box.root() + "/a/inner' を削除できませんでした。",
                     "フォルダ '" + box.root() + "/a' を削除できませんでした。",
                     "フォルダ '" + box.root() + "' を削除できませんでした。"}));
    before.push_back("sv.5ch.net");
    EXPECT_EQ(ListNames(box.root()), before);
    EXPECT_EQ(ListNames(box.dir / "elsewhere"), Texts{"inner"});
    EXPECT_EQ(TrashedPaths(box.data()), Texts{});
}

// Two runs of the same work in one process ask the system the same
// questions, entry by entry: what the first learned (the mount table,
// whether unnamed files can be named, the converters) is asked for again.
TEST_F(SystemFaultTest, TwoCleanRunsInOneProcessMakeTheSameCalls) {
    qb::ForgetRunFacts();  // what the tests before this one left
    std::vector<std::map<std::string, long>> counts;
    for (int run = 0; run < 2; ++run) {
        Sandbox fresh;
        fresh.AddThread({"sv.5ch.net", "news", "123", kPosts, "TITLE=t\r\n"});
        SettingsText(fresh.logs()).Generation("1").ShowTitle("0").Handle("5").WriteTo(fresh.ini());
        WriteBytes(fresh.root() + "/古いログ.dat", "x");  // a name the listing converts
        fresh.ui.answers = {true};
        SystemFaults faults;
        EXPECT_EQ(fresh.Run({fresh.root(), kUrl}), 0);
        std::map<std::string, long> count;
        for (const std::string& entry : SystemFaults::Entries()) count[entry] = faults.Calls(entry);
        counts.push_back(count);
        EXPECT_EQ(ListNames(fresh.root()), Texts{"sv.5ch.net"});
    }
    EXPECT_EQ(counts[0], counts[1]);
}

// The seam itself: the Nth call fails and no other, of any entry or of one,
// counted from the seam's making; a close that fails still closes; the
// calls that do not fail through errno answer as the test set them.
TEST(SystemSeamTest, FailsTheChosenCallsAndAnswersAsSet) {
    TempFolder dir;
    const std::string file = dir / "f";
    WriteBytes(file, "x");
    qb::SystemCalls& system = qb::System();
    const auto open = [&] { return system.open(file.c_str(), O_RDONLY | O_CLOEXEC, 0); };
    SystemFaults faults;
    faults.FailNth(3, EIO);
    faults.FailNth("close", 2, EIO);
    faults.Fail("iconv_open", EMFILE);
    const int first = open();
    struct stat st;
    EXPECT_EQ(system.fstat(first, &st), 0);
    errno = 0;
    EXPECT_EQ(open(), -1);
    EXPECT_EQ(errno, EIO);
    const int second = open();
    EXPECT_GE(second, 0);
    EXPECT_EQ(system.close(first), 0);
    EXPECT_EQ(system.close(second), -1);
    EXPECT_EQ(::fcntl(second, F_GETFD), -1);  // closed all the same
    EXPECT_EQ(system.iconv_open("UTF-8", "CP932"), reinterpret_cast<iconv_t>(-1));
    EXPECT_EQ(errno, EMFILE);
    EXPECT_EQ(faults.CallsMade(),
              (Texts{"open", "fstat", "open", "open", "close", "close", "iconv_open"}));
    EXPECT_EQ(faults.Calls("open"), 3);
    EXPECT_EQ(faults.failures(), 3);

    faults.Unset("HOME");
    faults.SetVariable("XDG_DATA_HOME", "/elsewhere");
    faults.AnswerProcessId(42);
    faults.NoTerminal();
    EXPECT_EQ(system.getenv("HOME"), nullptr);
    EXPECT_EQ(std::string(system.getenv("XDG_DATA_HOME")), "/elsewhere");
    EXPECT_NE(system.getenv("PATH"), nullptr);
    EXPECT_EQ(system.getpid(), 42);
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_EQ(::isatty(terminal), 1);
    EXPECT_EQ(system.isatty(terminal), 0);
    ::close(terminal);
    faults.FailNth("getpid", 2, EIO);  // cannot fail: the id of no process
    const pid_t none = system.getpid();
    EXPECT_EQ(::kill(none, 0), -1);
    EXPECT_EQ(errno, ESRCH);
    EXPECT_THROW(faults.Fail("no such call", EIO), std::invalid_argument);
}

// After the yes, whatever the emptying then finds. A root it cannot tell
// or list, or that has become a kept folder meanwhile (the thread's .dat now
// a link to it), keeps everything, with its one notice. A folder of the
// root that the walk finds replaced, as it opens it, by a kept folder (an
// empty board's folder of the log folder, moved there) stays, notice and all.
std::string failing_at, moving_in;
qb::SystemCalls calls_before;
std::string PathOfFd(int fd) {
    char buffer[4096];
    const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), buffer, sizeof buffer);
    return std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}
bool FailsOnce(int fd) {
    if (failing_at.empty() || PathOfFd(fd) != failing_at) return false;
    failing_at.clear();
    errno = EIO;
    return true;
}
int FstatFailingOnce(int fd, struct stat* st) { return FailsOnce(fd) ? -1 : calls_before.fstat(fd, st); }
int ListingFailingOnce(int dir, const char* path, int flags, mode_t mode) {
    if (std::string(path) == "." && FailsOnce(dir)) return -1;
    return calls_before.openat(dir, path, flags, mode);
}
int KeptFolderMovedIn(int dir, const char* path, int flags, mode_t mode) {
    if (!moving_in.empty() && PathOfFd(dir) + "/" + path == failing_at) {
        ::rename(failing_at.c_str(), (failing_at + "-elsewhere").c_str());
        ::rename(moving_in.c_str(), failing_at.c_str());
        moving_in.clear();
    }
    return calls_before.openat(dir, path, flags, mode);
}

TEST_F(SystemFaultTest, WhatTheEmptyingFindsAfterTheYes) {
    const struct {
        const char* what;
        std::function<void(Sandbox&)> meanwhile;  // while the question waits
        std::string stays;                         // the folder with the notice, below the root
        bool copied;
        Texts left;     // in the root afterwards
        Texts trashed;  // below the root
    } cases[] = {
        {"the root cannot be told",
         [](Sandbox& run) { failing_at = run.root(); qb::System().fstat = FstatFailingOnce; },
         "", true, {"old", "sv.5ch.net", "top.txt"}, {}},
        {"the root cannot be listed",
         [](Sandbox& run) { failing_at = run.root(); qb::System().openat = ListingFailingOnce; },
         "", true, {"old", "sv.5ch.net", "top.txt"}, {}},
        {"the root is now where the thread's .dat leads",
         [](Sandbox& run) {
             const std::string dat = run.logs() + "/sv.5ch.net/news/123.dat";
             ::rename(dat.c_str(), (run.dir / "123.dat").c_str());
             ::symlink(run.root().c_str(), dat.c_str());
         },
         "", false, {"old", "sv.5ch.net", "top.txt"}, {}},
        {"a kept folder is moved in as the walk opens a folder",
         [](Sandbox& run) {
             failing_at = run.root() + "/old";
             moving_in = run.logs() + "/sv.5ch.net/empty";
             qb::System().openat = KeptFolderMovedIn;
         },
         "/old", true, {"old", "old-elsewhere", "sv.5ch.net"}, {"/top.txt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Sandbox run;
        run.AddThread({"sv.5ch.net", "news", "123", "posts", "TITLE=t\r\n"});
        MakeFolders(run.logs() + "/sv.5ch.net/empty");
        MakeFolders(run.root() + "/old");
        WriteBytes(run.root() + "/old/1.dat", "x");
        WriteBytes(run.root() + "/top.txt", "x");
        WriteBytes(run.ini(), SettingsText(run.logs()).Generation("1").ShowTitle("0").Bytes());
        run.ui.window = 42;
        run.ui.answers = {true};
        calls_before = qb::System();
        run.ui.while_asking = [&] { c.meanwhile(run); };
        EXPECT_EQ(run.Run({run.root(), kUrl}), 0);
        qb::System() = calls_before;
        Texts expected = {"ログをコピーする前に、コピー先フォルダ '" + run.root() + "' の中身を空にしますか？",
                          "フォルダ '" + run.root() + c.stays + "' を削除できませんでした。"};
        if (!c.copied) expected.push_back("ログファイルのコピー中に、エラーが発生しました。");
        EXPECT_EQ(run.Texts(), expected);
        EXPECT_EQ(ListNames(run.root()), c.left);
        Texts trashed;
        for (const std::string& name : c.trashed) trashed.push_back(run.root() + name);
        EXPECT_EQ(TrashedPaths(run.data()), trashed);
    }
}

// Another program changes the way to the copies while the run goes on: the
// copy is refused, and nothing is written into the log folder. First a link
// to another site's folder of the log folder, put where the site's folder
// was being made: the look after the creation refuses it. Then a root given
// relative to the current folder, moved away while the question waits:
// the walk up from where the copies would go finds no folder at all.
std::string linked_site, link_target;
int LinkInsteadOfFolder(const char* path, mode_t mode) {
    if (path == linked_site) return ::symlink(link_target.c_str(), path);
    return ::mkdir(path, mode);
}

TEST_F(SystemFaultTest, TheWayToTheCopiesChangedMeanwhileIsRefused) {
    WriteBytes(box.ini(), SettingsBytes());
    box.AddThread({"other.site", "news", "123", "another site's thread", "TITLE=o\r\n"});
    const Tree logs = Snapshot(box.logs());
    linked_site = box.root() + "/sv.5ch.net";
    link_target = box.logs() + "/other.site";
    const qb::SystemCalls saved = qb::System();
    qb::System().mkdir = LinkInsteadOfFolder;
    EXPECT_EQ(box.Run({box.root(), kUrl}), 0);
    qb::System() = saved;
    EXPECT_EQ(box.Texts(), Texts{"ログファイルのコピー中に、エラーが発生しました。"});
    EXPECT_TRUE(Snapshot(box.logs()) == logs) << "the log folder changed";
    EXPECT_EQ(ReadBytes(box.ini()), SettingsBytes());

    ASSERT_EQ(::unlink(linked_site.c_str()), 0);
    WriteBytes(box.root() + "/old.txt", "x");
    box.ui.while_asking = [&] { ::rename(box.root().c_str(), (box.dir / "moved").c_str()); };
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(::chdir(box.dir.path().c_str()), 0);
    EXPECT_EQ(box.Run({"dest", kUrl}), 0);
    ASSERT_EQ(::chdir(cwd), 0);
    EXPECT_EQ(box.Texts(), (Texts{"ログをコピーする前に、コピー先フォルダ 'dest' の中身を空にしますか？",
                                  "ログファイルのコピー中に、エラーが発生しました。"}));
    EXPECT_FALSE(Exists(box.root()));
    EXPECT_EQ(ListNames(box.dir / "moved"), Texts{"old.txt"});
}

// A run whose second lock cannot be taken (its folder's name fails to
// convert, the last conversion the turn makes) does not take its turn, and
// gives back the lock it already held: else every later run would wait for
// it. Both locks are tried afterwards, whichever order they were taken in.
TEST(SystemSeamTest, ATurnNotTakenGivesBackTheLockAlreadyHeld) {
    TempFolder dir;
    MakeFolders(dir / "保存");
    MakeFolders(dir / "保存p");
    const std::string root = dir.path() + "/\x95\xdb\x91\xb6";  // 保存
    const std::string program = root + "p";
    long conversions = 0;
    {
        SystemFaults counting;
        { const qb::RunTurn turn(program, root); }
        conversions = counting.Calls("iconv");
    }
    ASSERT_GT(conversions, 0);
    {
        SystemFaults faults;
        faults.FailNth("iconv", conversions, EIO);
        EXPECT_ANY_THROW(qb::RunTurn(program, root));
    }
    // The volume's lock is on the folder where the root's file system begins.
    std::string top = dir.path();
    struct stat st, up;
    ASSERT_EQ(::stat(top.c_str(), &st), 0);
    while (top != "/") {
        const std::size_t cut = top.rfind('/');
        const std::string parent = cut == 0 ? "/" : top.substr(0, cut);
        if (::stat(parent.c_str(), &up) != 0 || up.st_dev != st.st_dev) break;
        top = parent;
    }
    for (const std::string& folder : {top, dir / "保存p"}) {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        // Other tests' runs may hold it for a moment; a lock left held, for good.
        bool taken = false;
        for (int i = 0; i < 50 && !(taken = ::flock(fd, LOCK_EX | LOCK_NB) == 0); ++i) {
            ::usleep(100000);
        }
        EXPECT_TRUE(taken) << folder;
        ::close(fd);
    }
}

}  // namespace
