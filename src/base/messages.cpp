#include "base/messages.h"

#include "base/cp932_text.h"

namespace qb {

std::string FillText(const char* text, const std::vector<std::string>& values) {
    const std::string pattern(text);
    std::string filled;
    std::size_t from = 0;
    while (from < pattern.size()) {
        // `from` is always on a character boundary: it starts at 0 and only
        // moves past whole characters.
        const std::size_t brace = FindText(pattern, "{", from);
        if (brace == std::string::npos) break;
        filled.append(pattern, from, brace - from);
        const char digit = brace + 1 < pattern.size() ? pattern[brace + 1] : '\0';
        const bool placeholder = digit >= '1' && digit <= '9' &&
                                 static_cast<std::size_t>(digit - '0') <= values.size() &&
                                 brace + 2 < pattern.size() && pattern[brace + 2] == '}';
        if (placeholder) {
            filled += values[digit - '1'];
            from = brace + 3;
        } else {
            filled += '{';
            from = brace + 1;
        }
    }
    if (from < pattern.size()) filled.append(pattern, from, std::string::npos);
    return filled;
}

}  // namespace qb
