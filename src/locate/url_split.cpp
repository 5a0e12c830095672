#include "locate/url_split.h"

#include "platform/cp932_text.h"

namespace qb {

namespace {

// The bytes before the first occurrence of `sep`, which is then cut off
// together with them; empty (and `s` unchanged) when `sep` is absent.
std::string CutBefore(std::string& s, const char* sep) {
    const std::size_t p = FindText(s, sep);
    if (p == 0) return std::string();
    std::string head = s.substr(0, p - 1);
    s.erase(0, p);
    return head;
}

}  // namespace

bool SplitThreadUrl(RunState& state, const std::string& url) {
    std::string s = url;
    ReplaceFirst(s, "http://", "");
    ReplaceFirst(s, "test/read.cgi/", "");
    ReplaceFirst(s, "/l50", "");
    ReplaceFirst(s, "bbs/read.pl?BBS=", "");
    ReplaceFirst(s, "&KEY=", "/");
    ReplaceFirst(s, "&LAST=100", "");
    state.BoardHost = CutBefore(s, "/");
    state.ServerName = CutBefore(state.BoardHost, ".");
    state.BoardName = CutBefore(s, "/");
    state.ThreadKey = s;
    return true;
}

bool PiecesAreUnusable(const RunState& state) {
    // The server name holds no dot (it is what precedes the host's first
    // "."), so it is checked as part of the full host name, which generation
    // 1 uses as one folder name: "a\" + "." + "." joins into "..".
    return state.BoardHost.empty() || state.BoardName.empty() || state.ThreadKey.empty() ||
           HoldsDotSegment(state.BoardHost) || HoldsDotSegment(state.BoardName) ||
           HoldsDotSegment(state.ThreadKey) ||
           HoldsDotSegment(state.ServerName + "." + state.BoardHost);
}

bool HoldsDotSegment(const std::string& piece) {
    std::size_t dots = 0;
    bool only_dots_and_blanks = true;
    std::size_t i = 0;
    for (;;) {
        const bool end = i >= piece.size();
        const char c = end ? '/' : piece[i];
        if (c == '/' || c == '\\') {
            if (only_dots_and_blanks && dots >= 2) return true;
            if (end) return false;
            dots = 0;
            only_dots_and_blanks = true;
        } else if (c == '.') {
            ++dots;
        } else if (c != ' ') {
            only_dots_and_blanks = false;
        }
        // A double-byte character is never a dot, blank or separator.
        i += IsLeadByte(static_cast<unsigned char>(c)) ? 2 : 1;
    }
}

}  // namespace qb
