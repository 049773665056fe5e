#pragma once
// The layout of the active-column store: column heights from the element connectivity
// and the equation numbers, fixed once after the numbering (values come with assembly).

#include "common/Analysis.h"

#include <algorithm>
#include <array>

namespace tavu {

// Sets DiagPos(1..NEQ+1), ProfileSize and the column statistics from the beams, the quads
// and the u, v pair of every grid with springs or turned axes (so their coupling terms
// have a place), and notes the memory available for the store (a.MemoryForStiffness when
// set, else what the machine has available). When the store does not fit and the
// factorization setting leaves no other way than the store, returns false with a
// diagnostic that gives the amounts; DiagPos then stays as built, with ProfileSize the
// size it would need.
bool BuildProfile(Analysis& a);

// Whose equation numbers a list gives: the model's, as the numbering left them (the profile
// and the counts of model processing), or the system's, which the decomposition step
// assembles and factors: there the dofs held in turned axes lie above NEQ.
enum class Numbering
{
    Model,
    System,
};

// Absolute equation number of dof d (1..3) of grid index g in the numbering; 0 when the grid
// does not exist.
int AbsEquation(const Analysis& a, Numbering n, int g, int d);

// Bytes the active-column store of p takes, and whether they fit in the memory available
// when p was laid out (they do when that could not be told).
long long StoreBytes(const StiffnessProfile& p);
bool StoreFits(const StiffnessProfile& p);

// The element equation lists: absolute equation numbers of u, v, rotation at grid A, then
// at grid B (a beam), or u, v at corners 1..4 (a quad). Grids that do not exist give 0.
std::array<int, 6> BeamEquationList(const Analysis& a, int b, Numbering n);
std::array<int, 8> QuadEquationList(const Analysis& a, int q, Numbering n);

// Calls couple(list) with every list of equations the stiffness couples: the lists of the
// beams, then of the quads, then the u, v pair of every grid with springs or turned axes
// (so that their coupling terms have a place even when no element uses the grid).
template <class F> void ForEachCoupling(const Analysis& a, Numbering n, F&& couple)
{
    const ModelStore& m = a.Model;
    const int nBeams = static_cast<int>(std::min<long long>(m.nBeams, m.Beams.Last()));
    const int nQuads = static_cast<int>(std::min<long long>(m.nQuads, m.Quads.Last()));
    for (int b = 1; b <= nBeams; ++b)
        couple(BeamEquationList(a, b, n));
    for (int q = 1; q <= nQuads; ++q)
        couple(QuadEquationList(a, q, n));
    const int nGrids = static_cast<int>(std::min<long long>(m.nGrids, m.Grids.Last()));
    for (int i = 1; i <= nGrids; ++i) {
        const GridRow& g = m.Grids(i);
        const bool springs = g.spring[DofU] != 0 || g.spring[DofV] != 0;
        if (springs || g.axisCode > 0)
            couple(std::array<int, 2>{AbsEquation(a, n, i, DofU), AbsEquation(a, n, i, DofV)});
    }
}

} // namespace tavu
