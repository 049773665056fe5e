#pragma once
// The two fixed-width formatters of the result listings.

#include <string>

namespace tavu {

// n left-justified in width characters (4 in a listing whose ids all have 4 digits or
// fewer); a longer number is never cut.
std::string FormatId(int n, int width = 4);
void AppendId(std::string& out, int n, int width = 4);

// x in exactly 10 characters: sign or blank, 5-character mantissa, "E", exponent sign,
// two exponent digits ("-4.500E-03").
inline constexpr int ValueFieldWidth = 10;
std::string FormatValue(double x);
void AppendValue(std::string& out, double x);

} // namespace tavu
