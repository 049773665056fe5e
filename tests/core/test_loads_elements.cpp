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
    const double L = 2, q = 3, EI = 5;
    const double k2 = 12 * EI / (L * L * L), k3 = -6 * EI / (L * L), k4 = 4 * EI / L;
    const double u = 1.0, f = 3 * (1 - u / std::tan(u)) / (u * u);
    struct Case
    {
        const char* name;
        BeamLoadInput in;
        std::array<double, 7> expected; // NA, VA, MA, NB, VB, MB in 1..6
    } cases[] = {
        {"uniform load, plain",
         {PlainBeam, L, 0, 0, 0, 0, 0, 0, 0, q, q},
         {0, 0, q * L / 2, q * L * L / 12, 0, -q * L / 2, q * L * L / 12}},
        {"triangular load 0 at A to q at B",
         {PlainBeam, L, 0, 0, 0, 0, 0, 0, 0, 0, q},
         {0, 0, 3 * q * L / 20, q * L * L / 30, 0, -7 * q * L / 20, q * L * L / 20}},
        {"uniform load, pinned at B",
         {PinBeam, L, 0, 0, 0, 0, 0, 0, 0, q, q},
         {0, 0, 5 * q * L / 8, q * L * L / 8, 0, -3 * q * L / 8, 0}},
        {"uniform load, curved member",
         {CurvBeam, L, 0, 0, 0, 0, 0, 0, 0, q, q},
         {0, 0, q * L / 2, 0, 0, -q * L / 2, 0}},
        {"triangular load, a very large shear parameter: the simply supported shears",
         {PlainBeam, L, 1e12, 0, 0, 0, 0, 0, 0, 0, q},
         {0, 0, q * L / 6, q * L * L / 24, 0, -q * L / 3, q * L * L / 24}},
        {"axial load per length",
         {PlainBeam, L, 0, 0, 0, 0, 0, 0, 4, 0, 0},
         {0, 4 * L / 2, 0, 0, -4 * L / 2, 0, 0}},
        {"initial elongation",
         {PlainBeam, L, 0, 1000, 0, 0, 0, 0, 0, 0, 0, 0.01},
         {0, -10, 0, 0, -10, 0, 0}},
        {"curvature of a temperature gradient: equal end moments, no shear",
         {PlainBeam, L, 0, 0, k2, k3, k4, 0, 0, 0, 0, 0, -0.1 * L * L / 2, -0.1 * L},
         {0, 0, 0, 0.1 * EI, 0, 0, 0.1 * EI}},
        {"beam-column scales the end moments",
         {AxialLoadBeam, L, 0, 0, 0, 0, 0, u, 0, q, q},
         {0, 0, q * L / 2, f * q * L * L / 12, 0, -q * L / 2, f * q * L * L / 12}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto fe = BeamFixedEndForces(c.in);
        for (int k = 1; k <= 6; ++k)
            EXPECT_NEAR(fe[k], c.expected[k], 1e-9 * (1 + std::fabs(c.expected[k]))) << k;
    }
}

// Two grids 4 apart along x, one beam of density 2 between them.
HandModel BeamPair(int axisCodeB, double angleB)
{
    HandModel h(2, 1, 0, 6, 6);
    h.Grid(1, 0, 0, 1, 2, 3);
    h.Grid(2, 4, 0, 4, 5, 6, angleB, axisCodeB);
    h.Beam(1, 1, 2, 1000, 1, 1);
    h.a.Model.Beams(1).density = 2;
    return h;
}

TEST(BeamLoadVector, GravityReachesTheGridsInTheirDofAxes)
{
    const double L = 4;
    {
        SCOPED_TRACE("gravity across a horizontal beam");
        HandModel h = BeamPair(0, 0);
        h.SetLoadLines({"GRAV 0 -1"});
        ReadLoads(h.a);
        const BeamForces& f = h.a.Loads.FixedEndForces(1);
        const auto& sv = h.a.Results.SolutionVector;
        EXPECT_NEAR(f[ShearA], -L, 1e-12);
        EXPECT_NEAR(f[ShearB], L, 1e-12);
        EXPECT_NEAR(f[MomentA], -L * L / 6, 1e-12);
        EXPECT_NEAR(f[MomentB], -L * L / 6, 1e-12);
        EXPECT_NEAR(sv(2), -L, 1e-12);
        EXPECT_NEAR(sv(5), -L, 1e-12);
        EXPECT_NEAR(sv(3), -L * L / 6, 1e-12);
        EXPECT_NEAR(sv(6), L * L / 6, 1e-12);
        EXPECT_NEAR(sv(1), 0, 1e-12);
        EXPECT_NEAR(sv(4), 0, 1e-12);
    }
    {
        SCOPED_TRACE("a grid whose dofs are turned by 90 degrees gets the load on its u");
        HandModel h = BeamPair(3, 90 * DEG);
        h.SetLoadLines({"GRAV 0 -1"});
        ReadLoads(h.a);
        const auto& sv = h.a.Results.SolutionVector;
        EXPECT_NEAR(sv(4), -L, 1e-9);
        EXPECT_NEAR(sv(5), 0, 1e-9);
        EXPECT_NEAR(sv(2), -L, 1e-12);
    }
}

