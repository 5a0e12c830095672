// Cutting a thread URL into server name, board host, board name and key.
#pragma once

#include <string>

namespace qb {

// The pieces of a thread URL.
struct ThreadUrl {
    std::string server;      // the first label of the host
    std::string board_host;  // the host without its first label
    std::string board;
    std::string key;         // the stem of the thread's two log file names
};

// Drops what follows the key, removes the fixed parts of the two URL forms
//   http(s)://<server>.<domain>/test/read.cgi/<board>/<key>/l50
//   http(s)://<server>.<domain>/bbs/read.pl?BBS=<board>&KEY=<key>&LAST=100
// and cuts the rest at '/' and '.'. After the key, form 1 may carry anything
// from a '/', '?', '&' or '#' on, form 2 anything from a '&' or '#' on; in
// form 2 the board is the whole BBS parameter. Nothing is cut inside a
// board or key. The pieces may be empty.
ThreadUrl SplitThreadUrl(const std::string& url);

// True when a piece holds a path segment (between '/' and '\') made only of
// dots and blanks with at least two dots: such a piece would lead out of the
// log folder or the destination root.
bool HoldsDotSegment(const std::string& piece);

// True when the pieces cannot name a thread: the board host, board name or
// key is empty, or any piece, or the full host name they form, holds a dot
// segment.
bool PiecesAreUnusable(const ThreadUrl& url);

}  // namespace qb
