// The grounded springs, the system of a model with turned grids against dense products,
// the rigid-body count and the failure texts of the decomposition stage.

#include "TestSupport.h"
#include "common/Numbers.h"
#include "solver/Profile.h"
#include "solver/RigidBody.h"
#include "solver/Solver.h"
#include "solver/SparseSolver.h"
#include "solver/StiffnessStore.h"
#include "solver/Transform.h"

#include <cmath>
#include <gtest/gtest.h>
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

TEST(TurnedAxes, TheSystemIsTheAssembledStiffnessTurnedWithoutTheHeldDofs)
{
    // Grids turned by 30, -135 and 90 degrees with u held (grid 2), v held (grid 4) or one
    // of them prescribed (grid 5, turned only), another prescribed dof (grid 1), springs on
    // a turned and on an unturned POLAR grid, beams with offsets and a quad; in table order
    // grid 4 comes before grid 2 in the numbering (NSEQ), so the held dofs leave the system
    // in table order, not in equation order.
    Analysis a;
    ReadModelText(
        a, {"GRID 1 0 0",     "GRID 2 4 0 30",     "GRID 3 4 3",         "GRID 4 0 3 -135",
            "GRID 5 8 0 90",  "GRID 6 5 40 POLAR", "QUAD 1 1 2 3 4 1 1", "BEAM 1 2 5 1 1 0.2 -0.1",
            "BEAM 2 3 5 1 1", "BEAM 3 5 6 1 1",    "PROP 1 0.5 0.1",     "MATL 1 1000 0.25",
            "DOFS DEF 1 1 1", "NSEQ 1 4 3 2 6 5",  "RACT 1 -1 1 1",      "RACT 2 1 0 0",
            "RACT 4 0 1 1",   "RACT 5 -1 0 0",     "SPRG 4 50 60 0",     "SPRG 6 70 80 0",
            "ENDMODEL"});
    ASSERT_EQ(a.Model.Grids(2).axisCode, EliminateU);
    ASSERT_EQ(a.Model.Grids(4).axisCode, EliminateV);
    ASSERT_EQ(a.Model.Grids(5).axisCode, TurnOnly);

    // The stiffness in x-y and in the model's numbering: the same model with no grid turned.
    Analysis xy = a;
    for (int i = 1; i <= xy.Model.nGrids; ++i)
        xy.Model.Grids(i).axisCode = 0;
    ASSERT_TRUE(AssembleStiffness(xy));
    ASSERT_EQ(xy.System.NEQ, a.Model.NEQ);
    Dense k = DenseK(xy);
    for (int i : {2, 4, 5}) {
        const GridRow& g = a.Model.Grids(i);
        k = Rotated(k, static_cast<std::size_t>(std::abs(g.equation[DofU])), std::cos(g.axisAngle),
                    std::sin(g.axisAngle));
    }
    const int uHeld = a.Model.Grids(2).equation[DofU], vHeld = a.Model.Grids(4).equation[DofV];
    k = Without(Without(k, std::max(uHeld, vHeld)), std::min(uHeld, vHeld));

    a.State.TransformFlag = 1;
    a.Summary.LogText = "before";
    ASSERT_TRUE(AssembleStiffness(a));
    RotateAndEliminate(a);
    EXPECT_EQ(a.Summary.LogText.substr(a.Summary.LogText.rfind("\r\n")),
              "\r\nRotating and eliminating dofs");
    ASSERT_EQ(a.System.NEQ, a.Model.NEQ - 2);
    Dense got = DenseK(a);
    for (int i : {1, 5}) { // the prescribed dofs hold the penalty, whatever was assembled
        const int e = -SystemEquation(a.System, i, DofU);
        ASSERT_GT(e, 0);
        EXPECT_EQ(got[e][e], PenaltyStiffness);
        got[e][e] = k[e][e];
    }
    ExpectDenseNear(got, k, 1e-14, "turned system");

    // The held dofs lie above the system, grid 2's first (table order); the rest close up.
    EXPECT_EQ(SystemEquation(a.System, 2, DofU), a.Model.NEQ);
    EXPECT_EQ(SystemEquation(a.System, 4, DofV), a.Model.NEQ - 1);
    for (int i = 1; i <= a.Model.nGrids; ++i)
        for (int d = 1; d <= 3; ++d) {
            const int e0 = a.Model.Grids(i).equation[static_cast<std::size_t>(d)];
            const int e = SystemEquation(a.System, i, d);
            if (std::abs(e0) > a.Model.NEQ || e0 == uHeld || e0 == vHeld)
                continue;
            const int below = (std::abs(e0) > uHeld) + (std::abs(e0) > vHeld);
            EXPECT_EQ(e, e0 > 0 ? e0 - below : e0 + below) << "grid " << i << " dof " << d;
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

// A plate of nx by ny quads numbered along its long side (a wide profile), held at x = 0;
// with a frame, beams along its top and right edges whose grids turn, springs, a turned
// grid with v held and a prescribed u.
std::vector<std::string> PlateModel(int nx, int ny, bool frame)
{
    std::vector<std::string> lines;
    const auto id = [&](int i, int j) { return std::to_string(j * (nx + 1) + i + 1); };
    for (int i = 0; i <= nx; ++i)
        for (int j = 0; j <= ny; ++j)
            lines.push_back("GRID " + id(i, j) + " " + std::to_string(i) + " " + std::to_string(j) +
                            (frame && i == nx && j == ny ? " 30" : ""));
    int quad = 0, beam = 0;
    for (int i = 0; i < nx; ++i)
        for (int j = 0; j < ny; ++j)
            lines.push_back("QUAD " + std::to_string(++quad) + " " + id(i, j) + " " + id(i + 1, j) +
                            " " + id(i + 1, j + 1) + " " + id(i, j + 1) + " 1 1");
    for (int i = 0; frame && i < nx; ++i)
        lines.push_back("BEAM " + std::to_string(++beam) + " " + id(i, ny) + " " + id(i + 1, ny) +
                        " 2 1");
    for (int j = 0; frame && j < ny; ++j)
        lines.push_back("BEAM " + std::to_string(++beam) + " " + id(nx, j) + " " + id(nx, j + 1) +
                        " 2 1");
    for (const char* l : {"PROP 1 0.1", "PROP 2 0.02 0.0004", "MATL 1 1000 0.25", "DOFS DEF 1 1 0"})
        lines.push_back(l);
    if (frame) {
        for (int i = 0; i <= nx; ++i)
            lines.push_back("DOFS " + id(i, ny) + " 1 1 1");
        for (int j = 0; j < ny; ++j)
            lines.push_back("DOFS " + id(nx, j) + " 1 1 1");
        lines.push_back("SPRG 5 10 20 0");
        lines.push_back("RACT " + id(nx, ny) + " 0 1 0");
        lines.push_back("RACT " + id(nx, 0) + " -1 0 0");
    }
    for (int j = 0; j <= ny; ++j)
        lines.push_back("RACT " + id(0, j) + " 1 1 1");
    lines.push_back("ENDMODEL");
    return lines;
}

TEST(SparseOrder, TheGridsOrderedTogetherGiveAmdsFactor)
{
    // The sparse path orders the grids (groups of equations that couple alike) when all of
    // them have as many equations, and leaves a model with mixed grids to AMD on its
    // equations. Either way the factor must be AMD's, and far smaller than in the
    // numbering's order.
    for (const bool frame : {false, true}) {
        Analysis a;
        ReadModelText(a, PlateModel(60, 40, frame));
        a.SolverChoice = SolverPath::Sparse;
        ASSERT_TRUE(BuildProfile(a) && AssembleStiffness(a));
        // u and v at every grid, the frame's rotations, less the wall's dofs and the
        // turned v
        ASSERT_EQ(a.System.NEQ, 2 * 61 * 41 - 2 * 41 + (frame ? 61 + 40 - 1 - 1 : 0));
        SparseSystem& s = *a.System.Sparse;
        const double grouped = s.Size().nonzeros, groupedFlops = s.flops;

        ASSERT_TRUE(s.Analyse());
        EXPECT_LE(grouped, (frame ? 1.0 : 1.01) * s.Size().nonzeros) << frame;
        EXPECT_LE(groupedFlops, (frame ? 1.0 : 1.01) * s.flops) << frame;
        std::vector<std::int64_t> natural(static_cast<std::size_t>(a.System.NEQ));
        for (std::size_t k = 0; k < natural.size(); ++k)
            natural[k] = static_cast<std::int64_t>(k);
        ASSERT_TRUE(s.Analyse(&natural));
        EXPECT_LT(grouped, 0.7 * s.Size().nonzeros) << frame;
    }
}

} // namespace
} // namespace tavu
