#include "results/FiniteResults.h"

#include "common/Numbers.h"
#include "results/Listings.h"

#include <array>
#include <cmath>
#include <vector>

namespace tavu {

namespace {

// A stress state as a quad line shows it: the components with their principal and von
// Mises stresses, which overflow for components far below the limit.
bool StressLineFinite(double sx, double sy, double sxy)
{
    const DerivedStresses d = DeriveStresses(sx, sy, sxy);
    return AllFinite({sx, sy, sxy, d.principal, d.vonMises});
}

bool QuadFinite(const Analysis& a, int q)
{
    const QuadStressTable& qs = a.Results.QuadStresses;
    std::array<std::array<double, 5>, 4> at{}; // component c at integration point p
    for (int c = 1; c <= 3; ++c)
        for (int p = 1; p <= 4; ++p) {
            at[static_cast<std::size_t>(c)][static_cast<std::size_t>(p)] = qs(q, c, p);
            if (!std::isfinite(qs(q, c, p)))
                return false;
        }
    // The averaged listing, then the corner listing (three corners for a triangle).
    std::array<double, 4> average{};
    std::array<std::array<double, 5>, 4> corner{};
    for (std::size_t c = 1; c <= 3; ++c) {
        average[c] = (at[c][1] + at[c][2] + at[c][3] + at[c][4]) / 4;
        corner[c] = CornerValues(at[c]);
    }
    if (!StressLineFinite(average[1], average[2], average[3]))
        return false;
    const std::size_t corners = IsTriangle(a.Model.Quads(q)) ? 3 : 4;
    for (std::size_t k = 1; k <= corners; ++k)
        if (!StressLineFinite(corner[1][k], corner[2][k], corner[3][k]))
            return false;
    return true;
}

} // namespace

NonFiniteResult FirstNonFiniteResult(const Analysis& a)
{
    const ModelStore& m = a.Model;

    // The grids by index, as the messages name them; the listings read them by id.
    std::vector<int> idOf(static_cast<std::size_t>(m.nGrids) + 1, 0);
    for (int id = 1; id <= m.maxGridId; ++id)
        if (const int g = GridIndexOf(m, id); g >= 1 && g <= m.nGrids)
            idOf[static_cast<std::size_t>(g)] = id;
    const auto firstGrid = [&](bool (*values)(const Analysis&, int, std::array<double, 3>&)) {
        for (int g = 1; g <= m.nGrids; ++g) {
            std::array<double, 3> v{};
            const int id = idOf[static_cast<std::size_t>(g)];
            if (id != 0 && values(a, id, v) && !AllFinite({v[0], v[1], v[2]}))
                return g;
        }
        return 0;
    };

    if (const int g = firstGrid(DeflectionValues); g != 0)
        return {NonFiniteResult::Grid, g};
    for (int b = 1; b <= m.nBeams; ++b)
        if (!AllFinite(a.Results.BeamEndForces(b)))
            return {NonFiniteResult::Beam, b};
    for (int q = 1; q <= m.nQuads; ++q)
        if (!QuadFinite(a, q))
            return {NonFiniteResult::Quad, q};
    if (const int g = firstGrid(ReactionValues); g != 0)
        return {NonFiniteResult::Grid, g};
    if (!std::isfinite(a.Results.ErrorMeasure))
        return {NonFiniteResult::ErrorMeasure, 0};
    return {};
}

} // namespace tavu
