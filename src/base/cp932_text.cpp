#include "base/cp932_text.h"

namespace qb {

bool IsTrailByteAt(const std::string& text, std::size_t pos) {
    std::size_t i = 0;
    while (i < pos) {
        i += IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    }
    return i != pos;
}

std::size_t FindText(const std::string& text, const std::string& pattern) {
    if (pattern.empty()) return 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text.compare(i, pattern.size(), pattern) == 0) return i + 1;
        i += IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    }
    return 0;
}

void ReplaceFirst(std::string& text, const std::string& pattern,
                  const std::string& replacement) {
    const std::size_t pos = FindText(text, pattern);
    if (pos != 0) text.replace(pos - 1, pattern.size(), replacement);
}

}  // namespace qb
