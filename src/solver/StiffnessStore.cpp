#include "solver/StiffnessStore.h"

#include <cstdlib>

namespace tavu {

bool HasStiffnessTerm(const Analysis& a, long long i, long long j)
{
    const int neq = a.Model.NEQ;
    if (i < 1 || j < 1 || i > neq || j > neq)
        return false;
    const StiffnessProfile& p = a.Profile;
    const long long col = i > j ? i : j;
    if (!p.DiagPos.Has(col + 1))
        return false;
    return std::llabs(i - j) < ColumnHeight(p, static_cast<int>(col));
}

void AddStiffnessTerm(Analysis& a, long long i, long long j, double value)
{
    if (!HasStiffnessTerm(a, i, j))
        return;
    const long long col = i > j ? i : j;
    a.Profile.KValues(a.Profile.DiagPos(col) + std::llabs(i - j)) += value;
}

int GridEquation(const Analysis& a, int gridId, int d)
{
    const int g = GridIndexOf(a.Model, gridId);
    if (g == 0)
        return 0;
    return std::abs(a.Model.GridInt(g, d));
}

std::array<int, 6> BeamEquations(const Analysis& a, int b)
{
    const int ga = a.Model.BeamInt(b, 1);
    const int gb = a.Model.BeamInt(b, 2);
    return {GridEquation(a, ga, 1), GridEquation(a, ga, 2), GridEquation(a, ga, 3),
            GridEquation(a, gb, 1), GridEquation(a, gb, 2), GridEquation(a, gb, 3)};
}

std::array<int, 8> QuadEquations(const Analysis& a, int q)
{
    std::array<int, 8> e{};
    for (int k = 1; k <= 4; ++k) {
        const int g = a.Model.QuadInt(q, k);
        e[static_cast<std::size_t>(2 * k - 2)] = GridEquation(a, g, 1);
        e[static_cast<std::size_t>(2 * k - 1)] = GridEquation(a, g, 2);
    }
    return e;
}

} // namespace tavu
