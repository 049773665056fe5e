#pragma once
// The active-column store of K: adding terms, column geometry, and the equation lists of
// the elements.

#include "common/Analysis.h"

#include <array>

namespace tavu {

// Height of column j counting the diagonal: DiagPos(j+1) - DiagPos(j).
inline long long ColumnHeight(const StiffnessProfile& p, int j)
{
    return p.DiagPos(j + 1) - p.DiagPos(j);
}

// Top row of column j.
inline long long ColumnTop(const StiffnessProfile& p, int j)
{
    return j - ColumnHeight(p, j) + 1;
}

// Whether K(i, j) has a place in the store: both equations in 1..NEQ and the upper one
// inside the lower one's active column.
bool HasStiffnessTerm(const Analysis& a, long long i, long long j);

// Adds value to K(i, j), the same stored term as K(j, i). Equations outside 1..NEQ (absent
// or restrained dofs) and pairs outside the active columns are dropped.
void AddStiffnessTerm(Analysis& a, long long i, long long j, double value);

// Absolute equation number of dof d (1..3) of grid id `gridId`; 0 when the grid is not
// defined.
int GridEquation(const Analysis& a, int gridId, int d);

// uA, vA, rA, uB, vB, rB of beam b (absolute equation numbers).
std::array<int, 6> BeamEquations(const Analysis& a, int b);

// u, v of the quad's grids 1..4 in record order (absolute equation numbers).
std::array<int, 8> QuadEquations(const Analysis& a, int q);

} // namespace tavu
