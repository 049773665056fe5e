#pragma once
// The two fixed-width formatters of the result listings.

#include <string>

namespace tavu {

// n left-justified in width characters (4 in a listing whose ids all have 4 digits or
// fewer); a longer number is never cut.
std::string FormatId(int n, int width = 4);

// x in exactly 10 characters: sign or blank, 5-character mantissa, "E", exponent sign,
// two exponent digits ("-4.500E-03").
std::string FormatValue(double x);

} // namespace tavu
