// The plot as data: outlines, the deformed shape at a magnification, deflections in
// global axes, grid numbers, the world window and the SVG picture.

#include "TestSupport.h"
#include "common/Numbers.h"
#include "results/PlotGeometry.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace tavu {
namespace {

struct GridSpec
{
    double x, y;
    double angle = 0; // dof axes, radians
    int eqU = 0, eqV = 0;
};

// A model as the reader and the numbering leave it, solved with the displacements of
// equations 1..NEQ when they are given.
Analysis MakeModel(const std::vector<GridSpec>& grids,
                   const std::vector<std::pair<int, int>>& beams,
                   const std::vector<std::array<int, 4>>& quads, const std::vector<double>& u = {})
{
    const auto size = [](const auto& v) { return static_cast<int>(v.size()); };
    testing::HandModel h(size(grids), size(beams), size(quads), size(u), size(u));
    ModelStore& m = h.a.Model;
    for (int g = 1; g <= m.nGrids; ++g) {
        const GridSpec& s = grids[static_cast<std::size_t>(g - 1)];
        h.Grid(g, s.x, s.y, s.eqU, s.eqV, 0, s.angle);
    }
    for (int b = 1; b <= m.nBeams; ++b)
        std::tie(m.Beams(b).gridA, m.Beams(b).gridB) = beams[static_cast<std::size_t>(b - 1)];
    for (int q = 1; q <= m.nQuads; ++q)
        for (std::size_t k = 1; k <= 4; ++k)
            m.Quads(q).grid[k] = quads[static_cast<std::size_t>(q - 1)][k - 1];
    for (int e = 1; e <= size(u); ++e)
        h.a.Results.SolutionVector(e) = u[static_cast<std::size_t>(e - 1)];
    h.a.State.Stage = u.empty() ? ModelRead : Solved;
    return h.a;
}

std::string Text(const std::vector<PlotSegment>& segments)
{
    std::string out;
    char buffer[128];
    for (const PlotSegment& s : segments) {
        std::snprintf(buffer, sizeof buffer, "(%.9g,%.9g)-(%.9g,%.9g) ", s.from.x, s.from.y, s.to.x,
                      s.to.y);
        out += buffer;
    }
    return out;
}

// A portal frame: columns 4 high, beam 6 wide; u and v of grids 2 and 3 free.
Analysis PortalFrame(const std::vector<double>& displacements = {})
{
    return MakeModel({{0, 0}, {0, 4, 0, 1, 2}, {6, 4, 0, 3, 4}, {6, 0}}, {{1, 2}, {2, 3}, {3, 4}},
                     {}, displacements);
}

TEST(PlotGeometry, OutlinesOfBeamsQuadsAndTriangles)
{
    // Two quads side by side and a triangle on top (its third corner repeated); a beam to
    // the undefined grid 9 and a quad with an undefined corner draw only their defined sides.
    const Analysis a = MakeModel({{0, 0}, {1, 0}, {2, 0}, {2, 1}, {1, 1}, {0, 1}, {1, 2}},
                                 {{1, 9}, {0, -5}, {1, 2}},
                                 {{1, 2, 5, 6}, {2, 3, 4, 5}, {6, 5, 7, 7}, {1, 2, 3, 77}});
    EXPECT_EQ(Text(DrawPlot(BuildPlotModel(a), 0, false).Model),
              "(0,0)-(1,0) (0,0)-(1,0) (1,0)-(1,1) (1,1)-(0,1) (0,1)-(0,0) (1,0)-(2,0) "
              "(2,0)-(2,1) (2,1)-(1,1) (1,1)-(1,0) (0,1)-(1,1) (1,1)-(1,2) (1,2)-(0,1) "
              "(0,0)-(1,0) (1,0)-(2,0) ");
    // Grid ids out of table order: the numbers drawn at the grids are their ids.
    Analysis b = MakeModel({{0, 0}, {5, 0}, {5, 5}}, {{3, 2}, {2, 1}}, {});
    b.Model.GridIndex(1) = 3;
    b.Model.GridIndex(3) = 1;
    const PlotPicture p = DrawPlot(BuildPlotModel(b), 0, true);
    EXPECT_EQ(Text(p.Model), "(0,0)-(5,0) (5,0)-(5,5) ");
    ASSERT_EQ(p.Labels.size(), 3u);
    EXPECT_EQ(Text({{p.Labels[0].at, p.Labels[2].at}}), "(0,0)-(5,5) ");
    EXPECT_EQ(p.Labels[0].text + p.Labels[2].text, " 3 1");
}

TEST(PlotGeometry, FullMagnificationDrawsTheLargestFiniteDeflectionAsATenthOfTheSpan)
{
    const PlotModel m = BuildPlotModel(PortalFrame({0.015, -0.001, 0.02, -0.004}));
    const double k = static_cast<double>(0.65f); // the box is 30 % larger than the model
    EXPECT_EQ(std::tie(m.MaxDeflection, m.ModelSpan, m.PlotBox.cx, m.PlotBox.cy,
                       m.PlotBox.halfWidth, m.PlotBox.halfHeight),
              std::make_tuple(0.02, 6.0, 3.0, 2.0, 6 * k, 4 * k));
    // Magnification (clamped to 0..20), and the drawn length per unit deflection.
    const double cases[][2] = {{20, 0.6 / 0.02}, {10, 0.3 / 0.02}, {1, 0.03 / 0.02},
                               {0, 0},           {25, 0.6 / 0.02}, {-3, 0}};
    for (const auto& [magnification, f] : cases) {
        const PlotPicture p = DrawPlot(m, static_cast<int>(magnification), false);
        const PlotPoint g2{0.015 * f, 4 - 0.001 * f}, g3{6 + 0.02 * f, 4 - 0.004 * f};
        EXPECT_EQ(Text(p.Deformed), Text({{{0, 0}, g2}, {g2, g3}, {g3, {6, 0}}})) << magnification;
        EXPECT_EQ(Text(p.Model), "(0,0)-(0,4) (0,4)-(6,4) (6,4)-(6,0) ");
        EXPECT_TRUE(p.Labels.empty());
    }
    // No deformed shape without a finite, non-zero deflection; a NaN at grid 2 leaves out
    // only its lines.
    const std::tuple<int, std::vector<double>, std::string> shapes[] = {
        {Solved, {0, 0, 0, 0}, ""},
        {Decomposed, {0.1, 0.2, 0.3, 0.4}, ""},
        {Solved, {INFINITY, 0, 0.1, 0}, ""},
        {Solved, {NAN, 0, 0.02, 0}, "(6.6,4)-(6,0) "}};
    for (const auto& [stage, displacements, deformed] : shapes) {
        Analysis a = PortalFrame(displacements);
        a.State.Stage = stage;
        const PlotModel model = BuildPlotModel(a);
        EXPECT_EQ(model.HasDeformation(), !deformed.empty());
        EXPECT_EQ(Text(DrawPlot(model, 20, false).Deformed), deformed);
    }
}

TEST(PlotGeometry, DeflectionsAreTurnedFromTheGridAxesIntoGlobalOnes)
{
    // Axis angle, u, v, and the global deflection (at 90 degrees u runs along y, v along -x).
    const double c = std::cos(30 * DEG), s = std::sin(30 * DEG);
    const double cases[][5] = {{0, 0.3, -0.2, 0.3, -0.2},
                               {90, 1, 0, 0, 1},
                               {90, 0, 1, -1, 0},
                               {30, 2, 0, 2 * c, 2 * s},
                               {-60, 0, 1, c, s}};
    for (const auto& [angle, u, v, dx, dy] : cases) {
        Analysis a = MakeModel({{0, 0}, {0, 10, angle * DEG, 1, 2}}, {{1, 2}}, {}, {u, v});
        a.Model.Grids(2).axisCode = PolarAxes;
        const PlotPoint d = BuildPlotModel(a).PlotDeflection[2];
        EXPECT_NEAR(d.x, dx, 1e-12) << angle;
        EXPECT_NEAR(d.y, dy, 1e-12) << angle;
    }
    // A prescribed u (a negative number) moves; a restrained v (above NEQ), a grid without
    // dofs, an absurd number and grids outside the table do not.
    const Analysis a = MakeModel(
        {{0, 0, 0, -1, 3}, {1, 0, 0, 2, 0}, {2, 0}, {3, 0, 0, 1000000, -99}}, {}, {}, {0.5, 0.25});
    for (int g = 0; g <= 5; ++g)
        EXPECT_EQ(Text({{GlobalDeflection(a, g), {}}}), g == 1   ? "(0.5,0)-(0,0) "
                                                        : g == 2 ? "(0.25,0)-(0,0) "
                                                                 : "(0,0)-(0,0) ")
            << g;
}

TEST(PlotGeometry, EmptyOrPartlyCreatedModelsDrawNothingOutsideTheTables)
{
    // Coincident grids: no extent, nothing drawn, not even grid numbers.
    const Analysis same = MakeModel({{3, 3, 0, 1, 2}, {3, 3, 0, 3, 4}, {3, 3}}, {{1, 2}, {2, 3}},
                                    {{1, 2, 3, 3}}, {1, 2, 3, 4});
    const PlotPicture p = DrawPlot(BuildPlotModel(same), 20, true);
    EXPECT_TRUE(p.Model.empty() && p.Deformed.empty() && p.Labels.empty());
    // Counts without tables (the pre-scan stopped before creating them), or beyond them.
    Analysis counted, beyond = PortalFrame({0, 0, 0, 0});
    std::tie(counted.Model.nGrids, counted.Model.nBeams, counted.Model.nQuads) =
        std::tuple(5, 3, 2);
    std::tie(beyond.Model.nGrids, beyond.Model.nBeams) = std::tuple(40, 9);
    counted.State.Stage = Solved;
    EXPECT_TRUE(BuildPlotModel(counted).Empty() && BuildPlotModel(counted).Edges.empty());
    EXPECT_EQ(BuildPlotModel(beyond).nGrids, 4);
    EXPECT_EQ(BuildPlotModel(beyond).Edges.size(), 3u);
}

TEST(PlotWorldWindow, ShowsTheWholeBoxAndKeepsProportions)
{
    // A wide frame (6 x 4), a tall column, a vertical and a horizontal line on surfaces of
    // w x h pixels at ppx, ppy pixels per inch: the window's centre and half-sizes / 0.65.
    const Analysis wide = PortalFrame(), tall = MakeModel({{0, 0}, {1, 10}}, {{1, 2}}, {});
    const Analysis vertical = MakeModel({{2, 0}, {2, 10}}, {{1, 2}}, {});
    const Analysis flat = MakeModel({{0, 5}, {8, 5}}, {{1, 2}}, {});
    const double k = static_cast<double>(0.65f);
    const std::tuple<const Analysis*, std::array<double, 4>, std::array<double, 4>> cases[] = {
        // clang-format off
        {&wide, {400, 400, 96, 96}, {3, 6, 2, 6}},
        {&wide, {800, 400, 96, 96}, {3, 8, 2, 4}},
        {&wide, {400, 400, 96, 192}, {3, 8, 2, 4}},   // pixels twice as high as wide
        {&tall, {400, 400, 96, 96}, {0.5, 10, 5, 10}},
        {&vertical, {400, 400, 96, 96}, {2, 10, 5, 10}},
        {&flat, {400, 200, 96, 96}, {4, 8, 5, 4}},                     // one box side 0
        {&wide, {0, 0, 96, 96}, {3, 6, 2, 6}},          // no surface
        // clang-format on
    };
    for (const auto& [model, surface, want] : cases) {
        const auto [w, h, ppx, ppy] = surface;
        const auto [cx, halfX, cy, halfY] = want;
        const WorldWindow win = WorldWindowFor(BuildPlotModel(*model), w, h, ppx, ppy);
        EXPECT_NEAR(win.Left, cx - halfX * k, 1e-9) << w << " " << h;
        EXPECT_NEAR(win.Right, cx + halfX * k, 1e-9) << w << " " << h;
        EXPECT_NEAR(win.Bottom, cy - halfY * k, 1e-9) << w << " " << h;
        EXPECT_NEAR(win.Top, cy + halfY * k, 1e-9) << w << " " << h;
    }
}

TEST(PlotWorldWindow, ZoomKeepsThePointUnderTheCursorAndStaysWithinItsLimits)
{
    const WorldWindow fit{0, 10, 0, 5};
    // Where a world point lies on the surface, as fractions of its width and height.
    auto fraction = [](const WorldWindow& w, PlotPoint p) {
        return PlotPoint{(p.x - w.Left) / (w.Right - w.Left),
                         (p.y - w.Bottom) / (w.Top - w.Bottom)};
    };
    ViewZoom z;
    for (const auto& [step, fixed] :
         {std::pair{2.0, PlotPoint{1, 1}}, std::pair{4.0, PlotPoint{9, 4}},
          std::pair{0.25, PlotPoint{5, 2.5}}}) {
        const WorldWindow before = ZoomedWindow(fit, z);
        const ViewZoom next = ZoomAbout(fit, z, step, fixed);
        const WorldWindow after = ZoomedWindow(fit, next);
        EXPECT_NEAR(next.factor, z.factor * step, 1e-12);
        EXPECT_NEAR((after.Right - after.Left) * step, before.Right - before.Left, 1e-9);
        EXPECT_NEAR(fraction(after, fixed).x, fraction(before, fixed).x, 1e-12) << step;
        EXPECT_NEAR(fraction(after, fixed).y, fraction(before, fixed).y, 1e-12) << step;
        z = next;
    }
    EXPECT_EQ(ZoomAbout(fit, z, 1e9, {1, 1}).factor, MaxZoom);
    EXPECT_EQ(ZoomAbout(fit, z, 0, {1, 1}).factor, MinZoom);
    EXPECT_EQ(ZoomAbout(fit, z, 2, {NAN, 1}).factor, z.factor) << "a point not on the surface";
}

TEST(PlotSvg, MapsTheWindowOntoThePictureWithYUp)
{
    PlotPicture p;
    p.Model = {{{0, 0}, {10, 5}}};
    p.Deformed = {{{0, 5}, {10, 0}}, {{5, 0}, {5, 5}}};
    p.Labels = {{{10, 5}, " 7<"}};
    const std::string svg = PlotSvg(p, {0, 10, 0, 5}, 200, 100);
    for (const char* part : {"width=\"200\" height=\"100\"", "d=\"M0.00 100.00L200.00 0.00\"",
                             "d=\"M0.00 0.00L200.00 100.00M100.00 100.00L100.00 0.00\"",
                             "<text x=\"200.00\" y=\"0.00\"", "> 7&lt;</text>"})
        EXPECT_NE(svg.find(part), std::string::npos) << part << "\n" << svg;
    EXPECT_EQ(PlotSvg(PlotPicture{}, WorldWindow{}, 50, 50).find("<path"), std::string::npos);
}

} // namespace
} // namespace tavu
