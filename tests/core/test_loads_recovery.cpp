// Recovery of a solved load case on hand-made tables: end forces, reactions, springs,
// stresses, the error measure and the turn of results into the grids' axes.

#include "TestSupport.h"
#include "common/Numbers.h"
#include "loads/ElementLoads.h"
#include "loads/Loads.h"

#include <cmath>
#include <gtest/gtest.h>
#include <tuple>

namespace tavu {
namespace {

using testing::HandModel;

// Runs the load records, puts the displacements where the back substitution would leave
// them, then recovers.
void SolveWith(HandModel& h, const std::vector<std::string>& loads,
               const std::vector<double>& displacements)
{
    h.SetLoadLines(loads);
    ReadLoads(h.a);
    for (std::size_t e = 1; e < displacements.size(); ++e)
        h.a.Results.SolutionVector(static_cast<long long>(e)) = displacements[e];
    RecoverResults(h.a);
    ReportErrorMeasure(h.a);
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

TEST(RecoverResults, EndForcesReactionsAndTheErrorMeasure)
{
    // Tip load -1: v = PL^3/3EI, rotation PL^2/2EI give the cantilever's forces. Short
    // displacements leave a residual whose work over the load's work is the error measure;
    // negative values and no load on a free equation show 0.
    const double v = -1000.0 / 3000, r = -100.0 / 2000;
    const std::tuple<const char*, double, double, const char*> cases[] = {
        {"LOAD 2 0 -1", 1, 0, " 0"},
        {"LOAD 2 0 -1", 0.9, 0.1, " .1"},
        {"LOAD 2 0 -1", 0.99, 0.01, " .01"},
        {"LOAD 2 0 -1", 1.1, 0, " 0"},
        {"LOAD 2 0 -1e200", 0.9e200, 0.1, " .1"}, // the works overflow, their ratio does not
        {"LOAD 1 0 5", 0, 0, " 0"}};
    for (const auto& [load, scale, measure, shown] : cases) {
        SCOPED_TRACE(std::string(load) + " x" + NumberText(scale));
        HandModel h = Cantilever();
        SolveWith(h, {load}, {0, 0, scale * v, scale * r});
        EXPECT_NEAR(h.a.Results.ErrorMeasure, measure, 1e-12);
        const std::string& log = h.a.Summary.LogText;
        EXPECT_EQ(log.substr(log.rfind("\r\n") + 2),
                  std::string("Solution error measure = ") + shown);
        if (scale != 1)
            continue;
        const BeamForces forces = {0, 0, -1, -10, 0, -1, 0};
        const double reactions[7] = {0, 0, 0, 0, 10, 1, 0}; // by dof number
        for (std::size_t k = AxialA; k <= MomentB; ++k) {
            EXPECT_NEAR(h.a.Results.BeamEndForces(1)[k], forces[k], 1e-12) << k;
            EXPECT_NEAR(h.a.Results.Reactions(static_cast<long long>(k)), reactions[k], 1e-12) << k;
        }
    }
    // A beam-column's moment at A includes P times the transverse motion.
    HandModel h = Cantilever(), plain = Cantilever();
    h.a.Model.Beams(1).elementKind = AxialLoadBeam;
    h.a.Model.Beams(1).axialLoad = 7;
    SolveWith(h, {}, {0, 0, 0.5, 0});
    SolveWith(plain, {}, {0, 0, 0.5, 0});
    const BeamForces &f = h.a.Results.BeamEndForces(1), &p = plain.a.Results.BeamEndForces(1);
    EXPECT_NEAR(f[MomentA] - p[MomentA], 7 * 0.5, 1e-12);
    EXPECT_NEAR(f[MomentB], p[MomentB], 1e-12);
}

TEST(RecoverResults, ACurvedMemberReportsForcesAlongAndAcrossTheArc)
{
    // Fixed-end axial force 1 and shear 2 at both ends, no displacement; polar grids whose
    // radial axis is at -90 degrees (the arc runs along the beam) or 0 (the arc runs along
    // y, across it is -x).
    for (const auto& [angle, along, across] : {std::tuple{-90.0, 1.0, 2.0}, {0.0, 2.0, -1.0}}) {
        HandModel h = Cantilever(CurvBeam);
        h.Grid(1, 0, 0, 6, 5, 4, angle * DEG, PolarAxes);
        h.Grid(2, 10, 0, 1, 2, 3, angle * DEG, PolarAxes);
        h.SetLoadLines({});
        ReadLoads(h.a);
        h.a.Loads.FixedEndForces(1) = {0, 1, 2, 0, 1, 2, 0};
        RecoverResults(h.a);
        const BeamForces& f = h.a.Results.BeamEndForces(1);
        EXPECT_NEAR(f[AxialA], along, 1e-9) << angle;
        EXPECT_NEAR(f[ShearA], across, 1e-9) << angle;
        EXPECT_NEAR(f[AxialB], along, 1e-9) << angle;
        EXPECT_NEAR(f[ShearB], across, 1e-9) << angle;
    }
}

TEST(RecoverResults, SpringsAndGridAxesActThroughEachGridsOwnEquations)
{
    // A penalty-held u moved 0.02 by DISP against a spring of 50: the support pushes with 1.
    HandModel spring(1, 0, 0, 1, 3);
    spring.Grid(1, 0, 0, -1, 0, 0);
    spring.a.Model.Grids(1).spring[1] = 50;
    spring.a.Model.nSprgRecords = 1;
    SolveWith(spring, {"DISP 1 0.02"}, {0, 0.02});
    EXPECT_NEAR(spring.a.Results.Reactions(1), 1.0, 1e-12);
    EXPECT_EQ(spring.a.Results.ErrorMeasure, 0);

    // Reactions of grids with an axis angle come out in their axes when both u and v exist
    // and are restrained: grid 1 (u restrained, no v) and grid 4 (u free, v restrained)
    // stay in x-y; grid 3 at 90 degrees holds its radial load 1 by -1.
    const double c = std::cos(30 * DEG);
    HandModel h(4, 0, 0, 1, 10);
    h.Grid(1, 0, 0, 10, 0, 0, 30 * DEG);
    h.Grid(2, 1, 0, 9, 8, 7);
    h.Grid(3, 2, 0, 6, 5, 4, 90 * DEG);
    h.Grid(4, 3, 0, 1, 3, 0, 30 * DEG);
    SolveWith(h, {"LOAD 1 7", "LOAD 2 3 5", "LOAD 3 1 0 2", "LOAD 4 0 5"}, {0, 0});
    const double reactions[11] = {0, 0, 0, -5 * c, -2, 0, -1, 0, -5, -3, -7 * c};
    for (int e = 3; e <= 10; ++e)
        EXPECT_NEAR(h.a.Results.Reactions(e), reactions[e], 1e-12) << e;
}

TEST(RecoverResults, QuadsOnPolarGridsReportRadialAndTangentialStresses)
{
    // A unit square at (1, 1)..(2, 2), E = 1000, nu = 0, stretched to sx = 1. On polar grids
    // the stresses turn by the angle of each integration point: sr = cos^2, st = sin^2,
    // srt = -sin cos; with one plain corner they stay sx, sy, sxy.
    for (const bool allPolar : {true, false}) {
        HandModel h(4, 0, 1, 8, 8);
        const double x[5] = {0, 1, 2, 2, 1}, y[5] = {0, 1, 1, 2, 2};
        for (int g = 1; g <= 4; ++g)
            h.Grid(g, x[g], y[g], 2 * g - 1, 2 * g, 0, 0, allPolar || g < 4 ? PolarAxes : 0);
        h.a.Model.Quads(1).grid = {0, 1, 2, 3, 4};
        h.a.System.QuadMatrices(1).factor = {0, std::sqrt(1000.0), 0, std::sqrt(1000.0), 1};
        SolveWith(h, {}, {0, 1e-3, 0, 2e-3, 0, 2e-3, 0, 1e-3, 0});
        for (int p = 1; p <= 4; ++p) {
            const double beta =
                std::atan2(1.5 + 0.5 * IntegrationPointEta(p), 1.5 + 0.5 * IntegrationPointXi(p));
            const double cb = allPolar ? std::cos(beta) : 1, sb = allPolar ? std::sin(beta) : 0;
            EXPECT_NEAR(h.a.Results.QuadStresses(1, 1, p), cb * cb, 1e-12) << allPolar << p;
            EXPECT_NEAR(h.a.Results.QuadStresses(1, 2, p), sb * sb, 1e-12) << allPolar << p;
            EXPECT_NEAR(h.a.Results.QuadStresses(1, 3, p), -sb * cb, 1e-12) << allPolar << p;
        }
    }
}

} // namespace
} // namespace tavu
