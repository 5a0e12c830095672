// Byte-level helpers for code-page-932 text that never mistake the second
// byte of a double-byte character for a character of its own.
#pragma once

#include <cstddef>
#include <string>

namespace qb {

// True for the first byte of a double-byte character.
inline bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// True when `pos` (0-based) is the second byte of a double-byte character.
bool IsTrailByteAt(const std::string& text, std::size_t pos);

// The 0-based position of the first occurrence of `pattern` in `text`, at
// or after `from`, that starts on a character boundary; std::string::npos
// when there is none (or the pattern is empty). `from` must itself be on a
// character boundary, as every position FindText returns is.
std::size_t FindText(const std::string& text, const std::string& pattern, std::size_t from = 0);

// Replaces the first occurrence found by FindText; no change when absent.
void ReplaceFirst(std::string& text, const std::string& pattern,
                  const std::string& replacement);

}  // namespace qb
