// Beam diagrams and deflected curves against closed forms, and the quads' contour values
// against the corner stresses of the report.

#include "BatchRun.h"
#include "TestSupport.h"
#include "results/BeamDiagrams.h"
#include "results/StressContours.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace tavu {
namespace {

using Curve = std::function<double(double)>;

// Solves a model; beam b's state and diagram.
struct Solved
{
    BatchRun run;
    explicit Solved(const std::vector<std::string>& lines)
    {
        RunBatch(run, testing::CrlfText(lines), {});
        EXPECT_TRUE(run.solved) << run.readText << run.loadLog;
    }
    MemberState State(int b) const { return MemberStateOf(run.analysis, b); }
    BeamDiagram Diagram(int b) const { return ComputeBeamDiagram(State(b)); }
};

// Every station of one diagram against its closed form.
void ExpectAlong(const BeamDiagram& d, int k, const Curve& want, double tolerance, const char* what)
{
    ASSERT_GT(d.x.size(), 2u) << what;
    for (std::size_t i = 0; i < d.x.size(); ++i)
        EXPECT_NEAR(d.value[static_cast<std::size_t>(k)][i], want(d.x[i]), tolerance)
            << what << " at x = " << d.x[i];
}

TEST(BeamDiagrams, FollowTheClosedFormsOfStaticallyDeterminateBeams)
{
    // Simply supported, L = 6, EI = 1000, uniform q = -2 (downwards): in the listing's
    // signs V runs linearly from qL/2 = -6 to 6 and M = 6x - x^2 peaks at qL^2/8 = 9 at
    // midspan; the deflected curve is the exact one, 5qL^4/384EI at midspan.
    const Solved simple({"GRID 1 0 0", "GRID 2 6 0", "BEAM 1 1 2 1 1", "PROP 1 1 1", "MATL 1 1000",
                         "DOFS DEF 1 1 1", "RACT 1 1 1 0", "RACT 2 0 1 0", "ENDMODEL",
                         "BLOAD 1 -2"});
    const BeamDiagram s = simple.Diagram(1);
    ExpectAlong(
        s, DiagramN, [](double) { return 0.0; }, 1e-12, "N");
    ExpectAlong(
        s, DiagramV, [](double x) { return -6 + 2 * x; }, 1e-9, "V");
    ExpectAlong(
        s, DiagramM, [](double x) { return 6 * x - x * x; }, 1e-9, "M");
    EXPECT_NEAR(s.extreme[DiagramM].max, 9, 1e-9);
    EXPECT_NEAR(s.extreme[DiagramM].maxAt, 3, 1e-9);
    EXPECT_NEAR(s.extreme[DiagramV].minAt, 0, 1e-12);
    EXPECT_NEAR(s.extreme[DiagramV].maxAt, 6, 1e-12);
    const MemberState state = simple.State(1);
    for (double x : {1.0, 3.0, 4.5}) {
        // v = q x (L^3 - 2 L x^2 + x^3) / 24EI
        const double v = -2 * x * (216 - 12 * x * x + x * x * x) / 24000;
        EXPECT_NEAR(MemberDeflection(state, x).v, v, 1e-12) << x;
    }
    EXPECT_NEAR(MemberDeflection(state, 3).v, -5 * 2 * 1296 / (384 * 1000.0), 1e-12);

    // Cantilever of L = 5 along y fixed at A, loaded from 0 at A to q = 3 at B (to the left
    // of A->B): V and M are those of the load beyond x, M cubic with qL^2/3 at the wall.
    const double q = 3, L = 5;
    const Solved cantilever({"GRID 1 0 0", "GRID 2 0 5", "BEAM 1 1 2 1 1", "PROP 1 1 2",
                             "MATL 1 1000", "DOFS DEF 1 1 1", "RACT 1 1 1 1", "ENDMODEL",
                             "BLOAD 1 0 3"});
    const BeamDiagram c = cantilever.Diagram(1);
    ExpectAlong(
        c, DiagramV, [&](double x) { return q * (L * L - x * x) / (2 * L); }, 1e-9, "V");
    ExpectAlong(
        c, DiagramM,
        [&](double x) { return (q / L) * ((L * L * L - x * x * x) / 3 - x * (L * L - x * x) / 2); },
        1e-9, "M");
    // Tip deflection of the triangular load: 11 q L^4 / 120 EI.
    EXPECT_NEAR(MemberDeflection(cantilever.State(1), L).v, 11 * q * std::pow(L, 4) / 240000,
                1e-12);
}

TEST(BeamDiagrams, HingesAndRigidJointsAsTheStructureHoldsThem)
{
    // A PIN member fixed at A, on a roller at its hinged end B, uniform q = -10, L = 4, no
    // shear term: M = 0 at B, -qL^2/8 at A, 9qL^2/128 at 5L/8; the curve has no moment at B.
    const Solved pin({"GRID 1 0 0", "GRID 2 4 0", "BEAM 1 1 2 1 1 PIN", "PROP 1 1 1", "MATL 1 1000",
                      "DOFS DEF 1 1 1", "DOFS 2 1 1 0", "RACT 1 1 1 1", "RACT 2 0 1 0", "ENDMODEL",
                      "BLOAD 1 -10"});
    const BeamDiagram p = pin.Diagram(1);
    EXPECT_NEAR(p.value[DiagramM].back(), 0, 1e-12);
    EXPECT_NEAR(p.value[DiagramM].front(), -20, 1e-9);
    EXPECT_NEAR(p.extreme[DiagramM].max, 9 * 10 * 16 / 128.0, 1e-9);
    EXPECT_NEAR(p.extreme[DiagramM].maxAt, 2.5, 1e-9);
    // Propped cantilever: v = q x^2 (3 L^2 - 5 L x + 2 x^2) / 48 EI.
    for (double x : {1.0, 2.0, 3.0})
        EXPECT_NEAR(MemberDeflection(pin.State(1), x).v,
                    -10 * x * x * (48 - 20 * x + 2 * x * x) / 48000, 1e-12)
            << x;

    // An L frame: a column up from a wall, a girder to the right, a load at its tip. At the
    // rigid corner the column's moment at B is the girder's at A; the curves meet there
    // at the same angle (the girder's slope is the column's turned by 90 degrees).
    const Solved frame({"GRID 1 0 0", "GRID 2 0 4", "GRID 3 5 4", "BEAM 1 1 2 1 1",
                        "BEAM 2 2 3 1 1", "PROP 1 1 1", "MATL 1 1000", "DOFS DEF 1 1 1",
                        "RACT 1 1 1 1", "ENDMODEL", "LOAD 3 2 -3", "BLOAD 2 -1"});
    const BeamDiagram column = frame.Diagram(1), girder = frame.Diagram(2);
    EXPECT_NEAR(column.value[DiagramM].back(), girder.value[DiagramM].front(), 1e-9);
    EXPECT_NEAR(girder.value[DiagramM].front(), -(3 * 5 + 1 * 25 / 2.0), 1e-9);
    EXPECT_NEAR(column.value[DiagramN].front(), -(3 + 5), 1e-9); // compression
    EXPECT_NEAR(girder.value[DiagramM].back(), 0, 1e-12);
    const MemberState cs = frame.State(1), gs = frame.State(2);
    const double h = 1e-6;
    const double columnSlope = (MemberDeflection(cs, 4).v - MemberDeflection(cs, 4 - h).v) / h;
    const double girderSlope = (MemberDeflection(gs, h).v - MemberDeflection(gs, 0).v) / h;
    EXPECT_NEAR(columnSlope, girderSlope, 1e-6);
}

TEST(StressContours, GridValuesAreTheReportedCornerStressesAveraged)
{
    // A plate of two quads and a triangle beside a frame; the report's corner values of
    // the quads that meet at a grid, averaged, are the contour's value at that grid.
    BatchRun run;
    RunBatch(
        run,
        testing::CrlfText({"GRID 1 0 0", "GRID 2 3 0", "GRID 3 3 4", "GRID 4 0 4", "GRID 5 6 0",
                           "GRID 6 6 4", "GRID 7 8 2", "QUAD 1 1 2 3 4 1 1", "QUAD 2 2 5 6 3 1 1",
                           "QUAD 3 5 7 6 0 1 1", "PROP 1 0.1", "MATL 1 2E8 0.3", "DOFS DEF 1 1 0",
                           "RACT 1 1 1", "RACT 4 1 0", "ENDMODEL", "LOAD 7 5 -20", "LOAD 6 3 0"}),
        {});
    ASSERT_TRUE(run.solved) << run.readText;
    const nlohmann::json report = nlohmann::json::parse(BatchJson(run));
    std::map<int, std::array<double, 6>> sum; // grid id: five columns and a count
    for (const auto& quad : report["quads"])
        for (std::size_t k = 0; k < quad["corners"].size(); ++k) {
            auto& s = sum[quad["grids"][k].get<int>()];
            for (std::size_t c = 0; c < 5; ++c)
                s[c] += quad["corners"][k][c].get<double>();
            s[5] += 1;
        }
    const GridStressField field = AverageAtGrids(run.analysis);
    const Analysis& a = run.analysis;
    int checked = 0;
    for (int q = 1; q <= a.Model.nQuads; ++q)
        for (int k = 1; k <= field.corners[static_cast<std::size_t>(q)]; ++k) {
            const int id = a.Model.Quads(q).grid[static_cast<std::size_t>(k)];
            const StressState& got =
                field.corner[static_cast<std::size_t>(q)][static_cast<std::size_t>(k)];
            for (int c = 0; c < 5; ++c) {
                const double want = sum[id][static_cast<std::size_t>(c)] / sum[id][5];
                EXPECT_NEAR(StressValueOf(got, static_cast<StressQuantity>(c)), want,
                            1e-9 * (1 + std::fabs(want)))
                    << "quad " << q << " grid " << id << " column " << c;
            }
            ++checked;
        }
    EXPECT_EQ(checked, 11);

    // The bands cover every quad and triangle once: their areas add up to the plate's
    // (12 + 12 + 4), each piece lies within its band.
    for (int quantity = 0; quantity < 5; ++quantity) {
        const ContourPicture contour = BuildContours(field, static_cast<StressQuantity>(quantity));
        double area = 0;
        for (const ContourPiece& piece : contour.pieces) {
            ASSERT_GE(piece.band, 0);
            ASSERT_LT(piece.band, contour.scale.bands);
            const std::size_t n = piece.polygon.size();
            for (std::size_t i = 0; i < n; ++i) {
                const PlotPoint &p = piece.polygon[i], &r = piece.polygon[(i + 1) % n];
                area += (p.x * r.y - r.x * p.y) / 2;
            }
        }
        EXPECT_NEAR(area, 28, 1e-9) << quantity;
        EXPECT_LT(contour.scale.min, contour.scale.max) << quantity;
    }
}

TEST(StressContours, BandsRunFromBlueToRed)
{
    const ContourScale scale{-2, 10, 12};
    const std::pair<double, int> cases[] = {{-5, 0}, {-2, 0},   {-1.01, 0}, {-0.99, 1},
                                            {4, 6},  {9.5, 11}, {10, 11},   {NAN, 0}};
    for (const auto& [value, band] : cases)
        EXPECT_EQ(BandOf(scale, value), band) << value;
    EXPECT_EQ(BandOf({3, 3, 1}, 3), 0);
    EXPECT_EQ(BandColour(0, 12), (Rgb{0, 0, 255}));
    EXPECT_EQ(BandColour(11, 12), (Rgb{255, 0, 0}));
    // Neighbouring bands never share a colour.
    for (int b = 1; b < 12; ++b)
        EXPECT_FALSE(BandColour(b, 12) == BandColour(b - 1, 12)) << b;
}

} // namespace
} // namespace tavu
