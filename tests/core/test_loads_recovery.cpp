#include "TestSupport.h"
#include "common/Numbers.h"
#include "loads/ElementLoads.h"
#include "loads/Loads.h"

#include <cmath>
#include <gtest/gtest.h>

namespace tavu {
namespace {

using testing::HandModel;

// Runs the load records and puts the given displacements where the back substitution
// would leave them, then recovers.
void SolveWith(HandModel& h, const std::vector<std::string>& loads,
               const std::vector<double>& displacements)
{
    h.SetLoadLines(loads);
    ReadLoads(h.a);
    for (std::size_t e = 1; e < displacements.size(); ++e)
        h.a.Results.SolutionVector(static_cast<long long>(e)) = displacements[e];
    RecoverResults(h.a);
}

// A cantilever of length 10 along x, E = 1000, A = I = 1, fixed at grid 1 (dof numbers 6,
// 5, 4), free at grid 2 (equations 1, 2, 3).
HandModel Cantilever(int kind = PlainBeam)
{
    HandModel h(2, 1, 0, 3, 6);
    h.Grid(1, 0, 0, 6, 5, 4);
    h.Grid(2, 10, 0, 1, 2, 3);
    h.Beam(1, 1, 2, 1000, 1, 1, kind);
    return h;
}

TEST(RecoverResults, ErrorMeasureIsResidualWorkOverLoadWork)
{
    const double P = -1, L = 10, EI = 1000;
    const double v = P * L * L * L / (3 * EI), r = P * L * L / (2 * EI);
    struct Case
    {
        const char* name;
        const char* load;
        double scale;
        double expected;
        const char* shown;
    } cases[] = {
        {"displacements 10 % short", "LOAD 2 0 -1", 0.9, 0.1, " .1"},
        {"displacements 1 % short", "LOAD 2 0 -1", 0.99, 0.01, " .01"},
        {"displacements too large give a negative measure, shown as 0", "LOAD 2 0 -1", 1.1, 0,
         " 0"},
        {"no load on a free equation (W = 0) shows 0", "LOAD 1 0 5", 0, 0, " 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HandModel h = Cantilever();
        SolveWith(h, {c.load}, {0, 0, c.scale * v, c.scale * r});
        EXPECT_NEAR(h.a.Results.ErrorMeasure, c.expected, 1e-12);
        const std::string& log = h.a.Summary.LogText;
        EXPECT_EQ(log.substr(log.rfind("\r\n") + 2),
                  std::string("Solution error measure = ") + c.shown);
    }
}

TEST(RecoverResults, ABeamColumnsMomentAtAIncludesPTimesTheTransverseMotion)
{
    HandModel h = Cantilever();
    ModelStore& m = h.a.Model;
    m.Beams(1).elementKind = AxialLoadBeam;
    m.Beams(1).axialLoad = 7;
    SolveWith(h, {}, {0, 0, 0.5, 0});
    HandModel plain = Cantilever();
    SolveWith(plain, {}, {0, 0, 0.5, 0});
    EXPECT_NEAR(h.a.Results.BeamEndForces(1)[MomentA] - plain.a.Results.BeamEndForces(1)[MomentA],
                7 * 0.5, 1e-12);
    EXPECT_NEAR(h.a.Results.BeamEndForces(1)[MomentB], plain.a.Results.BeamEndForces(1)[MomentB],
                1e-12);
}

TEST(RecoverResults, ACurvedMemberReportsForcesAlongAndAcrossTheArc)
{
    struct Case
    {
        const char* name;
        double gridAngle; // axis angle of both grids, degrees
        double along, across;
    } cases[] = {
        // Beam along x; a grid whose radial axis is at -90 degrees has the arc along x.
        {"chord along the arc keeps its forces", -90, 1, 2},
        // A radial axis along x: the arc runs along y, across it is -x.
        {"chord along the radius", 0, 2, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HandModel h = Cantilever(CurvBeam);
        for (int g = 1; g <= 2; ++g) {
            h.a.Model.Grids(g).axisAngle = c.gridAngle * DEG;
            h.a.Model.Grids(g).axisCode = PolarAxes;
        }
        // Fixed-end forces by hand: axial 1 and shear 2 at both ends, no displacement.
        h.SetLoadLines({});
        ReadLoads(h.a);
        h.a.Loads.FixedEndForces(1) = {0, 1, 2, 0, 1, 2, 0};
        RecoverResults(h.a);
        const BeamForces& f = h.a.Results.BeamEndForces(1);
        EXPECT_NEAR(f[AxialA], c.along, 1e-9);
        EXPECT_NEAR(f[ShearA], c.across, 1e-9);
        EXPECT_NEAR(f[AxialB], c.along, 1e-9);
        EXPECT_NEAR(f[ShearB], c.across, 1e-9);
    }
}

TEST(RecoverResults, ASpringAtAPenaltyDofAddsToTheForceThatHoldsIt)
{
    // u held by penalty and moved 0.02 by DISP against a spring of 50: the support must
    // push with 50 * 0.02.
    HandModel h(1, 0, 0, 1, 3);
    h.Grid(1, 0, 0, -1, 0, 0);
    h.a.Model.Grids(1).spring[1] = 50;
    h.a.Model.nSprgRecords = 1;
    SolveWith(h, {"DISP 1 0.02"}, {0, 0.02});
    EXPECT_NEAR(h.a.Results.Reactions(1), 1.0, 1e-12);
    EXPECT_EQ(h.a.Results.ErrorMeasure, 0);
}

TEST(RecoverResults, GridAxesAreTurnedThroughEachGridsOwnEquations)
{
    const double a = 30 * DEG, c = std::cos(a);
    // Grid 1: u restrained (10), v absent, axis 30 degrees. Grid 2: restrained 9, 8, 7,
    // no axis angle. Grid 3: restrained 6, 5 and rotation 4, axis 90 degrees.
    HandModel h(3, 0, 0, 0, 10);
    h.Grid(1, 0, 0, 10, 0, 0, a, 0);
    h.Grid(2, 1, 0, 9, 8, 7);
    h.Grid(3, 2, 0, 6, 5, 4, 90 * DEG, 0);
    SolveWith(h, {"LOAD 1 7", "LOAD 2 3 5", "LOAD 3 1 0 2"}, {});
    const auto& r = h.a.Results.Reactions;
    // Grid 1 is left alone (its v does not exist), and grid 2 is not touched by it.
    EXPECT_NEAR(r(10), -7 * c, 1e-12);
    EXPECT_EQ(r(9), -3);
    EXPECT_EQ(r(8), -5);
    // Grid 3's reactions come out in its own axes: the radial load 1 is held by -1.
    EXPECT_NEAR(r(6), -1, 1e-12);
    EXPECT_NEAR(r(5), 0, 1e-12);
    EXPECT_EQ(r(4), -2);
}

} // namespace
} // namespace tavu
