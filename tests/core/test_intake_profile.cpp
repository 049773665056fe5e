#include "solver/Profile.h"

#include <array>
#include <gtest/gtest.h>
#include <vector>

namespace tavu {
namespace {

struct GridSetup
{
    int u, v, r; // equation numbers as the numbering leaves them
    int axisCode = 0;
    double kx = 0, ky = 0; // grounded springs on dof 1 and 2
};

// A numbered model made directly: grid i has id i; beams and quads name grid ids.
Analysis Numbered(int neq, const std::vector<GridSetup>& grids,
                  const std::vector<std::array<int, 2>>& beams,
                  const std::vector<std::array<int, 5>>& quads = {})
{
    Analysis a;
    ModelStore& m = a.Model;
    m.nGrids = m.maxGridId = static_cast<int>(grids.size());
    m.nBeams = static_cast<int>(beams.size());
    m.nQuads = static_cast<int>(quads.size());
    m.NEQ = neq;
    m.Grids.Create(m.nGrids);
    m.GridIndex.Create(m.nGrids);
    for (int i = 1; i <= m.nGrids; ++i) {
        const GridSetup& g = grids[static_cast<std::size_t>(i - 1)];
        m.GridIndex(i) = i;
        m.Grids(i).equation = {0, g.u, g.v, g.r};
        m.Grids(i).axisCode = g.axisCode;
        m.Grids(i).spring = {0, g.kx, g.ky, 0};
    }
    m.Beams.Create(m.nBeams);
    for (int b = 1; b <= m.nBeams; ++b) {
        m.Beams(b).gridA = beams[static_cast<std::size_t>(b - 1)][0];
        m.Beams(b).gridB = beams[static_cast<std::size_t>(b - 1)][1];
    }
    m.Quads.Create(m.nQuads);
    for (int q = 1; q <= m.nQuads; ++q)
        m.Quads(q).grid = quads[static_cast<std::size_t>(q - 1)];
    return a;
}

TEST(BuildProfile, LaysOutTheActiveColumns)
{
    struct Case
    {
        const char* name;
        Analysis a;
        std::vector<long long> diagPos;
        int maxColumn, rmsColumn;
    } cases[] = {
        // clang-format off
        {"one grid with one free dof", Numbered(1, {{1, 0, 0}}, {}), {2, 3}, 1, 1},
        {"a beam from equations 1..3 to 4..6", Numbered(6, {{1, 2, 3}, {4, 5, 6}}, {{1, 2}}),
         {2, 3, 5, 8, 12, 17, 23}, 6, 4},
        // Restrained (above NEQ) and absent (0) entries take no part, prescribed ones
        // (negative) count by their absolute value.
        {"restrained, absent and prescribed dofs", Numbered(3, {{5, 4, 0}, {1, -2, 3}}, {{1, 2}}),
         {2, 3, 5, 8}, 3, 2},
        {"a quad", Numbered(8, {{1, 2, 0}, {3, 4, 0}, {5, 6, 0}, {7, 8, 0}}, {}, {{0, 1, 2, 3, 4}}),
         {2, 3, 5, 8, 12, 17, 23, 30, 38}, 8, 5},
        // A beam to a grid that does not exist couples only its own grid's dofs.
        {"a beam with a missing grid", Numbered(3, {{1, 2, 3}}, {{1, 7}}), {2, 3, 5, 8}, 3, 2},
        {"no equations at all", Numbered(0, {{4, 5, 6}}, {{1, 1}}), {2}, 0, 0},
        // A grid outside every element with a spring or eliminated axes couples its own u
        // and v; a polar grid (code -1) does not. Rms of heights 1, 2, 1, 2 is 1.58.
        {"springs and turned axes couple u and v",
         Numbered(4, {{1, 2, 0, 0, 0, -3.0}, {3, 4, 0, 2}}, {}), {2, 3, 5, 6, 8}, 2, 2},
        {"a polar grid keeps u and v apart", Numbered(2, {{1, 2, 0, -1}}, {}), {2, 3, 4}, 1, 1},
        // Heights 1, 2, 2, 4: the rms of exactly 2.5 rounds to even.
        {"rms rounds half to even",
         Numbered(4, {{1, 2, 0, 0, 1.0}, {2, 3, 0, 1}, {1, 4, 0, 3}}, {}), {2, 3, 5, 7, 11}, 4, 2},
        // clang-format on
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(BuildProfile(c.a));
        std::vector<long long> diagPos;
        for (long long j = 1; j <= c.a.Profile.DiagPos.Last(); ++j)
            diagPos.push_back(c.a.Profile.DiagPos(j));
        EXPECT_EQ(diagPos, c.diagPos);
        EXPECT_EQ(c.a.Profile.ProfileSize, c.diagPos.back());
        EXPECT_EQ(c.a.Profile.MaxActiveColumn, c.maxColumn);
        EXPECT_EQ(c.a.Profile.RmsActiveColumn, c.rmsColumn);
    }
}

TEST(BuildProfile, RefusesAStoreTooLargeToHold)
{
    // Every column couples to equation 1: heights 1..n, n(n+1)/2 terms.
    const int n = 40000;
    std::vector<GridSetup> grids;
    for (int j = 2; j <= n; ++j)
        grids.push_back({1, j, 0, 0, 1.0, 0});
    Analysis a = Numbered(n, grids, {});
    EXPECT_FALSE(BuildProfile(a));
    EXPECT_EQ(a.Profile.ProfileSize - 2, static_cast<long long>(n) * (n + 1) / 2);
    EXPECT_EQ(a.State.FatalText, "Stiffness matrix too large: more than 500000000 terms\r\n");
}

} // namespace
} // namespace tavu
