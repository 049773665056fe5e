#pragma once
// The two fixed-width formatters of the result listings.

#include <string>

namespace tavu {

// n left-justified in exactly 4 characters; longer numbers are cut to 4.
std::string FormatId(int n);

// x in exactly 10 characters: sign or blank, 5-character mantissa, "E", exponent sign,
// two exponent digits ("-4.500E-03").
std::string FormatValue(double x);

} // namespace tavu
