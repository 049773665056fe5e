#pragma once
// Shared numeric helpers and constants of the program.

#include <cmath>
#include <initializer_list>
#include <string>

namespace tavu {

// Degrees to radians: this 15-digit value, not the exact pi/180.
inline constexpr double DEG = 0.017453292519943;

// 1.0E-12 as the nearest single-precision number; the smallest pivot ratio accepted.
inline constexpr double PivotRatioLimit = static_cast<double>(1.0e-12f);

// The quad's Gauss point coordinate 0.57735 as the nearest single-precision number.
inline constexpr double GaussPointValue = static_cast<double>(0.57735f);

// Lines of every text shown to the user are separated by CR LF.
inline constexpr const char* CRLF = "\r\n";

// The angle of the vector (x, y) in radians, between -pi/2 and 3pi/2.
double AngleOf(double y, double x);

// The decimal digits of a finite number a > 0: a = d1.d2...dk x 10^exponent.
struct DecimalDigits
{
    char digit[24]; // digit[0..count-1]: '0'..'9', not terminated
    int count = 0;
    int exponent = 0;
};

// a rounded to `significant` digits (1..17) as printf's "%.*e" rounds it (the nearest, ties
// to even on the exact binary value); trailing zeros kept. A value that rounds up to the
// next power of ten carries into the exponent (9.9996 to 4 digits is 1.000 x 10^1).
DecimalDigits RoundedDigits(double a, int significant);

// The fewest digits that read back as a (the shortest round-trip form); no trailing zeros.
DecimalDigits ShortestDigits(double a);

// How digits are written out: plain (an integer, or digits on both sides of the point, or
// below 1 a point and zeros before them) when they fit these bounds, else in exponent form:
// the first digit, a point and the others (no point when there are none), the exponent
// mark, its sign and at least exponentDigits digits.
struct DecimalLayout
{
    int plainUpTo = 15;           // digits before the point of a plain form at most
    int fractionUpTo = 1 << 20;   // below 1: digits after the point at most
    int zerosUpTo = 1 << 20;      // below 1: zeros between the point and the digits at most
    bool zeroBeforePoint = false; // "0.05" rather than ".05"
    const char* integerEnd = "";  // after an integer ("12.0")
    char exponentMark = 'E';
    int exponentDigits = 1;
};

// Appends d (no trailing zeros) laid out by l, without a sign.
void AppendDecimal(std::string& out, const DecimalDigits& d, const DecimalLayout& l);

// x rounded to p significant digits, with a leading blank when x is not negative:
// integer, plain decimal (no "0" before the point) or exponent form ("1.234E-8").
std::string NumberText(double x, int p = 15);

// Rounds to the nearest integer, halves to even. Values that do not fit 32 bits
// (and NaN) give IntOutOfRange: negative, so no table index or id equals it, and
// far enough from the limits that negating it or adding an offset cannot overflow.
inline constexpr int IntOutOfRange = -1000000000;
int RoundToInt(double v);
bool FitsInt32(double v);

// Whether every value is a finite number (neither infinite nor NaN).
template <class Values> bool AllFinite(const Values& values)
{
    for (double v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}
inline bool AllFinite(std::initializer_list<double> values)
{
    return AllFinite<std::initializer_list<double>>(values);
}

// Appends line to text with CR LF before it (the summary texts' rule).
void AppendLine(std::string& text, const std::string& line);

// The shortest text that reads back as exactly x ("0.1", "1e-05", "-2.5e+20"); "nan",
// "inf" or "-inf" for a value that is not finite.
std::string ShortestText(double x);

} // namespace tavu
