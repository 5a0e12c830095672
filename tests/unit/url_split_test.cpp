#include <gtest/gtest.h>

#include "locate/folder_paths.h"
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
    const ThreadUrl pieces = SplitThreadUrl(url);
    return {pieces.server, pieces.board_host, pieces.board, pieces.key};
}

TEST(UrlSplitTest, WhatFollowsTheKeyIsDroppedInBothFormsSchemesAndGenerations) {
    struct Form {
        const char* head;  // up to the key, without the scheme
        const char* suffixes[9];
        Pieces pieces;
        const char* log[2];  // the source folder for generations 1 and 2
    };
    const Form forms[] = {
        {"hayabusa9.5ch.net/test/read.cgi/news/1700000000",
         {"", "/", "/l50", "/l10", "/l50n", "/-100", "/100-200", "/?v=pc", "#r5"},
         {"hayabusa9", "5ch.net", "news", "1700000000"},
         {"/log/hayabusa9.5ch.net/news", "/log/5ch/news"}},
        {"kanto.machi.to/bbs/read.pl?BBS=tokyo&KEY=1700000000",
         {"", "&LAST=100", "&LAST=50", "&START=3&END=9", "#r5", "&LAST=100#r5", "", "", ""},
         {"kanto", "machi.to", "tokyo", "1700000000"},
         {"/log/kanto.machi.to/tokyo", "/log/machibbs/tokyo"}},
    };
    for (const Form& form : forms) {
        for (const char* suffix : form.suffixes) {
            for (const char* scheme : {"http://", "https://"}) {
                const std::string url = std::string(scheme) + form.head + suffix;
                EXPECT_EQ(Split(url), form.pieces) << url;
                for (int generation : {1, 2}) {
                    Settings settings;
                    settings.generation = generation;
                    settings.log_folder = "/log";
                    const ThreadUrl pieces = SplitThreadUrl(url);
                    EXPECT_FALSE(PiecesAreUnusable(pieces)) << url;
                    EXPECT_EQ(DerivePlaces(settings, pieces, "/root", "/prog").source_folder,
                              form.log[generation - 1]) << url;
                }
            }
        }
    }
}

TEST(UrlSplitTest, OddUrls) {
    struct Case {
        const char* url;
        Pieces pieces;
    };
    const Case cases[] = {
        // What follows the key goes before the dot-segment check.
        {"http://a.b.net/test/read.cgi/bd/123/..", {"a", "b.net", "bd", "123"}},
        {"https://a.b.net/test/read.cgi/bd/", {"a", "b.net", "bd", ""}},
        {"http://a.b.net/bbs/read.pl?BBS=bd&KEY=&LAST=100", {"a", "b.net", "bd", ""}},
        // Three labels: the rest of the host keeps its dots.
        {"http://a.b.c.jp/test/read.cgi/bd/1", {"a", "b.c.jp", "bd", "1"}},
        // The secure scheme goes where it stands first, else the plain one.
        {"http://a.b.net/bbs/read.pl?BBS=https://&KEY=1", {"", "http:", "", "a.b.net//1"}},
        // A host without a dot.
        {"http://localhost/test/read.cgi/bd/1", {"", "localhost", "bd", "1"}},
        // A board and no key; no slash at all.
        {"http://a.b.net/bd", {"a", "b.net", "", "bd"}},
        {"http://a.b.net", {"", "", "", "a.b.net"}},
        {"", {"", "", "", ""}},
        // Upper case is not removed.
        {"HTTP://a.b.net/test/read.cgi/bd/1", {"", "HTTP:", "", "a.b.net/bd/1"}},
        {"HTTPS://a.b.net/test/read.cgi/bd/1", {"", "HTTPS:", "", "a.b.net/bd/1"}},
        {"http://a.b.net/TEST/READ.CGI/bd/1", {"a", "b.net", "TEST", "READ.CGI/bd/1"}},
        // Only the first occurrence of each fixed part goes.
        {"http://a.b.net/bbs/read.pl?BBS=bd/read.pl?BBS=x&KEY=1",
         {"a", "b.net", "bd", "read.pl?BBS=x/1"}},
        // A board or key is never cut inside, whatever it begins with; in
        // the query form the board is the whole BBS parameter.
        {"http://sv.5ch.net/test/read.cgi/l50news/123", {"sv", "5ch.net", "l50news", "123"}},
        {"https://sv.5ch.net/test/read.cgi/l50/l50123/l50", {"sv", "5ch.net", "l50", "l50123"}},
        {"http://k.machi.to/bbs/read.pl?BBS=l50&LAST=1000&START=3&KEY=456&LAST=100",
         {"k", "machi.to", "l50", "456"}},
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
