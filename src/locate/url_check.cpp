#include "locate/url_check.h"

#include "base/messages.h"
#include "base/notices.h"

namespace qb {

std::optional<ThreadUrl> CheckedThreadUrl(const std::string& url, bool exact,
                                          std::int32_t generation, UserFacing& ui) {
    const ThreadUrl pieces = SplitThreadUrl(url);
    if (!exact || PiecesAreUnusable(pieces)) {
        ShowNotice(ui, msg::kUrlInvalid, NoticeKind::Error);
        return std::nullopt;
    }
    // Generation 1 names a board's folder after the full host name.
    if (generation == 1 && pieces.server.empty()) {
        ShowNotice(ui, msg::kServerNameMissing, NoticeKind::Error);
        return std::nullopt;
    }
    return pieces;
}

}  // namespace qb
