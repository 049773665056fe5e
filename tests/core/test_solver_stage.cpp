// The grounded springs, rotation and elimination against dense products, the rigid-body
// count and the failure texts of the decomposition stage.

#include "TestSupport.h"
#include "common/Numbers.h"
#include "solver/Profile.h"
#include "solver/RigidBody.h"
#include "solver/Solver.h"
#include "solver/StiffnessStore.h"
#include "solver/Transform.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace tavu {
namespace {

using namespace testing;

TEST(GroundedSprings, ActAlongTheGridAxes)
{
    // One grid with springs 10, 4, 7 on u, v and the rotation, turned into x-y by its axis
    // angle; a prescribed u (by penalty) takes its terms all the same.
    const double c = std::cos(30 * DEG), s = std::sin(30 * DEG);
    const double cases[][5] = {
        {0, 1, 10, 0, 4},
        {30 * DEG, 1, c * c * 10 + s * s * 4, s * c * 6, s * s * 10 + c * c * 4},
        {0, -1, 10, 0, 4}}; // angle, u, K(u, u), K(u, v), K(v, v)
    for (const auto& [angle, u, kuu, kuv, kvv] : cases) {
        HandModel h(1, 0, 0, 3, 3);
        h.Grid(1, 0, 0, static_cast<int>(u), 2, 3, angle);
        h.a.Model.Grids(1).spring = {0, 10, 4, 7};
        h.a.Model.nSprgRecords = 1;
        ASSERT_TRUE(BuildProfile(h.a) && AssembleStiffness(h.a));
        ExpectDenseNear(DenseK(h.a), {{}, {0, kuu, kuv, 0}, {0, kuv, kvv, 0}, {0, 0, 0, 7}}, 1e-15,
                        "springs");
    }
}

// A random symmetric matrix with zeros outside the store's profile.
Dense RandomInProfile(const Analysis& a, std::mt19937& rng)
{
    const int n = a.System.NEQ;
    std::uniform_real_distribution<double> d(-1, 1);
    Dense k(n + 1, std::vector<double>(n + 1, 0.0));
    for (int i = 1; i <= n; ++i)
        for (int j = i; j <= n; ++j)
            if (HasStiffnessTerm(a, i, j))
                k[i][j] = k[j][i] = d(rng) + (i == j ? 5 : 0);
    return k;
}

// R K Rt with R = [[c, s], [-s, c]] on rows and columns ju, ju + 1.
Dense Rotated(Dense k, std::size_t ju, double c, double s)
{
    for (int pass = 0; pass < 2; ++pass) // rows, then columns
        for (std::size_t m = 1; m < k.size(); ++m) {
            double& x = pass ? k[m][ju] : k[ju][m];
            double& y = pass ? k[m][ju + 1] : k[ju + 1][m];
            const double x0 = x;
            x = c * x0 + s * y;
            y = -s * x0 + c * y;
        }
    return k;
}

Dense Without(Dense k, int n)
{
    k.erase(k.begin() + n);
    for (auto& row : k)
        row.erase(row.begin() + n);
    return k;
}

TEST(Elimination, RemovesTheEquationAndRenumbers)
{
    std::mt19937 rng(11);
    // Equations eliminated in turn (their numbers at that moment).
    for (const std::vector<int>& order : {std::vector<int>{1}, {7}, {4}, {3, 5}}) {
        SCOPED_TRACE(order.front());
        Analysis a;
        MakeStore(a, {0, 1, 1, 2, 1, 3, 5, 5});
        // Grid g has its u at equation g (grid 6 by penalty) and a restrained v (8).
        std::vector<HandGrid> grids;
        for (int e = 1; e <= 7; ++e)
            grids.push_back({0, 0, 0, e == 6 ? -6 : e, 8, 0, 0});
        MakeGrids(a, grids);
        Dense k = RandomInProfile(a, rng);
        FillStore(a, k);
        std::vector<int> number = {0, 1, 2, 3, 4, 5, 6, 7};
        int neq = 7;
        for (int n : order) {
            EliminateEquation(a, n);
            k = Without(k, n);
            for (int& e : number)
                e = e == n ? neq : e > n && e <= neq ? e - 1 : e;
            --neq;
        }
        ASSERT_EQ(a.System.NEQ, neq);
        ExpectDenseNear(DenseK(a), k, 0, "eliminated");
        for (int g = 1; g <= 7; ++g) {
            const DofEquations& e = a.System.GridEquations(g);
            EXPECT_EQ(e[1], g == 6 && number[g] <= neq ? -number[g] : number[g]) << "grid " << g;
            EXPECT_EQ(e[2], 8) << "restrained dofs keep their number";
        }
    }
}

TEST(RotateAndEliminate, TurnsEliminatesAndPenalisesLikeTheDenseProducts)
{
    // Grid 2's pair (equations 3, 4) is turned and one of it held (axis code 1: u, 2: v), or
    // left alone (flag 2); later columns reach the pair at various heights. Grid 3's u is
    // prescribed (penalty), grid 4's u is equation 8.
    std::mt19937 rng(3);
    const std::tuple<double, int, int> cases[] = {{30, 2, 1}, {-135, 1, 1}, {90, 2, 1}, {0, 0, 2}};
    for (const auto& [angle, code, flag] : cases) {
        SCOPED_TRACE(angle);
        Analysis a;
        MakeStore(a, {0, 1, 1, 2, 2, 3, 3, 1, 5});
        MakeGrids(a, {{0, 0, 0, 1, 2, 0, 0},
                      {1, 0, angle * DEG, 3, 4, 0, code},
                      {2, 0, 0, -5, 6, 7, 0},
                      {3, 0, 0, 8, 0, 0, 0}});
        Dense k = RandomInProfile(a, rng);
        FillStore(a, k);
        a.State.TransformFlag = flag;
        a.Summary.LogText = "before";
        ASSERT_TRUE(RotateAndEliminate(a));
        EXPECT_EQ(a.Summary.LogText,
                  flag == 1 ? "before\r\nRotating and eliminating dofs" : "before");
        DofEquations grid2 = {0, 3, 4, 0}, grid3 = {0, -5, 6, 7}, grid4 = {0, 8, 0, 0};
        if (code > 0) {
            const int n = 2 + code; // the held dof: it goes above the system as 8
            k = Without(Rotated(k, 3, std::cos(angle * DEG), std::sin(angle * DEG)), n);
            grid2 = code == 1 ? DofEquations{0, 8, 3, 0} : DofEquations{0, 3, 8, 0};
            grid3 = {0, -4, 5, 6};
            grid4 = {0, 7, 0, 0};
        }
        const int penalty = -grid3[1];
        Dense got = DenseK(a);
        EXPECT_EQ(got[penalty][penalty], 1.0e99);
        got[penalty][penalty] = k[penalty][penalty]; // the rest compares at its own scale
        ExpectDenseNear(got, k, 1e-15, "transformed");
        EXPECT_EQ(a.System.NEQ, code > 0 ? 7 : 8);
        EXPECT_EQ(a.System.GridEquations(2), grid2);
        EXPECT_EQ(a.System.GridEquations(3), grid3);
        EXPECT_EQ(a.System.GridEquations(4), grid4);
        EXPECT_EQ(a.Model.NEQ, 8) << "the model's numbering stays as read";
    }
}

TEST(RigidBody, CountsTheMotionsTheRestraintsLeaveFree)
{
    // Grids x, y, axis angle, u, v, r, axis code: numbers above NEQ = 3 are restrained,
    // negative ones held by a penalty.
    const double a30 = 30 * DEG, c = std::cos(a30), s = std::sin(a30);
    const std::pair<std::vector<HandGrid>, int> cases[] = {
        // clang-format off
        {{{0, 0, 0, 1, 2, 3}, {4, 1, 0, 0, 0, 0}}, 3},                            // nothing held
        {{{0, 0, 0, 9, 8, 1}, {4, 1, 0, 2, 3, 0}}, 1},                            // one pin
        {{{0, 0, 0, 9, 8, 1}, {4, 1, 0, 7, 6, 2}}, 0},                            // two pins
        {{{0, 0, 0, 1, 9, 2}, {4, 0, 0, 3, 8, 0}}, 1},                            // two rollers
        {{{0, 0, 0, 1, -2, 0}, {4, 0, 0, 3, -3, 0}}, 1},                          // by penalty
        {{{0, 0, a30, 9, 1, 0, 1}, {2 * c, 2 * s, a30, 8, 2, 0, 1}}, 2},          // turned u along
        {{{0, 0, a30, 9, 1, 0, 1}, {2, 0, a30, 8, 2, 0, 1}}, 1},                  // and off its axis
        {{{0, 0, a30, 1, 9, 0, 2}, {-2 * s, 2 * c, a30, 2, 8, 0, 2}}, 2},         // turned v along
        {{{0, 0, a30, 9, 1, 0, 0}, {2 * c, 2 * s, a30, 8, 2, 0, 0}}, 1},          // angle, no turn
        {{{0, 0, 0, 9, 1, 0}, {5, 1e-13, 0, 8, 2, 0}}, 2},                        // 1E-13 off line
        // clang-format on
    };
    const char* text[] = {"log", "log\r\n1 rigid body dof exists", "log\r\n2 rigid body dofs exist",
                          "log\r\n3 rigid body dofs exist"};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        Analysis a;
        MakeGrids(a, cases[i].first);
        a.System.NEQ = 3;
        a.Summary.LogText = "log";
        CheckRigidBodyModes(a);
        EXPECT_EQ(a.Summary.LogText, text[cases[i].second]) << "case " << i;
    }
}

