#include "common/Numbers.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

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

std::string NumberText(double x, int p)
{
    if (p < 1)
        p = 1;
    if (p > 17)
        p = 17;
    if (std::isnan(x))
        return " NaN";
    if (std::isinf(x))
        return x < 0 ? "-Infinity" : " Infinity";

    std::string sign = std::signbit(x) && x != 0 ? "-" : " ";
    double a = std::fabs(x);
    if (a == 0)
        return " 0";

    // Round to p significant digits: d.ddddde+xx
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", p - 1, a);
    std::string digits;
    const char* c = buf;
    for (; *c && *c != 'e'; ++c)
        if (*c >= '0' && *c <= '9')
            digits += *c;
    int e = std::atoi(c + 1);
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
