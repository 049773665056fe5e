#include "solver/StiffnessStore.h"

#include "solver/SparseSolver.h"

#include <cstdlib>

namespace tavu {

bool HasStiffnessTerm(const Analysis& a, long long i, long long j)
{
    const int neq = a.System.NEQ;
    if (i < 1 || j < 1 || i > neq || j > neq)
        return false;
    const StiffnessProfile& p = a.System.Store;
    const long long col = i > j ? i : j;
    if (!p.DiagPos.Has(col + 1))
        return false;
    return std::llabs(i - j) < ColumnHeight(p, static_cast<int>(col));
}

void AddStiffnessTerm(Analysis& a, long long i, long long j, double value)
{
    if (a.System.Sparse) {
        a.System.Sparse->Add(i, j, value);
        return;
    }
    if (!HasStiffnessTerm(a, i, j))
        return;
    const long long col = i > j ? i : j;
    StiffnessProfile& p = a.System.Store;
    p.KValues(p.DiagPos(col) + std::llabs(i - j)) += value;
}

void SetStiffnessDiagonal(Analysis& a, long long e, double value)
{
    if (a.System.Sparse) {
        a.System.Sparse->SetDiagonal(e, value);
        return;
    }
    if (!HasStiffnessTerm(a, e, e))
        return;
    StiffnessProfile& p = a.System.Store;
    p.KValues(p.DiagPos(e)) = value;
}

} // namespace tavu