TEST(Decompose, FailureNamesTheGridTablePositionAndTheDof)
{
    const double nan = std::nan("");
    struct Case
    {
        std::vector<long long> tops;
        Dense k;
        std::vector<HandGrid> grids;
        std::string lines;
    } cases[] = {
        // clang-format off
        {{0, 1, 1}, {{}, {0, 1, 1}, {0, 1, 1}}, {{0, 0, 0, 1, 0, 0}, {1, 0, 0, 0, 2, 0}},
         "grid 2, dof 2\r\nPivot ratio = 0\r\n3 rigid body dofs exist"},
        {{0, 1, 1}, {{}, {0, 2, 0}, {0, 0, 0}}, {{0, 0, 0, 1, 0, 0}, {1, 0, 0, 0, 0, 2}},
         "grid 2, dof 3\r\nPivot ratio = 0\r\n3 rigid body dofs exist"},
        {{0, 1, 2}, {{}, {0, 1, 0}, {0, 0, 1.23456789e-13}}, {{0, 0, 0, 2, 1, 0}},
         "grid 1, dof 1\r\nPivot ratio = 1.235E-13\r\n3 rigid body dofs exist"},
        {{0, 1, 2}, {{}, {0, nan, 0}, {0, 0, 1}}, {{0, 0, 0, 0, -1, 2}},
         "grid 1, dof 2\r\nPivot ratio = NaN\r\n2 rigid body dofs exist"},
        {{0, 1, 1}, {{}, {0, 2, 1}, {0, 1, -3}}, {{0, 0, 0, 1, 0, 0}, {1, 0, 0, 0, 0, -2}},
         "grid 2, dof 3\r\nPivot ratio =-3\r\n2 rigid body dofs exist"},
        // clang-format on
    };
    for (const Case& c : cases) {
        Analysis a;
        MakeStore(a, c.tops);
        FillStore(a, c.k);
        MakeGrids(a, c.grids);
        EXPECT_FALSE(Decompose(a).ok);
        const std::string tail =
            "\r\n\r\nSTOP - stiffness matrix not positive definite\r\nNonpositive pivot at " +
            c.lines;
        const std::string& log = a.Summary.LogText;
        EXPECT_EQ(log.substr(log.size() - std::min(log.size(), tail.size())), tail);
    }
}

