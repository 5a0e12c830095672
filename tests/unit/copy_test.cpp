#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <map>

#include "support/sandbox.h"

namespace {

using namespace qbtest;
using Texts = std::vector<std::string>;

const char* kForm1 = "http://sv.5ch.net/test/read.cgi/news/123/l50";
const char* kForm2 = "http://kanto.machi.to/bbs/read.pl?BBS=tokyo&KEY=456&LAST=100";

std::string BinaryBytes() {
    std::string bytes;
    for (int i = 0; i < 70000; ++i) bytes += static_cast<char>((i * 131) % 256);
    return bytes + std::string("\x1A\r\n\0tail", 8);
}

class CopyTest : public ::testing::Test {
protected:
    Sandbox box;
};

TEST_F(CopyTest, WholeCopiesOfBothFormsAndGenerations) {
    const std::string dat = BinaryBytes();
    struct Case {
        int generation;
        const char* add;
        const char* url;
        const char* log_folder;
        const char* copy_folder;
        const char* key;
    };
    const Case cases[] = {
        {1, "0", kForm1, "sv.5ch.net/news", "sv.5ch.net/news", "123"},
        {1, "1", kForm1, "sv.5ch.net/news", "_sv.5ch.net/_news", "123"},
        {2, "0", kForm1, "5ch/news", "5ch/news", "123"},
        {2, "1", kForm2, "machibbs/tokyo", "_machibbs/_tokyo", "456"},
        {1, "0", kForm2, "kanto.machi.to/tokyo", "kanto.machi.to/tokyo", "456"},
        // A ':' in a board's name names no drive.
        {2, "0", "http://sv.5ch.net/test/read.cgi/a:b/123", "5ch/a:b", "5ch/a:b", "123"},
    };
    for (const Case& c : cases) {
        const std::string inf = std::string("TITLE=t\r\n") + c.key;
        const std::string folder = box.logs() + "/" + c.log_folder;
        MakeFolders(folder);
        WriteBytes(folder + "/" + c.key + ".dat", dat);
        WriteBytes(folder + "/" + c.key + ".inf", inf);
        box.Settings(c.generation, c.add, "0");
        EXPECT_EQ(box.Run({box.root(), c.url}), 0);
        EXPECT_EQ(box.Texts(), Texts{}) << c.url;
        const std::string copied = box.root() + "/" + c.copy_folder + "/" + c.key;
        EXPECT_EQ(ReadBytes(copied + ".dat"), dat) << copied;
        EXPECT_EQ(ReadBytes(copied + ".inf"), inf);
        EXPECT_EQ(ReadBytes(folder + "/" + c.key + ".dat"), dat);  // source untouched
    }
}

TEST_F(CopyTest, AnOverwriteReplacesTheEarlierCopyWithoutAsking) {
    box.Settings(1, "0", "0");
    box.AddThread({"sv.5ch.net", "news", "123", "new posts, longer than before", "TITLE=a"});
    const std::string copied = box.root() + "/sv.5ch.net/news/123";
    MakeFolders(box.root() + "/sv.5ch.net/news");
    WriteBytes(copied + ".dat", "old and much much longer content than the new one is going to be");
    EXPECT_EQ(box.Run({box.root(), kForm1}), 0);
    EXPECT_EQ(box.Texts(), Texts{});
    EXPECT_EQ(ReadBytes(copied + ".dat"), "new posts, longer than before");
}

TEST_F(CopyTest, SourceChecksReportTheFirstMissingPiece) {
    box.Settings(1, "0", "0");
    const std::string folder = box.logs() + "/sv.5ch.net/news";
    EXPECT_EQ(box.Run({box.root(), kForm1}), 0);
    EXPECT_EQ(box.Texts(), Texts{"コピー元のフォルダ '" + folder + "' が、見つかりませんでした。"});
    MakeFolders(folder);
    box.Run({box.root(), kForm1});
    EXPECT_EQ(box.Texts(),
              Texts{"コピー元のファイル '" + folder + "/123.dat' が、見つかりませんでした。"});
    WriteBytes(folder + "/123.dat", "d");
    box.Run({box.root(), kForm1});
    EXPECT_EQ(box.Texts(),
              Texts{"コピー元のファイル '" + folder + "/123.inf' が、見つかりませんでした。"});
    // A key with a wildcard character names a file that is not there.
    box.Run({box.root(), "http://sv.5ch.net/test/read.cgi/news/12*"});
    EXPECT_EQ(box.Texts(),
              Texts{"コピー元のファイル '" + folder + "/12*.dat' が、見つかりませんでした。"});
    EXPECT_FALSE(Exists(box.root() + "/sv.5ch.net"));  // nothing was created
}

TEST_F(CopyTest, AFileCountsAsPresentWhateverItsDate) {
    box.Settings(1, "0", "0");
    box.AddThread({"sv.5ch.net", "news", "123", "d", "i"});
    const std::string dat = box.logs() + "/sv.5ch.net/news/123.dat";
    struct timespec times[2] = {{315532700, 0}, {315532700, 0}};  // 1979-12-31
    ASSERT_EQ(::utimensat(AT_FDCWD, dat.c_str(), times, 0), 0);
    ASSERT_EQ(::utimensat(AT_FDCWD, box.ini().c_str(), times, 0), 0);
    EXPECT_EQ(box.Run({box.root(), kForm1}), 0);
    EXPECT_EQ(box.Texts(), Texts{});
    EXPECT_EQ(ReadBytes(box.root() + "/sv.5ch.net/news/123.dat"), "d");
}

TEST_F(CopyTest, DestinationFolderThatCannotBeCreated) {
    box.Settings(1, "0", "0");
    box.AddThread({"sv.5ch.net", "news", "123", "d", "i"});
    MakeFolders(box.root());
    WriteBytes(box.root() + "/sv.5ch.net", "a file in the way");
    EXPECT_EQ(box.Run({box.root(), kForm1}), 0);
    EXPECT_EQ(box.Texts(), Texts{"コピー先フォルダ '" + box.root() +
                                 "/sv.5ch.net/news' を作成できませんでした。"});
}

// Copies go where the user's folders lead: through a folder link in the
// root to another place, and into a root the user put inside the log folder
// (the '_' folders not asked for), whose logs stay as they were.
TEST_F(CopyTest, CopiesGoWhereTheUsersFoldersLead) {
    box.Settings(1, "0", "0");
    box.AddThread({"sv.5ch.net", "news", "123", "posts", "TITLE=t"});
    MakeFolders(box.dir / "big");
    ASSERT_EQ(::symlink((box.dir / "big").c_str(), (box.root() + "/sv.5ch.net").c_str()), 0);
    MakeFolders(box.logs() + "/saved");
    const std::map<std::string, std::string> logs = Snapshot(box.logs());
    for (const std::string& root : {box.root(), box.logs() + "/saved"}) {
        EXPECT_EQ(box.Run({root, kForm1}), 0);
        EXPECT_EQ(box.Texts(), Texts{}) << root;
    }
    EXPECT_EQ(ReadBytes(box.dir / "big/news/123.dat"), "posts");
    EXPECT_EQ(ReadBytes(box.logs() + "/saved/sv.5ch.net/news/123.inf"), "TITLE=t");
    const std::map<std::string, std::string> after = Snapshot(box.logs());
    for (const auto& entry : logs) EXPECT_EQ(after.at(entry.first), entry.second) << entry.first;
}

// A root that is the log folder holds the copies already, also where the
// browser's log file is a link the user made: the link stays the log's way
// to its file, never replaced by a copy.
TEST_F(CopyTest, TheLogFilesOwnLinkIsTheCopyAlready) {
    box.Settings(1, "0", "0");
    box.AddThread({"sv.5ch.net", "news", "123", "posts", "TITLE=t"});
    const std::string dat = box.logs() + "/sv.5ch.net/news/123.dat";
    MakeFolders(box.dir / "real");
    ASSERT_EQ(::rename(dat.c_str(), (box.dir / "real/123.dat").c_str()), 0);
    ASSERT_EQ(::symlink((box.dir / "real/123.dat").c_str(), dat.c_str()), 0);
    EXPECT_EQ(box.Run({box.logs(), kForm1}), 0);
    EXPECT_EQ(box.Texts(), Texts{});
    struct stat st;
    ASSERT_EQ(::lstat(dat.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadBytes(box.dir / "real/123.dat"), "posts");
}

TEST_F(CopyTest, ACopyFailureNamesNeitherFileAndKeepsTheDat) {
    box.Settings(1, "0", "0");
    box.AddThread({"sv.5ch.net", "news", "123", "d", "i"});
    MakeFolders(box.root() + "/sv.5ch.net/news/123.inf");  // a folder in the .inf's place
    EXPECT_EQ(box.Run({box.root(), kForm1}), 0);
    EXPECT_EQ(box.Texts(), Texts{"ログファイルのコピー中に、エラーが発生しました。"});
    EXPECT_EQ(ReadBytes(box.root() + "/sv.5ch.net/news/123.dat"), "d");
}

// A killed run leaves its private temporary files; a later run that writes
// into the same folder removes those of processes that no longer run, and
// nothing else.
TEST_F(CopyTest, LeftoversOfKilledRunsAreRemovedAndNothingElse) {
    const pid_t dead = ::fork();
    if (dead == 0) ::_exit(0);
    ::waitpid(dead, nullptr, 0);
    const std::string gone = std::to_string(dead), alive = std::to_string(::getpid());
    const std::string copies = box.root() + "/sv.5ch.net/news";
    MakeFolders(copies);
    box.AddThread({"sv.5ch.net", "news", "123", "posts", "TITLE=t"});
    box.Settings(1, "0", "0", "7");  // a new browser run: the handle is saved
    const Texts stale = {"123.dat." + gone + "-1.tmp", "123.inf." + gone + "-12.tmp"};
    const Texts kept = {"123.dat." + alive + "-1.tmp",  // a run still going
                        "123.dat." + gone + "-1.tmp.x", "123.dat." + gone + ".tmp",
                        "123.dat.x" + gone + "-1.tmp", "124.dat." + gone + "-1.tmp"};
    for (const Texts* names : {&stale, &kept}) {
        for (const std::string& name : *names) WriteBytes(copies + "/" + name, "part");
    }
    WriteBytes(box.dir / ("prog/Quenbrook.ini." + gone + "-3.tmp"), "part");
    MakeFolders(copies + "/123.dat." + gone + "-2.tmp");  // no file: not ours
    EXPECT_EQ(box.Run({box.root(), kForm1}), 0);
    Texts expected = kept;
    expected.insert(expected.end(), {"123.dat", "123.dat." + gone + "-2.tmp", "123.inf"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ListNames(copies), expected);
    EXPECT_EQ(ListNames(box.dir / "prog"), Texts{"Quenbrook.ini"});
}

}  // namespace
