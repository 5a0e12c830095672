#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "support/sandbox.h"

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

    std::string SavedHandleLine() const {
        const std::string ini = ReadBytes(box.ini());
        const std::size_t at = ini.find("hwVelmWnd=");
        return ini.substr(at, ini.find('\r', at) - at);
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
        {"0", 0, {}, false, false, "hwVelmWnd=0"},           // equal, both 0
        {"777", 777, {}, false, false, "hwVelmWnd=777"},     // equal
        {"777", 0, {true}, true, true, "hwVelmWnd=0"},       // browser gone, yes
        {"0", 4294967295u, {false}, true, false, "hwVelmWnd=4294967295"},  // new run, no
        {"5", 6, {}, true, false, "hwVelmWnd=6"},            // no answer left: no
    };
    for (const Case& c : cases) {
        box.Settings(1, "0", "0", c.saved);
        box.ui.window = c.window;
        box.ui.answers.assign(c.answers.begin(), c.answers.end());
        EXPECT_EQ(box.Run({box.root(), kUrl}), 0);
        EXPECT_EQ(box.ui.looked_up.back(), "TVelmarisForm");
        if (c.asked) {
            ASSERT_EQ(box.Texts(), Texts{Question()}) << c.saved;
            EXPECT_EQ(box.ui.boxes[0].style, 0x00050124u);
            EXPECT_EQ(box.ui.boxes[0].caption, "Quenbrook");
        } else {
            EXPECT_EQ(box.Texts(), Texts{}) << c.saved;
        }
        EXPECT_EQ(Exists(box.root() + "/top.txt"), !c.emptied);
        EXPECT_EQ(ListNames(box.root() + "/sv.5ch.net/news"),
                  (std::vector<std::string>{"123.dat", "123.inf"}));
        EXPECT_EQ(SavedHandleLine(), c.saved_after);
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

TEST_F(BrowserRunTest, AnEmptyRootIsNotAskedAboutButTheHandleIsSaved) {
    const std::string root = box.dir / "empty-root";
    MakeFolders(root);
    box.Settings(1, "0", "0", "0");
    box.ui.window = 42;
    EXPECT_EQ(box.Run({root, kUrl}), 0);
    EXPECT_EQ(box.Texts(), Texts{});
    EXPECT_EQ(SavedHandleLine(), "hwVelmWnd=42");
}

TEST_F(BrowserRunTest, AFailedCopyKeepsTheOldHandle) {
    box.Settings(1, "0", "0", "0");
    box.ui.window = 42;
    box.ui.answers = {false};
    WriteBytes(box.root() + "/sv.5ch.net", "in the way");
    box.Run({box.root(), kUrl});
    EXPECT_EQ(box.Texts().size(), 2u);
    EXPECT_EQ(SavedHandleLine(), "hwVelmWnd=0");
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
    box.Settings(1, "0", "0", "1");
    box.ui.answers = {true};
    box.Run({box.root(), kUrl});
    EXPECT_EQ(box.Texts(), Texts{Question()});
    EXPECT_EQ(ListNames(box.root()), Texts{"sv.5ch.net"});
    EXPECT_EQ(ReadBytes(outside + "/sub/precious.txt"), "keep me");
    EXPECT_EQ(ReadBytes(outside + "/file.txt"), "keep me too");
}

// An immutable file cannot be removed even by root: one notice for it and
// one for each folder between it and the root.
TEST_F(BrowserRunTest, AFileThatCannotBeRemoved) {
    const std::string stuck = box.root() + "/old/deeper/1.dat";
    const int fd = ::open(stuck.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    int flags = 0;
    const bool immutable = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                           (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    if (!immutable) {
        ::close(fd);
        GTEST_SKIP() << "this file system cannot make a file undeletable";
    }
    box.Settings(1, "0", "0", "1");
    box.ui.answers = {true};
    box.Run({box.root(), kUrl});
    flags &= ~FS_IMMUTABLE_FL;
    ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    ::close(fd);
    const Texts expected = {
        Question(),
        "ファイル '" + stuck + "' を削除できませんでした。",
        "フォルダ '" + box.root() + "/old/deeper' を削除できませんでした。",
        "フォルダ '" + box.root() + "/old' を削除できませんでした。",
    };
    EXPECT_EQ(box.Texts(), expected);
    EXPECT_EQ(ReadBytes(box.root() + "/sv.5ch.net/news/123.dat"), "posts");  // copy went on
}

TEST_F(BrowserRunTest, ARootOverlappingTheLogFolderIsNeverEmptied) {
    struct Case {
        std::string root;
        std::string log_root;
    };
    const Case cases[] = {
        {box.logs(), box.logs()},                 // the log folder itself
        {box.dir.path(), box.logs()},             // holds it
        {box.logs() + "/sv.5ch.net", box.logs()}, // lies inside it
        {box.logs() + "/../logs/", box.logs()},   // the same folder, spelt otherwise
    };
    for (const Case& c : cases) {
        box.Settings(1, "1", "0", "1");  // '_' folders: never the log files themselves
        box.ui.answers = {true};
        EXPECT_EQ(box.Run({c.root, kUrl}), 0);
        const std::string shown_root = c.root.back() == '/' ? c.root.substr(0, c.root.size() - 1)
                                                            : c.root;
        ASSERT_EQ(box.Texts().size(), 1u) << c.root;
        EXPECT_EQ(box.Texts()[0], "コピー先フォルダ '" + shown_root + "' は、\r\nログフォルダ '" +
                                      c.log_root +
                                      "' と重なっているので、\r\n中身を空にせずにコピーします。");
        EXPECT_EQ(box.ui.boxes[0].style, 0x00010030u);
        EXPECT_EQ(ReadBytes(box.logs() + "/sv.5ch.net/news/123.dat"), "posts");
        EXPECT_EQ(box.ui.answers.size(), 1u);  // nothing was asked
    }
    // Without '_' folders a root that is the log folder would copy each log
    // file onto itself: refused, and the log stays whole.
    box.Settings(1, "0", "0", "1");
    box.Run({box.logs(), kUrl});
    ASSERT_EQ(box.Texts().size(), 2u);
    EXPECT_EQ(box.Texts()[1], "ログファイルのコピー中に、エラーが発生しました。");
    EXPECT_EQ(ReadBytes(box.logs() + "/sv.5ch.net/news/123.dat"), "posts");
    // A sibling whose name merely starts the same is no overlap.
    MakeFolders(box.logs() + "2");
    WriteBytes(box.logs() + "2/x", "x");
    box.Settings(1, "0", "0", "1");
    box.ui.answers = {true};
    box.Run({box.logs() + "2", kUrl});
    EXPECT_EQ(box.Texts(), Texts{"ログをコピーする前に、コピー先フォルダ '" + box.logs() +
                                 "2' の中身を空にしますか？"});
}

}  // namespace
