#include "settings/integer_conversion.h"

namespace qb {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads digits of `base` from `pos` to the end of `s` into `out`; false when
// there are none, when anything else follows, or when the value exceeds `max`.
bool ReadDigits(const std::string& s, std::size_t pos, unsigned base,
                std::uint64_t max, std::uint64_t& out) {
    if (pos >= s.size()) return false;
    out = 0;
    for (; pos < s.size(); ++pos) {
        const int d = HexDigit(s[pos]);
        if (d < 0 || static_cast<unsigned>(d) >= base) return false;
        if (out > (max - static_cast<unsigned>(d)) / base) return false;
        out = out * base + static_cast<unsigned>(d);
    }
    return true;
}

std::size_t SkipBlanks(const std::string& s) {
    std::size_t pos = 0;
    while (pos < s.size() && s[pos] == ' ') ++pos;
    return pos;
}

// Length of a hexadecimal prefix at `pos` ("$", "0x", "0X", and "x", "X"
// when `bare_x`), 0 when there is none.
std::size_t HexPrefix(const std::string& s, std::size_t pos, bool bare_x) {
    if (pos >= s.size()) return 0;
    if (s[pos] == '$') return 1;
    if (bare_x && (s[pos] == 'x' || s[pos] == 'X')) return 1;
    if (s[pos] == '0' && pos + 1 < s.size() && (s[pos + 1] == 'x' || s[pos + 1] == 'X')) {
        return 2;
    }
    return 0;
}

}  // namespace

std::int32_t ToInt32OrMinusOne(const std::string& value) {
    std::size_t pos = SkipBlanks(value);
    std::uint64_t n = 0;
    if (const std::size_t prefix = HexPrefix(value, pos, true)) {
        if (!ReadDigits(value, pos + prefix, 16, 0xFFFFFFFFu, n)) return -1;
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(n));
    }
    bool negative = false;
    if (pos < value.size() && (value[pos] == '-' || value[pos] == '+')) {
        negative = value[pos] == '-';
        ++pos;
    }
    if (!ReadDigits(value, pos, 10, negative ? 2147483648u : 2147483647u, n)) return -1;
    return negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(n))
                    : static_cast<std::int32_t>(n);
}

std::int64_t ToInt64OrMinusOne(const std::string& value) {
    std::size_t pos = SkipBlanks(value);
    bool negative = false;
    if (pos < value.size() && (value[pos] == '-' || value[pos] == '+')) {
        negative = value[pos] == '-';
        ++pos;
    }
    std::uint64_t n = 0;
    if (const std::size_t prefix = HexPrefix(value, pos, false)) {
        if (!ReadDigits(value, pos + prefix, 16, UINT64_MAX, n)) return -1;
    } else {
        const std::uint64_t max = negative ? 9223372036854775808ull : 9223372036854775807ull;
        if (!ReadDigits(value, pos, 10, max, n)) return -1;
    }
    // Two's complement: a hexadecimal pattern keeps its bits, "-" negates.
    const std::uint64_t bits = negative ? (~n + 1) : n;
    return static_cast<std::int64_t>(bits);
}

}  // namespace qb
