#include "NumberText.h"

#include <gtest/gtest.h>

#include <limits>

TEST (NumberText, DecimalsSendHalvesAwayFromZeroAndKeepTheSign)
{
    struct Case { double value; int decimals; const char* expected; };
    const Case cases[] = {
        { 1.25, 1, "1.3" },   { -1.25, 1, "-1.3" },  { -0.03, 1, "-0.0" },
        { 0.0, 1, "0.0" },    { -0.0, 1, "0.0" },    { -60.0, 2, "-60.00" },
        { 0.125, 2, "0.13" }, { 0.005, 2, "0.01" },  { 99.95, 1, "100.0" },
        { 7.0, 1, "7.0" },    { 0.5, 2, "0.50" },    { 123456.789, 2, "123456.79" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << c.value << " with " << c.decimals);
        EXPECT_EQ (writeWithDecimals (c.value, c.decimals), c.expected);
    }
}

TEST (NumberText, IntegersSendHalvesToTheEvenNeighbour)
{
    struct Case { double value; const char* expected; };
    const Case cases[] = {
        { 0.5, "0" },  { 1.5, "2" },  { 2.5, "2" },     { -2.5, "-2" },
        { -0.4, "0" }, { 10.4, "10" }, { 1004.5, "1004" }, { 89.7, "90" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.value);
        EXPECT_EQ (writeAsInteger (c.value), c.expected);
    }
}

TEST (NumberText, ExtremeValuesAreWrittenWithoutFailing)
{
    EXPECT_EQ (writeWithDecimals (std::numeric_limits<double>::quiet_NaN(), 1), "nan");
    EXPECT_EQ (writeWithDecimals (-std::numeric_limits<double>::infinity(), 2), "-inf");
    EXPECT_EQ (writeAsInteger (std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ (writeWithDecimals (1.0e30, 1), "1000000000000000019884624838656.0");
    EXPECT_EQ (writeAsInteger (-1.0e20), "-100000000000000000000");
}
