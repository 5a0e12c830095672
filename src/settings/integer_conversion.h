// The two integer forms the settings file accepts. Both skip leading blanks
// (0x20 only), need the number to fill the rest of the value, and give -1
// for anything else.
#pragma once

#include <cstdint>
#include <string>

namespace qb {

// Decimal with an optional sign, within the signed 32-bit range; or, without
// a sign, "$", "x", "X", "0x" or "0X" and up to 0xFFFFFFFF hexadecimal, read
// as a 32-bit pattern.
std::int32_t ToInt32OrMinusOne(const std::string& value);

// An optional sign, then decimal digits or "$", "0x" or "0X" and hexadecimal
// digits, within the signed 64-bit range (a hexadecimal pattern up to
// 0xFFFFFFFFFFFFFFFF, read as such).
std::int64_t ToInt64OrMinusOne(const std::string& value);

}  // namespace qb
