// Faults in real runs of the native binary that need real processes or
// mounts: odd files and links, runs killed part-way or running at once, and
// bind mounts. For each: what the user sees, the exit code, and that nothing
// is lost (settings file and source tree byte-identical unless the run
// succeeded, no temporary file left). Failures of single system calls (full
// disks, I/O errors, refused writes) run in-process in
// unit/system_fault_test.cpp.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <thread>

#include "e2e/program_runner.h"
#include "platform/errors.h"
#include "support/fake_user_facing.h"
#include "support/settings_text.h"
#include "support/temp_folder.h"
#include "title/thread_title.h"

namespace {

using namespace qbtest;
using Blocks = std::vector<std::string>;
using Tree = std::map<std::string, std::string>;

const char* kUrl = "http://sv.5ch.net/test/read.cgi/news/123";

class FaultTest : public ::testing::Test {
protected:
    FaultTest() {
        WriteThread(dir / "logs/sv.5ch.net/news", "123", std::string(200000, 'd'), "TITLE=t\r\n");
        MakeFolders(dir / "dest");
    }

    void Install(const std::string& folder) {
        program = InstallProgram(folder);
        ini = folder + "/Quenbrook.ini";
    }

    // A new browser run (saved handle 5, none found now): a successful copy
    // rewrites the settings file.
    // With handle 0 (the browser's window now) nothing is rewritten.
    void Settings(const std::string& show_title = "0", const std::string& handle = "5",
                  const std::string& extra = "") {
        WriteBytes(ini, SettingsBytes(show_title, handle) + extra);
    }
    std::string SettingsBytes(const std::string& show_title = "0",
                              const std::string& handle = "5") const {
        return SettingsText(dir / "logs").Generation("1").ShowTitle(show_title)
                   .Handle(handle).Bytes() + "User=keep me\r\n";
    }

    ProcessResult Run(const std::string& root) { return RunProgram(program, {root, kUrl}); }

