#include <gtest/gtest.h>

#include "locate/url_split.h"

namespace {

using namespace qb;

struct Pieces {
    std::string server, host, board, key;
    bool operator==(const Pieces& o) const {
        return server == o.server && host == o.host && board == o.board && key == o.key;
    }
};

std::ostream& operator<<(std::ostream& os, const Pieces& p) {
    return os << "[" << p.server << "|" << p.host << "|" << p.board << "|" << p.key << "]";
}

Pieces Split(const std::string& url) {
    RunState state;
    EXPECT_TRUE(SplitThreadUrl(state, url));
    return {state.ServerName, state.BoardHost, state.BoardName, state.ThreadKey};
}

TEST(UrlSplitTest, BothFormsWithAndWithoutTheirTails) {
    const Pieces form1{"hayabusa9", "5ch.net", "news", "1700000000"};
    EXPECT_EQ(Split("http://hayabusa9.5ch.net/test/read.cgi/news/1700000000/l50"), form1);
    EXPECT_EQ(Split("http://hayabusa9.5ch.net/test/read.cgi/news/1700000000"), form1);
    const Pieces form2{"kanto", "machi.to", "tokyo", "1600000000"};
    EXPECT_EQ(Split("http://kanto.machi.to/bbs/read.pl?BBS=tokyo&KEY=1600000000&LAST=100"),
              form2);
    EXPECT_EQ(Split("http://kanto.machi.to/bbs/read.pl?BBS=tokyo&KEY=1600000000"), form2);
}

TEST(UrlSplitTest, OddUrls) {
    struct Case {
        const char* url;
        Pieces pieces;
    };
    const Case cases[] = {
        // A slash after the key, or another suffix, stays in the key.
        {"http://a.b.net/test/read.cgi/bd/123/", {"a", "b.net", "bd", "123/"}},
        {"http://a.b.net/test/read.cgi/bd/123/l10", {"a", "b.net", "bd", "123/l10"}},
        // Three labels: the rest of the host keeps its dots.
        {"http://a.b.c.jp/test/read.cgi/bd/1", {"a", "b.c.jp", "bd", "1"}},
        // A secure scheme is not cut.
        {"https://a.b.net/test/read.cgi/bd/1", {"", "https:", "", "a.b.net/bd/1"}},
        // A host without a dot.
        {"http://localhost/test/read.cgi/bd/1", {"", "localhost", "bd", "1"}},
        // A board and no key; no slash at all.
        {"http://a.b.net/bd", {"a", "b.net", "", "bd"}},
        {"http://a.b.net", {"", "", "", "a.b.net"}},
        {"", {"", "", "", ""}},
        // Upper case is not removed.
        {"HTTP://a.b.net/test/read.cgi/bd/1", {"", "HTTP:", "", "a.b.net/bd/1"}},
        {"http://a.b.net/TEST/READ.CGI/bd/1", {"a", "b.net", "TEST", "READ.CGI/bd/1"}},
        // Only the first occurrence of each fixed part goes.
        {"http://a.b.net/test/read.cgi/bd/1/l50/l50", {"a", "b.net", "bd", "1/l50"}},
        // A trail byte '/' or '.' in a double-byte character is not cut at.
        {"http://a.b.net/\x81/\x81.x/1", {"a", "b.net", "\x81/\x81.x", "1"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Split(c.url), c.pieces) << c.url;
}

TEST(UrlSplitTest, DotSegments) {
    struct Case {
        const char* piece;
        bool holds;
    };
    const Case cases[] = {
        {"..", true},      {"...", true},    {".. ", true},     {" . .", true},
        {"a/../b", true},  {"a\\..", true},  {"../", true},     {"123/..", true},
        {".", false},      {"", false},      {"a..b", false},   {"..a", false},
        {"123/", false},   {"b.net", false}, {". /.", false},   {"a./.b", false},
        {"\x81..", false},  // the first dot is a trail byte
    };
    for (const Case& c : cases) EXPECT_EQ(HoldsDotSegment(c.piece), c.holds) << c.piece;
}

}  // namespace
