#include "results/PlotGeometry.h"

#include "common/Numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

namespace tavu {

namespace {

bool Finite(const PlotPoint& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// Grids the plot can read: rows present in the grid table.
int ReadableGrids(const ModelStore& s)
{
    return static_cast<int>(std::max<long long>(0, std::min<long long>(s.nGrids, s.Grids.Last())));
}

bool AddEdge(PlotModel& m, int from, int to)
{
    // A side between an undefined grid and another, or from a grid to itself (the
    // repeated corner of a triangle), draws nothing.
    if (from < 1 || to < 1 || from > m.nGrids || to > m.nGrids || from == to)
        return false;
    m.Edges.emplace_back(from, to);
    return true;
}

// Colours of the picture.
constexpr Rgb UndeformedGrey{170, 170, 170};
constexpr Rgb DeformedBlue{0, 70, 210};
constexpr Rgb PositiveFill{170, 200, 255};
constexpr Rgb NegativeFill{255, 195, 175};
constexpr Rgb DiagramLine{20, 30, 110};
constexpr Rgb SupportGreen{0, 120, 0};
constexpr Rgb LoadRed{200, 0, 0};
constexpr Rgb ElementNumberColour{120, 0, 140};

PlotPoint operator+(PlotPoint a, PlotPoint b)
{
    return {a.x + b.x, a.y + b.y};
}
PlotPoint operator-(PlotPoint a, PlotPoint b)
{
    return {a.x - b.x, a.y - b.y};
}
PlotPoint operator*(double k, PlotPoint a)
{
    return {k * a.x, k * a.y};
}

PlotPoint Middle(const std::vector<PlotPoint>& points)
{
    PlotPoint sum;
    for (const PlotPoint& p : points)
        sum = sum + p;
    return (1.0 / static_cast<double>(points.size())) * sum;
}

// A value as the labels write it: 4 significant digits, no leading blank.
std::string Trimmed(double v, int digits)
{
    std::string text = NumberText(v, digits);
    return !text.empty() && text[0] == ' ' ? text.substr(1) : text;
}

bool Restrained(const ModelStore& s, int e)
{
    return e < 0 || e > s.NEQ;
}

void AddSupport(PlotModel& m, const ModelStore& s, int g)
{
    const GridRow& grid = s.Grids(g);
    SupportMark mark;
    mark.grid = g;
    mark.axisAngle = grid.axisCode > 0 ? grid.axisAngle : 0;
    mark.u = Restrained(s, grid.equation[DofU]) || grid.axisCode == EliminateU;
    mark.v = Restrained(s, grid.equation[DofV]) || grid.axisCode == EliminateV;
    mark.r = Restrained(s, grid.equation[DofR]);
    mark.springU = grid.spring[DofU] > 0;
    mark.springV = grid.spring[DofV] > 0;
    mark.springR = grid.spring[DofR] > 0;
    if (mark.u || mark.v || mark.r || mark.springU || mark.springV || mark.springR)
        m.Supports.push_back(mark);
}

// The member's axis, its curve and, when solved, its deflections and diagrams.
template <class Raise> void AddMember(PlotModel& m, const Analysis& a, int b, Raise raise)
{
    const ModelStore& s = a.Model;
    const BeamRow& beam = s.Beams(b);
    if (!(beam.length > 0) || !std::isfinite(beam.length))
        return;
    const std::array<double, 2> n = OffsetDirection(s, beam);
    const GridRow& ga = s.Grids(GridIndexOf(s, beam.gridA));
    const GridRow& gb = s.Grids(GridIndexOf(s, beam.gridB));
    MemberPlot member;
    member.beam = b;
    member.A = {ga.x + beam.offsetA * n[0], ga.y + beam.offsetA * n[1]};
    member.B = {gb.x + beam.offsetB * n[0], gb.y + beam.offsetB * n[1]};
    if (!Finite(member.A) || !Finite(member.B))
        return;
    const MemberState state = MemberStateOf(a, b);
    const double c = std::cos(beam.angle), sn = std::sin(beam.angle);
    for (int i = 0; i <= DiagramIntervals; ++i) {
        const double t = static_cast<double>(i) / DiagramIntervals;
        member.curve.push_back(member.A + t * (member.B - member.A));
        if (m.Solved) {
            const LocalDeflection d = MemberDeflection(state, t * beam.length);
            const PlotPoint global{d.u * c - d.v * sn, d.u * sn + d.v * c};
            member.curveDeflection.push_back(global);
            if (Finite(global))
                raise(global);
        }
    }
    if (m.Solved)
        member.diagram = ComputeBeamDiagram(state);
    m.Members.push_back(std::move(member));
}

// Each point moved by its deflection / MaxDeflection * scale: the quotient first, so that
// the tiniest deflections still draw.
void DrawDeformed(const PlotModel& m, double scale, PlotPicture& picture)
{
    auto shifted = [&](PlotPoint p, PlotPoint d) {
        return p + scale * PlotPoint{d.x / m.MaxDeflection, d.y / m.MaxDeflection};
    };
    auto moved = [&](int g) {
        const auto i = static_cast<std::size_t>(g);
        return shifted(m.GridPosition[i], m.PlotDeflection[i]);
    };
    auto add = [&picture](const PlotSegment& segment) {
        if (Finite(segment.from) && Finite(segment.to))
            picture.Deformed.push_back(segment);
    };
    // Beams along their curves; a beam without one (length 0) straight between its grids.
    std::vector<bool> curved(m.BeamEdges, false);
    for (const MemberPlot& member : m.Members) {
        if (member.curveDeflection.size() != member.curve.size())
            continue;
        for (std::size_t i = 0; i + 1 < member.curve.size(); ++i)
            add({shifted(member.curve[i], member.curveDeflection[i]),
                 shifted(member.curve[i + 1], member.curveDeflection[i + 1])});
        const auto edge = std::find(m.EdgeBeam.begin(), m.EdgeBeam.end(), member.beam);
        if (edge != m.EdgeBeam.end())
            curved[static_cast<std::size_t>(edge - m.EdgeBeam.begin())] = true;
    }
    for (std::size_t e = 0; e < m.Edges.size(); ++e)
        if (e >= m.BeamEdges || !curved[e])
            add({moved(m.Edges[e].first), moved(m.Edges[e].second)});
}

const char* const DiagramLegend[3] = {
    "Axial force N: tension positive, drawn to the left of A->B",
    "Shear V: positive along y (to the left of A->B), drawn on that side",
    "Moment M: counter-clockwise on the part towards A, drawn on the stretched side",
};

// Areas of one sign between the axis and the ordinates, their outline and the labels of
// the extremes.
void DrawDiagrams(const PlotModel& m, PlotView view, PlotPicture& picture)
{
    const int k = view == PlotView::Axial   ? DiagramN
                  : view == PlotView::Shear ? DiagramV
                                            : DiagramM;
    double largest = 0;
    for (const MemberPlot& member : m.Members)
        for (double v : member.diagram.value[static_cast<std::size_t>(k)])
            if (std::isfinite(v))
                largest = std::max(largest, std::fabs(v));
    picture.Legend.push_back(DiagramLegend[k]);
    picture.Legend.push_back("Values as in the Beam Forces listing: at x (from A) the forces "
                             "of the part towards B on the part towards A");
    if (!(largest > 0)) {
        picture.Legend.push_back("All values are 0");
        return;
    }
    // The value over the largest first, so that the tiniest values still draw.
    const double length = DiagramFraction * m.ModelSpan;
    const double significant = 1e-3 * largest;
    for (const MemberPlot& member : m.Members) {
        const BeamDiagram& d = member.diagram;
        const std::vector<double>& value = d.value[static_cast<std::size_t>(k)];
        // A beam of length 0, or one whose values are not all numbers, draws no diagram.
        if (value.size() < 2 || !(d.x.back() > 0) ||
            !std::all_of(value.begin(), value.end(), [](double v) { return std::isfinite(v); }))
            continue;
        const double L = d.x.back();
        const PlotPoint along = member.B - member.A;
        PlotPoint side = (1.0 / std::hypot(along.x, along.y)) * PlotPoint{-along.y, along.x};
        if (k == DiagramM)
            side = -1.0 * side; // the stretched fibre of a positive moment is on the right
        auto base = [&](double x) { return member.A + (x / L) * along; };
        auto ordinate = [&](double x, double v) { return base(x) + (v / largest * length) * side; };

        PlotStroke outline{{}, DiagramLine, 1.5};
        std::vector<PlotPoint> patch{base(0)};
        bool positive = value[0] >= 0;
        auto close = [&](double x) {
            patch.push_back(base(x));
            picture.Fills.push_back({patch, positive ? PositiveFill : NegativeFill});
            patch = {base(x)};
        };
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (i > 0 && (value[i] >= 0) != positive) {
                // The zero between the stations ends one area and starts the next.
                const double t = value[i - 1] / (value[i - 1] - value[i]);
                close(d.x[i - 1] + t * (d.x[i] - d.x[i - 1]));
                positive = !positive;
            }
            patch.push_back(ordinate(d.x[i], value[i]));
            outline.points.push_back(ordinate(d.x[i], value[i]));
        }
        close(L);
        picture.Strokes.push_back(std::move(outline));

        const DiagramExtreme& e = d.extreme[static_cast<std::size_t>(k)];
        if (std::fabs(e.max - e.min) <= 1e-9 * largest) {
            picture.ValueLabels.push_back({ordinate(L / 2, e.max), Trimmed(e.max, 4), DiagramLine});
            continue;
        }
        auto label = [&](double v, double x) {
            picture.ValueLabels.push_back(
                {ordinate(x, v), Trimmed(v, 4) + " (x=" + Trimmed(x, 3) + ")", DiagramLine});
        };
        if (std::fabs(e.max) >= significant)
            label(e.max, e.maxAt);
        if (std::fabs(e.min) >= significant)
            label(e.min, e.minAt);
    }
}

StressQuantity QuantityOf(PlotView view)
{
    switch (view) {
    case PlotView::Sy:
        return StressQuantity::Sy;
    case PlotView::Sxy:
        return StressQuantity::Sxy;
    case PlotView::Principal:
        return StressQuantity::Principal;
    case PlotView::VonMises:
        return StressQuantity::VonMises;
    default:
        return StressQuantity::Sx;
    }
}

void DrawContours(const PlotModel& m, PlotView view, PlotPicture& picture)
{
    // Fewer cells per quad in a large mesh, whose quads are small on the surface anyway.
    const std::size_t quads = m.Stresses.corners.size();
    const int cells = quads > 20000 ? 1 : quads > 2000 ? 2 : 4;
    const ContourPicture contours = BuildContours(m.Stresses, QuantityOf(view), cells);
    const int bands = contours.scale.bands;
    for (const ContourPiece& piece : contours.pieces)
        picture.Fills.push_back({piece.polygon, BandColour(piece.band, bands)});
    static const char* const polarName[] = {"Sr", "St", "Srt", "Prin", "vonM"};
    std::string title = ViewTitle(view);
    const auto q = static_cast<std::size_t>(QuantityOf(view));
    if (m.Stresses.anyPolar && q < 3)
        title += std::string(" (") + polarName[q] + " in polar quads)";
    picture.Bar.title = title;
    picture.Bar.min = contours.scale.min;
    picture.Bar.max = contours.scale.max;
    for (int band = 0; band < bands; ++band)
        picture.Bar.bands.push_back(BandColour(band, bands));
    picture.Legend.push_back(title + ": the listing's corner stresses averaged at the grids");
}

void DrawSupports(const PlotModel& m, double h, PlotPicture& picture)
{
    auto stroke = [&picture](std::vector<PlotPoint> points) {
        picture.Strokes.push_back({std::move(points), SupportGreen, 1.2});
    };
    for (const SupportMark& s : m.Supports) {
        const PlotPoint P = m.GridPosition[static_cast<std::size_t>(s.grid)];
        if (!Finite(P))
            continue;
        const PlotPoint u{std::cos(s.axisAngle), std::sin(s.axisAngle)}, v{-u.y, u.x};
        // A triangle with its tip at the grid, pointing along d.
        auto triangle = [&](PlotPoint d) {
            const PlotPoint across{-d.y, d.x}, back = P - (1.6 * h) * d;
            stroke({P, back + h * across, back - h * across, P});
        };
        auto ground = [&](PlotPoint d, double at) {
            const PlotPoint across{-d.y, d.x}, foot = P - (at * h) * d;
            stroke({foot - (1.4 * h) * across, foot + (1.4 * h) * across});
        };
        if (s.u && s.v && s.r) {
            // Clamped: a wall under the grid, hatched.
            stroke({P - (1.5 * h) * u, P + (1.5 * h) * u});
            for (int i = 0; i < 4; ++i) {
                const PlotPoint top = P + ((i - 1.5) * h) * u;
                stroke({top, top - (0.6 * h) * u - (0.8 * h) * v});
            }
        } else if (s.u && s.v) {
            triangle(v);
            ground(v, 1.6);
        } else if (s.u || s.v) {
            // A roller: it holds the grid along its axis only.
            const PlotPoint d = s.u ? u : v;
            triangle(d);
            ground(d, 2.1);
        }
        if (s.r && !(s.u && s.v)) {
            const double r = 0.7 * h;
            stroke({P + PlotPoint{-r, -r}, P + PlotPoint{r, -r}, P + PlotPoint{r, r},
                    P + PlotPoint{-r, r}, P + PlotPoint{-r, -r}});
        }
        // Springs: a zigzag away from the grid along the dof.
        for (const auto& [on, d] :
             {std::pair{s.springU && !s.u, u}, std::pair{s.springV && !s.v, v}}) {
            if (!on)
                continue;
            const PlotPoint across{-d.y, d.x};
            std::vector<PlotPoint> zig{P, P - (0.6 * h) * d};
            for (int i = 1; i <= 5; ++i)
                zig.push_back(P - ((0.6 + 0.4 * i) * h) * d + ((i % 2 ? 0.5 : -0.5) * h) * across);
            zig.push_back(P - (3.0 * h) * d);
            stroke(zig);
            ground(d, 3.0);
        }
        if (s.springR && !s.r) {
            std::vector<PlotPoint> spiral;
            for (int i = 0; i <= 24; ++i) {
                const double t = i / 24.0 * 1.75 * 2 * std::numbers::pi;
                const double r = (0.3 + 0.9 * i / 24.0) * h;
                spiral.push_back(P + PlotPoint{r * std::cos(t), r * std::sin(t)});
            }
            stroke(spiral);
        }
    }
}

// Arrows of the LOAD records pointing at their grids, the length by the force; moments as
// an arc arrow turning their way.
void DrawLoads(const PlotModel& m, double h, PlotPicture& picture)
{
    double largest = 0;
    for (const auto& load : m.GridLoads)
        if (std::isfinite(std::hypot(load[0], load[1])))
            largest = std::max(largest, std::hypot(load[0], load[1]));
    auto stroke = [&picture](std::vector<PlotPoint> points) {
        picture.Strokes.push_back({std::move(points), LoadRed, 1.5});
    };
    auto head = [&](PlotPoint tip, PlotPoint d) {
        const PlotPoint across{-d.y, d.x}, back = tip - (0.9 * h) * d;
        stroke({back + (0.45 * h) * across, tip, back - (0.45 * h) * across});
    };
    for (int g = 1; g <= m.nGrids; ++g) {
        const auto& load = m.GridLoads[static_cast<std::size_t>(g)];
        const PlotPoint P = m.GridPosition[static_cast<std::size_t>(g)];
        const double F = std::hypot(load[0], load[1]);
        if (!Finite(P))
            continue;
        if (F > 0 && std::isfinite(F) && largest > 0) {
            const PlotPoint d{load[0] / F, load[1] / F};
            const PlotPoint tail = P - (std::max(1.5, 5 * F / largest) * h) * d;
            stroke({tail, P});
            head(P, d);
            picture.ValueLabels.push_back({tail, Trimmed(F, 4), LoadRed});
        }
        if (load[2] != 0 && std::isfinite(load[2])) {
            const double turn = load[2] > 0 ? 1 : -1, r = 1.8 * h;
            std::vector<PlotPoint> arc;
            for (int i = 0; i <= 16; ++i) {
                const double t = (-0.6 + turn * 1.5 * i / 16.0) * std::numbers::pi;
                arc.push_back(P + PlotPoint{r * std::cos(t), r * std::sin(t)});
            }
            const PlotPoint end = arc.back(), before = arc[arc.size() - 2];
            const PlotPoint d = end - before;
            stroke(arc);
            head(end, (1.0 / std::hypot(d.x, d.y)) * d);
            picture.ValueLabels.push_back({arc.front(), Trimmed(load[2], 4), LoadRed});
        }
    }
}

void AppendNumber(std::string& out, double v)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", v);
    out += buffer;
}

std::string XmlEscaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

bool PlotModel::Empty() const
{
    return nGrids < 1 || !(ModelSpan > 0) || !std::isfinite(ModelSpan);
}

bool PlotModel::HasDeformation() const
{
    return MaxDeflection > 0 && std::isfinite(MaxDeflection);
}

PlotPoint GlobalDeflection(const Analysis& a, int g)
{
    const ModelStore& s = a.Model;
    if (g < 1 || g > ReadableGrids(s))
        return {};
    double uv[2] = {0, 0};
    for (int d = 1; d <= 2; ++d) {
        const long long e = std::llabs(static_cast<long long>(SystemEquation(a.System, g, d)));
        if (e != 0 && e <= a.System.NEQ && a.Results.SolutionVector.Has(e))
            uv[d - 1] = a.Results.SolutionVector(e);
    }
    const double theta = s.Grids(g).axisAngle;
    if (theta == 0)
        return {uv[0], uv[1]};
    const double c = std::cos(theta), sn = std::sin(theta);
    return {uv[0] * c - uv[1] * sn, uv[0] * sn + uv[1] * c};
}

PlotModel BuildPlotModel(const Analysis& a)
{
    const ModelStore& s = a.Model;
    PlotModel m;
    m.nGrids = ReadableGrids(s);
    const auto count = static_cast<std::size_t>(m.nGrids) + 1;
    m.GridPosition.assign(count, PlotPoint{});
    m.PlotDeflection.assign(count, PlotPoint{});
    m.GridLabel.assign(count, 0);
    m.GridLoads.assign(count, std::array<double, 3>{});

    double xmin = 1.0e99, xmax = -1.0e99, ymin = 1.0e99, ymax = -1.0e99;
    m.Solved = a.State.Stage == Solved;
    auto raise = [&m](const PlotPoint& d) {
        if (std::fabs(d.x) > m.MaxDeflection)
            m.MaxDeflection = std::fabs(d.x);
        if (std::fabs(d.y) > m.MaxDeflection)
            m.MaxDeflection = std::fabs(d.y);
    };
    for (int g = 1; g <= m.nGrids; ++g) {
        const GridRow& grid = s.Grids(g);
        const PlotPoint p{grid.x, grid.y};
        const auto i = static_cast<std::size_t>(g);
        m.GridPosition[i] = p;
        m.GridLabel[i] = g;
        if (Finite(p)) {
            xmin = std::min(xmin, p.x);
            xmax = std::max(xmax, p.x);
            ymin = std::min(ymin, p.y);
            ymax = std::max(ymax, p.y);
        }
        if (m.Solved) {
            const PlotPoint d = GlobalDeflection(a, g);
            m.PlotDeflection[i] = d;
            raise(d);
            if (a.Loads.GridLoads.Has(g))
                m.GridLoads[i] = a.Loads.GridLoads(g);
        }
        AddSupport(m, s, g);
    }
    if (xmax >= xmin) {
        m.ModelSpan = std::max(xmax - xmin, ymax - ymin);
        m.PlotBox.cx = (xmin + xmax) / 2;
        m.PlotBox.cy = (ymin + ymax) / 2;
        m.PlotBox.halfWidth = PlotBoxFactor * (xmax - xmin);
        m.PlotBox.halfHeight = PlotBoxFactor * (ymax - ymin);
    }

    // The grid numbers written are the grids' ids: the inverse of the id map.
    s.GridIndex.ForEachRow(1, s.GridIndex.Last(), [&m](long long id, int g) {
        if (g >= 1 && g <= m.nGrids)
            m.GridLabel[static_cast<std::size_t>(g)] = static_cast<int>(id);
    });

    auto at = [&m](int g) { return m.GridPosition[static_cast<std::size_t>(g)]; };
    const int beams = static_cast<int>(std::min<long long>(s.nBeams, s.Beams.Last()));
    for (int b = 1; b <= beams; ++b) {
        const BeamRow& beam = s.Beams(b);
        const int ga = GridIndexOf(s, beam.gridA), gb = GridIndexOf(s, beam.gridB);
        if (AddEdge(m, ga, gb))
            m.EdgeBeam.push_back(b);
        if (ga >= 1 && gb >= 1 && ga <= m.nGrids && gb <= m.nGrids) {
            const PlotPoint pa = at(ga), pb = at(gb);
            m.ElementLabels.push_back({Middle({pa, pb}), std::to_string(beam.id)});
            AddMember(m, a, b, raise);
        }
    }
    m.BeamEdges = m.Edges.size();
    const int quads = static_cast<int>(std::min<long long>(s.nQuads, s.Quads.Last()));
    for (int q = 1; q <= quads; ++q) {
        const QuadRow& quad = s.Quads(q);
        int corner[5];
        std::vector<PlotPoint> corners;
        for (std::size_t k = 1; k <= 4; ++k) {
            corner[k] = GridIndexOf(s, quad.grid[k]);
            if (corner[k] >= 1 && corner[k] <= m.nGrids && (k < 4 || !IsTriangle(quad)))
                corners.push_back(at(corner[k]));
        }
        for (int k = 1; k <= 4; ++k)
            AddEdge(m, corner[k], corner[k % 4 + 1]);
        if (!corners.empty())
            m.ElementLabels.push_back({Middle(corners), std::to_string(quad.id)});
    }
    m.Stresses = AverageAtGrids(a);
    return m;
}

double DeformationScale(const PlotModel& m, int magnification)
{
    const int level = std::clamp(magnification, 0, MaxMagnification);
    return m.ModelSpan * FullDeformation * level / MaxMagnification;
}

double MagnificationFactor(const PlotModel& m, int magnification)
{
    return m.HasDeformation() ? DeformationScale(m, magnification) / m.MaxDeflection : 0;
}

bool PlotModel::Shows(PlotView view) const
{
    switch (view) {
    case PlotView::Model:
        return true;
    case PlotView::Deformed:
        return Solved;
    case PlotView::Axial:
    case PlotView::Shear:
    case PlotView::Moment:
        return Solved && !Members.empty();
    default:
        return Solved && std::any_of(Stresses.corners.begin(), Stresses.corners.end(),
                                     [](int n) { return n >= 3; });
    }
}

PlotPicture DrawPlot(const PlotModel& m, const PlotOptions& options)
{
    PlotPicture picture;
    if (m.Empty())
        return picture;
    auto at = [&m](int g) { return m.GridPosition[static_cast<std::size_t>(g)]; };
    const PlotView view = m.Shows(options.view) ? options.view : PlotView::Model;
    const double h = options.symbolSize > 0 ? options.symbolSize : 0.02 * m.ModelSpan;

    if (options.showGridNumbers) {
        for (int g = 1; g <= m.nGrids; ++g) {
            if (Finite(at(g)))
                picture.Labels.push_back(
                    {at(g), NumberText(m.GridLabel[static_cast<std::size_t>(g)])});
        }
    }

    picture.Model.reserve(m.Edges.size());
    for (const auto& [from, to] : m.Edges) {
        const PlotSegment segment{at(from), at(to)};
        if (Finite(segment.from) && Finite(segment.to))
            picture.Model.push_back(segment);
    }

    if (view == PlotView::Deformed && m.HasDeformation()) {
        picture.ModelColour = UndeformedGrey;
        picture.DeformedColour = DeformedBlue;
        const double factor = MagnificationFactor(m, options.magnification);
        DrawDeformed(m, DeformationScale(m, options.magnification), picture);
        picture.Legend.push_back("Deformed shape: deflections magnified " + Trimmed(factor, 4) +
                                 " times (largest " + Trimmed(m.MaxDeflection, 4) + ")");
    } else if (view == PlotView::Deformed) {
        picture.Legend.push_back("Deformed shape: no deflection");
    } else if (view == PlotView::Axial || view == PlotView::Shear || view == PlotView::Moment) {
        DrawDiagrams(m, view, picture);
    } else if (view != PlotView::Model) {
        DrawContours(m, view, picture);
    }
    if (view != options.view)
        picture.Legend.push_back(!m.Solved ? std::string("No results: the model alone")
                                 : (options.view == PlotView::Axial ||
                                    options.view == PlotView::Shear ||
                                    options.view == PlotView::Moment)
                                     ? std::string("No beams to draw diagrams along")
                                     : std::string("No quads to draw stresses in"));

    DrawSupports(m, h, picture);
    DrawLoads(m, h, picture);
    if (options.showElementNumbers)
        for (const PlotLabel& label : m.ElementLabels)
            picture.ValueLabels.push_back({label.at, label.text, ElementNumberColour});
    return picture;
}

PlotPicture DrawPlot(const PlotModel& m, int magnification, bool showGridNumbers)
{
    PlotPicture picture;
    if (m.Empty())
        return picture;
    PlotOptions options;
    options.magnification = magnification;
    options.showGridNumbers = showGridNumbers;
    picture = DrawPlot(m, options);
    picture.Strokes.clear();
    picture.ValueLabels.clear();
    picture.Legend.clear();
    picture.ModelColour = picture.DeformedColour = Rgb{};
    return picture;
}

WorldWindow WorldWindowFor(const PlotModel& m, double width, double height, double ppx, double ppy)
{
    WorldWindow w;
    if (m.Empty())
        return w;
    const PlotBoxData& box = m.PlotBox;
    const double boxWidth = 2 * box.halfWidth;
    const double boxHeight = 2 * box.halfHeight;
    // R: the surface's height-to-width ratio in inches.
    double R = (height / ppy) / (width / ppx);
    if (!(R > 0) || !std::isfinite(R))
        R = 1;
    if (boxWidth > 0 && boxWidth * R >= boxHeight) {
        // The box's width fills the surface; y follows in proportion.
        w.Left = box.cx - box.halfWidth;
        w.Right = box.cx + box.halfWidth;
        w.Bottom = box.cy - R * boxWidth / 2;
        w.Top = box.cy + R * boxWidth / 2;
    } else {
        // A tall model (or all grids on one vertical line): its height fills the surface.
        w.Bottom = box.cy - box.halfHeight;
        w.Top = box.cy + box.halfHeight;
        w.Left = box.cx - boxHeight / (2 * R);
        w.Right = box.cx + boxHeight / (2 * R);
    }
    return w;
}

int MagnificationAfterScroll(int magnification, ScrollAction action, int thumbPosition)
{
    switch (action) {
    case ScrollAction::LineRight:
        return magnification < MaxMagnification ? magnification + 1 : magnification;
    case ScrollAction::LineLeft:
        return magnification > 0 ? magnification - 1 : magnification;
    case ScrollAction::ThumbTrack:
    case ScrollAction::ThumbPosition:
        return std::clamp(thumbPosition, 0, MaxMagnification);
    default:
        return magnification;
    }
}

namespace {

struct ViewNames
{
    PlotView view;
    const char* word;
    const char* title;
};
constexpr ViewNames Views[PlotViewCount] = {
    {PlotView::Model, "model", "Model"},
    {PlotView::Deformed, "deformed", "Deformed shape"},
    {PlotView::Axial, "axial", "Axial force N"},
    {PlotView::Shear, "shear", "Shear V"},
    {PlotView::Moment, "moment", "Moment M"},
    {PlotView::Sx, "sx", "Sx"},
    {PlotView::Sy, "sy", "Sy"},
    {PlotView::Sxy, "sxy", "Sxy"},
    {PlotView::Principal, "principal", "Principal stress"},
    {PlotView::VonMises, "vonmises", "von Mises stress"},
};

std::string Hex(const Rgb& c)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", std::clamp(c.r, 0, 255),
                  std::clamp(c.g, 0, 255), std::clamp(c.b, 0, 255));
    return buffer;
}

} // namespace

