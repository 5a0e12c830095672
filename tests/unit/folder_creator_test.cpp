#include <gtest/gtest.h>

#include "base/folder_creator.h"
#include "support/temp_folder.h"

namespace {

using namespace qb;
using qbtest::TempFolder;

TEST(FolderCreatorTest, CreatesAllMissingParents) {
    TempFolder dir;
    EXPECT_TRUE(CreateFolderPath(dir / "a/b/c"));
    EXPECT_TRUE(qbtest::IsFolder(dir / "a/b/c"));
    EXPECT_TRUE(CreateFolderPath(dir / "a/b/c/"));      // present, trailing separator
    EXPECT_TRUE(CreateFolderPath(dir / "x\\y"));        // '\' separates as '/' does
    EXPECT_TRUE(qbtest::IsFolder(dir / "x/y"));
}

TEST(FolderCreatorTest, AFailureAtAnyLevelFailsThePath) {
    TempFolder dir;
    qbtest::WriteBytes(dir / "file", "x");
    EXPECT_FALSE(CreateFolderPath(dir / "file/sub/deeper"));
    EXPECT_FALSE(qbtest::Exists(dir / "file/sub"));
}

TEST(FolderCreatorTest, ShortPathsCountAsPresent) {
    // Nothing is created or queried for one or two bytes.
    EXPECT_TRUE(CreateFolderPath("zz"));
    EXPECT_TRUE(CreateFolderPath("Q:"));
    EXPECT_TRUE(CreateFolderPath("Q:\\"));
    EXPECT_FALSE(qbtest::Exists("zz"));
}

TEST(FolderCreatorTest, EnsureFolderSaysWhatItFoundOrDid) {
    TempFolder dir;
    qbtest::MakeFolders(dir / "there");
    qbtest::WriteBytes(dir / "file", "x");
    const struct {
        std::string path;
        FolderState state;
    } cases[] = {
        {dir / "there", FolderState::kExisted},
        {dir / "there/", FolderState::kExisted},
        {dir / "new/sub", FolderState::kCreated},
        {dir / "new/sub", FolderState::kExisted},  // made by the row before
        {dir / "colon/a:b", FolderState::kCreated},  // a ':' past a drive's is a name's
        {dir / "file", FolderState::kMissing},     // a file of that name
        {dir / "file/sub", FolderState::kMissing},
        {"zz", FolderState::kMissing},  // counts as present to the creator, yet is not there
    };
    for (const auto& c : cases) EXPECT_EQ(EnsureFolder(c.path), c.state) << c.path;
    EXPECT_TRUE(qbtest::IsFolder(dir / "new/sub"));
    EXPECT_FALSE(qbtest::Exists("zz"));
    EXPECT_THROW(EnsureFolder(""), FolderCreatorError);
}

TEST(FolderCreatorTest, AnEmptyPathIsRefused) {
    EXPECT_THROW(CreateFolderPath(""), FolderCreatorError);
    EXPECT_THROW(CreateFolderPath("relative-name-that-is-not-here"), FolderCreatorError);
}

}  // namespace
