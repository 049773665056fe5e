#pragma once
// Turning grids into their own dof axes, eliminating the dofs restrained in those axes,
// and the penalty diagonals of prescribed-displacement dofs.

#include "common/Analysis.h"

namespace tavu {

// The diagonal that holds a prescribed-displacement dof.
inline constexpr double PenaltyStiffness = 1.0e99;

// Rotates the stored terms of rows and columns ju and ju + 1 by the angle (cos c, sin s):
// K' = R K R^T with R = [[c, s], [-s, c]] on (ju, ju + 1). Returns false, changing
// nothing, when the store has no room for the turned terms (column ju + 1 must reach as
// high as column ju, and every later column holding row ju + 1 must hold row ju).
bool RotateEquationPair(StiffnessProfile& p, int neq, int ju, double c, double s);

// Removes equation n (1..NEQ) from the system's store and renumbers its equations: later
// equations move down by one, the removed dof gets the number NEQ (then above the new NEQ).
void EliminateEquation(Analysis& a, int n);

} // namespace tavu
