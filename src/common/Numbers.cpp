#include "common/Numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
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

// Reads the digits and the exponent of to_chars' scientific form "d.ddde+XX".
DecimalDigits ScientificDigits(const char* first, const char* last)
{
    DecimalDigits d;
    const char* c = first;
    for (; c != last && *c != 'e'; ++c)
        if (*c != '.' && d.count < static_cast<int>(sizeof d.digit))
            d.digit[d.count++] = *c;
    if (c != last)
        std::from_chars(c + (c[1] == '+' ? 2 : 1), last, d.exponent);
    return d;
}

} // namespace

DecimalDigits RoundedDigits(double a, int significant)
{
    significant = std::clamp(significant, 1, 17);
    char buf[48];
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
    char buf[48];
    const auto r = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific);
    DecimalDigits d = ScientificDigits(buf, r.ptr);
    while (d.count > 1 && d.digit[d.count - 1] == '0')
        --d.count;
    return d;
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
    const std::string_view digits(d.digit, static_cast<std::size_t>(d.count));
    const int k = d.count;
    const int e = d.exponent;

    std::string text(1, x < 0 ? '-' : ' ');
    if (e >= 0 && k <= e + 1 && e + 1 <= p) {
        // An integer: the digits and the zeros up to the point.
        text += digits;
        text.append(static_cast<std::size_t>(e + 1 - k), '0');
    } else if (e >= 0 && k > e + 1) {
        // Plain decimal with digits on both sides of the point.
        text += digits.substr(0, static_cast<std::size_t>(e + 1));
        text += '.';
        text += digits.substr(static_cast<std::size_t>(e + 1));
    } else if (e < 0 && k - e - 1 <= p) {
        // Below 1: no "0" before the point.
        text += '.';
        text.append(static_cast<std::size_t>(-e - 1), '0');
        text += digits;
    } else {
        text += digits[0];
        if (k > 1) {
            text += '.';
            text += digits.substr(1);
        }
        text += e < 0 ? "E-" : "E+";
        char exponent[8];
        text.append(exponent, std::to_chars(exponent, exponent + sizeof exponent, std::abs(e)).ptr);
    }
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

} // namespace tavu
