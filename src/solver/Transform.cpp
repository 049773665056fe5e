#include "solver/Transform.h"

#include "common/Numbers.h"
#include "solver/Solver.h"
#include "solver/SparseSolver.h"
#include "solver/StiffnessStore.h"

#include <cmath>
#include <cstdlib>

namespace tavu {

bool RotateEquationPair(StiffnessProfile& p, int neq, int ju, double c, double s)
{
    const int jv = ju + 1;
    if (ju < 1 || jv > neq)
        return false;
    // Column jv must hold row ju and reach exactly as high as column ju, so that the two
    // columns pair row by row.
    if (ColumnHeight(p, jv) != ColumnHeight(p, ju) + 1)
        return false;
    for (int k = jv + 1; k <= neq; ++k) {
        const long long h = ColumnHeight(p, k);
        const bool holdsV = k - jv < h;
        const bool holdsU = k - ju < h;
        if (holdsV && !holdsU)
            return false;
    }
    Vec<double>& kv = p.KValues;
    const long long du = p.DiagPos(ju);
    const long long dv = p.DiagPos(jv);

    // The 2 x 2 block: rows first, then columns, as for every other term.
    const double kuu = kv(du), kuv = kv(dv + 1), kvv = kv(dv);
    const double ruu = c * kuu + s * kuv, rvu = c * kuv - s * kuu; // R K, column ju
    const double ruv = c * kuv + s * kvv, rvv = c * kvv - s * kuv; // R K, column jv
    kv(du) = c * ruu + s * ruv;
    kv(dv + 1) = c * ruv - s * ruu;
    kv(dv) = c * rvv - s * rvu;

    // Rows ju and jv of the later columns.
    for (int k = jv + 1; k <= neq; ++k) {
        if (k - jv >= ColumnHeight(p, k))
            continue;
        const long long pu = p.DiagPos(k) + (k - ju);
        const double x = kv(pu), y = kv(pu - 1);
        kv(pu) = c * x + s * y;
        kv(pu - 1) = c * y - s * x;
    }
    // Columns ju and jv above row ju.
    const long long h = ColumnHeight(p, ju);
    for (long long m = 1; m < h; ++m) {
        const double x = kv(du + m), y = kv(dv + 1 + m);
        kv(du + m) = c * x + s * y;
        kv(dv + 1 + m) = c * y - s * x;
    }
    return true;
}

void EliminateEquation(Analysis& a, int n)
{
    EquationSystem& sys = a.System;
    StiffnessProfile& p = sys.Store;
    const int neq = sys.NEQ;
    TAVU_ASSERT(n >= 1 && n <= neq);
    Vec<double>& kv = p.KValues;

    long long shift = ColumnHeight(p, n);
    for (int j = n + 1; j <= neq; ++j) {
        long long h = ColumnHeight(p, j);
        const long long dj = p.DiagPos(j);
        const long long height = h;
        for (long long k = 0; k < height; ++k) {
            if (j - k == n) {
                ++shift;
                --h;
            } else {
                kv(dj + k - shift) = kv(dj + k);
            }
        }
        p.DiagPos(j) = p.DiagPos(j - 1) + h;
    }

    for (long long g = 1; g <= sys.GridEquations.Last(); ++g) {
        for (int d = 1; d <= 3; ++d) {
            int& e = sys.GridEquations(g)[static_cast<std::size_t>(d)];
            const int ae = std::abs(e);
            if (ae > neq)
                continue;
            if (ae > n)
                e = e > 0 ? ae - 1 : -(ae - 1);
            else if (ae == n)
                e = neq;
        }
    }
    sys.NEQ = neq - 1;
}

bool RotateAndEliminate(Analysis& a)
{
    const ModelStore& m = a.Model;
    EquationSystem& sys = a.System;
    if (a.State.TransformFlag == 1) {
        AppendLine(a.Summary.LogText, "Rotating and eliminating dofs");
        if (a.Progress)
            a.Progress->ShowProgressText(a.Summary.LogText);
    }

    auto cannotTurn = [&](int i) {
        AppendLine(a.Summary.LogText,
                   "Grid" + NumberText(i) + " cannot be turned into its dof axes");
        return false;
    };
    if (sys.Sparse) {
        int badGrid = 0;
        return RotateAndEliminateSparse(a, badGrid) || cannotTurn(badGrid);
    }

    for (int i = 1; i <= m.nGrids; ++i) {
        const GridRow& g = m.Grids(i);
        if (g.axisCode <= 0)
            continue;
        const int ju = std::abs(SystemEquation(sys, i, DofU));
        const bool pairOk = ju >= 1 && std::abs(SystemEquation(sys, i, DofV)) == ju + 1;
        if (!pairOk || !RotateEquationPair(sys.Store, sys.NEQ, ju, std::cos(g.axisAngle),
                                           std::sin(g.axisAngle)))
            return cannotTurn(i);
    }

    for (int i = 1; i <= m.nGrids; ++i) {
        const int code = m.Grids(i).axisCode;
        if (code != EliminateU && code != EliminateV)
            continue;
        const int n = SystemEquation(sys, i, code == EliminateU ? 1 : 2);
        if (n >= 1 && n <= sys.NEQ)
            EliminateEquation(a, n);
    }

    for (int i = 1; i <= m.nGrids; ++i) {
        for (int d = 1; d <= 3; ++d) {
            const int e = SystemEquation(sys, i, d);
            if (e < 0 && -e <= sys.NEQ)
                sys.Store.KValues(sys.Store.DiagPos(-e)) = PenaltyStiffness;
        }
    }
    return true;
}

} // namespace tavu