// Plane stress factor C of the material matrix (C^T C = D).
void SetMaterial(Analysis& a, int q, double E, double nu, double t)
{
    const double c11 = std::sqrt(E / (1 - nu * nu));
    a.Model.Quads(q).thickness = t;
    a.System.QuadMatrices(q).factor = {0, c11, nu * c11, std::sqrt(E),
                                       std::sqrt(E / (2 * (1 + nu)))};
}

// A square of side 2 (grids 1..4 counter-clockwise) as quad 100; grids 1..4 have
// equations 2g-1, 2g (x, y), no rotations.
HandModel Square(double side = 2)
{
    HandModel h(4, 0, 1, 8, 8);
    h.Grid(1, 0, 0, 1, 2, 0);
    h.Grid(2, side, 0, 3, 4, 0);
    h.Grid(3, side, side, 5, 6, 0);
    h.Grid(4, 0, side, 7, 8, 0);
    h.a.Model.Quads(1).grid = {0, 1, 2, 3, 4};
    SetMaterial(h.a, 1, 1000, 0.25, 0.5);
    return h;
}

std::array<double, 9> Loads8(const Analysis& a)
{
    std::array<double, 9> f{};
    for (int e = 1; e <= 8; ++e)
        f[e] = a.Results.SolutionVector(e);
    return f;
}

TEST(QuadLoadVector, EdgePressures)
{
    const double p = 6, side = 2;
    struct Case
    {
        const char* name;
        std::vector<std::string> lines;
        std::array<double, 9> expected; // x, y at corners 1..4
    } cases[] = {
        {"uniform pressure on edge 1 pushes up into the square",
         {"QLOAD 100 1 6"},
         {0, 0, p * side / 2, 0, p * side / 2, 0, 0, 0, 0}},
        {"linear pressure on edge 4",
         {"QLOAD 100 4 6 0"},
         {0, 2 * 0 * side / 6 + 6 * side / 6, 0, 0, 0, 0, 0, 2 * 6 * side / 6, 0}},
        {"the same pressure on every edge adds to zero at each corner",
         {"QLOAD 100 1 6", "QLOAD 100 2 6", "QLOAD 100 3 6", "QLOAD 100 4 6"},
         {0, p, p, -p, p, -p, -p, p, -p}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HandModel h = Square(side);
        h.SetLoadLines(c.lines);
        ReadLoads(h.a);
        const auto f = Loads8(h.a);
        for (int i = 1; i <= 8; ++i)
            EXPECT_NEAR(f[i], c.expected[i], 1e-9) << i;
    }
}

TEST(QuadLoadVector, UniformTemperaturePushesEachCornerOutward)
{
    const double E = 1000, nu = 0.25, t = 0.5, alpha = 1e-3, T = 20, side = 2;
    HandModel h = Square(side);
    h.a.Model.Quads(1).expansion = alpha;
    h.SetLoadLines({"QTEMP 100 20"});
    ReadLoads(h.a);
    const double s0 = E / (1 - nu) * alpha * T; // initial stress, both directions
    const double corner = s0 * t * side / 2;
    const auto f = Loads8(h.a);
    const std::array<double, 9> expected{0,      -corner, -corner, corner, -corner,
                                         corner, corner,  -corner, corner};
    for (int i = 1; i <= 8; ++i)
        EXPECT_NEAR(f[i], expected[i], 1e-9) << i;
    // The initial-stress terms -C*eps0 stay at the integration points.
    const double c11 = std::sqrt(E / (1 - nu * nu));
    for (int pt = 1; pt <= 4; ++pt) {
        EXPECT_NEAR(h.a.Loads.InitialStress(1, 1, pt), -(c11 + nu * c11) * alpha * T, 1e-12);
        EXPECT_NEAR(h.a.Loads.InitialStress(1, 2, pt), -std::sqrt(E) * alpha * T, 1e-12);
        EXPECT_EQ(h.a.Loads.InitialStress(1, 3, pt), 0);
    }
}

} // namespace
} // namespace tavu
