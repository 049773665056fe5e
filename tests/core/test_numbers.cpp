#include "BatchRun.h"
#include "common/Numbers.h"
#include "results/FormatNumbers.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <random>
#include <vector>

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

// The formatters as they were written with printf, kept as the reference the new
// formatters must match byte for byte.
std::string PrintfFormatValue(double x)
{
    if (std::isnan(x))
        return "    NaN   ";
    if (std::isinf(x))
        return x < 0 ? "   -Inf   " : "    Inf   ";
    const bool negative = x < 0;
    const double a = std::fabs(x);
    if (a < 1.0e-99)
        return " 0.000E+00";
    if (a >= 1.0e99)
        return std::string(negative ? "-" : " ") + "1.000E+99";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3e", a);
    const std::string s(buf);
    const int e = std::atoi(s.c_str() + s.find('e') + 1);
    if (e >= 99)
        return std::string(negative ? "-" : " ") + "1.000E+99";
    char exp[16];
    std::snprintf(exp, sizeof exp, "%c%02d", e < 0 ? '-' : '+', std::abs(e));
    return std::string(negative ? "-" : " ") + s.substr(0, 5) + "E" + exp;
}

std::string PrintfNumberText(double x, int p)
{
    if (std::isnan(x))
        return " NaN";
    if (std::isinf(x))
        return x < 0 ? "-Infinity" : " Infinity";
    const std::string sign = std::signbit(x) && x != 0 ? "-" : " ";
    const double a = std::fabs(x);
    if (a == 0)
        return " 0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", p - 1, a);
    std::string digits;
    const char* c = buf;
    for (; *c && *c != 'e'; ++c)
        if (*c >= '0' && *c <= '9')
            digits += *c;
    const int e = std::atoi(c + 1);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const int k = static_cast<int>(digits.size());
    std::string body;
    if (e >= 0 && k <= e + 1 && e + 1 <= p) {
        body = digits + std::string(static_cast<std::size_t>(e + 1 - k), '0');
    } else if (e >= 0 && k > e + 1) {
        body = digits.substr(0, static_cast<std::size_t>(e + 1)) + "." +
               digits.substr(static_cast<std::size_t>(e + 1));
    } else if (e < 0 && k - e - 1 <= p) {
        body = "." + std::string(static_cast<std::size_t>(-e - 1), '0') + digits;
    } else {
        body = digits.substr(0, 1);
        if (k > 1)
            body += "." + digits.substr(1);
        body += e < 0 ? "E-" : "E+";
        body += std::to_string(std::abs(e));
    }
    return sign + body;
}

// Edge values and a few million random ones: every bit pattern (denormals, NaNs, huge and
// tiny exponents), magnitudes spread evenly over the exponents the listings show, decimal
// ties and values next to a carry (9.9995, 1.2345E+07, ...) with their neighbours.
std::vector<double> TestValues()
{
    std::vector<double> v = {0.0,
                             -0.0,
                             INFINITY,
                             -INFINITY,
                             NAN,
                             -NAN,
                             1e-99,
                             -1e-99,
                             1e99,
                             -1e99,
                             9.9995e98,
                             9.9994e98,
                             5e-324,
                             -5e-324,
                             2.2250738585072014e-308,
                             1.7976931348623157e308,
                             0.5,
                             0.125,
                             1.0625,
                             12345.0,
                             2.5,
                             9.9995,
                             9.99949999,
                             0.000999951,
                             123456789012345.0,
                             1234567890123456.0};
    std::mt19937_64 rng(20240607);
    for (int i = 0; i < 700000; ++i) {
        const std::uint64_t bits = rng();
        double x;
        std::memcpy(&x, &bits, sizeof x);
        v.push_back(x);
    }
    std::uniform_real_distribution<double> exponent(-101, 101), unit(-1, 1);
    for (int i = 0; i < 700000; ++i)
        v.push_back(unit(rng) * std::pow(10.0, exponent(rng)));
    // d.ddd5 x 10^e and 9.9995 x 10^e, and the doubles on each side of them; integers that
    // end in 5 and dyadic fractions are exact decimal ties.
    // Ties of the 4 and 5 digits of the listings and the summary, and 16-digit integers that
    // end in 5, ties of the 15 digits of a count.
    std::uniform_int_distribution<int> mantissa(1000, 99999), power(-100, 100);
    std::uniform_int_distribution<long long> wide(100000000000000LL, 899999999999999LL);
    for (int i = 0; i < 200000; ++i) {
        const double tie = (mantissa(rng) + 0.5) * std::pow(10.0, power(rng) - 3);
        v.push_back(static_cast<double>(wide(rng) * 10 + 5));
        const double carry = 9.9995 * std::pow(10.0, power(rng));
        for (double x : {tie, carry})
            for (double y : {x, std::nextafter(x, 0.0), std::nextafter(x, INFINITY)})
                v.push_back(i % 2 == 0 ? y : -y);
        v.push_back(static_cast<double>(mantissa(rng)) * 10 + 5);
        v.push_back(static_cast<double>(mantissa(rng)) / 1024);
    }
    return v;
}

