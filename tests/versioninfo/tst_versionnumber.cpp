#include "versionnumber.h"

#include <gtest/gtest.h>

using namespace tavelorn;

namespace {

struct Ordering
{
    VersionNumber a;
    VersionNumber b;
    int sign; // of a compared with b
};

// Parts compare as numbers, most significant first; differences as large as the parts
// allow must not wrap.
const Ordering kOrderings[] = {
    {{1, 10, 0, 0}, {1, 9, 9, 9}, 1},
    {{1, 3, 2018, 618}, {1, 3, 2018, 618}, 0},
    {{1, 3, 2018, 618}, {1, 3, 2018, 619}, -1},
    {{1, 3, 2017, 999}, {1, 3, 2018, 618}, -1},
    {{0, 0, 0, 65535}, {0, 0, 1, 0}, -1},
    {{65535, 0, 0, 0}, {0, 65535, 65535, 65535}, 1},
    {{0, 0, 0, 0}, {65535, 65535, 65535, 65535}, -1},
    {{2, 0, 0, 1}, {2, 0, 0, 5}, -1},
};

class VersionNumberOrder : public ::testing::TestWithParam<Ordering>
{
};

TEST_P(VersionNumberOrder, AllSixOperatorsAgreeWithTheComparison)
{
    const auto& [a, b, sign] = GetParam();
    const int c = a.compare(b);
    EXPECT_EQ((c > 0) - (c < 0), sign);
    EXPECT_EQ(b.compare(a), -c);
    EXPECT_EQ(a == b, sign == 0);
    EXPECT_EQ(a != b, sign != 0);
    EXPECT_EQ(a < b, sign < 0);
    EXPECT_EQ(a <= b, sign <= 0);
    EXPECT_EQ(a > b, sign > 0);
    EXPECT_EQ(a >= b, sign >= 0);
}

INSTANTIATE_TEST_SUITE_P(Table, VersionNumberOrder, ::testing::ValuesIn(kOrderings));

TEST(VersionNumber, TextIsFourDecimalPartsWithoutLeadingZeros)
{
    EXPECT_EQ(VersionNumber({1, 3, 2018, 618}).toString(), QStringLiteral("1.3.2018.618"));
    EXPECT_EQ(VersionNumber({65535, 0, 7, 0}).toString(), QStringLiteral("65535.0.7.0"));
    EXPECT_EQ(VersionNumber().toString(), QStringLiteral("0.0.0.0"));
}

TEST(VersionNumber, PartsComeFromTheHalvesOfTheTwoWords)
{
    EXPECT_EQ(VersionNumber::fromWords(0x00010003, 0x07E2026A), VersionNumber({1, 3, 2018, 618}));
    EXPECT_EQ(VersionNumber::fromWords(0xFFFF0000, 0x0000FFFF),
              VersionNumber({65535, 0, 0, 65535}));
}

} // namespace
