// URL splitting, the driver's checks on the pieces and folder derivation.
#include <cstdint>
#include <string>

#include "base/path_text.h"
#include "fuzz/fuzz_support.h"
#include "locate/folder_paths.h"
#include "locate/url_split.h"

namespace {

// True when some segment of `path` (split at '/' and '\') is made only of
// dots and blanks with at least two dots.
bool HasClimbingSegment(const std::string& path) { return qb::HoldsDotSegment(path); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const int generation = (data[0] & 1) + 1;
    const bool underscore = (data[0] & 2) != 0;
    const std::string url(reinterpret_cast<const char*>(data + 1), size - 1);
    qb::RunState state;
    state.BrowserVer = generation;
    state.AddUnderscore = underscore;
    state.LogDir = "/log";
    state.CopyDir = "/root";
    QB_CHECK(qb::SplitThreadUrl(state, url));
    const std::size_t pieces = state.ServerName.size() + state.BoardHost.size() +
                               state.BoardName.size() + state.ThreadKey.size();
    QB_CHECK(pieces <= url.size());
    if (qb::PiecesAreUnusable(state)) return 0;
    // Once the check has passed, no piece climbs out of its folder...
    QB_CHECK(!qb::HoldsDotSegment(state.ServerName));
    QB_CHECK(!qb::HoldsDotSegment(state.BoardHost));
    QB_CHECK(!qb::HoldsDotSegment(state.BoardName));
    QB_CHECK(!qb::HoldsDotSegment(state.ThreadKey));
    QB_CHECK(qb::BuildFolderPaths(state));
    // ...and neither do the derived folders or the log file paths.
    QB_CHECK(state.LogDir.compare(0, 5, "/log/") == 0);
    QB_CHECK(state.CopyDir.compare(0, 6, "/root/") == 0);
    QB_CHECK(state.CopyRoot == "/root" && state.LogRoot == "/log");
    QB_CHECK(!HasClimbingSegment(state.LogDir.substr(5)));
    QB_CHECK(!HasClimbingSegment(state.CopyDir.substr(6)));
    QB_CHECK(!HasClimbingSegment(qb::JoinPath(state.LogDir, state.ThreadKey + ".dat")));
    return 0;
}
