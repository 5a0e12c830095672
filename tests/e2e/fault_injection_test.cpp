// Faults injected into real runs of the native binary: read-only and
// unwritable places, full disks, odd files. For each: what the user sees,
// the exit code, and that nothing is lost (settings file and source tree
// byte-identical unless the run succeeded, no temporary file left).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>

#include "e2e/program_runner.h"
#include "run/run_state.h"
#include "support/fake_user_facing.h"
#include "support/temp_folder.h"
#include "title/thread_title.h"

namespace {

using namespace qbtest;
using Blocks = std::vector<std::string>;
using Tree = std::map<std::string, std::string>;

const char* kUrl = "http://sv.5ch.net/test/read.cgi/news/123";

// Every file below `path` with its bytes.
void Collect(const std::string& path, const std::string& relative, Tree& tree) {
    for (const std::string& name : ListNames(path)) {
        const std::string full = path + "/" + name;
        if (IsFolder(full)) {
            tree[relative + name + "/"] = "";
            Collect(full, relative + name + "/", tree);
        } else {
            tree[relative + name] = ReadBytes(full);
        }
    }
}

Tree Snapshot(const std::string& path) {
    Tree tree;
    Collect(path, "", tree);
    return tree;
}

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
        MakeFolders(dir / "logs/sv.5ch.net/news");
        WriteBytes(dir / "logs/sv.5ch.net/news/123.dat", std::string(200000, 'd'));
        WriteBytes(dir / "logs/sv.5ch.net/news/123.inf", "TITLE=t\r\n");
        MakeFolders(dir / "dest");
    }

    void Install(const std::string& folder) {
        program = InstallProgram(folder);
        ini = folder + "/Quenbrook.ini";
    }

    // A new browser run (saved handle 5, none found now): a successful copy
    // rewrites the settings file.
    void Settings(const std::string& show_title = "0") {
        WriteBytes(ini, "IniVer=101\r\nVelmVer=1\r\nVelmLogDir=" + dir.path() +
                            "/logs\r\nAddUdrScr=0\r\nShowTitle=" + show_title +
                            "\r\nhwVelmWnd=5\r\nUser=keep me\r\n");
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
    EXPECT_EQ(ui.boxes[0].style, 0x00010010u);
    ASSERT_EQ(::mkfifo((dir / "dest/123.inf").c_str(), 0644), 0);
    try {
        qb::ShowThreadTitle(state, ui);
        FAIL() << "no failure raised";
    } catch (const qb::InOutError& e) {
        EXPECT_EQ(e.code, 5u);
    }
}

}  // namespace
