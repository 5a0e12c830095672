#include "base/text_file.h"

#include <algorithm>

#include "platform/files.h"

namespace qb {

namespace {
constexpr char kEndOfData = 0x1A;
}

TextFileReader::TextFileReader(const std::string& path, LineEnds ends)
    : file_(OpenForRead(path)), open_(true) {
    if (ends == LineEnds::kCr) return;
    try {
        at_lf_ = !CrBeforeTheEndOfData();
    } catch (const InOutError&) {
        Close();
        throw;
    }
}

// Looks through the data for a CR, then goes back to the file's first byte.
bool TextFileReader::CrBeforeTheEndOfData() {
    bool cr = false;
    while (Fill()) {
        char* const end = buffer_ + size_;
        char* const stop =
            std::find_if(buffer_, end, [](char c) { return c == '\r' || c == kEndOfData; });
        if (stop != end) {
            cr = *stop == '\r';
            break;
        }
    }
    RewindFile(file_);
    pos_ = size_ = 0;
    file_end_ = false;
    return cr;
}

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
    if (file_end_) return false;
    size_ = ReadFile(file_, buffer_, sizeof buffer_);
    pos_ = 0;
    if (size_ == 0) file_end_ = true;
    return size_ != 0;
}

bool TextFileReader::ReadLine(std::string& line) {
    line.clear();
    if (data_end_) return false;
    bool any = false;
    for (;;) {
        if (pos_ == size_ && !Fill()) break;
        const char c = buffer_[pos_];
        if (c == kEndOfData) {
            // Left in the buffer: it belongs to the rest of the file.
            data_end_ = true;
            break;
        }
        ++pos_;
        if (c == (at_lf_ ? '\n' : '\r')) {
            // A CR LF counts as one line end.
            if (!at_lf_ && (pos_ < size_ || Fill())) {
                if (buffer_[pos_] == '\n') ++pos_;
            }
            last_ended_ = true;
            return true;
        }
        line += c;
        any = true;
    }
    // A last line that the end of the data ends.
    if (any) last_ended_ = false;
    return any;
}

bool TextFileReader::ReadRest(std::string& piece) {
    if (pos_ < size_) {
        piece.assign(buffer_ + pos_, size_ - pos_);
        pos_ = size_;
        return true;
    }
    if (file_end_) return false;
    // Large pieces straight from the file: the rest may be long.
    piece.resize(1 << 16);
    const std::size_t n = ReadFile(file_, &piece[0], piece.size());
    piece.resize(n);
    if (n == 0) file_end_ = true;
    return n != 0;
}

