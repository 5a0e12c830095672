// Message boxes on a terminal: each box is a block on standard error, the
// question is answered by one line on standard input.
#include <unistd.h>

#include <cstring>

#include "platform/desktop.h"
#include "platform/posix/encoding.h"
#include "platform/posix/file_helpers.h"
#include "platform/posix/system_calls.h"

namespace qb {

namespace {

char KindLetter(unsigned style) {
    if ((style & 0xF) == kBoxYesNo) return 'q';
    switch (style & 0xF0) {
        case kBoxIconHand: return 'e';
        case kBoxIconAsterisk: return 'i';
        case kBoxIconExclamation: return 'w';
        default: return 'n';
    }
}

// The text with each CR LF shown as a line break.
std::string TerminalText(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    return out;
}

// Standard error that cannot take the text loses it: nothing else could
// show it.
void WriteError(const std::string& s) { WriteAll(STDERR_FILENO, s.data(), s.size()); }

// One line from standard input without its line end; false at end of input
// or on a read error.
bool ReadAnswer(std::string& line) {
    line.clear();
    char c;
    for (;;) {
        const ssize_t n = System().read(STDIN_FILENO, &c, 1);
        if (n <= 0) return !line.empty();
        if (c == '\n') break;
        line += c;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

bool IsYes(const std::string& answer) {
    return strcasecmp(answer.c_str(), "y") == 0 || strcasecmp(answer.c_str(), "yes") == 0;
}

class TerminalUserFacing : public UserFacing {
public:
    int ShowBox(const std::string& text, const std::string& caption,
                unsigned style) override {
        const char kind = KindLetter(style);
        WriteError("== " + Cp932ToUtf8(caption) + " [" + kind + "] ==\n" +
                   Cp932ToUtf8(TerminalText(text)) + "\n\n");
        std::string answer;
        if (kind == 'q') {
            return ReadAnswer(answer) && IsYes(answer) ? kIdYes : kIdNo;
        }
        if (System().isatty(STDIN_FILENO)) ReadAnswer(answer);
        return kIdOk;
    }

    std::uint32_t FindTopWindow(const std::string&) override { return 0; }
};

}  // namespace

UserFacing& RealUserFacing() {
    static TerminalUserFacing instance;
    return instance;
}

}  // namespace qb