TEST(Numbers, FormattersMatchPrintfOnMillionsOfValues)
{
    int mismatches = 0;
    for (double x : TestValues()) {
        const std::string value = FormatValue(x);
        if (value != PrintfFormatValue(x) && ++mismatches <= 10)
            ADD_FAILURE() << "FormatValue(" << x << ") = '" << value << "', printf gives '"
                          << PrintfFormatValue(x) << "'";
        for (int p : {4, 5, 15, 17})
            if (NumberText(x, p) != PrintfNumberText(x, p) && ++mismatches <= 10)
                ADD_FAILURE() << "NumberText(" << x << ", " << p << ") = '" << NumberText(x, p)
                              << "', printf gives '" << PrintfNumberText(x, p) << "'";
    }
    EXPECT_EQ(mismatches, 0);
}

// The JSON report's numbers: the shortest digits that read back as the same double, the
// nearest of them, laid out as nlohmann::json lays out a double. Its own digits are not
// always the shortest nor the nearest, so where the texts differ, ours must read back, have
// no more digits, and keep the layout: the same integer part and the same exponent.
TEST(Numbers, JsonNumbersAreShortestAndLaidOutAsBefore)
{
    const std::pair<double, const char*> fixed[] = {
        {0.0, "0.0"},          {-0.0, "-0.0"},
        {12.0, "12.0"},        {-2.5, "-2.5"},
        {1e-05, "1e-05"},      {0.0001, "0.0001"},
        {1.5e20, "1.5e+20"},   {1e14, "100000000000000.0"},
        {1e15, "1e+15"},       {1e16, "1e+16"},
        {1e100, "1e+100"},     {5e-324, "5e-324"},
        {NAN, "null"},         {-INFINITY, "null"},
        {0.1, "0.1"},          {123.456, "123.456"},
        {-0.00123, "-0.00123"}};
    for (const auto& [x, text] : fixed) {
        std::string out;
        AppendJsonNumber(out, x);
        EXPECT_EQ(out, text) << x;
    }
    const auto digits = [](const std::string& t) {
        int n = 0;
        for (char c : t.substr(0, t.find('e')))
            n += c >= '0' && c <= '9';
        return n;
    };
    const auto integerPart = [](const std::string& t) {
        return t.substr(0, t.find_first_of(".e"));
    };
    const auto exponent = [](const std::string& t) {
        const std::size_t e = t.find('e');
        return e == std::string::npos ? std::string() : t.substr(e);
    };
    int mismatches = 0, differ = 0;
    std::vector<double> values = TestValues();
    values.resize(1500000);
    for (double x : values) {
        if (!std::isfinite(x))
            continue;
        std::string ours;
        AppendJsonNumber(ours, x);
        const std::string theirs = nlohmann::json(x).dump();
        const double back = std::strtod(ours.c_str(), nullptr);
        bool ok = back == x && std::signbit(back) == std::signbit(x);
        if (ours != theirs) {
            ++differ;
            ok = ok && digits(ours) <= digits(theirs) && integerPart(ours) == integerPart(theirs) &&
                 exponent(ours) == exponent(theirs);
        }
        if (!ok && ++mismatches <= 10)
            ADD_FAILURE() << "JSON number " << theirs << " written as " << ours;
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_LT(differ, static_cast<int>(values.size() / 100));
}

} // namespace
} // namespace tavu
