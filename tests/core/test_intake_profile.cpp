#include "TestSupport.h"
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
                  const std::vector<std::array<int, 4>>& quads = {})
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
        for (int k = 1; k <= 4; ++k)
            m.Quads(q).grid[static_cast<std::size_t>(k)] =
                quads[static_cast<std::size_t>(q - 1)][static_cast<std::size_t>(k - 1)];
    return a;
}

std::vector<long long> DiagPosOf(const Analysis& a)
{
    std::vector<long long> d;
    for (long long j = 1; j <= a.Profile.DiagPos.Last(); ++j)
        d.push_back(a.Profile.DiagPos(j));
    return d;
}

struct ProfileCase
{
    const char* name;
    Analysis a;
    std::vector<long long> diagPos;
    int maxColumn, rmsColumn;
};

TEST(BuildProfile, LaysOutTheActiveColumns)
{
    ProfileCase cases[] = {
        // clang-format off
        {"one grid with one free dof", Numbered(1, {{1, 0, 0}}, {}), {2, 3}, 1, 1},
        {"a beam from equations 1..3 to 4..6", Numbered(6, {{1, 2, 3}, {4, 5, 6}}, {{1, 2}}),
         {2, 3, 5, 8, 12, 17, 23}, 6, 4},
        // Restrained (above NEQ), absent (0) and penalty (negative) entries: the first two
        // take no part, the third counts by its absolute value.
        {"a beam with restrained and absent dofs", Numbered(3, {{5, 4, 0}, {1, -2, 3}}, {{1, 2}}),
         {2, 3, 5, 8}, 3, 2},
        {"two beams on a chain", Numbered(6, {{1, 2, 0}, {3, 4, 0}, {5, 6, 0}}, {{1, 2}, {2, 3}}),
         {2, 3, 5, 8, 12, 15, 19}, 4, 3},
        {"a quad", Numbered(8, {{1, 2, 0}, {3, 4, 0}, {5, 6, 0}, {7, 8, 0}}, {}, {{1, 2, 3, 4}}),
         {2, 3, 5, 8, 12, 17, 23, 30, 38}, 8, 5},
        // A beam to a grid that does not exist couples only its own grid's dofs.
        {"a beam with a missing grid", Numbered(3, {{1, 2, 3}}, {{1, 7}}), {2, 3, 5, 8}, 3, 2},
        {"no equations at all", Numbered(0, {{4, 5, 6}}, {{1, 1}}), {2}, 0, 0},
        // Rms of heights 1, 2, 2, 4 is exactly 2.5: rounded to even.
        {"springs and turned axes couple u and v",
         Numbered(4, {{1, 2, 0, 0, 1.0, 0}, {2, 3, 0, 0, 0, -3.0}, {1, 4, 0, 2}, {3, 4, 0, -1}}, {}),
         {2, 3, 5, 7, 11}, 4, 2},
        // clang-format on
    };
    for (ProfileCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(BuildProfile(c.a));
        EXPECT_EQ(DiagPosOf(c.a), c.diagPos);
        EXPECT_EQ(c.a.Profile.ProfileSize, c.diagPos.back());
        EXPECT_EQ(c.a.Profile.MaxActiveColumn, c.maxColumn);
        EXPECT_EQ(c.a.Profile.RmsActiveColumn, c.rmsColumn);
        EXPECT_EQ(c.a.State.FatalText, "");
    }
}

TEST(BuildProfile, GivesAGridWithoutElementsRoomForItsSprings)
{
    // Grid 3 belongs to no element but has a spring and turned axes: column 6 reaches
    // row 5, so the coupling term (5, 6) has a place.
    Analysis a = Numbered(6, {{1, 2, 0}, {3, 4, 0}, {5, 6, 0, 1, 0.0, 2.0}}, {{1, 2}});
    ASSERT_TRUE(BuildProfile(a));
    const auto& d = a.Profile.DiagPos;
    EXPECT_EQ(d(7) - d(6), 2); // height of column 6
    EXPECT_EQ(d(6) - d(5), 1); // column 5 holds only its diagonal
    // Without springs or a turned axis the grid's columns stay single terms.
    Analysis b = Numbered(6, {{1, 2, 0}, {3, 4, 0}, {5, 6, 0}}, {{1, 2}});
    ASSERT_TRUE(BuildProfile(b));
    EXPECT_EQ(b.Profile.DiagPos(7) - b.Profile.DiagPos(6), 1);
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
    EXPECT_EQ(a.Profile.MaxActiveColumn, n);
    EXPECT_EQ(a.State.FatalText, "Stiffness matrix too large: more than 500000000 terms\r\n");
}

// Through the whole model step: the profile follows the numbering of the reader.
TEST(BuildProfile, FollowsTheEquationNumbering)
{
    Analysis a;
    ASSERT_TRUE(testing::ProcessModel(
        a, {"GRID 1 0 0", "GRID 2 1 0", "GRID 3 2 0", "GRID 4 3 0 $ only a spring",
            "BEAM 1 1 2 1 1", "BEAM 2 2 3 1 1", "PROP 1 1 1", "MATL 1 1000", "DOFS DEF 1 1 1",
            "RACT 1 1 1 1", "SPRG 4 1 2 3", "NSEQ 4 1 3 2", "ENDMODEL"}))
        << a.Summary.ReadText;
    // Sequence 4, 1, 3, 2: grid 4 gets 1..3, grid 3 4..6, grid 2 7..9.
    EXPECT_EQ(testing::EquationsOf(a, 4), (testing::Equations{1, 2, 3}));
    EXPECT_EQ(DiagPosOf(a), (std::vector<long long>{2, 3, 5, 6, 7, 9, 12, 16, 21, 27}));
    EXPECT_EQ(a.Profile.MaxActiveColumn, 6);
    EXPECT_EQ(a.Profile.RmsActiveColumn, 3); // sqrt(97 / 9) = 3.28
}

} // namespace
} // namespace tavu