const char* ViewWord(PlotView view)
{
    return Views[std::clamp(static_cast<int>(view), 0, PlotViewCount - 1)].word;
}

const char* ViewTitle(PlotView view)
{
    return Views[std::clamp(static_cast<int>(view), 0, PlotViewCount - 1)].title;
}

bool ViewFromWord(const std::string& word, PlotView& view)
{
    for (const ViewNames& v : Views)
        if (word == v.word) {
            view = v.view;
            return true;
        }
    return false;
}

PlotView ViewOfListing(int kind)
{
    return kind == BeamForcesKind     ? PlotView::Moment
           : kind == QuadStressesKind ? PlotView::VonMises
                                      : PlotView::Deformed;
}

WorldWindow ZoomedWindow(const WorldWindow& fit, const ViewZoom& zoom)
{
    const double f = std::clamp(zoom.factor, MinZoom, MaxZoom);
    const double cx = (fit.Left + fit.Right) / 2 + zoom.panX;
    const double cy = (fit.Bottom + fit.Top) / 2 + zoom.panY;
    const double hx = (fit.Right - fit.Left) / (2 * f), hy = (fit.Top - fit.Bottom) / (2 * f);
    return {cx - hx, cx + hx, cy - hy, cy + hy};
}

ViewZoom ZoomAbout(const WorldWindow& fit, const ViewZoom& zoom, double step, PlotPoint fixed)
{
    const double before = std::clamp(zoom.factor, MinZoom, MaxZoom);
    const double after = std::clamp(before * step, MinZoom, MaxZoom);
    if (!std::isfinite(after) || !Finite(fixed))
        return zoom;
    // The centre moves so that the fixed point keeps its place on the surface.
    const double cx = (fit.Left + fit.Right) / 2 + zoom.panX;
    const double cy = (fit.Bottom + fit.Top) / 2 + zoom.panY;
    const double k = before / after;
    ViewZoom z;
    z.factor = after;
    z.panX = fixed.x - (fixed.x - cx) * k - (fit.Left + fit.Right) / 2;
    z.panY = fixed.y - (fixed.y - cy) * k - (fit.Bottom + fit.Top) / 2;
    return z;
}

