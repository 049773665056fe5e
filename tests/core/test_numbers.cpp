#include "common/Numbers.h"
#include "results/FormatNumbers.h"

#include <cmath>
#include <gtest/gtest.h>

namespace tavu {
namespace {

TEST(NumberText, FollowsTheDigitRules)
{
    struct Case
    {
        double x;
        int p;
        const char* text;
    } cases[] = {
        // clang-format off
        {5, 15, " 5"}, {0, 15, " 0"}, {-3, 15, "-3"}, {45, 15, " 45"}, {0.05, 15, " .05"},
        {-0.75, 15, "-.75"}, {0.75, 5, " .75"}, {1, 5, " 1"}, {12.5, 15, " 12.5"},
        {0.00000001234, 4, " 1.234E-8"}, {1.0e20, 15, " 1E+20"},
        {123456789012345.0, 15, " 123456789012345"},
        {1234567890123456.0, 15, " 1.23456789012346E+15"}, {9.99996, 4, " 10"},
        {0.123456, 4, " .1235"}, {1.0 / 3.0, 15, " .333333333333333"}, {2.5e-5, 4, " 2.5E-5"},
        {0.0025, 4, " .0025"}, {-1.5e300, 4, "-1.5E+300"},
        // clang-format on
    };
    for (const Case& c : cases)
        EXPECT_EQ(NumberText(c.x, c.p), c.text) << c.x << " p=" << c.p;
    // Non-finite values are written, not crashed on.
    EXPECT_EQ(NumberText(std::nan("")), " NaN");
    EXPECT_EQ(NumberText(-INFINITY), "-Infinity");
}

TEST(FormatValue, IsAlwaysTenCharacters)
{
    struct Case
    {
        double x;
        const char* text;
    } cases[] = {
        {123.456, " 1.235E+02"},    {-0.0045, "-4.500E-03"}, {0, " 0.000E+00"},
        {-1e-120, " 0.000E+00"},    {5e200, " 1.000E+99"},   {-5e200, "-1.000E+99"},
        {9.9996, " 1.000E+01"},     {9.9994, " 9.999E+00"},  {2, " 2.000E+00"},
        {2.5e-7, " 2.500E-07"},     {-1.0e12, "-1.000E+12"}, {1.0e99, " 1.000E+99"},
        {9.99999e98, " 1.000E+99"}, {1.0e-99, " 1.000E-99"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatValue(c.x), c.text) << c.x;
        EXPECT_EQ(FormatValue(c.x).size(), 10u);
    }
    EXPECT_EQ(FormatValue(std::nan("")).size(), 10u);
}

TEST(FormatId, IsLeftJustifiedInFourCharacters)
{
    EXPECT_EQ(FormatId(7), "7   ");
    EXPECT_EQ(FormatId(-12), "-12 ");
    EXPECT_EQ(FormatId(1234), "1234");
    EXPECT_EQ(FormatId(12345), "1234");
}

TEST(AngleOf, CoversAllQuadrants)
{
    const double pi = 4.0 * std::atan(1.0);
    EXPECT_DOUBLE_EQ(AngleOf(1, 0), pi / 2);
    EXPECT_DOUBLE_EQ(AngleOf(-1, 0), -pi / 2);
    EXPECT_DOUBLE_EQ(AngleOf(0, 1), 0);
    EXPECT_DOUBLE_EQ(AngleOf(0, -1), pi);
    EXPECT_DOUBLE_EQ(AngleOf(1, -1), 3 * pi / 4);
    EXPECT_DOUBLE_EQ(AngleOf(-1, -1), 5 * pi / 4);
    EXPECT_DOUBLE_EQ(AngleOf(-1, 1), -pi / 4);
    // A vanishing x against y counts as vertical.
    EXPECT_DOUBLE_EQ(AngleOf(1, 1e-120), pi / 2);
}

TEST(RoundToInt, HalvesGoToEvenAndHugeValuesAreFlagged)
{
    EXPECT_EQ(RoundToInt(2.5), 2);
    EXPECT_EQ(RoundToInt(3.5), 4);
    EXPECT_EQ(RoundToInt(-2.5), -2);
    EXPECT_EQ(RoundToInt(2.4999), 2);
    EXPECT_EQ(RoundToInt(2147483647.0), 2147483647);
    EXPECT_EQ(RoundToInt(2147483648.0), IntOutOfRange);
    EXPECT_EQ(RoundToInt(1e300), IntOutOfRange);
    EXPECT_EQ(RoundToInt(std::nan("")), IntOutOfRange);
    EXPECT_FALSE(FitsInt32(INFINITY));
}

} // namespace
} // namespace tavu
