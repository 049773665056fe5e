#pragma once
// The layout of the active-column store: column heights from the element connectivity
// and the equation numbers, fixed once after the numbering (values come with assembly).

#include "common/Analysis.h"

#include <array>

namespace tavu {

// The largest number of stored terms the program will lay out; a larger store is refused
// with a diagnostic rather than allocated.
inline constexpr long long MaxStiffnessTerms = 500000000;

// Sets DiagPos(1..NEQ+1), ProfileSize and the column statistics from the beams, the quads
// and the u, v pair of every grid with springs or turned axes (so their coupling terms
// have a place). Returns false, with a diagnostic, when the store would be too large;
// DiagPos then stays as built, with ProfileSize the size it would need.
bool BuildProfile(Analysis& a);

// The element equation lists: absolute equation numbers of u, v, rotation at grid A, then
// at grid B (a beam), or u, v at corners 1..4 (a quad). Grids that do not exist give 0.
std::array<int, 6> BeamEquationList(const Analysis& a, int b);
std::array<int, 8> QuadEquationList(const Analysis& a, int q);

} // namespace tavu
