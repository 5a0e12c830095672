#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "base/text_file.h"
#include "support/system_faults.h"
#include "support/temp_folder.h"

namespace {

using namespace qb;
using qbtest::TempFolder;
using Lines = std::vector<std::string>;

TEST(TextFileReaderTest, LineEndsAndEndOfData) {
    struct Case {
        std::string bytes;
        Lines lines;
        LineEnds ends = LineEnds::kCr;
    };
    const std::string long_line(10000, 'x');  // longer than the read buffer
    const LineEnds lf_alone = LineEnds::kCrUnlessLf;
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb", {"a", "b"}},                    // lone CR ends a line
        {"a\nb\r\n", {"a\nb"}},                  // lone LF is an ordinary byte
        {"a\nb\n", {"a\nb\n"}},                  // even where no CR comes at all
        {"\r\n\r\nx", {"", "", "x"}},
        {"a\r\n\x1A" "b\r\n", {"a"}},            // 0x1A ends the data
        {"ab\x1A" "cd", {"ab"}},
        {"\x1A", {}},
        {"a\r\r\n", {"a", ""}},
        {long_line + "\r\n" + long_line, {long_line, long_line}},
        // At LF where no CR comes before the 0x1A; as above where one does.
        {"a\nb\n", {"a", "b"}, lf_alone},
        {"a\nb\x1A" "c\r\n", {"a", "b"}, lf_alone},
        {"a\nb\r\n", {"a\nb"}, lf_alone},
        {long_line + "\n" + long_line, {long_line, long_line}, lf_alone},
        {long_line + "\n" + long_line + "\r", {long_line + "\n" + long_line}, lf_alone},
    };
    TempFolder dir;
    for (const Case& c : cases) {
        qbtest::WriteBytes(dir / "f.txt", c.bytes);
        EXPECT_EQ(ReadTextLines(dir / "f.txt", 0, c.ends), c.lines) << c.bytes.substr(0, 20);
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

TEST(TextFileReaderTest, TheRestAfterTheLinesReadComesByteForByte) {
    struct Case {
        std::string bytes;
        std::size_t lines;
        std::string rest;
    };
    const std::string big(200000, 'r');  // longer than the reader's pieces
    const Case cases[] = {
        {"1\r\n2\r\n3", 2, "3"},
        {"1\r\n2\r\n", 2, ""},
        {"1\r2\n\r\n", 1, "2\n\r\n"},
        {"1\r\n\x1A" "2\r\n\x1A", 5, "\x1A" "2\r\n\x1A"},  // 0x1A and all after it
        {"ab\x1A" "cd", 1, "\x1A" "cd"},
        {"1\r\n" + big, 1, big},
    };
    TempFolder dir;
    for (const Case& c : cases) {
        qbtest::WriteBytes(dir / "f.txt", c.bytes);
        TextFileReader reader(dir / "f.txt");
        std::string line, piece, rest;
        for (std::size_t i = 0; i < c.lines && reader.ReadLine(line); ++i) {
        }
        while (reader.ReadRest(piece)) rest += piece;
        EXPECT_EQ(rest, c.rest) << c.bytes.substr(0, 20);
    }
}

TEST(TextFileWriterTest, ALineReplacedKeepsEveryOtherByteAndTheFilesPlace) {
    TempFolder dir;
    qbtest::MakeFolders(dir / "real");
    const std::string tail = "\x1A" "tail\rbytes";
    qbtest::WriteBytes(dir / "real/s.ini", "a\rxk=1\nk=3\r\nk=2\r\nb\r\nc\r\n" + tail);
    ASSERT_EQ(::chmod((dir / "real/s.ini").c_str(), 0640), 0);
    ASSERT_EQ(::symlink("real/s.ini", (dir / "s.ini").c_str()), 0);
    const auto first_k = [](Lines& lines) {
        const std::size_t i = FindLineStarting(lines, lines.size(), "k=");
        if (i != kNoLine) lines[i] = "k=9";
        return i != kNoLine;
    };
    // Only the first two lines are read for the edit, and none begins with k=.
    EXPECT_FALSE(ReplaceTextLine(dir / "s.ini", 2, LineEnds::kCr, first_k));
    EXPECT_TRUE(ReplaceTextLine(dir / "s.ini", 4, LineEnds::kCr, first_k));
    EXPECT_EQ(qbtest::ReadBytes(dir / "real/s.ini"),
              "a\r\nxk=1\nk=3\r\nk=9\r\nb\r\nc\r\n" + tail);
    struct stat st;
    ASSERT_EQ(::lstat((dir / "s.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));  // the link stays, its target is rewritten
    ASSERT_EQ(::stat((dir / "s.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(qbtest::ListNames(dir / "real"), Lines{"s.ini"});
    // Lines that end at LF come back each with its own end, or none: every
    // byte but the line replaced stays.
    const std::pair<std::string, std::string> lf_files[] = {
        {"a\nk=1\nb\n", "a\nk=9\nb\n"},
        {"a\nk=1\nb", "a\nk=9\nb"},
        {"a\nk=1", "a\nk=9"},
        {"k=1\nb\nc\nd\n", "k=9\nb\nc\nd\n"},  // beyond the 3 lines read
        {"a\nk=1\x1A" "b\r\n", "a\nk=9\x1A" "b\r\n"},
    };
    for (const auto& c : lf_files) {
        qbtest::WriteBytes(dir / "s.ini", c.first);
        EXPECT_TRUE(ReplaceTextLine(dir / "s.ini", 3, LineEnds::kCrUnlessLf, first_k));
        EXPECT_EQ(qbtest::ReadBytes(dir / "real/s.ini"), c.second);
    }
}

TEST(TextFileWriterTest, AFileHeldOpenElsewhereIsRewrittenInPlace) {
    TempFolder dir;
    qbtest::WriteBytes(dir / "s.ini", "a\r\nk=1\r\nb\r\n");
    int edits = 0;
    std::string k = "k=9";
    const auto set_k = [&](Lines& lines) { return ++edits, lines[1] = k, true; };
    EXPECT_TRUE(ReplaceTextLine(dir / "s.ini", 3, LineEnds::kCr, set_k));
    EXPECT_EQ(edits, 1);  // replaced: edited once, never rewritten again
    // The move over it refused as for a file another program holds open.
    qbtest::SystemFaults faults;
    faults.Fail(qbtest::Call::kRename, dir / "s.ini", EACCES);
    k = "k=7";
    EXPECT_TRUE(ReplaceTextLine(dir / "s.ini", 3, LineEnds::kCr, set_k));
    EXPECT_EQ(qbtest::ReadBytes(dir / "s.ini"), "a\r\nk=7\r\nb\r\n");
    EXPECT_EQ(qbtest::ListNames(dir.path()), Lines{"s.ini"});
    EXPECT_EQ(edits, 3);  // read anew for the rewrite in place
    // The line gone when read anew: nothing is written.
    const auto first_time = [&](Lines& lines) { return lines[1] = "k=5", ++edits == 4; };
    EXPECT_FALSE(ReplaceTextLine(dir / "s.ini", 3, LineEnds::kCr, first_time));
    EXPECT_EQ(qbtest::ReadBytes(dir / "s.ini"), "a\r\nk=7\r\nb\r\n");
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
