#include "common/Numbers.h"
#include "results/PlotGeometry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace tavu {
namespace {

struct GridSpec
{
    double x, y;
    double angle = 0; // dof axes, radians
    int eqU = 0, eqV = 0;
};

// A model as the reader and the numbering would leave it, grid ids 1..n in line order
// unless ids are given.
Analysis MakeModel(const std::vector<GridSpec>& grids,
                   const std::vector<std::pair<int, int>>& beams,
                   const std::vector<std::array<int, 4>>& quads, std::vector<int> ids = {})
{
    Analysis a;
    ModelStore& m = a.Model;
    m.nGrids = static_cast<int>(grids.size());
    m.nBeams = static_cast<int>(beams.size());
    m.nQuads = static_cast<int>(quads.size());
    for (int g = static_cast<int>(ids.size()) + 1; g <= m.nGrids; ++g)
        ids.push_back(g);
    m.maxGridId = *std::max_element(ids.begin(), ids.end());
    m.Grids.Create(m.nGrids);
    m.GridIndex.Create(m.maxGridId);
    m.Beams.Create(m.nBeams);
    m.Quads.Create(m.nQuads);
    a.System.GridEquations.Create(m.nGrids);
    int g = 0, b = 0, q = 0;
    for (const GridSpec& s : grids) {
        ++g;
        m.GridIndex(ids[static_cast<std::size_t>(g - 1)]) = g;
        GridRow& row = m.Grids(g);
        row.x = s.x;
        row.y = s.y;
        row.axisAngle = s.angle;
        row.equation = {0, s.eqU, s.eqV, 0};
        a.System.GridEquations(g) = row.equation;
    }
    for (const auto& [from, to] : beams) {
        BeamRow& row = m.Beams(++b);
        row.id = 10 + b;
        row.gridA = from;
        row.gridB = to;
    }
    for (const auto& corners : quads) {
        QuadRow& row = m.Quads(++q);
        row.id = 20 + q;
        for (std::size_t k = 1; k <= 4; ++k)
            row.grid[k] = corners[k - 1];
    }
    a.State.Stage = ModelRead;
    return a;
}

// Solves the model with the given displacement per equation (1..NEQ).
void Solve(Analysis& a, const std::vector<double>& displacements)
{
    a.Model.NEQ = static_cast<int>(displacements.size());
    a.System.NEQ = a.Model.NEQ;
    a.Results.SolutionVector.Create(a.Model.NEQ);
    for (int e = 1; e <= a.Model.NEQ; ++e)
        a.Results.SolutionVector(e) = displacements[static_cast<std::size_t>(e - 1)];
    a.State.Stage = Solved;
}

bool Near(const PlotPoint& p, const PlotPoint& q, double tol = 1e-12)
{
    return std::fabs(p.x - q.x) <= tol && std::fabs(p.y - q.y) <= tol;
}

std::string Text(const PlotSegment& s)
{
    std::ostringstream out;
    out << "(" << s.from.x << "," << s.from.y << ")-(" << s.to.x << "," << s.to.y << ")";
    return out.str();
}

::testing::AssertionResult SameSegments(const std::vector<PlotSegment>& got,
                                        const std::vector<PlotSegment>& want, double tol = 1e-12)
{
    if (got.size() != want.size())
        return ::testing::AssertionFailure()
               << got.size() << " segments instead of " << want.size();
    for (std::size_t i = 0; i < got.size(); ++i)
        if (!Near(got[i].from, want[i].from, tol) || !Near(got[i].to, want[i].to, tol))
            return ::testing::AssertionFailure()
                   << "segment " << i << ": " << Text(got[i]) << " instead of " << Text(want[i]);
    return ::testing::AssertionSuccess();
}

// A portal frame: columns 4 high, beam 6 wide; u and v of grids 2 and 3 free.
Analysis PortalFrame()
{
    return MakeModel({{0, 0}, {0, 4, 0, 1, 2}, {6, 4, 0, 3, 4}, {6, 0}}, {{1, 2}, {2, 3}, {3, 4}},
                     {});
}

TEST(PlotGeometry, QuadsDrawClosedOutlinesAndTrianglesThreeSides)
{
    // Two quads side by side and a triangle on top (its third corner repeated).
    const Analysis a = MakeModel({{0, 0}, {1, 0}, {2, 0}, {2, 1}, {1, 1}, {0, 1}, {1, 2}}, {},
                                 {{1, 2, 5, 6}, {2, 3, 4, 5}, {6, 5, 7, 7}});
    const PlotPicture p = DrawPlot(BuildPlotModel(a), 0, false);
    // clang-format off
    EXPECT_TRUE(SameSegments(p.Model, {{{0, 0}, {1, 0}}, {{1, 0}, {1, 1}}, {{1, 1}, {0, 1}}, {{0, 1}, {0, 0}},
                                       {{1, 0}, {2, 0}}, {{2, 0}, {2, 1}}, {{2, 1}, {1, 1}}, {{1, 1}, {1, 0}},
                                       {{0, 1}, {1, 1}}, {{1, 1}, {1, 2}}, {{1, 2}, {0, 1}}}));
    // clang-format on
}

TEST(PlotGeometry, FullMagnificationDrawsTheLargestDeflectionAsATenthOfTheSpan)
{
    Analysis a = PortalFrame();
    // Sway to the right with some drop: the largest component is u = 0.02 at grid 3.
    Solve(a, {0.015, -0.001, 0.02, -0.004});
    const PlotModel m = BuildPlotModel(a);
    ASSERT_TRUE(m.HasDeformation());
    EXPECT_EQ(m.MaxDeflection, 0.02);
    EXPECT_EQ(m.ModelSpan, 6);
    EXPECT_EQ(m.PlotBox.cx, 3);
    EXPECT_EQ(m.PlotBox.cy, 2);
    EXPECT_EQ(m.PlotBox.halfWidth, static_cast<double>(0.65f) * 6);
    EXPECT_EQ(m.PlotBox.halfHeight, static_cast<double>(0.65f) * 4);
    struct Case
    {
        int magnification;
        double factor; // drawn length per unit deflection
    } cases[] = {{20, 0.6 / 0.02}, {10, 0.3 / 0.02}, {1, 0.03 / 0.02},
                 {0, 0},           {25, 0.6 / 0.02}, {-3, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.magnification);
        const PlotPicture p = DrawPlot(m, c.magnification, false);
        const double f = c.factor;
        const PlotPoint g2{0.015 * f, 4 - 0.001 * f}, g3{6 + 0.02 * f, 4 - 0.004 * f};
        EXPECT_TRUE(SameSegments(p.Deformed, {{{0, 0}, g2}, {g2, g3}, {g3, {6, 0}}}));
        EXPECT_TRUE(SameSegments(p.Model, {{{0, 0}, {0, 4}}, {{0, 4}, {6, 4}}, {{6, 4}, {6, 0}}}));
        EXPECT_TRUE(p.Labels.empty());
    }
    // At full magnification the largest deflection is drawn as a tenth of the span (6).
    EXPECT_DOUBLE_EQ(DeformationScale(m, 20), 0.6);
    EXPECT_EQ(DeformationScale(m, 0), 0);
}

TEST(PlotGeometry, NoDeformedShapeWithoutAFiniteDeflection)
{
    struct Case
    {
        const char* what;
        int stage;
        std::vector<double> displacements;
        std::vector<PlotSegment> deformed;
    } cases[] = {
        {"solved, all zero", Solved, {0, 0, 0, 0}, {}},
        {"not solved yet", Decomposed, {0.1, 0.2, 0.3, 0.4}, {}},
        {"model read only", ModelRead, {0.1, 0.2, 0.3, 0.4}, {}},
        {"infinite deflection", Solved, {INFINITY, 0, 0.1, 0}, {}},
        // Not a number at one grid leaves out only that grid's lines.
        {"NaN at grid 2", Solved, {std::nan(""), 0, 0.02, 0}, {{{6.6, 4}, {6, 0}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Analysis a = PortalFrame();
        Solve(a, c.displacements);
        a.State.Stage = c.stage;
        const PlotModel m = BuildPlotModel(a);
        EXPECT_EQ(m.HasDeformation(), !c.deformed.empty());
        const PlotPicture p = DrawPlot(m, 20, false);
        EXPECT_TRUE(SameSegments(p.Deformed, c.deformed));
        EXPECT_EQ(p.Model.size(), 3u);
    }
}

TEST(PlotGeometry, CoincidentGridsDrawNothing)
{
    for (bool numbers : {false, true}) {
        Analysis a =
            MakeModel({{3, 3, 0, 1, 2}, {3, 3, 0, 3, 4}, {3, 3}}, {{1, 2}, {2, 3}}, {{1, 2, 3, 3}});
        Solve(a, {1, 2, 3, 4});
        const PlotModel m = BuildPlotModel(a);
        EXPECT_TRUE(m.Empty());
        const PlotPicture p = DrawPlot(m, 20, numbers);
        EXPECT_TRUE(p.Model.empty());
        EXPECT_TRUE(p.Deformed.empty());
        EXPECT_TRUE(p.Labels.empty());
    }
    EXPECT_TRUE(BuildPlotModel(Analysis{}).Empty());
}

TEST(PlotGeometry, TurnedAndPolarGridsDeflectInGlobalDirections)
{
    struct Case
    {
        double angleDeg, u, v;
        double dx, dy;
    } cases[] = {
        {0, 0.3, -0.2, 0.3, -0.2},
        {90, 1, 0, 0, 1},  // radial along y
        {90, 0, 1, -1, 0}, // tangential along minus x
        {180, 1, 0, -1, 0},
        {30, 2, 0, 2 * std::cos(30 * DEG), 2 * std::sin(30 * DEG)},
        {-45, 0, 1, std::sin(45 * DEG), std::cos(45 * DEG)},
    };
    for (const Case& c : cases) {
        Analysis a = MakeModel({{0, 0}, {0, 10, c.angleDeg * DEG, 1, 2}}, {{1, 2}}, {});
        a.Model.Grids(2).axisCode = PolarAxes;
        Solve(a, {c.u, c.v});
        const PlotPoint d = GlobalDeflection(a, 2);
        EXPECT_NEAR(d.x, c.dx, 1e-12) << c.angleDeg;
        EXPECT_NEAR(d.y, c.dy, 1e-12) << c.angleDeg;
        const PlotModel m = BuildPlotModel(a);
        EXPECT_NEAR(m.PlotDeflection[2].x, c.dx, 1e-12);
        EXPECT_NEAR(m.PlotDeflection[2].y, c.dy, 1e-12);
    }
}

TEST(PlotGeometry, EquationNumbersOutsideTheSystemGiveNoDeflection)
{
    // u: a prescribed dof (negative number, kept in the system); v: a restrained dof
    // numbered above NEQ; grid 3: no dofs; grid 4: an absurd number.
    Analysis a = MakeModel({{0, 0, 0, -1, 3}, {1, 0, 0, 2, 0}, {2, 0}, {3, 0, 0, 1000000, -99}},
                           {{1, 2}, {2, 3}, {3, 4}}, {});
    Solve(a, {0.5, 0.25});
    a.Model.DOFTOTAL = 3;
    struct Case
    {
        int grid;
        PlotPoint d;
    } cases[] = {{1, {0.5, 0}}, {2, {0.25, 0}}, {3, {0, 0}}, {4, {0, 0}}, {0, {0, 0}}, {9, {0, 0}}};
    for (const Case& c : cases)
        EXPECT_TRUE(Near(GlobalDeflection(a, c.grid), c.d)) << c.grid;
}

TEST(PlotGeometry, UndefinedGridsAndMissingTablesDoNotReachOutsideTheTables)
{
    // A beam to grid 9 and a quad with an undefined corner: only sides between defined
    // grids are drawn, never a line to the origin.
    Analysis a = MakeModel({{1, 1}, {2, 1}, {2, 2}}, {{1, 9}, {1, 2}, {0, -5}}, {{1, 2, 3, 77}});
    EXPECT_TRUE(SameSegments(DrawPlot(BuildPlotModel(a), 0, false).Model,
                             {{{1, 1}, {2, 1}}, {{1, 1}, {2, 1}}, {{2, 1}, {2, 2}}}));

    // Counts without tables (the pre-scan stopped before creating them).
    Analysis b;
    b.Model.nGrids = 5;
    b.Model.nBeams = 3;
    b.Model.nQuads = 2;
    b.State.Stage = Solved;
    const PlotModel m = BuildPlotModel(b);
    EXPECT_TRUE(m.Empty());
    EXPECT_TRUE(m.Edges.empty());

    // More grids counted than rows created.
    Analysis c = PortalFrame();
    c.Model.nGrids = 40;
    c.Model.nBeams = 9;
    EXPECT_EQ(BuildPlotModel(c).nGrids, 4);
    EXPECT_EQ(BuildPlotModel(c).Edges.size(), 3u);
}

TEST(PlotGeometry, GridNumbersStandAtTheGridsAndNameTheirIds)
{
    // GRID lines out of id order: index 1 is grid 3, index 3 is grid 1.
    const Analysis a = MakeModel({{0, 0}, {5, 0}, {5, 5}}, {{3, 2}, {2, 1}}, {}, {3, 2, 1});
    const PlotModel m = BuildPlotModel(a);
    const PlotPicture p = DrawPlot(m, 0, true);
    ASSERT_EQ(p.Labels.size(), 3u);
    EXPECT_TRUE(Near(p.Labels[0].at, {0, 0}));
    EXPECT_EQ(p.Labels[0].text, " 3");
    EXPECT_TRUE(Near(p.Labels[2].at, {5, 5}));
    EXPECT_EQ(p.Labels[2].text, " 1");
    // Beam 3-2 runs from index 1 to index 2.
    EXPECT_TRUE(SameSegments(p.Model, {{{0, 0}, {5, 0}}, {{5, 0}, {5, 5}}}));
}

TEST(PlotWorldWindow, ShowsTheWholeBoxAndKeepsProportions)
{
    // A wide frame (6 x 4), a tall column (1 x 10), a vertical line, a horizontal line.
    const Analysis wide = PortalFrame();
    const Analysis tall = MakeModel({{0, 0}, {1, 10}}, {{1, 2}}, {});
    const Analysis vertical = MakeModel({{2, 0}, {2, 10}}, {{1, 2}}, {});
    const Analysis flat = MakeModel({{0, 5}, {8, 5}}, {{1, 2}}, {});
    const double k = static_cast<double>(0.65f);
    struct Case
    {
        const char* what;
        const Analysis* a;
        double w, h, ppx, ppy;
        WorldWindow want;
    } cases[] = {
        // clang-format off
        {"wide, square surface", &wide, 400, 400, 96, 96, {3 - 6 * k, 3 + 6 * k, 2 - 6 * k, 2 + 6 * k}},
        {"wide, flatter than the box", &wide, 800, 400, 96, 96, {3 - 8 * k, 3 + 8 * k, 2 - 4 * k, 2 + 4 * k}},
        {"wide, non-square pixels", &wide, 400, 400, 96, 192, {3 - 8 * k, 3 + 8 * k, 2 - 4 * k, 2 + 4 * k}},
        {"tall column fits its height", &tall, 400, 400, 96, 96, {0.5 - 10 * k, 0.5 + 10 * k, 5 - 10 * k, 5 + 10 * k}},
        {"vertical line", &vertical, 400, 400, 96, 96, {2 - 10 * k, 2 + 10 * k, 5 - 10 * k, 5 + 10 * k}},
        {"horizontal line", &flat, 400, 200, 96, 96, {4 - 8 * k, 4 + 8 * k, 5 - 4 * k, 5 + 4 * k}},
        {"zero-size surface", &wide, 0, 0, 96, 96, {3 - 6 * k, 3 + 6 * k, 2 - 6 * k, 2 + 6 * k}},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PlotModel m = BuildPlotModel(*c.a);
        const WorldWindow w = WorldWindowFor(m, c.w, c.h, c.ppx, c.ppy);
        EXPECT_NEAR(w.Left, c.want.Left, 1e-9);
        EXPECT_NEAR(w.Right, c.want.Right, 1e-9);
        EXPECT_NEAR(w.Bottom, c.want.Bottom, 1e-9);
        EXPECT_NEAR(w.Top, c.want.Top, 1e-9);
        // Every grid lies inside the window.
        for (int g = 1; g <= m.nGrids; ++g) {
            EXPECT_GT(m.GridPosition[g].x, w.Left);
            EXPECT_LT(m.GridPosition[g].x, w.Right);
            EXPECT_GT(m.GridPosition[g].y, w.Bottom);
            EXPECT_LT(m.GridPosition[g].y, w.Top);
        }
        // Equal world lengths are equal lengths in inches on the surface.
        if (c.w > 0 && c.h > 0) {
            EXPECT_NEAR((w.Right - w.Left) / (c.w / c.ppx), (w.Top - w.Bottom) / (c.h / c.ppy),
                        1e-9);
        }
    }
}

TEST(PlotScrollBar, LineStepsStopAtTheEndsAndTheThumbSetsTheValue)
{
    struct Case
    {
        int from;
        ScrollAction action;
        int thumb;
        int to;
    } cases[] = {
        {0, ScrollAction::LineRight, 0, 1},      {19, ScrollAction::LineRight, 0, 20},
        {20, ScrollAction::LineRight, 0, 20},    {5, ScrollAction::LineLeft, 0, 4},
        {0, ScrollAction::LineLeft, 0, 0},       {3, ScrollAction::ThumbTrack, 17, 17},
        {3, ScrollAction::ThumbPosition, 0, 0},  {3, ScrollAction::ThumbTrack, 99, 20},
        {3, ScrollAction::ThumbPosition, -4, 0}, {6, ScrollAction::PageRight, 12, 6},
        {6, ScrollAction::PageLeft, 2, 6},       {6, ScrollAction::Other, 0, 6},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MagnificationAfterScroll(c.from, c.action, c.thumb), c.to)
            << c.from << " action " << static_cast<int>(c.action);
}

TEST(PlotSvg, MapsTheWindowOntoThePictureWithYUp)
{
    PlotPicture p;
    p.Model = {{{0, 0}, {10, 5}}};
    p.Deformed = {{{0, 5}, {10, 0}}, {{5, 0}, {5, 5}}};
    p.Labels = {{{10, 5}, " 7<"}};
    const std::string svg = PlotSvg(p, {0, 10, 0, 5}, 200, 100);
    EXPECT_NE(svg.find("width=\"200\" height=\"100\""), std::string::npos);
    EXPECT_NE(svg.find("id=\"model\" fill=\"none\" stroke=\"black\" stroke-width=\"1\" "
                       "d=\"M0.00 100.00L200.00 0.00\""),
              std::string::npos)
        << svg;
    EXPECT_NE(svg.find("d=\"M0.00 0.00L200.00 100.00M100.00 100.00L100.00 0.00\""),
              std::string::npos)
        << svg;
    EXPECT_NE(svg.find("<text x=\"200.00\" y=\"0.00\""), std::string::npos) << svg;
    EXPECT_NE(svg.find("> 7&lt;</text>"), std::string::npos) << svg;
    // An empty picture is a white page.
    const std::string empty = PlotSvg(PlotPicture{}, WorldWindow{}, 50, 50);
    EXPECT_EQ(empty.find("<path"), std::string::npos);
    EXPECT_NE(empty.find("fill=\"white\""), std::string::npos);
}

} // namespace
} // namespace tavu