TEST(RunDecomposition, ARepeatedStepStartsFromTheModelAsRead)
{
    // A turned grid (one dof eliminated), a penalty dof and a quad: the decomposition fails
    // (grid 5 has no stiffness), and the repeated step must do exactly the same.
    Analysis a;
    ReadModelText(a,
                  {"GRID 1 0 0", "GRID 2 2 0", "GRID 3 2 2", "GRID 4 0 2 30", "GRID 5 9 9",
                   "QUAD 1 1 2 3 4 1 1", "BEAM 1 3 4 1 1", "PROP 1 0.5 0.1", "MATL 1 1000 0.25",
                   "DOFS DEF 1 1 1", "RACT 1 1 1 0", "RACT 2 -1 0 0", "RACT 4 0 1 0", "ENDMODEL"});
    RecordingWindow first, second;
    EXPECT_FALSE(RunDecomposition(a, first));
    const EquationSystem system = a.System;
    const std::string log = a.Summary.LogText;
    EXPECT_NE(log.find("Rotating and eliminating dofs"), std::string::npos);
    EXPECT_NE(log.find("STOP - stiffness matrix not positive definite"), std::string::npos);
    EXPECT_FALSE(RunDecomposition(a, second));
    EXPECT_EQ(a.Summary.LogText, log);
    EXPECT_EQ(a.System.NEQ, system.NEQ);
    for (long long p = 0; p <= system.Store.KValues.Last(); ++p)
        EXPECT_EQ(a.System.Store.KValues(p), system.Store.KValues(p)) << p;
    EXPECT_EQ(a.System.QuadMatrices(1).packed, system.QuadMatrices(1).packed);
    EXPECT_TRUE(second.continueDisabled && second.cancelFocused);
    EXPECT_EQ(a.State.Stage, ModelRead);
}

} // namespace
} // namespace tavu
