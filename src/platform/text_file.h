// Line-oriented text files over the raw file operations of the platform.
// Reading: a line ends at CR LF or at a lone CR and is delivered without it;
// a lone LF is an ordinary byte; a byte 0x1A ends the readable data.
// Writing: each line's bytes unchanged, each followed by CR LF.
// Every failure raises InOutError.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace qb {

class TextFileReader {
public:
    explicit TextFileReader(const std::string& path);
    ~TextFileReader();
    TextFileReader(const TextFileReader&) = delete;
    TextFileReader& operator=(const TextFileReader&) = delete;

    // The next line; false at the end of the data.
    bool ReadLine(std::string& line);
    void Close();

private:
    bool Fill();

    FileHandle file_;
    bool open_ = false;
    bool at_end_ = false;
    char buffer_[4096];
    std::size_t pos_ = 0;
    std::size_t size_ = 0;
};

// All lines of the file, or as many as `max_lines` when it is not 0.
std::vector<std::string> ReadTextLines(const std::string& path,
                                       std::size_t max_lines = 0);

// Replaces the content of `path` with `lines` in one step: the new content is
// written to a temporary file beside it, flushed, and moved over `path`. On
// failure the old file is untouched and the temporary file is removed.
void WriteTextFileReplacing(const std::string& path,
                            const std::vector<std::string>& lines);

}  // namespace qb
