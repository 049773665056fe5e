#include "results/FiniteResults.h"

#include "common/Numbers.h"
#include "results/Listings.h"

#include <array>
#include <cmath>

namespace tavu {

namespace {

// A line of the Quad stresses listing: the components and their derived values.
bool StressLineFinite(const StressState& s)
{
    return AllFinite({s.sx, s.sy, s.sxy, s.principal, s.vonMises});
}

bool QuadFinite(const Analysis& a, int q)
{
    const QuadStressTable& qs = a.Results.QuadStresses;
    std::array<double, 4> average{};
    for (int c = 1; c <= 3; ++c) {
        for (int p = 1; p <= 4; ++p)
            if (!std::isfinite(qs(q, c, p)))
                return false;
        average[static_cast<std::size_t>(c)] =
            (qs(q, c, 1) + qs(q, c, 2) + qs(q, c, 3) + qs(q, c, 4)) / 4;
    }
    // The averaged listing, then the corner listing.
    if (!StressLineFinite(DeriveStresses(average[1], average[2], average[3])))
        return false;
    std::array<StressState, 5> corner{};
    const int corners = QuadCornerStresses(a, q, corner);
    for (std::size_t k = 1; k <= static_cast<std::size_t>(corners); ++k)
        if (!StressLineFinite(corner[k]))
            return false;
    return true;
}

} // namespace

NonFiniteResult FirstNonFiniteResult(const Analysis& a)
{
    const ModelStore& m = a.Model;

    // The first grid, by index as the messages name them (the listings read grids by id),
    // whose Deflections or Reactions line is not finite.
    const auto firstGrid = [&](bool (*values)(const Analysis&, int, std::array<double, 3>&)) {
        int first = 0;
        ForEachResultItem(a, DeflectionsKind, [&](int id) {
            std::array<double, 3> v{};
            const int g = GridIndexOf(m, id);
            if ((first == 0 || g < first) && values(a, id, v) && !AllFinite(v))
                first = g;
        });
        return first;
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
