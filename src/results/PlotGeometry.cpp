#include "results/PlotGeometry.h"

#include "common/Numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

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

void AddEdge(PlotModel& m, int from, int to)
{
    // A side between an undefined grid and another, or from a grid to itself (the
    // repeated corner of a triangle), draws nothing.
    if (from < 1 || to < 1 || from > m.nGrids || to > m.nGrids || from == to)
        return;
    m.Edges.emplace_back(from, to);
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

    double xmin = 1.0e99, xmax = -1.0e99, ymin = 1.0e99, ymax = -1.0e99;
    const bool solved = a.State.Stage == Solved;
    for (int g = 1; g <= m.nGrids; ++g) {
        const PlotPoint p{s.Grids(g).x, s.Grids(g).y};
        m.GridPosition[static_cast<std::size_t>(g)] = p;
        m.GridLabel[static_cast<std::size_t>(g)] = g;
        if (Finite(p)) {
            xmin = std::min(xmin, p.x);
            xmax = std::max(xmax, p.x);
            ymin = std::min(ymin, p.y);
            ymax = std::max(ymax, p.y);
        }
        if (solved) {
            const PlotPoint d = GlobalDeflection(a, g);
            m.PlotDeflection[static_cast<std::size_t>(g)] = d;
            if (std::fabs(d.x) > m.MaxDeflection)
                m.MaxDeflection = std::fabs(d.x);
            if (std::fabs(d.y) > m.MaxDeflection)
                m.MaxDeflection = std::fabs(d.y);
        }
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

    const long long beams = std::min<long long>(s.nBeams, s.Beams.Last());
    for (long long b = 1; b <= beams; ++b)
        AddEdge(m, GridIndexOf(s, s.Beams(b).gridA), GridIndexOf(s, s.Beams(b).gridB));
    const long long quads = std::min<long long>(s.nQuads, s.Quads.Last());
    for (long long q = 1; q <= quads; ++q) {
        int corner[5];
        for (std::size_t k = 1; k <= 4; ++k)
            corner[k] = GridIndexOf(s, s.Quads(q).grid[k]);
        for (int k = 1; k <= 4; ++k)
            AddEdge(m, corner[k], corner[k % 4 + 1]);
    }
    return m;
}

double DeformationScale(const PlotModel& m, int magnification)
{
    const int level = std::clamp(magnification, 0, MaxMagnification);
    return m.ModelSpan * FullDeformation * level / MaxMagnification;
}

PlotPicture DrawPlot(const PlotModel& m, int magnification, bool showGridNumbers)
{
    PlotPicture picture;
    if (m.Empty())
        return picture;
    auto at = [&m](int g) { return m.GridPosition[static_cast<std::size_t>(g)]; };

    if (showGridNumbers) {
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

    if (m.HasDeformation()) {
        const double factor = DeformationScale(m, magnification) / m.MaxDeflection;
        auto moved = [&](int g) {
            const PlotPoint p = at(g);
            const PlotPoint d = m.PlotDeflection[static_cast<std::size_t>(g)];
            return PlotPoint{p.x + d.x * factor, p.y + d.y * factor};
        };
        picture.Deformed.reserve(m.Edges.size());
        for (const auto& [from, to] : m.Edges) {
            const PlotSegment segment{moved(from), moved(to)};
            if (Finite(segment.from) && Finite(segment.to))
                picture.Deformed.push_back(segment);
        }
    }
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

std::string PlotSvg(const PlotPicture& picture, const WorldWindow& window, int width, int height)
{
    width = std::max(width, 1);
    height = std::max(height, 1);
    const double sx = width / (window.Right - window.Left);
    const double sy = height / (window.Top - window.Bottom);
    auto px = [&](double x) { return (x - window.Left) * sx; };
    auto py = [&](double y) { return (window.Top - y) * sy; };

    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(width) +
           "\" height=\"" + std::to_string(height) + "\" viewBox=\"0 0 " + std::to_string(width) +
           " " + std::to_string(height) + "\">\n";
    out += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    auto path = [&](const std::vector<PlotSegment>& segments, const char* id) {
        if (segments.empty())
            return;
        out += "<path id=\"";
        out += id;
        out += "\" fill=\"none\" stroke=\"black\" stroke-width=\"1\" d=\"";
        for (const PlotSegment& s : segments) {
            out += "M";
            AppendNumber(out, px(s.from.x));
            out += " ";
            AppendNumber(out, py(s.from.y));
            out += "L";
            AppendNumber(out, px(s.to.x));
            out += " ";
            AppendNumber(out, py(s.to.y));
        }
        out += "\"/>\n";
    };
    path(picture.Model, "model");
    path(picture.Deformed, "deformed");
    for (const PlotLabel& label : picture.Labels) {
        out += "<text x=\"";
        AppendNumber(out, px(label.at.x));
        out += "\" y=\"";
        AppendNumber(out, py(label.at.y));
        out += "\" font-family=\"monospace\" font-size=\"12\" dominant-baseline=\"hanging\" "
               "xml:space=\"preserve\">";
        out += XmlEscaped(label.text);
        out += "</text>\n";
    }
    out += "</svg>\n";
    return out;
}

} // namespace tavu
