#include "common/Numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>

namespace tavu {

double AngleOf(double y, double x)
{
    const double halfPi = 2.0 * std::atan(1.0);
    const double pi = 4.0 * std::atan(1.0);
    if (std::fabs(x) < 1.0e-100 * std::fabs(y)) {
        if (y > 0)
            return halfPi;
        if (y < 0)
            return -halfPi;
    }
    if (x > 0)
        return std::atan(y / x);
    return pi + std::atan(y / x);
}

namespace {

// The buffer to_chars writes a scientific form into: room for the longest form and for
// the fixed-size copy below.
constexpr std::size_t FormBuffer = 48;

// Reads the digits and the exponent of to_chars' scientific form "d.ddde+XX" in
// first[0..last), which lies in a buffer of FormBuffer bytes. The exponent is always signed
// and of two or three digits; there are at most 17 digits.
DecimalDigits ScientificDigits(const char* first, const char* last)
{
    DecimalDigits d;
    const char* e = last - 1;
    while (e > first && *e != 'e')
        --e;
    d.digit[0] = first[0];
    // The digits after the point, copied 16 at a time whatever their number.
    std::memcpy(d.digit + 1, first + 2, 16);
    d.count = e - first > 2 ? static_cast<int>(e - first) - 1 : 1;
    int exponent = 0;
    for (const char* c = e + 2; c < last; ++c)
        exponent = 10 * exponent + (*c - '0');
    d.exponent = e[1] == '-' ? -exponent : exponent;
    return d;
}

} // namespace

DecimalDigits RoundedDigits(double a, int significant)
{
    significant = std::clamp(significant, 1, 17);
    char buf[FormBuffer];
    // Up to 15 digits the shortest digits of a normal number, which lie within half a unit
    // in the last place of a, round the same way as a itself (no decimal of 16 digits or
    // fewer that could decide the rounding lies between them and a, or it would be the
    // shorter or nearer digits), so the cheaper shortest form serves unless its digits end
    // exactly on a tie. Subnormal numbers have fewer bits than that argument needs.
    if (significant <= 15 && a >= std::numeric_limits<double>::min()) {
        DecimalDigits d = ShortestDigits(a);
        if (d.count <= significant) {
            std::fill(d.digit + d.count, d.digit + significant, '0');
            d.count = significant;
            return d;
        }
        const char next = d.digit[significant];
        if (next != '5' || d.count > significant + 1) {
            d.count = significant;
            if (next >= '5') {
                int i = significant - 1;
                for (; i >= 0 && d.digit[i] == '9'; --i)
                    d.digit[i] = '0';
                if (i >= 0) {
                    ++d.digit[i];
                } else { // 9.99.. carried over to 1.00.. x 10^(exponent+1)
                    d.digit[0] = '1';
                    ++d.exponent;
                }
            }
            return d;
        }
    }
    const auto r =
        std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, significant - 1);
    return ScientificDigits(buf, r.ptr);
}

DecimalDigits ShortestDigits(double a)
{
    char buf[FormBuffer];
    const auto r = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific);
    DecimalDigits d = ScientificDigits(buf, r.ptr);
    while (d.count > 1 && d.digit[d.count - 1] == '0')
        --d.count;
    return d;
}

void AppendDecimal(std::string& out, const DecimalDigits& d, const DecimalLayout& l)
{
    const std::string_view digits(d.digit, static_cast<std::size_t>(d.count));
    const int k = d.count;
    const int n = d.exponent + 1; // digits before the point
    if (k <= n && n <= l.plainUpTo) {
        out += digits;
        out.append(static_cast<std::size_t>(n - k), '0');
        out += l.integerEnd;
    } else if (0 < n && n <= l.plainUpTo) {
        out += digits.substr(0, static_cast<std::size_t>(n));
        out += '.';
        out += digits.substr(static_cast<std::size_t>(n));
    } else if (n <= 0 && -n <= l.zerosUpTo && k - n <= l.fractionUpTo) {
        if (l.zeroBeforePoint)
            out += '0';
        out += '.';
        out.append(static_cast<std::size_t>(-n), '0');
        out += digits;
    } else {
        out += digits[0];
        if (k > 1) {
            out += '.';
            out += digits.substr(1);
        }
        out += l.exponentMark;
        out += d.exponent < 0 ? '-' : '+';
        char buf[8];
        char* end = std::to_chars(buf, buf + sizeof buf, std::abs(d.exponent)).ptr;
        if (end - buf < l.exponentDigits)
            out.append(static_cast<std::size_t>(l.exponentDigits - (end - buf)), '0');
        out.append(buf, end);
    }
}

std::string NumberText(double x, int p)
{
    p = std::clamp(p, 1, 17);
    if (std::isnan(x))
        return " NaN";
    if (std::isinf(x))
        return x < 0 ? "-Infinity" : " Infinity";
    if (x == 0)
        return " 0";

    DecimalDigits d = RoundedDigits(std::fabs(x), p);
    while (d.count > 1 && d.digit[d.count - 1] == '0')
        --d.count;
    // Plain while the digits fit p places (no "0" before the point of a value below 1).
    DecimalLayout layout;
    layout.plainUpTo = p;
    layout.fractionUpTo = p;
    std::string text(1, x < 0 ? '-' : ' ');
    AppendDecimal(text, d, layout);
    return text;
}

bool FitsInt32(double v)
{
    if (!std::isfinite(v))
        return false;
    const double r = std::nearbyint(v);
    return r >= -2147483648.0 && r <= 2147483647.0;
}

int RoundToInt(double v)
{
    if (!FitsInt32(v))
        return IntOutOfRange;
    return static_cast<int>(std::nearbyint(v));
}

void AppendLine(std::string& text, const std::string& line)
{
    text += CRLF;
    text += line;
}

std::string ShortestText(double x)
{
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, x);
    return error == std::errc() ? std::string(buffer, end) : std::string();
}

} // namespace tavu
