#include <gtest/gtest.h>

#include "platform/text_file.h"
#include "support/temp_folder.h"

namespace {

using namespace qb;
using qbtest::TempFolder;
using Lines = std::vector<std::string>;

TEST(TextFileReaderTest, LineEndsAndEndOfData) {
    struct Case {
        std::string bytes;
        Lines lines;
    };
    const std::string long_line(10000, 'x');  // longer than the read buffer
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb", {"a", "b"}},                    // lone CR ends a line
        {"a\nb\r\n", {"a\nb"}},                  // lone LF is an ordinary byte
        {"\r\n\r\nx", {"", "", "x"}},
        {"a\r\n\x1A" "b\r\n", {"a"}},            // 0x1A ends the data
        {"ab\x1A" "cd", {"ab"}},
        {"\x1A", {}},
        {"a\r\r\n", {"a", ""}},
        {long_line + "\r\n" + long_line, {long_line, long_line}},
    };
    TempFolder dir;
    for (const Case& c : cases) {
        qbtest::WriteBytes(dir / "f.txt", c.bytes);
        EXPECT_EQ(ReadTextLines(dir / "f.txt"), c.lines);
    }
}

TEST(TextFileReaderTest, CrLfAcrossTheBufferBoundary) {
    TempFolder dir;
    const std::string first(4095, 'a');
    qbtest::WriteBytes(dir / "f.txt", first + "\r\nb");
    EXPECT_EQ(ReadTextLines(dir / "f.txt"), (Lines{first, "b"}));
}

TEST(TextFileReaderTest, StopsAtTheLineLimit) {
    TempFolder dir;
    qbtest::WriteBytes(dir / "f.txt", "1\r\n2\r\n3\r\n");
    EXPECT_EQ(ReadTextLines(dir / "f.txt", 2), (Lines{"1", "2"}));
}

TEST(TextFileReaderTest, MissingFileOrFolderRaises) {
    TempFolder dir;
    try {
        ReadTextLines(dir / "none.txt");
        FAIL() << "no failure raised";
    } catch (const InOutError& e) {
        EXPECT_EQ(e.code, 2u);
    }
    try {
        ReadTextLines(dir.path());
        FAIL() << "no failure raised";
    } catch (const InOutError& e) {
        EXPECT_EQ(e.code, 5u);
    }
}

TEST(TextFileWriterTest, WritesEachLineWithCrLfAndReplacesInOneStep) {
    TempFolder dir;
    qbtest::WriteBytes(dir / "s.ini", "old content that is longer\r\n");
    WriteTextFileReplacing(dir / "s.ini", {"a", "", "b\nc"});
    EXPECT_EQ(qbtest::ReadBytes(dir / "s.ini"), "a\r\n\r\nb\nc\r\n");
    EXPECT_EQ(qbtest::ListNames(dir.path()), Lines{"s.ini"});  // no temporary file left
}

TEST(TextFileWriterTest, FailureKeepsTheOldFileAndLeavesNoTemporaryFile) {
    TempFolder dir;
    qbtest::MakeFolders(dir / "s.ini");  // a folder cannot be replaced by a file
    EXPECT_THROW(WriteTextFileReplacing(dir / "s.ini", {"x"}), InOutError);
    EXPECT_TRUE(qbtest::IsFolder(dir / "s.ini"));
    EXPECT_EQ(qbtest::ListNames(dir.path()), Lines{"s.ini"});
    EXPECT_THROW(WriteTextFileReplacing(dir / "missing/s.ini", {"x"}), InOutError);
}

}  // namespace
