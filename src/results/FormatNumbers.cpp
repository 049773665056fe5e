#include "results/FormatNumbers.h"

#include "common/Numbers.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace tavu {

void AppendId(std::string& out, int n, int width)
{
    char buf[16];
    char* end = std::to_chars(buf, buf + sizeof buf, n).ptr;
    const auto length = static_cast<int>(end - buf);
    out.append(buf, end);
    if (length < width)
        out.append(static_cast<std::size_t>(width - length), ' ');
}

std::string FormatId(int n, int width)
{
    std::string s;
    AppendId(s, n, width);
    return s;
}

namespace {

// 10^k for k = PowerLow..PowerHigh, each the double nearest to it (exact up to 10^22).
constexpr int PowerLow = -100, PowerHigh = 105;
const std::array<double, PowerHigh - PowerLow + 1>& PowersOfTen()
{
    static const auto table = [] {
        std::array<double, PowerHigh - PowerLow + 1> t{};
        for (int k = PowerLow; k <= PowerHigh; ++k) {
            char text[8] = "1e";
            const char* end = std::to_chars(text + 2, text + sizeof text, k).ptr;
            std::from_chars(text, end, t[static_cast<std::size_t>(k - PowerLow)]);
        }
        return t;
    }();
    return table;
}

// a (from 1E-99 up to below 1E+99) rounded to 4 significant digits as m x 10^(e - 3),
// 1000 <= m <= 9999. The scaled value a x 10^(3 - e) is computed to within a few units in
// its 16th digit, which decides the rounding unless it lies that close to a half: then
// the exact digits of to_chars decide.
void FourDigits(double a, int& m, int& e)
{
    const auto& power = PowersOfTen();
    const auto scaled = [&](int exponent) {
        return a * power[static_cast<std::size_t>(3 - exponent - PowerLow)];
    };
    // a >= 2^(binary - 1), a normal number: e is log10(a) or one below it.
    const int binary = static_cast<int>(std::bit_cast<std::uint64_t>(a) >> 52) - 1022;
    e = static_cast<int>(std::floor((binary - 1) * 0.30102999566398120));
    double v = scaled(e);
    if (v < 1000)
        v = scaled(--e);
    else if (v >= 10000)
        v = scaled(++e);
    const double whole = std::floor(v);
    const double fraction = v - whole;
    if (std::fabs(fraction - 0.5) < 1e-6) {
        const DecimalDigits d = RoundedDigits(a, 4);
        m = (d.digit[0] - '0') * 1000 + (d.digit[1] - '0') * 100 + (d.digit[2] - '0') * 10 +
            (d.digit[3] - '0');
        e = d.exponent;
        return;
    }
    m = static_cast<int>(whole) + (fraction > 0.5 ? 1 : 0);
    if (m == 10000) { // 9.9996 carries over to 1.000E+01
        m = 1000;
        ++e;
    }
}

// The field of x in f[0..9].
void ValueField(double x, char* f)
{
    // A value that is not finite is never shown as a number.
    if (std::isnan(x)) {
        std::memcpy(f, "    NaN   ", ValueFieldWidth);
        return;
    }
    if (std::isinf(x)) {
        std::memcpy(f, x < 0 ? "   -Inf   " : "    Inf   ", ValueFieldWidth);
        return;
    }
    const double a = std::fabs(x);
    if (a < 1.0e-99) {
        std::memcpy(f, " 0.000E+00", ValueFieldWidth);
        return;
    }
    f[0] = x < 0 ? '-' : ' ';
    int m = 0, e = 0;
    if (a < 1.0e99)
        FourDigits(a, m, e);
    if (a >= 1.0e99 || e >= 99) {
        std::memcpy(f + 1, "1.000E+99", ValueFieldWidth - 1);
        return;
    }
    f[1] = static_cast<char>('0' + m / 1000);
    f[2] = '.';
    f[3] = static_cast<char>('0' + m / 100 % 10);
    f[4] = static_cast<char>('0' + m / 10 % 10);
    f[5] = static_cast<char>('0' + m % 10);
    f[6] = 'E';
    f[7] = e < 0 ? '-' : '+';
    const int magnitude = std::abs(e);
    f[8] = static_cast<char>('0' + magnitude / 10);
    f[9] = static_cast<char>('0' + magnitude % 10);
}

} // namespace

void AppendValue(std::string& out, double x)
{
    char field[ValueFieldWidth];
    ValueField(x, field);
    out.append(field, ValueFieldWidth);
}

std::string FormatValue(double x)
{
    std::string s;
    AppendValue(s, x);
    return s;
}

} // namespace tavu
