#include "common/Numbers.h"
#include "results/FormatNumbers.h"

#include <cmath>
#include <gtest/gtest.h>

namespace tavu {
namespace {

TEST(Numbers, TextsFollowTheDigitRules)
{
    // clang-format off
    const std::pair<double, const char*> p15[] = {
        {5, " 5"}, {-3, "-3"}, {0, " 0"}, {-0.75, "-.75"}, {1.0e20, " 1E+20"},
        {123456789012345.0, " 123456789012345"}, {1234567890123456.0, " 1.23456789012346E+15"},
        {std::nan(""), " NaN"}, {-INFINITY, "-Infinity"}};
    // clang-format on
    for (const auto& [x, text] : p15)
        EXPECT_EQ(NumberText(x), text) << x;
    const std::pair<double, const char*> p4[] = {
        {0.0025, " .0025"}, {2.5e-5, " 2.5E-5"}, {9.99996, " 10"}, {-1.5e300, "-1.5E+300"}};
    for (const auto& [x, text] : p4)
        EXPECT_EQ(NumberText(x, 4), text) << x;
    // The listings' fields: ten characters, four digits, exponents of two digits.
    const std::pair<double, const char*> fields[] = {
        {-0.0045, "-4.500E-03"}, {-1e-120, " 0.000E+00"},    {-5e200, "-1.000E+99"},
        {9.9996, " 1.000E+01"},  {9.99999e98, " 1.000E+99"}, {1.0e-99, " 1.000E-99"}};
    for (const auto& [x, text] : fields)
        EXPECT_EQ(FormatValue(x), text) << x;
    EXPECT_EQ(FormatValue(std::nan("")).size(), 10u);
    EXPECT_EQ(FormatValue(-INFINITY), "   -Inf   ");
    EXPECT_EQ(FormatValue(INFINITY), "    Inf   ");
    EXPECT_EQ(FormatId(-12), "-12 ");
    EXPECT_EQ(FormatId(12345), "12345"); // never cut
    EXPECT_EQ(FormatId(12, 6), "12    ");
}

TEST(Numbers, AnglesAndRounding)
{
    const double pi = 4.0 * std::atan(1.0);
    const double angles[][3] = {{1, 0, pi / 2},   {-1, 0, -pi / 2},     {0, -1, pi},
                                {-1, 1, -pi / 4}, {-1, -1, 5 * pi / 4}, {1, 1e-120, pi / 2}};
    for (const auto& c : angles)
        EXPECT_DOUBLE_EQ(AngleOf(c[0], c[1]), c[2]) << c[0] << ", " << c[1];
    // Halves to even; what does not fit 32 bits is flagged.
    // clang-format off
    const double rounded[][2] = {
        {2.5, 2}, {3.5, 4}, {-2.5, -2}, {2.4999, 2}, {2147483647.0, 2147483647},
        {2147483648.0, IntOutOfRange}, {-2147483649.0, IntOutOfRange}, {NAN, IntOutOfRange},
        {INFINITY, IntOutOfRange}};
    // clang-format on
    for (const auto& c : rounded)
        EXPECT_EQ(RoundToInt(c[0]), static_cast<int>(c[1])) << c[0];
}

} // namespace
} // namespace tavu
