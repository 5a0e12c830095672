#include "locate/url_split.h"

#include "base/cp932_text.h"

namespace qb {

namespace {

// The bytes before the first occurrence of `sep`, which is then cut off
// together with them; empty (and `s` unchanged) when `sep` is absent.
std::string CutBefore(std::string& s, const char* sep) {
    const std::size_t p = FindText(s, sep);
    if (p == std::string::npos) return std::string();
    std::string head = s.substr(0, p);
    s.erase(0, p + 1);
    return head;
}

// The URL without what a board appends after the thread key: a trailing
// "/", a range such as "/l50", "/l50n", "/-100" or "/100-200", a query or a
// fragment, and in the query form any parameter after KEY. Only the key ends
// the thread's identity; anything behind it would otherwise end up in the
// key and name a log file that does not exist. In the query form the board
// is the whole BBS parameter: other parameters between it and KEY go too.
// Nothing is cut inside a board or key, whatever letters it begins with.
// The bytes looked for here are all below 0x40 (the parameter names are
// found with FindText), so none can be the second byte of a double-byte
// character.
std::string DropAfterKey(const std::string& url) {
    static const char kPathForm[] = "test/read.cgi/";
    static const char kBoardParameter[] = "bbs/read.pl?BBS=";
    static const char kKeyParameter[] = "&KEY=";
    const std::size_t path_form = FindText(url, kPathForm);
    if (path_form != std::string::npos) {
        const std::size_t board_slash = url.find('/', path_form + sizeof kPathForm - 1);
        if (board_slash == std::string::npos) return url;
        return url.substr(0, url.find_first_of("/?&#", board_slash + 1));
    }
    const std::size_t key = FindText(url, kKeyParameter);
    if (key == std::string::npos) return url;
    std::string kept = url.substr(0, url.find_first_of("&#", key + sizeof kKeyParameter - 1));
    const std::size_t board = FindText(kept, kBoardParameter);
    if (board < key) {
        const std::size_t board_end = kept.find('&', board + sizeof kBoardParameter - 1);
        if (board_end < key) kept.erase(board_end, key - board_end);
    }
    return kept;
}

}  // namespace

ThreadUrl SplitThreadUrl(const std::string& url) {
    std::string s = DropAfterKey(url);
    // The secure scheme where the URL has it, else the plain one.
    ReplaceFirst(s, FindText(s, "https://") != std::string::npos ? "https://" : "http://", "");
    ReplaceFirst(s, "test/read.cgi/", "");
    ReplaceFirst(s, "bbs/read.pl?BBS=", "");
    ReplaceFirst(s, "&KEY=", "/");
    ThreadUrl pieces;
    pieces.board_host = CutBefore(s, "/");
    pieces.server = CutBefore(pieces.board_host, ".");
    pieces.board = CutBefore(s, "/");
    pieces.key = s;
    return pieces;
}

bool PiecesAreUnusable(const ThreadUrl& url) {
    // The server name holds no dot (it is what precedes the host's first
    // "."), so it is checked as part of the full host name, which generation
    // 1 uses as one folder name: "a\" + "." + "." joins into "..".
    return url.board_host.empty() || url.board.empty() || url.key.empty() ||
           HoldsDotSegment(url.board_host) || HoldsDotSegment(url.board) ||
           HoldsDotSegment(url.key) || HoldsDotSegment(url.server + "." + url.board_host);
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
