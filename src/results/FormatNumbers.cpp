#include "results/FormatNumbers.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tavu {

std::string FormatId(int n, int width)
{
    std::string s = std::to_string(n);
    if (s.size() < static_cast<std::size_t>(width))
        s.append(static_cast<std::size_t>(width) - s.size(), ' ');
    return s;
}

std::string FormatValue(double x)
{
    // A value that is not finite is never shown as a number.
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

    // %.3e rounds to 4 significant digits and carries 9.9996 over to 1.000e+01.
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3e", a);
    const std::string s(buf);
    const std::size_t ePos = s.find('e');
    const int e = std::atoi(s.c_str() + ePos + 1);
    if (e >= 99) // rounded up to 1.000E+99
        return std::string(negative ? "-" : " ") + "1.000E+99";
    char exp[16];
    std::snprintf(exp, sizeof exp, "%c%02d", e < 0 ? '-' : '+', std::abs(e));
    return std::string(negative ? "-" : " ") + s.substr(0, 5) + "E" + exp;
}

} // namespace tavu
