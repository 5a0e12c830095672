#include <gtest/gtest.h>

#include "settings/integer_conversion.h"

namespace {

using namespace qb;

TEST(IntegerConversionTest, Int32Forms) {
    struct Case {
        const char* value;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"2", 2},       {"  2", 2},      {"+2", 2},       {"002", 2},
        {"-5", -5},     {"$2", 2},       {"x2", 2},       {"X2", 2},
        {"0x2", 2},     {"0X2", 2},      {"$fF", 255},    {"0", 0},
        {"2 ", -1},     {"1.0", -1},     {"abc", -1},     {"", -1},
        {"   ", -1},    {"-", -1},       {"+", -1},       {"$", -1},
        {"x", -1},      {"0x", -1},      {"-$2", -1},     {"+0x2", -1},
        {"\t2", -1},    {"2147483647", 2147483647},        {"2147483648", -1},
        {"-2147483648", INT32_MIN},      {"-2147483649", -1},
        {"$FFFFFFFF", -1},               {"$FFFFFFFE", -2},  {"$100000000", -1},
        {"3", 3},
    };
    for (const Case& c : cases) EXPECT_EQ(ToInt32OrMinusOne(c.value), c.expected) << c.value;
}

TEST(IntegerConversionTest, Int64Forms) {
    struct Case {
        const char* value;
        std::int64_t expected;
    };
    const Case cases[] = {
        {"0", 0},
        {"4294967295", 4294967295LL},
        {"0xFFFFFFFF", 4294967295LL},
        {"$FFFFFFFF", 4294967295LL},
        {"4294967296", 4294967296LL},
        {" +12", 12},
        {"-1", -1},
        {"-0x10", -16},
        {"x1", -1},
        {"X1", -1},
        {"x", -1},
        {"0x", -1},
        {"12 ", -1},
        {"9223372036854775807", INT64_MAX},
        {"9223372036854775808", -1},
        {"-9223372036854775808", INT64_MIN},
        {"0xFFFFFFFFFFFFFFFF", -1},
        {"0x10000000000000000", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(ToInt64OrMinusOne(c.value), c.expected) << c.value;
}

}  // namespace
