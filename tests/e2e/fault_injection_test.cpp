// Faults injected into real runs of the native binary: read-only and
// unwritable places, full disks, odd files. For each: what the user sees,
// the exit code, and that nothing is lost (settings file and source tree
// byte-identical unless the run succeeded, no temporary file left).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <thread>

#include "base/run_state.h"
#include "e2e/program_runner.h"
#include "support/fake_user_facing.h"
#include "support/settings_text.h"
#include "support/temp_folder.h"
#include "title/thread_title.h"

namespace {

using namespace qbtest;
using Blocks = std::vector<std::string>;
using Tree = std::map<std::string, std::string>;

const char* kUrl = "http://sv.5ch.net/test/read.cgi/news/123";

// Sets or clears the immutable flag, which holds even against root.
bool SetImmutable(const std::string& path, bool on) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

struct ImmutableGuard {
    explicit ImmutableGuard(std::string p) : path(std::move(p)), active(SetImmutable(path, true)) {}
    ~ImmutableGuard() {
        if (active) SetImmutable(path, false);
    }
    std::string path;
    bool active;
};

// A small file system of its own, full after Fill().
struct TinyDisk {
    TinyDisk(const std::string& p, std::size_t bytes) : path(p) {
        MakeFolders(path);
        const std::string options = "size=" + std::to_string(bytes);
        mounted = ::mount("tmpfs", path.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~TinyDisk() {
        if (mounted) ::umount2(path.c_str(), MNT_DETACH);
    }
    // Takes up every byte left.
    void Fill() {
        const int fd = ::open((path + "/.filler").c_str(), O_WRONLY | O_CREAT, 0600);
        static const char block[4096] = {};
        while (::write(fd, block, sizeof block) > 0) {
        }
        while (::write(fd, block, 1) > 0) {
        }
        ::close(fd);
    }
    std::string path;
    bool mounted;
};

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

    void ExpectFailureReport(const ProcessResult& r, const std::string& message) {
        EXPECT_EQ(r.exit_code, 1);
        const Blocks blocks = NoticeBlocks(r.errors);
        ASSERT_EQ(blocks.size(), 1u) << r.errors;
        EXPECT_EQ(blocks[0].rfind("アプリケーション エラー [e] EInOutErrorがモジュール Quenbrook の ", 0),
                  0u) << blocks[0];
        EXPECT_NE(blocks[0].find(" で発生しました。\n" + message), std::string::npos) << blocks[0];
    }

    TempFolder dir;
    std::string program, ini;
};

TEST_F(FaultTest, ReadOnlySettingsFileDuringTheWriteBack) {
    Install(dir / "prog");
    Settings();
    const std::string before = ReadBytes(ini);
    const Tree source = Snapshot(dir / "logs");
    ImmutableGuard guard(ini);
    if (!guard.active) GTEST_SKIP() << "cannot make a file read-only for root here";
    const ProcessResult r = Run(dir / "dest");
    ExpectFailureReport(r, "ファイルへのアクセスが拒否されました.");
    EXPECT_EQ(ReadBytes(ini), before);
    EXPECT_EQ(ListNames(dir / "prog"), (Blocks{"Quenbrook", "Quenbrook.ini"}));
    EXPECT_EQ(ReadBytes(dir / "dest/sv.5ch.net/news/123.dat"), std::string(200000, 'd'));
    EXPECT_EQ(Snapshot(dir / "logs"), source);
}

TEST_F(FaultTest, UnwritableProgramFolderOnAFirstRun) {
    Install(dir / "prog");
    ImmutableGuard guard(dir / "prog");
    if (!guard.active) GTEST_SKIP() << "cannot make a folder read-only for root here";
    const ProcessResult r = RunProgram(program, {});
    ExpectFailureReport(r, "ファイルへのアクセスが拒否されました.");
    EXPECT_EQ(ListNames(dir / "prog"), Blocks{"Quenbrook"});
}

TEST_F(FaultTest, FullDiskDuringTheWriteBack) {
    const std::size_t program_size = ReadBytes(QB_PROGRAM).size();
    TinyDisk disk(dir / "prog", program_size + (256 << 10));
    if (!disk.mounted) GTEST_SKIP() << "cannot mount a small file system here";
    Install(disk.path);
    Settings();
    disk.Fill();
    const std::string before = ReadBytes(ini);
    const Tree source = Snapshot(dir / "logs");
    const ProcessResult r = Run(dir / "dest");
    ExpectFailureReport(r, "ディスクがいっぱいです.");
    EXPECT_EQ(ReadBytes(ini), before);
    EXPECT_EQ(ListNames(disk.path), (Blocks{".filler", "Quenbrook", "Quenbrook.ini"}));
    EXPECT_EQ(ReadBytes(dir / "dest/sv.5ch.net/news/123.dat"), std::string(200000, 'd'));
    EXPECT_EQ(Snapshot(dir / "logs"), source);
    // The folder refuses new files too, so the file is rewritten in place,
    // and its lines ending in a lone CR grow past the disk's last page when
    // they come back with CR LF: the file stays as it was.
    ::unlink((disk.path + "/.filler").c_str());
    std::string lone_cr = SettingsBytes();
    for (char& c : lone_cr) {
        if (c == '\n') c = '\r';
    }
    lone_cr.erase(std::unique(lone_cr.begin(), lone_cr.end(),
                              [](char a, char b) { return a == '\r' && b == '\r'; }),
                  lone_cr.end());
    lone_cr += std::string(50, '\r') + std::string(4030 - lone_cr.size(), 'x');
    WriteBytes(ini, lone_cr);
    disk.Fill();
    MakeFolders(dir / "dest2");
    std::vector<std::string> argv{program, dir / "dest2", kUrl};
    if (::getuid() == 0) {
        ASSERT_EQ(RunProcess({"/bin/chown", "-R", "65534:65534", dir.path()}).exit_code, 0);
        argv.insert(argv.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534",
                                   "--clear-groups"});
    }
    ::chmod(disk.path.c_str(), 0555);
    const ProcessResult in_place = RunProcess(argv, "", {}, 30);
    ::chmod(disk.path.c_str(), 0755);
    ExpectFailureReport(in_place, "ディスクがいっぱいです.");
    EXPECT_TRUE(ReadBytes(ini) == lone_cr);  // whole, and never printed: 4 KB
}

TEST_F(FaultTest, FullDiskDuringTheCopy) {
    Install(dir / "prog");
    Settings();
    TinyDisk disk(dir / "small", 64 << 10);
    if (!disk.mounted) GTEST_SKIP() << "cannot mount a small file system here";
    const std::string before = ReadBytes(ini);
    const Tree source = Snapshot(dir / "logs");
    const ProcessResult r = Run(disk.path);
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(NoticeBlocks(r.errors),
              Blocks{"Quenbrook [e] ログファイルのコピー中に、エラーが発生しました。"});
    EXPECT_EQ(ListNames(disk.path + "/sv.5ch.net/news"), Blocks{});  // no half-written copy
    EXPECT_EQ(ReadBytes(ini), before);  // the handle is saved only after a whole copy
    EXPECT_EQ(Snapshot(dir / "logs"), source);
}

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
        // Another board of the log folder mounted where the copy goes: no
        // proof that it lies in the root, so nothing is copied there.
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
    qb::RunState state;
    state.CopyDir = dir / "dest";
    state.ThreadKey = "123";
    state.BoardName = "news";
    FakeUserFacing ui;
    qb::ShowThreadTitle(state, ui);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(Utf8(ui.boxes[0].caption), "Quenbrook - タイトルの表示");
    EXPECT_EQ(Utf8(ui.boxes[0].text), "ファイル '" + dir.path() + "/dest/123.inf' が、見つかりません。");
    EXPECT_EQ(ui.boxes[0].style, kErrorStyle);
    ASSERT_EQ(::mkfifo((dir / "dest/123.inf").c_str(), 0644), 0);
    try {
        qb::ShowThreadTitle(state, ui);
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
// the log folder stays byte for byte as it was. The source file itself as
// the destination entry, and a pipe there, fail with the copy notice.
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
        EXPECT_EQ(ReadBytes(copy + "123.dat"), std::string(200000, 'd'));
        EXPECT_EQ(ReadBytes(copy + "123.inf"), "TITLE=t\r\n");
        EXPECT_EQ(ListNames(copy), (Blocks{"123.dat", "123.inf"}));
    }
    const Blocks copy_failed{"Quenbrook [e] ログファイルのコピー中に、エラーが発生しました。"};
    // Links that lead the destination folder where no copy may go: the log
    // folder itself, another board's folder there (its thread of the same
    // key keeps its posts), and a folder outside the root (the user's own).
    MakeFolders(dir / "logs/sv.5ch.net/other");
    WriteBytes(dir / "logs/sv.5ch.net/other/123.dat", "another board's thread");
    MakeFolders(dir / "elsewhere");
    WriteBytes(dir / "elsewhere/123.dat", "the user's own file");
    struct Misled {
        std::string root;
        std::string link;  // below the root
        std::string target;
    };
    const Misled misled[] = {
        {"into-logs", "sv.5ch.net", dir / "logs/sv.5ch.net"},
        {"into-board", "sv.5ch.net/news", dir / "logs/sv.5ch.net/other"},
        {"out-of-root", "sv.5ch.net/news", dir / "elsewhere"},
    };
    const Tree source = Snapshot(dir / "logs");
    for (const Misled& m : misled) {
        const std::string link = dir / (m.root + "/" + m.link);
        MakeFolders(link.substr(0, link.rfind('/')));
        ASSERT_EQ(::symlink(m.target.c_str(), link.c_str()), 0);
        const ProcessResult r = Run(dir / m.root);
        EXPECT_EQ(r.exit_code, 0);
        EXPECT_EQ(NoticeBlocks(r.errors), copy_failed) << m.root;
        EXPECT_EQ(Snapshot(dir / "logs"), source) << m.root;
        EXPECT_EQ(ListNames(dir / "elsewhere"), Blocks{"123.dat"});
        EXPECT_EQ(ReadBytes(dir / "elsewhere/123.dat"), "the user's own file");
    }
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

// The settings rewrite, run as a user whom permissions bind: everything
// after the lines searched kept, a link rewritten at its target with its
// mode, a read-only file left as it was, a closed folder rewritten in place.
TEST_F(FaultTest, SettingsRewriteKeepsWhatIsThere) {
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
    const bool root = ::getuid() == 0;
    int n = 0;
    for (const Case& c : cases) {
        const std::string folder = dir / ("prog" + std::to_string(++n));
        Install(folder);
        std::string file = ini;
        if (c.link) {
            MakeFolders(dir / "conf");
            file = dir / "conf/real.ini";
            ASSERT_EQ(::symlink(file.c_str(), ini.c_str()), 0);
        }
        WriteBytes(file, SettingsBytes() + tail);
        const std::string dest = dir / ("dest" + std::to_string(n));
        MakeFolders(dest);
        if (root) {
            ASSERT_EQ(RunProcess({"/bin/chown", "-R", "65534:65534", dir.path()}).exit_code, 0);
        }
        ASSERT_EQ(::chmod(file.c_str(), c.file_mode), 0);
        ASSERT_EQ(::chmod(folder.c_str(), c.folder_mode), 0);
        std::vector<std::string> argv{program, dest, kUrl};
        if (root) {
            argv.insert(argv.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534",
                                       "--clear-groups"});
        }
        const ProcessResult r = RunProcess(argv, "", {}, 30);
        ::chmod(folder.c_str(), 0755);
        if (c.exit_code == 1) {
            ExpectFailureReport(r, "ファイルへのアクセスが拒否されました.");
            EXPECT_EQ(ReadBytes(file), SettingsBytes() + tail);
        } else {
            EXPECT_EQ(r.exit_code, 0) << c.name;
            EXPECT_EQ(NoticeBlocks(r.errors), Blocks{}) << c.name;
            EXPECT_EQ(ReadBytes(file), SettingsBytes("0", "0") + tail) << c.name;
        }
        EXPECT_EQ(IsLink(ini), c.link) << c.name;
        struct stat st;
        ASSERT_EQ(::stat(file.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c.file_mode) << c.name;
        EXPECT_EQ(ListNames(folder), (Blocks{"Quenbrook", "Quenbrook.ini"})) << c.name;
        EXPECT_EQ(ReadBytes(dest + "/sv.5ch.net/news/123.dat"), std::string(200000, 'd'));
    }
}

// A folder in the root that can be read but not searched, run as a user
// whom permissions bind: it stays with its notice, and the emptying goes on
// with the entries after it.
TEST_F(FaultTest, AFolderThatCannotBeSearchedStopsNothingElse) {
    Install(dir / "prog");
    Settings();
    MakeFolders(dir / "dest/a/inner");
    // Listing order is the file system's: with 40 entries beside it, some
    // come after the folder.
    for (int i = 0; i < 40; ++i) WriteBytes(dir / ("dest/f" + std::to_string(i)), "x");
    std::vector<std::string> argv{program, dir / "dest", kUrl};
    if (::getuid() == 0) {
        ASSERT_EQ(RunProcess({"/bin/chown", "-R", "65534:65534", dir.path()}).exit_code, 0);
        argv.insert(argv.begin(),
                    {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    }
    ASSERT_EQ(::chmod((dir / "dest/a").c_str(), 0644), 0);
    const ProcessResult r = RunProcess(argv, "y\n", {}, 30);
    ::chmod((dir / "dest/a").c_str(), 0755);
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(NoticeBlocks(r.errors),
              (Blocks{"Quenbrook [q] ログをコピーする前に、コピー先フォルダ '" + dir.path() +
                          "/dest' の中身を空にしますか？",
                      "Quenbrook [e] フォルダ '" + dir.path() + "/dest/a' を削除できませんでした。"}));
    EXPECT_EQ(ListNames(dir / "dest"), (Blocks{"a", "sv.5ch.net"}));
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

// A run waiting for its turn goes on when the run that has it is killed at
// its question: the system gives the turn back, and nothing was saved, so
// the waiting run finds a new browser run and asks itself.
TEST_F(FaultTest, AWaitingRunGoesOnWhenTheHolderIsKilled) {
    Install(dir / "prog");
    Settings("0", "5");
    MakeFolders(dir / "dest/old");
    Background holder({"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>&1", program, dir / "dest", kUrl});
    ASSERT_EQ(holder.ReadLine(), "== Quenbrook [q] ==");
    std::atomic<bool> done{false};
    ProcessResult waiting;
    std::thread run([&] {
        waiting = RunProgram(program, {dir / "dest", kUrl}, "n\n");
        done = true;
    });
    ::usleep(500000);
    EXPECT_FALSE(done);  // it waits for its turn
    holder.Kill();
    run.join();
    EXPECT_EQ(waiting.exit_code, 0);
    const Blocks blocks = NoticeBlocks(waiting.errors);
    ASSERT_EQ(blocks.size(), 1u) << waiting.errors;
    EXPECT_EQ(blocks[0].rfind("Quenbrook [q] ", 0), 0u);
    EXPECT_TRUE(IsFolder(dir / "dest/old"));
    EXPECT_EQ(ReadBytes(dir / "dest/sv.5ch.net/news/123.dat"), std::string(200000, 'd'));
    EXPECT_EQ(SavedHandle(ini), "0");
}

}  // namespace
