#include "iniinteger.h"

#include <QString>

#include <gtest/gtest.h>

using namespace tavelorn;

namespace {

struct IntegerCase
{
    const char* text;
    std::optional<qint32> expected;
};

TEST(IniInteger, FollowsTheIntegerRule)
{
    const IntegerCase cases[] = {
        {"42", 42},
        {" 42", 42},
        {"   -7", -7},
        {"+5", 5},
        {"-7", -7},
        {"007", 7},
        {"0x1F", 31},
        {"0X1f", 31},
        {"$1F", 31},
        {"x1F", 31},
        {"X1F", 31},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"$80000000", qint32(0x80000000u)},
        {"2147483647", 2147483647},
        {"-2147483648", qint32(-2147483647 - 1)},
        {"42 ", std::nullopt},
        {"", std::nullopt},
        {" ", std::nullopt},
        {"abc", std::nullopt},
        {"12345678901", std::nullopt},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"$123456789", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"+", std::nullopt},
        {"- 5", std::nullopt},
        {"4 2", std::nullopt},
        {"1.5", std::nullopt},
        {"$1G", std::nullopt},
        {"\t42", std::nullopt},
        {"99999999999999999999999999", std::nullopt},
        {"-$FFFFFFFF", 1},
        {"-0x80000000", qint32(0x80000000u)},
        {"0x123456789", std::nullopt},
        {"00000000000000000042", 42},
        {"+-5", std::nullopt},
        {"0x-5", std::nullopt},
        {"$ 1", std::nullopt},
    };
    for (const IntegerCase& c : cases)
        EXPECT_EQ(parseIniInteger(QString::fromLatin1(c.text)), c.expected) << c.text;
}

} // namespace