std::string PlotSvg(const PlotPicture& picture, const WorldWindow& window, int width, int height)
{
    width = std::max(width, 1);
    height = std::max(height, 1);
    const double sx = width / (window.Right - window.Left);
    const double sy = height / (window.Top - window.Bottom);
    auto px = [&](double x) { return (x - window.Left) * sx; };
    auto py = [&](double y) { return (window.Top - y) * sy; };
    auto point = [&](std::string& out, const PlotPoint& p) {
        AppendNumber(out, px(p.x));
        out += " ";
        AppendNumber(out, py(p.y));
    };

    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(width) +
           "\" height=\"" + std::to_string(height) + "\" viewBox=\"0 0 " + std::to_string(width) +
           " " + std::to_string(height) + "\">\n";
    out += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    for (const PlotFill& f : picture.Fills) {
        out += "<polygon fill=\"" + Hex(f.colour) + "\" stroke=\"" + Hex(f.colour) +
               "\" stroke-width=\"0.5\" points=\"";
        for (const PlotPoint& p : f.polygon) {
            point(out, p);
            out += " ";
        }
        out += "\"/>\n";
    }
    auto path = [&](const std::vector<PlotSegment>& segments, const char* id, const Rgb& colour) {
        if (segments.empty())
            return;
        out += "<path id=\"";
        out += id;
        out += "\" fill=\"none\" stroke=\"" + Hex(colour) + "\" stroke-width=\"1\" d=\"";
        for (const PlotSegment& s : segments) {
            out += "M";
            point(out, s.from);
            out += "L";
            point(out, s.to);
        }
        out += "\"/>\n";
    };
    path(picture.Model, "model", picture.ModelColour);
    path(picture.Deformed, "deformed", picture.DeformedColour);
    for (const PlotStroke& s : picture.Strokes) {
        out += "<polyline fill=\"none\" stroke=\"" + Hex(s.colour) + "\" stroke-width=\"";
        AppendNumber(out, s.width);
        out += "\" points=\"";
        for (const PlotPoint& p : s.points) {
            point(out, p);
            out += " ";
        }
        out += "\"/>\n";
    }
    auto text = [&](double x, double y, const std::string& body, const Rgb& colour,
                    const char* anchor) {
        out += "<text x=\"";
        AppendNumber(out, x);
        out += "\" y=\"";
        AppendNumber(out, y);
        out += "\" fill=\"" + Hex(colour) + "\" text-anchor=\"" + anchor +
               "\" font-family=\"monospace\" font-size=\"12\" dominant-baseline=\"hanging\" "
               "xml:space=\"preserve\">";
        out += XmlEscaped(body);
        out += "</text>\n";
    };
    for (const auto* labels : {&picture.Labels, &picture.ValueLabels})
        for (const PlotLabel& label : *labels)
            text(px(label.at.x), py(label.at.y), label.text, label.colour, "start");
    for (std::size_t i = 0; i < picture.Legend.size(); ++i)
        text(6, 6 + 15.0 * static_cast<double>(i), picture.Legend[i], Rgb{}, "start");
    const ColourBarLayout bar = LayOutColourBar(picture.Bar, width, height);
    for (std::size_t i = 0; i < bar.cells.size(); ++i) {
        const BarCell& c = bar.cells[i];
        out += "<rect x=\"";
        AppendNumber(out, c.x);
        out += "\" y=\"";
        AppendNumber(out, c.y);
        out += "\" width=\"";
        AppendNumber(out, c.width);
        out += "\" height=\"";
        AppendNumber(out, c.height);
        out += "\" fill=\"" + Hex(c.colour) + "\"/>\n";
    }
    for (const BarText& t : bar.texts)
        text(t.x, t.y, t.text, Rgb{}, "end");
    out += "</svg>\n";
    return out;
}

double SymbolSizeFor(const WorldWindow& window, double widthPixels)
{
    const double size = SymbolPixels * (window.Right - window.Left) / std::max(widthPixels, 1.0);
    return std::isfinite(size) && size > 0 ? size : 0;
}

ColourBarLayout LayOutColourBar(const ColourBar& bar, double width, double height)
{
    ColourBarLayout layout;
    const auto n = static_cast<int>(bar.bands.size());
    if (n == 0 || width < 120 || height < 120)
        return layout;
    // A column at the right edge, the largest value on top.
    const double cellWidth = 18, right = width - 8, top = 40;
    const double cellHeight = std::min(24.0, (height - 2 * top) / n);
    for (int i = 0; i < n; ++i)
        layout.cells.push_back({right - cellWidth, top + cellHeight * (n - 1 - i), cellWidth,
                                cellHeight, bar.bands[static_cast<std::size_t>(i)]});
    layout.texts.push_back({right, top - 32, bar.title});
    layout.texts.push_back({right - cellWidth - 4, top - 6, Trimmed(bar.max, 4)});
    layout.texts.push_back({right - cellWidth - 4, top + cellHeight * n - 6, Trimmed(bar.min, 4)});
    return layout;
}

} // namespace tavu
