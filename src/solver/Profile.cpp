#include "solver/Profile.h"

#include "model/Diagnostics.h"
#include "solver/Memory.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace tavu {

namespace {

// Lowers the top row of every column the element couples to the smallest of its
// equations. top(j) is kept in DiagPos(j+1) while the profile is built.
template <std::size_t N> void Couple(Vec<long long>& diag, int neq, const std::array<int, N>& list)
{
    int smallest = neq + 1;
    for (int e : list)
        if (e >= 1 && e <= neq)
            smallest = std::min(smallest, e);
    if (smallest > neq)
        return;
    for (int e : list)
        if (e >= 1 && e <= neq && diag(e + 1) > smallest)
            diag(e + 1) = smallest;
}

} // namespace

int AbsEquation(const Analysis& a, Numbering n, int g, int d)
{
    const int e = n == Numbering::System ? SystemEquation(a.System, g, d)
                  : a.Model.Grids.Has(g) && g >= 1
                      ? a.Model.Grids(g).equation[static_cast<std::size_t>(d)]
                      : 0;
    return std::abs(e);
}

std::array<int, 6> BeamEquationList(const Analysis& a, int b, Numbering n)
{
    const ModelStore& m = a.Model;
    std::array<int, 6> list{};
    for (int end = 0; end < 2; ++end) {
        const BeamRow& beam = m.Beams(b);
        const int g = GridIndexOf(m, end == 0 ? beam.gridA : beam.gridB);
        if (g == 0 || !m.Grids.Has(g))
            continue;
        for (int d = 1; d <= 3; ++d)
            list[static_cast<std::size_t>(3 * end + d - 1)] = AbsEquation(a, n, g, d);
    }
    return list;
}

std::array<int, 8> QuadEquationList(const Analysis& a, int q, Numbering n)
{
    const ModelStore& m = a.Model;
    std::array<int, 8> list{};
    for (int k = 1; k <= 4; ++k) {
        const int g = GridIndexOf(m, m.Quads(q).grid[static_cast<std::size_t>(k)]);
        if (g == 0 || !m.Grids.Has(g))
            continue;
        list[static_cast<std::size_t>(2 * k - 2)] = AbsEquation(a, n, g, DofU);
        list[static_cast<std::size_t>(2 * k - 1)] = AbsEquation(a, n, g, DofV);
    }
    return list;
}

namespace {

// Lowers each column's top row (kept in DiagPos(j+1)) to the smallest equation coupled
// to it by an element, a grid's springs or its turned axes.
void CoupleEquations(const Analysis& a, Vec<long long>& diag, int neq)
{
    ForEachCoupling(a, Numbering::Model, [&](const auto& list) { Couple(diag, neq, list); });
}

// The root mean square of the column heights. Heights are at most NEQ (below 2^25), so the
// sum of squares overflows only for stores far beyond the size limit; the mean is then
// taken in floating point instead.
int RmsHeight(const Vec<long long>& diag, int neq)
{
    if (neq <= 0)
        return 0;
    unsigned long long sumSquares = 0;
    bool sumOverflow = false;
    for (int j = 1; j <= neq; ++j) {
        const long long height = diag(j + 1) - diag(j);
        const unsigned long long sq = static_cast<unsigned long long>(height * height);
        if (sumSquares > ~0ULL - sq)
            sumOverflow = true;
        sumSquares += sq;
    }
    long double mean = 0;
    if (!sumOverflow) {
        mean = static_cast<long double>(sumSquares) / neq;
    } else {
        for (int j = 1; j <= neq; ++j) {
            const long double h = static_cast<long double>(diag(j + 1) - diag(j));
            mean += h * h / neq;
        }
    }
    return static_cast<int>(std::nearbyint(std::sqrt(mean)));
}

} // namespace

long long StoreBytes(const StiffnessProfile& p)
{
    return std::max(p.ProfileSize, 2LL) * static_cast<long long>(sizeof(double));
}

bool StoreFits(const StiffnessProfile& p)
{
    return p.MemoryAvailable < 0 || StoreBytes(p) <= p.MemoryAvailable;
}

bool BuildProfile(Analysis& a)
{
    StiffnessProfile& p = a.Profile;
    const int neq = std::max(a.Model.NEQ, 0);

    // DiagPos(1..NEQ+1), out: first the top row of each column, then its diagonal's
    // position in KValues.
    Vec<long long>& diag = p.DiagPos;
    diag.Create(neq + 1);
    for (int j = 1; j <= neq; ++j)
        diag(j + 1) = j;
    CoupleEquations(a, diag, neq);

    // Heights into positions.
    diag(1) = 2;
    int maxHeight = 0;
    for (int j = 1; j <= neq; ++j) {
        const long long height = j - diag(j + 1) + 1;
        diag(j + 1) = diag(j) + height;
        maxHeight = std::max(maxHeight, static_cast<int>(height));
    }
    p.ProfileSize = diag(neq + 1);
    p.MaxActiveColumn = maxHeight;
    p.RmsActiveColumn = RmsHeight(diag, neq);

    const long long available =
        a.MemoryForStiffness >= 0 ? a.MemoryForStiffness : AvailableMemory();
    p.MemoryAvailable = available;
    if (StoreFits(p) || a.SolverChoice != SolverPath::Skyline)
        return true;
    // The terms that fit (the store holds two slots besides them), and the amounts.
    const long long fit = std::max(available / static_cast<long long>(sizeof(double)) - 2, 0LL);
    Diagnose(a, Msg::StiffnessTooLarge, fit, 0,
             " (" + std::to_string(p.ProfileSize - 2) + " terms need " +
                 NeededMemoryText(StoreBytes(p)) + ", " + AvailableMemoryText(available) +
                 " available)");
    return false;
}

} // namespace tavu
