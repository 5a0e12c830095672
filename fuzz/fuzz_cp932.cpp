// The lead-byte-aware search and the trailing-separator rule.
#include <cstdint>
#include <string>

#include "base/cp932_text.h"
#include "base/path_text.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t split = data[0] % 4 + 1;  // a short pattern
    if (size < 1 + split) return 0;
    const std::string pattern(reinterpret_cast<const char*>(data + 1), split);
    const std::string text(reinterpret_cast<const char*>(data + 1 + split), size - 1 - split);
    const std::size_t pos = qb::FindText(text, pattern);
    if (pos != std::string::npos) {
        QB_CHECK(pos + pattern.size() <= text.size());
        QB_CHECK(text.compare(pos, pattern.size(), pattern) == 0);
        QB_CHECK(!qb::IsTrailByteAt(text, pos));  // never inside a character
        // Nothing earlier on a character boundary matches.
        for (std::size_t i = 0; i < pos; ++i) {
            if (!qb::IsTrailByteAt(text, i)) QB_CHECK(text.compare(i, pattern.size(), pattern) != 0);
        }
    } else {
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (!qb::IsTrailByteAt(text, i)) QB_CHECK(text.compare(i, pattern.size(), pattern) != 0);
        }
    }
    const std::string stripped = qb::RemoveTrailingSeparator(text);
    QB_CHECK(stripped == text || stripped.size() + 1 == text.size());
    if (stripped != text) {
        QB_CHECK(qb::IsPathSeparator(text.back()));
        QB_CHECK(!qb::IsTrailByteAt(text, text.size() - 1));
        QB_CHECK(text.compare(0, stripped.size(), stripped) == 0);
    } else if (!text.empty() && qb::IsPathSeparator(text.back())) {
        QB_CHECK(qb::IsTrailByteAt(text, text.size() - 1));
    }
    return 0;
}
