#pragma once
// How loads and element forces reach the dofs of a grid, shared by the load records, the
// element load vectors and the recovery.

#include "common/Analysis.h"

#include <cmath>
#include <cstdlib>

namespace tavu {

// A load p meant for the dof with equation number e: at a free equation (1..NEQ) it goes
// into the load vector and into Reactions; at any other dof (penalty-held, restrained or
// eliminated) it is subtracted from that dof's Reactions entry; e = 0 (no dof) drops it.
inline void AddLoadToDof(Analysis& a, long long e, double p)
{
    ResultSet& r = a.Results;
    if (e == 0)
        return;
    if (e >= 1 && e <= a.System.NEQ) {
        r.SolutionVector(e) += p;
        r.Reactions(e) += p;
        return;
    }
    const long long slot = std::llabs(e);
    if (r.Reactions.Has(slot))
        r.Reactions(slot) -= p;
}

// A force q that an element (or a spring) exerts on the dof with equation number e: added
// to Reactions at a free equation, subtracted at any other dof.
inline void AddForceToDof(Analysis& a, long long e, double q)
{
    ResultSet& r = a.Results;
    if (e == 0)
        return;
    const long long slot = std::llabs(e);
    if (!r.Reactions.Has(slot))
        return;
    if (e >= 1 && e <= a.System.NEQ)
        r.Reactions(slot) += q;
    else
        r.Reactions(slot) -= q;
}

// The displacement of the dof with equation number e: 0 for a dof outside the system.
inline double DofDisplacement(const Analysis& a, long long e)
{
    const long long slot = std::llabs(e);
    if (slot == 0 || slot > a.System.NEQ || !a.Results.SolutionVector.Has(slot))
        return 0.0;
    return a.Results.SolutionVector(slot);
}

// The angle by which a grid's u, v equations are turned away from x, y: its axis angle
// when the decomposition turned its dofs (positive axisCode), else 0.
inline double EquationAxisAngle(const ModelStore& m, int g)
{
    const GridRow& grid = m.Grids(g);
    return grid.axisCode > 0 ? grid.axisAngle : 0.0;
}

} // namespace tavu
