#include "platform/text_file.h"

namespace qb {

namespace {
constexpr char kEndOfData = 0x1A;
}

TextFileReader::TextFileReader(const std::string& path)
    : file_(OpenForRead(path)), open_(true) {}

TextFileReader::~TextFileReader() {
    if (open_) {
        try {
            CloseFile(file_);
        } catch (const InOutError&) {
            // Already unwinding or done reading: nothing more to report.
        }
    }
}

void TextFileReader::Close() {
    open_ = false;
    CloseFile(file_);
}

bool TextFileReader::Fill() {
    if (at_end_) return false;
    size_ = ReadFile(file_, buffer_, sizeof buffer_);
    pos_ = 0;
    if (size_ == 0) at_end_ = true;
    return size_ != 0;
}

bool TextFileReader::ReadLine(std::string& line) {
    line.clear();
    bool any = false;
    for (;;) {
        if (pos_ == size_ && !Fill()) return any;
        const char c = buffer_[pos_];
        if (c == kEndOfData) {
            at_end_ = true;
            size_ = pos_;
            return any;
        }
        ++pos_;
        if (c == '\r') {
            // A CR LF counts as one line end.
            if (pos_ < size_ || Fill()) {
                if (buffer_[pos_] == '\n') ++pos_;
            }
            return true;
        }
        line += c;
        any = true;
    }
}

std::vector<std::string> ReadTextLines(const std::string& path,
                                       std::size_t max_lines) {
    TextFileReader reader(path);
    std::vector<std::string> lines;
    std::string line;
    while ((max_lines == 0 || lines.size() < max_lines) && reader.ReadLine(line)) {
        lines.push_back(line);
    }
    reader.Close();
    return lines;
}

void WriteTextFileReplacing(const std::string& path,
                            const std::vector<std::string>& lines) {
    std::string content;
    for (const std::string& line : lines) {
        content += line;
        content += "\r\n";
    }
    const std::string temp = path + ".tmp";
    FileHandle file = CreateForWrite(temp);
    try {
        WriteFile(file, content.data(), content.size());
        FlushFile(file);
    } catch (const InOutError&) {
        DiscardFile(file, temp);
        throw;
    }
    try {
        CloseFile(file);
        ReplaceFile(temp, path);
    } catch (const InOutError&) {
        DiscardFile(FileHandle{}, temp);
        throw;
    }
}

}  // namespace qb
