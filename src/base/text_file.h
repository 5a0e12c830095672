// Line-oriented text files over the raw file operations of the platform.
// Reading: a line ends at CR LF or at a lone CR and is delivered without it;
// a lone LF is an ordinary byte; a byte 0x1A ends the readable data. A
// reader asked to may take LF as the line end instead, for a file that
// holds no CR before its data ends (as editors other than Notepad save it).
// Writing: each line's bytes unchanged, each followed by CR LF.
// Every failure raises InOutError.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/text_files.h"

namespace qb {

// Where the lines of a file end.
enum class LineEnds {
    kCr,         // at CR LF or at a lone CR; a lone LF is an ordinary byte
    kCrUnlessLf,  // as kCr, but at LF in a file with no CR before its data ends
};

class TextFileReader {
public:
    explicit TextFileReader(const std::string& path, LineEnds ends = LineEnds::kCr);
    ~TextFileReader();
    TextFileReader(const TextFileReader&) = delete;
    TextFileReader& operator=(const TextFileReader&) = delete;

    // The next line; false at the end of the data.
    bool ReadLine(std::string& line);
    // Whether this file's lines end at LF (see LineEnds).
    bool EndsAtLf() const { return at_lf_; }
    // Whether the last line delivered had a line end: false only for a last
    // line that the end of the data ends.
    bool LastLineEnded() const { return last_ended_; }
    // The bytes after the last line delivered (a 0x1A and all that follows it
    // included) up to the end of the file, a piece at a time; false when
    // nothing is left.
    bool ReadRest(std::string& piece);
    void Close();

private:
    bool Fill();
    bool CrBeforeTheEndOfData();

    FileHandle file_;
    bool open_ = false;
    bool at_lf_ = false;        // lines end at LF, not at CR
    bool last_ended_ = true;
    bool file_end_ = false;     // the file has no more bytes
    bool data_end_ = false;     // a 0x1A was met: no more lines
    char buffer_[4096];
    std::size_t pos_ = 0;
    std::size_t size_ = 0;
};

// All lines of the file, or as many as `max_lines` when it is not 0.
std::vector<std::string> ReadTextLines(const std::string& path, std::size_t max_lines = 0,
                                       LineEnds ends = LineEnds::kCr);

// The index of the first of the first `max_lines` lines that begins with
// `prefix`; kNoLine when there is none.
constexpr std::size_t kNoLine = static_cast<std::size_t>(-1);
std::size_t FindLineStarting(const std::vector<std::string>& lines, std::size_t max_lines,
                             const std::string& prefix);

// Replaces the content of `path` with `lines` in one step: the new content is
// written to a private temporary file beside it, flushed, and moved over
// `path`. On failure the old file is untouched and the temporary file is
// removed.
void WriteTextFileReplacing(const std::string& path,
                            const std::vector<std::string>& lines);

// Changes the first lines read from a file (all of them up to the limit);
// false to leave the file as it is.
using LineEdit = std::function<bool(std::vector<std::string>& lines)>;

// Rewrites `path`, its lines read as `ends` says, with its first `max_lines`
// lines as `edit` leaves them. Those lines are written back with CR LF, or,
// in a file whose lines end at LF, each with the LF it had (a last line
// without one gets none); every byte after them (the later lines, and a 0x1A
// with all that follows) is kept as it is. The file is read
// anew, so that it keeps what a neighbour wrote meanwhile. A link is
// rewritten at its target and the file keeps its permissions; a read-only
// file raises InOutError kIoAccessDenied and stays as it was. The new content
// replaces the old in one step; where the folder refuses new files, or
// another program holds the file open so that it cannot be replaced but lets
// others write it, the file is rewritten in place. False, with nothing
// written, when `edit` returns false.
bool ReplaceTextLine(const std::string& path, std::size_t max_lines, LineEnds ends,
                     const LineEdit& edit);

}  // namespace qb
