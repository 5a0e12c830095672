// URL splitting, the driver's checks on the pieces and folder derivation,
// against the fuzzer's own walk of the resulting paths.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "base/path_text.h"
#include "fuzz/fuzz_support.h"
#include "locate/folder_paths.h"
#include "locate/url_split.h"

namespace {

// The segments of a code-page-932 path as the system sees them: split at '/'
// and at a '\' that is not the second byte of a double-byte character (first
// bytes 0x81-0x9F and 0xE0-0xFC).
std::vector<std::string> Segments(const std::string& path) {
    std::vector<std::string> segments(1);
    for (std::size_t i = 0; i < path.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        const bool first_of_two = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        if (first_of_two && i + 1 < path.size()) {
            segments.back() += path.substr(i, 2);
            ++i;
        } else if (c == '/' || c == '\\') {
            segments.emplace_back();
        } else {
            segments.back() += path[i];
        }
    }
    return segments;
}

// How far one segment moves a walk: a name one level down; an empty segment
// or one dot nowhere; dots and blanks with two dots or more one level up (the
// system trims trailing dots and blanks from names, so such a segment is
// taken at its worst, as the parent).
int Step(const std::string& segment) {
    if (segment.find_first_not_of(". ") != std::string::npos) return 1;
    return std::count(segment.begin(), segment.end(), '.') >= 2 ? -1 : 0;
}

// The depth below its start at which a walk through `path` ends, or -1 when
// it climbs above its start on the way.
int DepthAfterWalk(const std::string& path) {
    int depth = 0;
    for (const std::string& segment : Segments(path)) {
        depth += Step(segment);
        if (depth < 0) return -1;
    }
    return depth;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const int generation = (data[0] & 1) + 1;
    const bool underscore = (data[0] & 2) != 0;
    const std::string url(reinterpret_cast<const char*>(data + 1), size - 1);
    qb::Settings settings;
    settings.generation = generation;
    settings.underscore_folders = underscore;
    settings.log_folder = "/log";
    const qb::ThreadUrl pieces = qb::SplitThreadUrl(url);
    QB_CHECK(pieces.server.size() + pieces.board_host.size() + pieces.board.size() +
                 pieces.key.size() <= url.size());
    if (qb::PiecesAreUnusable(pieces)) return 0;
    // Once the check has passed, no piece climbs out of its folder...
    QB_CHECK(DepthAfterWalk(pieces.server + "." + pieces.board_host) >= 0);
    QB_CHECK(DepthAfterWalk(pieces.board) >= 0);
    QB_CHECK(DepthAfterWalk(pieces.key) >= 0);
    const qb::Places places = qb::DerivePlaces(settings, pieces, "/root", "/prog");
    // ...and the derived folders stay under their roots, the log files below.
    QB_CHECK(places.root == "/root" && places.log_folder == "/log");
    QB_CHECK(places.source_folder.compare(0, 5, "/log/") == 0);
    QB_CHECK(places.destination_folder.compare(0, 6, "/root/") == 0);
    QB_CHECK(DepthAfterWalk(places.source_folder.substr(5)) >= 0);
    QB_CHECK(DepthAfterWalk(places.destination_folder.substr(6)) >= 0);
    QB_CHECK(DepthAfterWalk(places.source_dat.substr(5)) >= 1);
    QB_CHECK(DepthAfterWalk(places.destination_inf.substr(6)) >= 1);
    return 0;
}
