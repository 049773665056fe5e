// Fixed-end forces and equivalent nodal loads of beams and quads against closed forms.

#include "TestSupport.h"
#include "common/Numbers.h"
#include "loads/ElementLoads.h"
#include "loads/Loads.h"

#include <cmath>
#include <gtest/gtest.h>

namespace tavu {
namespace {

using testing::HandModel;

TEST(BeamFixedEndForces, ClosedFormsOfTheLoadCases)
{
    const double L = 2, q = 3, EI = 5, w = 0.01, c = 0.1; // c: a curvature
    const double k2 = 12 * EI / (L * L * L), k3 = -6 * EI / (L * L), k4 = 4 * EI / L;
    const double u = 1.0, f = 3 * (1 - u / std::tan(u)) / (u * u);
    struct Case
    {
        BeamLoadInput in; // kind, L, phi, kA, k2, k3, k4, u, pa, qA, qB, delta, w, r0
        BeamForces expected;
    } cases[] = {
        // clang-format off
        {{PlainBeam, L, 0, 0, 0, 0, 0, 0, 0, q, q},                // uniform load
         {0, 0, q * L / 2, q * L * L / 12, 0, -q * L / 2, q * L * L / 12}},
        {{PlainBeam, L, 0, 0, 0, 0, 0, 0, 0, 0, q},                // triangular, q at B
         {0, 0, 3 * q * L / 20, q * L * L / 30, 0, -7 * q * L / 20, q * L * L / 20}},
        {{PinBeam, L, 0, 0, 0, 0, 0, 0, 0, q, q},                  // propped cantilevers
         {0, 0, 5 * q * L / 8, q * L * L / 8, 0, -3 * q * L / 8, 0}},
        {{PinBeam, L, 0, 0, 0, 0, 0, 0, 0, 0, q},
         {0, 0, 9 * q * L / 40, 7 * q * L * L / 120, 0, -11 * q * L / 40, 0}},
        {{CurvBeam, L, 0, 0, 0, 0, 0, 0, 0, q, q}, {0, 0, q * L / 2, 0, 0, -q * L / 2, 0}},
        {{PlainBeam, L, 1e12, 0, 0, 0, 0, 0, 0, 0, q},             // shear-soft: simple shears
         {0, 0, q * L / 6, q * L * L / 24, 0, -q * L / 3, q * L * L / 24}},
        {{PlainBeam, L, 0, 0, 0, 0, 0, 0, 4}, {0, 4, 0, 0, -4, 0, 0}},           // axial load
        {{PlainBeam, L, 0, 1000, 0, 0, 0, 0, 0, 0, 0, 0.01}, {0, -10, 0, 0, -10, 0, 0}}, // BINIT
        {{PlainBeam, L, 0, 0, k2, k3, k4, 0, 0, 0, 0, 0, w},                     // settlement
         {0, 0, -12 * EI * w / (L * L * L), -6 * EI * w / (L * L), 0, -12 * EI * w / (L * L * L),
          6 * EI * w / (L * L)}},
        {{PlainBeam, L, 0, 0, k2, k3, k4, 0, 0, 0, 0, 0, -c * L * L / 2, -c * L}, // curvature
         {0, 0, 0, c * EI, 0, 0, c * EI}},
        {{AxialLoadBeam, L, 0, 0, 0, 0, 0, u, 0, q, q},            // beam-column
         {0, 0, q * L / 2, f * q * L * L / 12, 0, -q * L / 2, f * q * L * L / 12}},
        // clang-format on
    };
    for (const auto& cs : cases) {
        const BeamForces fe = BeamFixedEndForces(cs.in);
        for (std::size_t k = AxialA; k <= MomentB; ++k)
            EXPECT_NEAR(fe[k], cs.expected[k], 1e-9 * (1 + std::fabs(cs.expected[k])))
                << "case " << &cs - cases << ", force " << k;
    }
}

TEST(BeamLoadVector, GravityAndTemperatureInTheGridsDofAxes)
{
    // Two grids 4 apart along x (equations 1..6), E = 1000, A = I = 1; grid B's dofs turned
    // 90 degrees. Density 2 under g = (0, -1) puts q = -2 across the beam; BTEMP T = 20,
    // gradient 5 with alpha = 1E-5 holds it by N = -EA alpha T and M = EI alpha G.
    const double L = 4;
    struct Case
    {
        const char* load;
        BeamForces fixed;
        std::array<double, 7> nodal;
    } cases[] = {
        {"GRAV 0 -1",
         {0, 0, -L, -L * L / 6, 0, L, -L * L / 6},
         {0, 0, -L, -L * L / 6, -L, 0, L * L / 6}},
        {"BTEMP 10 20 5", {0, -0.2, 0, 0.05, -0.2, 0, 0.05}, {0, -0.2, 0, 0.05, 0, -0.2, -0.05}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.load);
        HandModel h(2, 1, 0, 6, 6);
        h.Grid(1, 0, 0, 1, 2, 3);
        h.Grid(2, L, 0, 4, 5, 6, 90 * DEG, TurnOnly);
        h.Beam(1, 1, 2, 1000, 1, 1);
        h.a.Model.Beams(1).density = 2;
        h.a.Model.Beams(1).expansion = 1e-5;
        h.SetLoadLines({c.load});
        ReadLoads(h.a);
        ReadLoads(h.a); // a repeated run starts from zero
        for (std::size_t k = AxialA; k <= MomentB; ++k) {
            EXPECT_NEAR(h.a.Loads.FixedEndForces(1)[k], c.fixed[k], 1e-12) << k;
            EXPECT_NEAR(h.a.Results.SolutionVector(static_cast<long long>(k)), c.nodal[k], 1e-12)
                << k;
        }
    }
}

TEST(QuadLoadVector, EdgePressureTemperatureAndGravity)
{
    // A square of side 2 (grids 1..4 counter-clockwise, equations 2g-1, 2g) as quad 100,
    // E = 1000, nu = 0.25, t = 0.5, alpha = 1E-3; grid 3's dofs turned 90 degrees: it takes
    // (fy, -fx).
    const double p = 6, side = 2, t = 0.5, E = 1000, nu = 0.25, alpha = 1e-3, T = 20;
    const double c = E / (1 - nu) * alpha * T * t * side / 2; // corner force of the heat
    const double g = t * side * side / 4;                     // corner share of gravity
    const double c11 = std::sqrt(E / (1 - nu * nu));
    struct Case
    {
        std::vector<std::string> lines;
        std::array<double, 9> expected; // x, y at corners 1..4 in their dof axes
    } cases[] = {
        // clang-format off
        {{"QLOAD 100 1 6"}, {0, 0, p, 0, p, 0, 0, 0, 0}},                  // pushes into the square
        {{"QLOAD 100 4 6 0"}, {0, 2, 0, 0, 0, 0, 0, 4, 0}},                // 6 at corner 4, 0 at 1
        {{"QLOAD 100 1 6", "QLOAD 100 2 6", "QLOAD 100 3 6", "QLOAD 100 4 6"},
         {0, p, p, -p, p, -p, p, p, -p}},
        {{"QTEMP 100 20"}, {0, -c, -c, c, -c, c, -c, -c, c}},                // pushes outward
        {{"GRAV 3 -10"}, {0, 3 * g, -10 * g, 3 * g, -10 * g, -10 * g, -3 * g, 3 * g, -10 * g}},
        // clang-format on
    };
    for (const auto& cs : cases) {
        SCOPED_TRACE(cs.lines[0]);
        HandModel h(4, 0, 1, 8, 8);
        h.Grid(1, 0, 0, 1, 2, 0);
        h.Grid(2, side, 0, 3, 4, 0);
        h.Grid(3, side, side, 5, 6, 0, 90 * DEG, TurnOnly);
        h.Grid(4, 0, side, 7, 8, 0);
        QuadRow& quad = h.a.Model.Quads(1);
        quad.grid = {0, 1, 2, 3, 4};
        quad.thickness = t;
        quad.expansion = alpha;
        h.a.System.QuadMatrices(1).factor = {0, c11, nu * c11, std::sqrt(E),
                                             std::sqrt(E / (2 * (1 + nu)))};
        h.SetLoadLines(cs.lines);
        ReadLoads(h.a);
        for (int i = 1; i <= 8; ++i)
            EXPECT_NEAR(h.a.Results.SolutionVector(i), cs.expected[i], 1e-9) << i;
        // The initial-stress terms -C eps0 of the temperature stay at the integration points.
        const bool heated = cs.lines[0][1] == 'T';
        for (int pt = 1; pt <= 4; ++pt) {
            EXPECT_NEAR(h.a.Loads.InitialStress(1, 1, pt), heated ? -(1 + nu) * c11 * alpha * T : 0,
                        1e-12);
            EXPECT_NEAR(h.a.Loads.InitialStress(1, 2, pt), heated ? -std::sqrt(E) * alpha * T : 0,
                        1e-12);
            EXPECT_EQ(h.a.Loads.InitialStress(1, 3, pt), 0);
        }
    }
}

} // namespace
} // namespace tavu