namespace {

// The next lines from `reader`: all of them, or as many as `max_lines` when
// it is not 0. The reader stays open on what follows them.
std::vector<std::string> ReadLines(TextFileReader& reader, std::size_t max_lines) {
    std::vector<std::string> lines;
    std::string line;
    while ((max_lines == 0 || lines.size() < max_lines) && reader.ReadLine(line)) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

std::vector<std::string> ReadTextLines(const std::string& path, std::size_t max_lines,
                                       LineEnds ends) {
    TextFileReader reader(path, ends);
    std::vector<std::string> lines = ReadLines(reader, max_lines);
    reader.Close();
    return lines;
}

std::size_t FindLineStarting(const std::vector<std::string>& lines, std::size_t max_lines,
                             const std::string& prefix) {
    const std::size_t searched = std::min(lines.size(), max_lines);
    for (std::size_t i = 0; i < searched; ++i) {
        if (lines[i].compare(0, prefix.size(), prefix) == 0) return i;
    }
    return kNoLine;
}

namespace {

// The lines as they are written: each followed by CR LF; when `read` (the
// reader they came from) found them ended at LF, each by the LF it had.
std::string JoinedLines(const std::vector<std::string>& lines,
                        const TextFileReader* read = nullptr) {
    const bool lf = read != nullptr && read->EndsAtLf();
    std::string content;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        content += lines[i];
        if (!lf) {
            content += "\r\n";
        } else if (i + 1 < lines.size() || read->LastLineEnded()) {
            content += '\n';
        }
    }
    return content;
}

// True when a refused move over `target` (a sharing violation, or access
// denied on the move itself) comes from another program that holds it open
// but lets others write it, as an editor or a sync client does.
bool HeldButWritable(std::uint32_t code, const std::string& target) {
    if (code != kIoSharingViolation && code != kIoAccessDenied) return false;
    try {
        CloseFile(OpenExistingForWrite(target));
    } catch (const InOutError&) {
        return false;
    }
    return true;
}

// Writes `head`, then what `rest` has left (when given), into the new file
// `temp`, flushes it and moves it over `target`. `rest` is closed before the
// move, so that no handle of ours holds the old file. On failure the
// temporary file is removed and `target` is as it was. `existing`: `target`
// is a file being rewritten, which keeps its permissions; when the move is
// refused because another program holds it open while it can still be
// written, false is returned instead, so that it is rewritten in place.
bool FinishReplacing(FileHandle file, const std::string& temp, const std::string& target,
                     const std::string& head, TextFileReader* rest, bool existing) {
    try {
        WriteFile(file, head.data(), head.size());
        if (rest != nullptr) {
            std::string piece;
            while (rest->ReadRest(piece)) WriteFile(file, piece.data(), piece.size());
            rest->Close();
        }
        if (existing) CopyPermissions(target, file);
        FlushFile(file);
    } catch (const InOutError&) {
        DiscardFile(file, temp);
        throw;
    }
    try {
        CloseFile(file);
        ReplaceFile(temp, target);
    } catch (const InOutError& e) {
        DiscardFile(FileHandle{}, temp);
        if (!existing || !HeldButWritable(e.code, target)) throw;
        return false;
    }
    return true;
}

// Appends what `reader` has left to `bytes`, and closes the reader.
void AppendRest(TextFileReader& reader, std::string& bytes) {
    std::string piece;
    while (reader.ReadRest(piece)) bytes += piece;
    reader.Close();
}

// Writes `bytes` over `target` from its start and cuts it to their length
// only afterwards, so that a run reading it meanwhile never finds it empty;
// the room for them is made sure of first, so that a full disk leaves the
// file as it was. Should the writing stop half-way nonetheless (a write cut
// short where no room could be made sure of, the cut refused), `old`, when
// given, is written back the same way: it needs no more room than it had.
void WriteOver(const std::string& target, const std::string& bytes, const std::string* old) {
    FileHandle file = OpenExistingForWrite(target);
    bool writing = false;
    try {
        ReserveFileSpace(file, bytes.size());
        writing = true;
        WriteFile(file, bytes.data(), bytes.size());
        SetFileLength(file, bytes.size());
        FlushFile(file);
    } catch (const InOutError&) {
        try {
            CloseFile(file);
            if (writing && old != nullptr) WriteOver(target, *old, nullptr);
        } catch (const InOutError&) {
            // The first failure is the one reported.
        }
        throw;
    }
    CloseFile(file);
}

// Where no new file can be made beside it: the old content is replaced in the
// file itself. The rest is read whole first, since it is then overwritten,
// and so is the file as it is, to be put back should the rewrite fail.
void RewriteInPlace(const std::string& target, std::string content, TextFileReader& rest) {
    AppendRest(rest, content);
    TextFileReader whole(target);
    std::string old;
    AppendRest(whole, old);
    WriteOver(target, content, &old);
}

}  // namespace

void WriteTextFileReplacing(const std::string& path,
                            const std::vector<std::string>& lines) {
    const std::string target = FinalFilePath(path);
    RemoveStaleTemporaries(target);
    std::string temp;
    const FileHandle file = CreatePrivateFile(target, temp);
    FinishReplacing(file, temp, target, JoinedLines(lines), nullptr, false);
}

bool ReplaceTextLine(const std::string& path, std::size_t max_lines, LineEnds ends,
                     const LineEdit& edit) {
    const std::string target = FinalFilePath(path);
    // A file that cannot be written is not replaced either: the same failure
    // as a write in place, and the file left as it is.
    CloseFile(OpenExistingForWrite(target));
    TextFileReader reader(target, ends);
    std::vector<std::string> lines = ReadLines(reader, max_lines);
    if (!edit(lines)) return false;
    RemoveStaleTemporaries(target);
    std::string temp;
    FileHandle file;
    try {
        file = CreatePrivateFile(target, temp);
    } catch (const InOutError& e) {
        if (e.code != kIoAccessDenied) throw;
        RewriteInPlace(target, JoinedLines(lines, &reader), reader);
        return true;
    }
    if (FinishReplacing(file, temp, target, JoinedLines(lines, &reader), &reader, true)) {
        return true;
    }
    // Held open elsewhere: rewritten in place, read anew, since the first
    // reading went into the temporary file.
    TextFileReader again(target, ends);
    lines = ReadLines(again, max_lines);
    if (!edit(lines)) return false;
    RewriteInPlace(target, JoinedLines(lines, &again), again);
    return true;
}

}  // namespace qb
