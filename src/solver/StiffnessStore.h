#pragma once
// The active-column store of K: adding terms and the column geometry.

#include "common/Analysis.h"

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
// or restrained dofs) and pairs outside the active columns are dropped. On the sparse path
// the term goes to its compressed columns.
void AddStiffnessTerm(Analysis& a, long long i, long long j, double value);

// Replaces the diagonal K(e, e) of equation e (1..NEQ) by value, on either path.
void SetStiffnessDiagonal(Analysis& a, long long e, double value);

} // namespace tavu
