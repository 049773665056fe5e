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
        {5, 15, " 5"}, {0, 15, " 0"}, {-3, 15, "-3"}, {-0.75, 15, "-.75"}, {12.5, 15, " 12.5"},
        {0.0025, 4, " .0025"}, {2.5e-5, 4, " 2.5E-5"}, {1.0e20, 15, " 1E+20"},
        {123456789012345.0, 15, " 123456789012345"},
        {1234567890123456.0, 15, " 1.23456789012346E+15"}, {9.99996, 4, " 10"},
        {0.123456, 4, " .1235"}, {-1.5e300, 4, "-1.5E+300"}, {std::nan(""), 15, " NaN"},
        {-INFINITY, 15, "-Infinity"},
        // clang-format on
    };
    for (const Case& c : cases)
        EXPECT_EQ(NumberText(c.x, c.p), c.text) << c.x << " p=" << c.p;
}

TEST(NumberText, ListingFieldsHaveFixedWidths)
{
    struct Case
    {
        double x;
        const char* text;
    } cases[] = {
        {123.456, " 1.235E+02"}, {-0.0045, "-4.500E-03"},    {-1e-120, " 0.000E+00"},
        {5e200, " 1.000E+99"},   {-5e200, "-1.000E+99"},     {9.9996, " 1.000E+01"},
        {9.9994, " 9.999E+00"},  {9.99999e98, " 1.000E+99"}, {1.0e-99, " 1.000E-99"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatValue(c.x), c.text) << c.x;
    EXPECT_EQ(FormatValue(std::nan("")).size(), 10u);
    EXPECT_EQ(FormatId(-12), "-12 ");
    EXPECT_EQ(FormatId(12345), "1234");
}

TEST(AngleOf, CoversAllQuadrants)
{
    const double pi = 4.0 * std::atan(1.0);
    const double cases[][3] = {{1, 0, pi / 2},       {-1, 0, -pi / 2}, {0, -1, pi},
                               {-1, -1, 5 * pi / 4}, {-1, 1, -pi / 4}, {1, 1e-120, pi / 2}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(AngleOf(c[0], c[1]), c[2]) << c[0] << ", " << c[1];
}

TEST(RoundToInt, HalvesGoToEvenAndHugeValuesAreFlagged)
{
    const double cases[][2] = {{2.5, 2},
                               {3.5, 4},
                               {-2.5, -2},
                               {2.4999, 2},
                               {2147483647.0, 2147483647},
                               {2147483648.0, IntOutOfRange},
                               {-2147483649.0, IntOutOfRange},
                               {std::nan(""), IntOutOfRange},
                               {INFINITY, IntOutOfRange}};
    for (const auto& c : cases)
        EXPECT_EQ(RoundToInt(c[0]), static_cast<int>(c[1])) << c[0];
}

} // namespace
} // namespace tavu
