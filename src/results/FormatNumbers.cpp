#include "results/FormatNumbers.h"

#include "common/Numbers.h"

#include <charconv>
#include <cmath>
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
    // Four significant digits; 9.9996 carries over to 1.000E+01.
    const DecimalDigits d = RoundedDigits(a, 4);
    if (a >= 1.0e99 || d.exponent >= 99) {
        std::memcpy(f + 1, "1.000E+99", ValueFieldWidth - 1);
        return;
    }
    f[1] = d.digit[0];
    f[2] = '.';
    std::memcpy(f + 3, d.digit + 1, 3);
    f[6] = 'E';
    f[7] = d.exponent < 0 ? '-' : '+';
    const int e = std::abs(d.exponent);
    f[8] = static_cast<char>('0' + e / 10);
    f[9] = static_cast<char>('0' + e % 10);
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