    TempFolder dir;
    ScopedVariable data_home{"XDG_DATA_HOME", dir / "data"};  // the trash's
    std::string program, ini;
};

TEST_F(FaultTest, DestinationRootThatIsAFile) {
    Install(dir / "prog");
    Settings();
    WriteBytes(dir / "afile", "x");
    const std::string before = ReadBytes(ini);
    const Tree source = Snapshot(dir / "logs");
    const ProcessResult r = Run(dir / "afile");
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(NoticeBlocks(r.errors), Blocks{"Quenbrook [e] コピー先として指定されたフォルダ '" +
                                             dir.path() + "/afile' が存在しません。"});
    EXPECT_EQ(ReadBytes(dir / "afile"), "x");
    EXPECT_EQ(ReadBytes(ini), before);
    EXPECT_EQ(Snapshot(dir / "logs"), source);
}

// The log folder mounted again inside the root, and a root that is a
// folder of the log folder mounted elsewhere: walking up through ".." never
// meets the log folder, yet emptying would delete the logs.
TEST_F(FaultTest, BindMountsNeverLetTheEmptyingReachTheLogs) {
    Install(dir / "prog");
    struct Bind {
        Bind(const std::string& from, const std::string& to) : path(to) {
            MakeFolders(to);
            mounted = ::mount(from.c_str(), to.c_str(), nullptr, MS_BIND, nullptr) == 0;
        }
        ~Bind() {
            if (mounted) ::umount2(path.c_str(), MNT_DETACH);
        }
        std::string path;
        bool mounted;
    };
    const std::string question = "Quenbrook [q] ログをコピーする前に、コピー先フォルダ '" +
                                 dir.path() + "/dest' の中身を空にしますか？";
    const Tree source = Snapshot(dir / "logs");
    {
        Settings();
        Bind inside(dir / "logs", dir / "dest/seen");
        if (!inside.mounted) GTEST_SKIP() << "cannot bind-mount here";
        const ProcessResult r = RunProgram(program, {dir / "dest", kUrl}, "y\n");
        EXPECT_EQ(NoticeBlocks(r.errors),
                  (Blocks{question, "Quenbrook [e] フォルダ '" + dir.path() +
                                        "/dest/seen' を削除できませんでした。"}));
    }
    EXPECT_EQ(Snapshot(dir / "logs"), source);
    {
        Settings();
        Bind root(dir / "logs/sv.5ch.net", dir / "mounted");
        const ProcessResult r = RunProgram(program, {dir / "mounted", kUrl}, "y\n");
        ASSERT_FALSE(NoticeBlocks(r.errors).empty());
        EXPECT_EQ(NoticeBlocks(r.errors)[0].rfind("Quenbrook [w] ", 0), 0u);
        EXPECT_EQ(ReadBytes(dir / "logs/sv.5ch.net/news/123.dat"), source.at("sv.5ch.net/news/123.dat"));
    }
    {
        // Another board of the log folder mounted where the copy goes: the
        // walk up from it stops at the mount, so that it cannot be told
        // apart from the log folder, and nothing is copied there.
        Settings();
        MakeFolders(dir / "logs/sv.5ch.net/other");
        WriteBytes(dir / "logs/sv.5ch.net/other/123.dat", "another thread");
        Bind board(dir / "logs/sv.5ch.net/other", dir / "dest/sv.5ch.net/news");
        const ProcessResult r = RunProgram(program, {dir / "dest", kUrl}, "n\n");
        ASSERT_FALSE(NoticeBlocks(r.errors).empty());
        EXPECT_EQ(NoticeBlocks(r.errors).back(),
                  "Quenbrook [e] ログファイルのコピー中に、エラーが発生しました。");
        EXPECT_EQ(ReadBytes(dir / "logs/sv.5ch.net/other/123.dat"), "another thread");
    }
}

TEST_F(FaultTest, SourceDatThatCannotBeRead) {
    Install(dir / "prog");
    Settings();
    const std::string dat = dir / "logs/sv.5ch.net/news/123.dat";
    ::unlink(dat.c_str());
    ASSERT_EQ(::mkfifo(dat.c_str(), 0644), 0);  // present, but no file to copy
    const std::string before = ReadBytes(ini);
    const ProcessResult r = Run(dir / "dest");
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(NoticeBlocks(r.errors),
              Blocks{"Quenbrook [e] ログファイルのコピー中に、エラーが発生しました。"});
    EXPECT_EQ(ReadBytes(ini), before);
    EXPECT_FALSE(Exists(dir / "dest/sv.5ch.net/news/123.dat"));
}

// The copied .inf gone, or replaced by something that is no file, between
// the copy and the title.
TEST_F(FaultTest, InfThatVanishesBeforeTheTitle) {
    qb::Places places;
    places.destination_inf = dir / "dest/123.inf";
    qb::ThreadUrl url;
    url.key = "123";
    url.board = "news";
    FakeUserFacing ui;
    qb::ShowThreadTitle(places, url, ui);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(Utf8(ui.boxes[0].caption), "Quenbrook - タイトルの表示");
    EXPECT_EQ(Utf8(ui.boxes[0].text), "ファイル '" + dir.path() + "/dest/123.inf' が、見つかりません。");
    EXPECT_EQ(ui.boxes[0].style, kErrorStyle);
    ASSERT_EQ(::mkfifo((dir / "dest/123.inf").c_str(), 0644), 0);
    try {
        qb::ShowThreadTitle(places, url, ui);
        FAIL() << "no failure raised";
    } catch (const qb::InOutError& e) {
        EXPECT_EQ(e.code, 5u);
    }
}

namespace {

bool IsLink(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

double Seconds() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

}  // namespace

// Links at the destination are replaced as entries, never written through:
// the log folder stays byte for byte as it was. A hard link of the source
// file itself there is the copy already: it stays, and nothing is reported.
// A pipe there fails with the copy notice.
TEST_F(FaultTest, DestinationLinksAreReplacedNeverWrittenThrough) {
    Install(dir / "prog");
    Settings("0", "0");
    const std::string logs = dir / "logs/sv.5ch.net/news/";
    WriteBytes(logs + "999.dat", "another thread's posts");
    WriteBytes(logs + "999.inf", "TITLE=other\r\n");
    struct Case {
        const char* entry;
        bool hard;
        std::string target;
    };
    const Case cases[] = {
        {"123.dat", true, logs + "999.dat"},
        {"123.dat", false, logs + "999.dat"},
        {"123.inf", true, logs + "999.inf"},
        {"123.inf", false, logs + "123.dat"},
        {"123.dat", false, logs + "123.dat"},
        {"123.dat", true, logs + "123.dat"},
        {"123.inf", true, logs + "123.inf"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string copy = dir / ("dest" + std::to_string(++n) + "/sv.5ch.net/news/");
        MakeFolders(copy);
        const std::string entry = copy + c.entry;
        ASSERT_EQ(c.hard ? ::link(c.target.c_str(), entry.c_str())
                         : ::symlink(c.target.c_str(), entry.c_str()),
                  0);
        const Tree source = Snapshot(dir / "logs");
        const ProcessResult r = Run(dir / ("dest" + std::to_string(n)));
        EXPECT_EQ(r.exit_code, 0);
        EXPECT_EQ(NoticeBlocks(r.errors), Blocks{}) << entry;
        EXPECT_EQ(Snapshot(dir / "logs"), source) << entry;
        EXPECT_FALSE(IsLink(entry));
        struct stat entry_st, target_st;
        ASSERT_EQ(::stat(entry.c_str(), &entry_st), 0);
        ASSERT_EQ(::stat(c.target.c_str(), &target_st), 0);
        // Still the source's own hard link; any other entry is a copy now.
        EXPECT_EQ(entry_st.st_ino == target_st.st_ino, c.hard && c.target == logs + c.entry);
        EXPECT_EQ(ReadBytes(copy + "123.dat"), std::string(200000, 'd'));
        EXPECT_EQ(ReadBytes(copy + "123.inf"), "TITLE=t\r\n");
        EXPECT_EQ(ListNames(copy), (Blocks{"123.dat", "123.inf"}));
    }
    const Blocks copy_failed{"Quenbrook [e] ログファイルのコピー中に、エラーが発生しました。"};
    // Links that lead the destination folder where no copy may go: the log
    // folder itself, and another board's folder there (its thread of the
    // same key keeps its posts), also below the destination folder, where a
    // key holding a separator leads.
    MakeFolders(dir / "logs/sv.5ch.net/other");
    WriteBytes(dir / "logs/sv.5ch.net/other/123.dat", "another board's thread");
    WriteThread(dir / "logs/sv.5ch.net/news/sub", "123", "posts", "TITLE=t\r\n");
    struct Misled {
        std::string root;
        std::string link;  // below the root
        std::string target;
        const char* url = kUrl;
    };
    const Misled misled[] = {
        {"into-logs", "sv.5ch.net", dir / "logs/sv.5ch.net"},
        {"into-board", "sv.5ch.net/news", dir / "logs/sv.5ch.net/other"},
        {"by-key", "sv.5ch.net/news/sub", dir / "logs/sv.5ch.net/other",
         "http://sv.5ch.net/test/read.cgi/news/sub\\123"},
    };
    const Tree source = Snapshot(dir / "logs");
    for (const Misled& m : misled) {
        const std::string link = dir / (m.root + "/" + m.link);
        MakeFolders(link.substr(0, link.rfind('/')));
        ASSERT_EQ(::symlink(m.target.c_str(), link.c_str()), 0);
        const ProcessResult r = RunProgram(program, {dir / m.root, m.url});
        EXPECT_EQ(r.exit_code, 0);
        EXPECT_EQ(NoticeBlocks(r.errors), copy_failed) << m.root;
        EXPECT_EQ(Snapshot(dir / "logs"), source) << m.root;
    }
    // A root the user put in the log folder: a link in it that leads back to
    // another board's folder there is refused the same way.
    MakeFolders(dir / "logs/saved/sv.5ch.net");
    ASSERT_EQ(::symlink((dir / "logs/sv.5ch.net/other").c_str(),
                        (dir / "logs/saved/sv.5ch.net/news").c_str()), 0);
    const Tree with_link = Snapshot(dir / "logs");
    const ProcessResult in_logs = Run(dir / "logs/saved");
    EXPECT_EQ(NoticeBlocks(in_logs.errors), copy_failed);
    EXPECT_EQ(Snapshot(dir / "logs"), with_link);
    // A pipe where the copy goes: no wait, the notice, the pipe left alone.
    MakeFolders(dir / "piped/sv.5ch.net/news");
    ASSERT_EQ(::mkfifo((dir / "piped/sv.5ch.net/news/123.dat").c_str(), 0644), 0);
    const ProcessResult r = Run(dir / "piped");
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(NoticeBlocks(r.errors), copy_failed);
    EXPECT_EQ(ListNames(dir / "piped/sv.5ch.net/news"), Blocks{"123.dat"});
}

// A copy killed part-way: the earlier copy is still whole, and no temporary
// file is left. Kills land at fractions of an uninterrupted copy's time.
TEST_F(FaultTest, ACopyKilledPartWayKeepsTheEarlierCopy) {
    Install(dir / "prog");
    Settings("0", "0");
    const std::size_t size = 128u << 20;
    WriteBytes(dir / "logs/sv.5ch.net/news/123.dat", std::string(size, 'n'));
    const std::string copy = dir / "dest/sv.5ch.net/news/";
    MakeFolders(copy);
    const double start = Seconds();
    ASSERT_EQ(Run(dir / "dest").exit_code, 0);
    const double whole = Seconds() - start;
    ASSERT_EQ(ReadBytes(copy + "123.dat").size(), size);
    int killed = 0;
    for (double fraction : {0.05, 0.2, 0.4, 0.6, 0.8}) {
        WriteBytes(copy + "123.dat", "the earlier copy");
        const std::string root = dir / "dest";
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::dup2(null, 2);
            ::execl(program.c_str(), program.c_str(), root.c_str(), kUrl, nullptr);
            ::_exit(127);
        }
        ::usleep(static_cast<useconds_t>(whole * fraction * 1e6));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        const std::string now = ReadBytes(copy + "123.dat");
        if (WIFSIGNALED(status)) {
            ++killed;
            EXPECT_TRUE(now == "the earlier copy" || now.size() == size) << fraction;
        } else {
            EXPECT_EQ(now.size(), size);
        }
        EXPECT_EQ(ListNames(copy), (Blocks{"123.dat", "123.inf"})) << fraction;
    }
    EXPECT_GT(killed, 0);
}

// Eight runs at once, over and over, creating the same folders, copying the
// same thread and rewriting the same settings file: every run ends in order,
// none sees an empty file or fails on a folder a neighbour made, and the
// settings file is whole at the end. Then the same in a program folder that
// refuses new files, where the file is rewritten in place (run as a user
// whom permissions bind).
TEST_F(FaultTest, EightRunsAtOnce) {
    Install(dir / "prog");
    std::string filler;
    for (int i = 0; i < 60; ++i) filler += "Line" + std::to_string(i) + "\r\n";
    const bool root = ::getuid() == 0;
    for (const bool closed : {false, true}) {
        std::vector<std::string> argv{program, "", kUrl};
        if (closed && root) {
            argv.insert(argv.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534",
                                       "--clear-groups"});
        }
        for (int round = 0; round < 30; ++round) {
            Settings("0", "5", filler);
            const std::string root_dir =
                dir / ((closed ? "closed" : "race") + std::to_string(round));
            MakeFolders(root_dir);
            argv[argv.size() - 2] = root_dir;
            if (closed && root) {
                ASSERT_EQ(RunProcess({"/bin/chown", "-R", "65534:65534", dir.path()}).exit_code,
                          0);
            }
            ::chmod((dir / "prog").c_str(), closed ? 0555 : 0755);
            std::vector<ProcessResult> results(8);
            std::vector<std::thread> runs;
            for (ProcessResult& result : results) {
                runs.emplace_back([&] { result = RunProcess(argv, "", {}, 30); });
            }
            for (std::thread& t : runs) t.join();
            ::chmod((dir / "prog").c_str(), 0755);
            for (const ProcessResult& r : results) {
                EXPECT_EQ(r.exit_code, 0) << r.errors;
                // A run that sees a neighbour's folder may be asked to empty the
                // root (and says no); nothing else is shown.
                for (const std::string& block : NoticeBlocks(r.errors)) {
                    EXPECT_EQ(block.rfind("Quenbrook [q] ", 0), 0u) << block;
                }
            }
            EXPECT_EQ(ReadBytes(ini), SettingsBytes("0", "0") + filler);
            EXPECT_EQ(ListNames(dir / "prog"), (Blocks{"Quenbrook", "Quenbrook.ini"}));
            EXPECT_EQ(ReadBytes(root_dir + "/sv.5ch.net/news/123.dat"), std::string(200000, 'd'));
            EXPECT_EQ(ListNames(root_dir + "/sv.5ch.net/news"), (Blocks{"123.dat", "123.inf"}));
            if (HasFailure()) return;
        }
    }
}

// Runs that share a settings file take turns from the look at the browser's
// window to the saved handle. The first run asks and is answered yes only
// when seven more have started: they wait, showing nothing, while it empties
// a root of 20,000 files, then each copies in turn. Every copy is whole at
// the end, and only the first was asked (the others find the handle saved).
TEST_F(FaultTest, RunsTakeTurnsWhileTheRootIsEmptied) {
    Install(dir / "prog");
    Settings("0", "5");
    for (int f = 0; f < 400; ++f) {
        const std::string folder = dir / ("dest/old" + std::to_string(f));
        MakeFolders(folder);
        for (int i = 0; i < 50; ++i) WriteBytes(folder + "/" + std::to_string(i), "x");
    }
    const auto url = [](int key) {
        return "http://sv.5ch.net/test/read.cgi/news/" + std::to_string(key);
    };
    for (int key = 1000; key < 1008; ++key) {
        WriteThread(dir / "logs/sv.5ch.net/news", std::to_string(key),
                    std::string(100000, static_cast<char>('a' + key % 26)), "TITLE=t\r\n");
    }
    Background first({"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>&1", program, dir / "dest", url(1000)});
    ASSERT_EQ(first.ReadLine(), "== Quenbrook [q] ==");
    std::vector<ProcessResult> results(7);
    std::vector<std::thread> runs;
    for (int i = 0; i < 7; ++i) {
        runs.emplace_back([&, i] {
            results[i] = RunProcess({program, dir / "dest", url(1001 + i)}, i % 2 ? "y\n" : "n\n");
        });
    }
    ::usleep(300000);
    first.Send("y\n");
    for (std::thread& t : runs) t.join();
    first.Stop();
    for (const ProcessResult& r : results) {
        EXPECT_EQ(r.exit_code, 0);
        EXPECT_EQ(NoticeBlocks(r.errors), Blocks{});
    }
    for (int key = 1000; key < 1008; ++key) {
        EXPECT_EQ(ReadBytes(dir / ("dest/sv.5ch.net/news/" + std::to_string(key) + ".dat")),
                  std::string(100000, static_cast<char>('a' + key % 26)));
    }
    EXPECT_EQ(ListNames(dir / "dest"), Blocks{"sv.5ch.net"});
    EXPECT_EQ(SavedHandle(ini), "0");
}

// A run waits for its turn while another holds the question: one of the
// same installation (the same settings file), or of a second installation
// that copies into the same root, or into a folder of the holder's root.
// When the holder is killed, the system gives the turn back and nothing was
// saved, so the waiting run asks itself; when the holder's yes empties the
// root, the waiting run's copy comes afterwards and stays.
TEST_F(FaultTest, AWaitingRunGoesOnWhenTheHolderEnds) {
    WriteThread(dir / "logs/sv.5ch.net/news", "456", "second", "TITLE=t\r\n");
    const struct {
        const char* what;
        bool second_installation;
        const char* root;  // the waiting run's
    } cases[] = {{"the same installation, holder killed", false, "dest"},
                 {"another installation, holder answers yes", true, "dest"},
                 {"another installation into the holder's root, holder answers yes", true,
                  "dest/sv.5ch.net"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const bool second_installation = c.second_installation;
        Install(dir / "prog2");
        Settings("0", "5");
        const std::string other = program;
        Install(dir / "prog");
        Settings("0", "5");
        MakeFolders(dir / "dest/old");
        Background holder(
            {"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>&1", program, dir / "dest", kUrl});
        ASSERT_EQ(holder.ReadLine(), "== Quenbrook [q] ==");
        std::atomic<bool> done{false};
        ProcessResult waiting;
        std::thread run([&] {
            waiting = RunProgram(second_installation ? other : program,
                                 {dir / c.root, "http://sv.5ch.net/test/read.cgi/news/456"},
                                 "n\n");
            done = true;
        });
        ::usleep(500000);
        EXPECT_FALSE(done);  // it waits for its turn
        if (second_installation) {
            holder.Send("y\n");
            holder.Stop();
        } else {
            holder.Kill();
        }
        run.join();
        EXPECT_EQ(waiting.exit_code, 0);
        const Blocks blocks = NoticeBlocks(waiting.errors);
        ASSERT_EQ(blocks.size(), 1u) << waiting.errors;
        EXPECT_EQ(blocks[0].rfind("Quenbrook [q] ", 0), 0u);
        EXPECT_EQ(IsFolder(dir / "dest/old"), !second_installation);
        EXPECT_EQ(Exists(dir / "dest/sv.5ch.net/news/123.dat"), second_installation);
        EXPECT_EQ(ReadBytes(dir / c.root + "/sv.5ch.net/news/456.dat"), "second");
    }
}

}  // namespace
