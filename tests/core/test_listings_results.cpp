// The lines of the result listings on hand-made tables: the special cases of each kind,
// the corner extrapolation and the derived stresses.

#include "TestSupport.h"
#include "results/Listings.h"

#include <cmath>
#include <gtest/gtest.h>

namespace tavu {
namespace {

using testing::HandModel;

// Grid ids 1, 2, 3 and 5 (id 4 unused): 1 restrained, 2 free and sprung on v, 3 free u and
// penalty v without rotation, 5 restrained u only. Beam 10 from grid 1 to 2, quad 100 on
// grids 1, 2, 3, 5 and triangle 200 on 1, 2, 3.
HandModel ListingModel()
{
    HandModel h(4, 1, 2, 5, 9);
    ModelStore& m = h.a.Model;
    m.maxGridId = 5;
    m.GridIndex.Create(5);
    for (int id : {1, 2, 3, 5})
        m.GridIndex(id) = id == 5 ? 4 : id;
    h.Grid(1, 0, 0, 9, 8, 7);
    h.Grid(2, 1, 0, 1, 2, 3);
    h.Grid(3, 1, 1, 4, -5, 0);
    h.Grid(4, 0, 1, 6, 0, 0);
    m.Grids(2).spring[2] = 40;
    m.Beams(1).gridA = 1;
    m.Beams(1).gridB = 2;
    m.Quads(1).grid = {0, 1, 2, 3, 5};
    m.Quads(2).grid = {0, 1, 2, 3, 3};
    ResultSet& r = h.a.Results;
    for (int e = 1; e <= 5; ++e)
        r.SolutionVector(e) = 0.001 * e;
    for (int e = 6; e <= 9; ++e)
        r.Reactions(e) = -100.0 * e;
    r.Reactions(5) = 12.5;
    r.BeamEndForces(1) = {0, 1.5, 3, 4.5, 6, 7.5, 9};
    for (int p = 1; p <= 4; ++p) {
        r.QuadStresses(1, 1, p) = 10 * p;
        r.QuadStresses(1, 2, p) = -5;
        r.QuadStresses(1, 3, p) = 2;
        r.QuadStresses(2, 1, p) = p;
    }
    return h;
}

TEST(BuildResultLines, EveryKindInScreenAndPrintLayout)
{
    const HandModel h = ListingModel();
    struct Case
    {
        int item, kind;
        bool average, print;
        std::vector<std::string> lines;
    } cases[] = {
        // clang-format off
        // Deflections: a penalty dof shows its displacement, an absent one 0; no line for an
        // unused id; print layout: no leaders, three blanks.
        {3, DeflectionsKind, false, false, {"\t\t3   \t 4.000E-03\t 5.000E-03\t 0.000E+00"}},
        {4, DeflectionsKind, false, false, {}},
        {2, DeflectionsKind, false, true, {"2       1.000E-03    2.000E-03    3.000E-03"}},
        // Reactions: restrained dofs, a sprung dof -k u, a penalty dof; free dofs 0.
        {1, ReactionsKind, false, false, {"\t\t1   \t-9.000E+02\t-8.000E+02\t-7.000E+02"}},
        {2, ReactionsKind, false, false, {"\t\t2   \t 0.000E+00\t-8.000E-02\t 0.000E+00"}},
        {3, ReactionsKind, false, false, {"\t\t3   \t 0.000E+00\t 1.250E+01\t 0.000E+00"}},
        {5, ReactionsKind, false, false, {"\t\t5   \t-6.000E+02\t 0.000E+00\t 0.000E+00"}},
        {4, ReactionsKind, false, false, {}},
        {1, BeamForcesKind, false, true, {"10     1       1.500E+00    3.000E+00    4.500E+00",
                                          "10     2       6.000E+00    7.500E+00    9.000E+00"}},
        {2, BeamForcesKind, false, false, {}},
        // Quads: averaged over the points, or extrapolated to the corners (three of a triangle).
        {1, QuadStressesKind, true, false,
         {"\t\t100 \t 2.500E+01\t-5.000E+00\t 2.000E+00\t 2.513E+01\t 2.805E+01"}},
        {2, QuadStressesKind, false, false,
         {"\t200 \t1   \t-9.808E-02\t 0.000E+00\t 0.000E+00\t-9.808E-02\t 9.808E-02",
          "\t200 \t2   \t 3.366E+00\t 0.000E+00\t 0.000E+00\t 3.366E+00\t 3.366E+00",
          "\t200 \t3   \t 5.098E+00\t 0.000E+00\t 0.000E+00\t 5.098E+00\t 5.098E+00"}},
        {1, 5, false, false, {}},
        // clang-format on
    };
    for (const auto& c : cases) {
        std::array<std::string, 5> lines;
        const int n = BuildResultLines(h.a, c.item, c.kind, {c.average, c.print}, lines);
        EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.begin() + 1 + n), c.lines)
            << "item " << c.item << " of kind " << c.kind;
    }
    // The values behind the grid lines: no line for ids outside the map, nor for a grid
    // without restraints or springs.
    std::array<double, 3> v{};
    for (int id : {4, 0, 6, -2})
        EXPECT_FALSE(DeflectionValues(h.a, id, v)) << id;
    HandModel unsprung = ListingModel();
    unsprung.a.Model.Grids(2).spring[2] = 0;
    EXPECT_FALSE(ReactionValues(unsprung.a, 2, v));
}

TEST(CornerValues, ReproduceABilinearFieldThroughTheIntegrationPoints)
{
    // f = 3 + 2 xi - 5 eta + 4 xi eta sampled at (-a,-a), (-a,+a), (+a,-a), (+a,+a).
    const double a = 0.5773500204086304;
    const auto f = [](double xi, double eta) { return 3 + 2 * xi - 5 * eta + 4 * xi * eta; };
    const auto c = CornerValues({0, f(-a, -a), f(-a, a), f(a, -a), f(a, a)});
    const double expected[5] = {0, f(-1, -1), f(1, -1), f(1, 1), f(-1, 1)};
    for (int k = 1; k <= 4; ++k)
        EXPECT_NEAR(c[k], expected[k], 1e-5) << k; // the divisors are 7-digit literals
    EXPECT_EQ(CornerValues({0, 7, 7, 7, 7}), (std::array<double, 5>{0, 7, 7, 7, 7}));
}

TEST(DeriveStresses, PrincipalOfLargerMagnitudeAndVonMises)
{
    // sx, sy, sxy, principal, von Mises; pure shear has a zero mean and gives 0.
    const double cases[][5] = {{100, 0, 0, 100, 100},
                               {-100, 0, 0, -100, 100},
                               {0, 0, 50, 0, 50 * std::sqrt(3.0)},
                               {30, 10, 0, 30, std::sqrt(700.0)},
                               {-30, -10, 0, -30, std::sqrt(700.0)},
                               {10, -30, 0, -30, std::sqrt(1300.0)},
                               {20, 20, 15, 35, std::sqrt(400 + 3 * 225.0)}};
    for (const auto& c : cases) {
        const auto d = DeriveStresses(c[0], c[1], c[2]);
        EXPECT_NEAR(d.principal, c[3], 1e-12) << c[0] << " " << c[1] << " " << c[2];
        EXPECT_NEAR(d.vonMises, c[4], 1e-12) << c[0] << " " << c[1] << " " << c[2];
    }
}

} // namespace
} // namespace tavu
