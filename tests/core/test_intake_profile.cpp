#include "solver/Profile.h"

#include <array>
#include <gtest/gtest.h>
#include <vector>

namespace tavu {
namespace {

// Grid i (id i): equations u, v, r, axis code, springs on dofs 1 and 2. Beams join grid
// ids; quads hold corners 1..4.
using Grids = std::vector<std::array<double, 6>>;

Analysis Numbered(int neq, const Grids& grids, const std::vector<std::array<int, 3>>& beams = {},
                  const std::vector<std::array<int, 5>>& quads = {})
{
    Analysis a;
    ModelStore& m = a.Model;
    m.NEQ = neq;
    m.nGrids = m.maxGridId = static_cast<int>(grids.size());
    m.Grids.Create(m.nGrids);
    m.GridIndex.Create(m.nGrids);
    for (int i = 1; i <= m.nGrids; ++i) {
        const auto& g = grids[static_cast<std::size_t>(i - 1)];
        m.GridIndex(i) = i;
        m.Grids(i) = {0, 0, 0, {0, g[4], g[5], 0}, {0, int(g[0]), int(g[1]), int(g[2])}, int(g[3])};
    }
    m.Beams.Create(m.nBeams = static_cast<int>(beams.size()));
    for (const auto& b : beams)
        m.Beams(b[0]) = {b[0], b[1], b[2]};
    m.Quads.Create(m.nQuads = static_cast<int>(quads.size()));
    for (const auto& q : quads)
        m.Quads(q[0]).grid = q;
    return a;
}

TEST(BuildProfile, LaysOutTheActiveColumns)
{
    struct Case
    {
        Analysis a;
        std::vector<long long> diagPos;
        int maxColumn, rmsColumn;
    } cases[] = {
        // clang-format off
        {Numbered(1, {{1, 0, 0}}), {2, 3}, 1, 1},
        {Numbered(6, {{1, 2, 3}, {4, 5, 6}}, {{1, 1, 2}}), {2, 3, 5, 8, 12, 17, 23}, 6, 4},
        // Restrained (above NEQ) and absent (0) entries take no part, prescribed ones
        // (negative) count by their absolute value.
        {Numbered(3, {{5, 4, 0}, {1, -2, 3}}, {{1, 1, 2}}), {2, 3, 5, 8}, 3, 2},
        {Numbered(8, {{1, 2}, {3, 4}, {5, 6}, {7, 8}}, {}, {{1, 1, 2, 3, 4}}),
         {2, 3, 5, 8, 12, 17, 23, 30, 38}, 8, 5},
        // A beam to a grid that does not exist couples only its own grid's dofs.
        {Numbered(3, {{1, 2, 3}}, {{1, 1, 7}}), {2, 3, 5, 8}, 3, 2},
        {Numbered(0, {{4, 5, 6}}, {{1, 1, 1}}), {2}, 0, 0},
        // A grid outside every element with a spring or eliminated axes couples its own u
        // and v; a polar grid (code -1) does not. Rms of heights 1, 2, 1, 2, 1, 1 is 1.41.
        {Numbered(6, {{1, 2, 0, 0, 0, -3}, {3, 4, 0, EliminateV}, {5, 6, 0, PolarAxes}}),
         {2, 3, 5, 6, 8, 9, 10}, 2, 1},
        // Heights 1, 2, 2, 4: the rms of exactly 2.5 rounds to even.
        {Numbered(4, {{1, 2, 0, 0, 1}, {2, 3, 0, EliminateU}, {1, 4, 0, TurnOnly}}),
         {2, 3, 5, 7, 11}, 4, 2},
        // clang-format on
    };
    for (Case& c : cases) {
        ASSERT_TRUE(BuildProfile(c.a)) << &c - cases;
        const Vec<long long>& d = c.a.Profile.DiagPos;
        EXPECT_EQ(std::vector<long long>(d.Data() + 1, d.Data() + d.Last() + 1), c.diagPos);
        EXPECT_EQ(c.a.Profile.ProfileSize, c.diagPos.back()) << &c - cases;
        EXPECT_EQ(c.a.Profile.MaxActiveColumn, c.maxColumn) << &c - cases;
        EXPECT_EQ(c.a.Profile.RmsActiveColumn, c.rmsColumn) << &c - cases;
    }

    // A store beyond the memory available is refused when the setting leaves no other way;
    // the message counts past 32 bits. Every column couples to equation 1 through a spring:
    // heights 1..n.
    const int n = 100000;
    Grids grids;
    for (int j = 2; j <= n; ++j)
        grids.push_back({1, double(j), 0, 0, 1});
    for (SolverPath path : {SolverPath::Skyline, SolverPath::Auto, SolverPath::Sparse}) {
        Analysis a = Numbered(n, grids);
        a.SolverChoice = path;
        a.MemoryForStiffness = 32LL << 30;
        EXPECT_EQ(BuildProfile(a), path != SolverPath::Skyline);
        EXPECT_EQ(a.Profile.ProfileSize - 2, static_cast<long long>(n) * (n + 1) / 2);
        EXPECT_FALSE(StoreFits(a.Profile));
        EXPECT_EQ(a.State.FatalText,
                  path != SolverPath::Skyline
                      ? ""
                      : "Stiffness matrix too large: more than 4294967294 terms (5000050000 terms "
                        "need 38148 MB, 32768 MB available)\r\n");
    }
}

} // namespace
} // namespace tavu
