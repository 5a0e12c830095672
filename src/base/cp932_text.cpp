#include "base/cp932_text.h"

namespace qb {

bool IsTrailByteAt(const std::string& text, std::size_t pos) {
    std::size_t i = 0;
    while (i < pos) {
        i += IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    }
    return i != pos;
}

std::size_t FindText(const std::string& text, const std::string& pattern, std::size_t from) {
    if (pattern.empty()) return std::string::npos;
    for (std::size_t i = from; i < text.size();) {
        if (text.compare(i, pattern.size(), pattern) == 0) return i;
        i += IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    }
    return std::string::npos;
}

void ReplaceFirst(std::string& text, const std::string& pattern,
                  const std::string& replacement) {
    const std::size_t pos = FindText(text, pattern);
    if (pos != std::string::npos) text.replace(pos, pattern.size(), replacement);
}

}  // namespace qb
