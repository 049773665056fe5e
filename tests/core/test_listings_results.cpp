#include "TestSupport.h"
#include "results/FormatNumbers.h"
#include "results/Listings.h"

#include <cmath>
#include <gtest/gtest.h>

namespace tavu {
namespace {

using testing::HandModel;

// Grids 1..3 and 5 (id 4 unused, so 4 grids with maxGridId 5); one beam (id 10) from
// grid 1 to 2, a quad (id 100) on grids 1, 2, 3, 5 and a triangle (id 200) on 1, 2, 3.
struct ListingModel
{
    HandModel h{4, 1, 2, 5, 9};

    ListingModel()
    {
        ModelStore& m = h.a.Model;
        m.maxGridId = 5;
        m.GridIndex.Create(5);
        m.GridIndex(1) = 1;
        m.GridIndex(2) = 2;
        m.GridIndex(3) = 3;
        m.GridIndex(5) = 4;
        h.Grid(1, 0, 0, 9, 8, 7);  // restrained
        h.Grid(2, 1, 0, 1, 2, 3);  // free, sprung on v
        h.Grid(3, 1, 1, 4, -5, 0); // free u, penalty v, no rotation
        h.Grid(4, 0, 1, 6, 0, 0);  // grid id 5: restrained u only
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
        for (std::size_t k = 1; k <= 6; ++k)
            r.BeamEndForces(1)[k] = 1.5 * static_cast<double>(k);
        for (int p = 1; p <= 4; ++p) {
            r.QuadStresses(1, 1, p) = 10;
            r.QuadStresses(1, 2, p) = -5;
            r.QuadStresses(1, 3, p) = 2;
            r.QuadStresses(2, 1, p) = p;
        }
    }
};

std::string V(double x)
{
    return FormatValue(x);
}

TEST(BuildResultLines, EveryKindInScreenAndPrintLayout)
{
    ListingModel lm;
    const Analysis& a = lm.h.a;
    // The five stress columns of a line.
    const auto S = [](double sx, double sy, double sxy) {
        const DerivedStresses d = DeriveStresses(sx, sy, sxy);
        return "\t" + V(sx) + "\t" + V(sy) + "\t" + V(sxy) + "\t" + V(d.principal) + "\t" +
               V(d.vonMises);
    };
    const auto tri = CornerValues({0, 1, 2, 3, 4});
    // Grids: 1 restrained, 2 free and sprung on v, 3 free u and penalty v, id 4 unused, id 5
    // restrained u only. The plain screen lines of every kind are checked by the example
    // listings; these are the special cases.
    const bool avg = true, print = true;
    struct Case
    {
        const char* name;
        int item, kind;
        bool average, print;
        std::vector<std::string> lines;
    } cases[] = {
        {"deflections: a penalty dof shows its displacement, an absent one 0",
         3,
         DeflectionsKind,
         false,
         false,
         {"\t\t3   \t" + V(0.004) + "\t" + V(0.005) + "\t" + V(0)}},
        {"deflections of a restrained grid",
         1,
         DeflectionsKind,
         false,
         false,
         {"\t\t1   \t" + V(0) + "\t" + V(0) + "\t" + V(0)}},
        {"no deflections line for an unused grid id", 4, DeflectionsKind, false, false, {}},
        {"deflections, print layout: no leaders, three blanks",
         2,
         DeflectionsKind,
         false,
         print,
         {"2      " + V(0.001) + "   " + V(0.002) + "   " + V(0.003)}},
        {"reactions of a restrained grid",
         1,
         ReactionsKind,
         false,
         false,
         {"\t\t1   \t" + V(-900) + "\t" + V(-800) + "\t" + V(-700)}},
        {"reactions: a sprung dof shows -k*u, free dofs 0",
         2,
         ReactionsKind,
         false,
         false,
         {"\t\t2   \t" + V(0) + "\t" + V(-40 * 0.002) + "\t" + V(0)}},
        {"reactions at a penalty dof",
         3,
         ReactionsKind,
         false,
         false,
         {"\t\t3   \t" + V(0) + "\t" + V(12.5) + "\t" + V(0)}},
        {"reactions of grid id 5 (index 4)",
         5,
         ReactionsKind,
         false,
         false,
         {"\t\t5   \t" + V(-600) + "\t" + V(0) + "\t" + V(0)}},
        {"no reactions line for an unused id", 4, ReactionsKind, false, false, {}},
        {"beam forces in print layout",
         1,
         BeamForcesKind,
         false,
         print,
         {"10     1      " + V(1.5) + "   " + V(3) + "   " + V(4.5),
          "10     2      " + V(6) + "   " + V(7.5) + "   " + V(9)}},
        {"beam position beyond the table", 2, BeamForcesKind, false, false, {}},
        {"quad averaged: two leaders, one line",
         1,
         QuadStressesKind,
         avg,
         false,
         {"\t\t100 " + S(10, -5, 2)}},
        {"a triangle gives three corner lines",
         2,
         QuadStressesKind,
         false,
         false,
         {"\t200 \t1   " + S(tri[1], 0, 0), "\t200 \t2   " + S(tri[2], 0, 0),
          "\t200 \t3   " + S(tri[3], 0, 0)}},
        {"unknown kind", 1, 5, false, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::array<std::string, 5> lines;
        ListingOptions o;
        o.averageStresses = c.average;
        o.printLayout = c.print;
        const int n = BuildResultLines(a, c.item, c.kind, o, lines);
        ASSERT_EQ(n, static_cast<int>(c.lines.size()));
        for (int i = 1; i <= n; ++i)
            EXPECT_EQ(lines[static_cast<std::size_t>(i)], c.lines[static_cast<std::size_t>(i - 1)]);
    }
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
    // A constant field stays exactly constant.
    const auto flat = CornerValues({0, 7, 7, 7, 7});
    for (int k = 1; k <= 4; ++k)
        EXPECT_EQ(flat[k], 7);
}

TEST(DeriveStresses, PrincipalOfLargerMagnitudeAndVonMises)
{
    struct Case
    {
        double sx, sy, sxy, prin, vonM;
    } cases[] = {
        {100, 0, 0, 100, 100},
        {-100, 0, 0, -100, 100},
        {0, 0, 50, 0, 50 * std::sqrt(3.0)}, // pure shear: p = 0 gives 0
        {30, 10, 0, 30, std::sqrt(900 + 100 - 300.0)},
        {-30, -10, 0, -30, std::sqrt(900 + 100 - 300.0)},
        {10, -30, 0, -30, std::sqrt(100 + 900 + 300.0)},
        {20, 20, 15, 35, std::sqrt(400 + 400 - 400 + 3 * 225.0)},
    };
    for (const auto& c : cases) {
        const auto d = DeriveStresses(c.sx, c.sy, c.sxy);
        EXPECT_NEAR(d.principal, c.prin, 1e-12) << c.sx << " " << c.sy << " " << c.sxy;
        EXPECT_NEAR(d.vonMises, c.vonM, 1e-12) << c.sx << " " << c.sy << " " << c.sxy;
    }
}

TEST(DeflectionAndReactionValues, MatchTheListingAndSayWhenThereIsNoLine)
{
    ListingModel lm;
    std::array<double, 3> v{};
    EXPECT_TRUE(DeflectionValues(lm.h.a, 3, v));
    EXPECT_EQ(v, (std::array<double, 3>{0.004, 0.005, 0}));
    EXPECT_FALSE(DeflectionValues(lm.h.a, 4, v));
    EXPECT_FALSE(DeflectionValues(lm.h.a, 0, v));
    EXPECT_FALSE(DeflectionValues(lm.h.a, 6, v));
    EXPECT_FALSE(DeflectionValues(lm.h.a, -2, v));
    EXPECT_TRUE(ReactionValues(lm.h.a, 2, v));
    EXPECT_EQ(v, (std::array<double, 3>{0, -40 * 0.002, 0}));
    lm.h.a.Model.Grids(2).spring[2] = 0; // without its spring grid 2 has no reactions line
    EXPECT_FALSE(ReactionValues(lm.h.a, 2, v));
}

} // namespace
} // namespace tavu
