#include "results/StressContours.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tavu {

namespace {

// A point of a triangle with the field's value there.
struct FieldPoint
{
    PlotPoint at;
    double value = 0;
};

// The part of a convex polygon where sign * (value - level) >= 0.
std::vector<FieldPoint> Clipped(const std::vector<FieldPoint>& polygon, double level, double sign)
{
    std::vector<FieldPoint> out;
    const std::size_t n = polygon.size();
    for (std::size_t i = 0; i < n; ++i) {
        const FieldPoint& p = polygon[i];
        const FieldPoint& q = polygon[(i + 1) % n];
        const double fp = sign * (p.value - level), fq = sign * (q.value - level);
        if (fp >= 0)
            out.push_back(p);
        if ((fp >= 0) != (fq >= 0)) {
            const double t = fp / (fp - fq);
            out.push_back(
                {{p.at.x + t * (q.at.x - p.at.x), p.at.y + t * (q.at.y - p.at.y)}, level});
        }
    }
    return out;
}

double Level(const ContourScale& scale, int k)
{
    return scale.min + (scale.max - scale.min) * k / scale.bands;
}

// Cuts a triangle with a linear field into the bands it spans.
void AddTriangle(const ContourScale& scale, const std::array<FieldPoint, 3>& t,
                 std::vector<ContourPiece>& pieces)
{
    double lo = t[0].value, hi = t[0].value;
    for (const FieldPoint& p : t) {
        if (!std::isfinite(p.value) || !std::isfinite(p.at.x) || !std::isfinite(p.at.y))
            return;
        lo = std::min(lo, p.value);
        hi = std::max(hi, p.value);
    }
    const int first = BandOf(scale, lo), last = BandOf(scale, hi);
    const std::vector<FieldPoint> whole(t.begin(), t.end());
    for (int band = first; band <= last; ++band) {
        if (first == last) {
            pieces.push_back({{t[0].at, t[1].at, t[2].at}, band});
            return;
        }
        std::vector<FieldPoint> part = whole;
        if (band > first)
            part = Clipped(part, Level(scale, band), +1);
        if (band < last)
            part = Clipped(part, Level(scale, band + 1), -1);
        if (part.size() < 3)
            continue;
        ContourPiece piece;
        piece.band = band;
        for (const FieldPoint& p : part)
            piece.polygon.push_back(p.at);
        pieces.push_back(std::move(piece));
    }
}

} // namespace

double StressValueOf(const StressState& s, StressQuantity quantity)
{
    switch (quantity) {
    case StressQuantity::Sx:
        return s.sx;
    case StressQuantity::Sy:
        return s.sy;
    case StressQuantity::Sxy:
        return s.sxy;
    case StressQuantity::Principal:
        return s.principal;
    case StressQuantity::VonMises:
        return s.vonMises;
    }
    return 0;
}

GridStressField AverageAtGrids(const Analysis& a)
{
    const ModelStore& m = a.Model;
    GridStressField f;
    const int quads = a.State.Stage == Solved
                          ? static_cast<int>(std::min<long long>(m.nQuads, m.Quads.Last()))
                          : 0;
    const auto count = static_cast<std::size_t>(std::max(quads, 0)) + 1;
    f.corner.assign(count, {});
    f.corners.assign(count, 0);
    f.polar.assign(count, false);
    f.position.assign(count, {});

    // Sums of the five listing columns per grid, apart for quads in x-y and in polar axes.
    const auto grids = static_cast<std::size_t>(std::max<long long>(0, m.Grids.Last())) + 1;
    std::vector<std::array<double, 6>> sum(2 * grids, std::array<double, 6>{});
    auto slot = [&](int g, bool polar) {
        return static_cast<std::size_t>(g) * 2 + (polar ? 1 : 0);
    };
    std::vector<std::array<int, 5>> cornerGrid(count, std::array<int, 5>{});
    for (int q = 1; q <= quads; ++q) {
        const auto i = static_cast<std::size_t>(q);
        const QuadRow& quad = m.Quads(q);
        std::array<StressState, 5> corner{};
        const int n = QuadCornerStresses(a, q, corner);
        bool polar = true, defined = true;
        for (std::size_t k = 1; k <= 4; ++k) {
            const int g = GridIndexOf(m, quad.grid[k]);
            cornerGrid[i][k] = g;
            if (g == 0 || g > m.Grids.Last()) {
                defined = polar = false;
                continue;
            }
            polar = polar && m.Grids(g).axisCode < 0;
            f.position[i][k] = {m.Grids(g).x, m.Grids(g).y};
        }
        if (!defined)
            continue; // no contour over a quad with an undefined corner
        f.polar[i] = polar;
        f.anyPolar = f.anyPolar || polar;
        for (int k = 1; k <= n; ++k) {
            const int g = cornerGrid[i][static_cast<std::size_t>(k)];
            const StressState& c = corner[static_cast<std::size_t>(k)];
            std::array<double, 6>& s = sum[slot(g, polar)];
            s[0] += c.sx;
            s[1] += c.sy;
            s[2] += c.sxy;
            s[3] += c.principal;
            s[4] += c.vonMises;
            s[5] += 1;
        }
        f.corners[i] = n;
    }
    for (int q = 1; q <= quads; ++q) {
        const auto i = static_cast<std::size_t>(q);
        for (int k = 1; k <= f.corners[i]; ++k) {
            const int g = cornerGrid[i][static_cast<std::size_t>(k)];
            const std::array<double, 6>& s = sum[slot(g, f.polar[i])];
            StressState& c = f.corner[i][static_cast<std::size_t>(k)];
            c.sx = s[0] / s[5];
            c.sy = s[1] / s[5];
            c.sxy = s[2] / s[5];
            c.principal = s[3] / s[5];
            c.vonMises = s[4] / s[5];
        }
    }
    return f;
}

int BandOf(const ContourScale& scale, double value)
{
    if (scale.bands <= 1 || !(scale.max > scale.min))
        return 0;
    const double t = (value - scale.min) / (scale.max - scale.min) * scale.bands;
    if (!(t > 0))
        return 0;
    return std::min(static_cast<int>(t), scale.bands - 1);
}

Rgb BandColour(int band, int bands)
{
    // The hue runs from 240 degrees (blue) to 0 (red).
    const double t = bands > 1 ? std::clamp(band, 0, bands - 1) / double(bands - 1) : 0.5;
    const double h = (1 - t) * 4; // 4 blue, 3 cyan, 2 green, 1 yellow, 0 red
    auto channel = [](double v) {
        return static_cast<int>(std::lround(255 * std::clamp(v, 0.0, 1.0)));
    };
    const double r = std::clamp(2 - h, 0.0, 1.0);
    const double g = std::clamp(std::min(4 - h, h), 0.0, 1.0);
    const double b = std::clamp(h - 2, 0.0, 1.0);
    return {channel(r), channel(g), channel(b)};
}

ContourPicture BuildContours(const GridStressField& field, StressQuantity quantity,
                             int subdivisions)
{
    ContourPicture picture;
    const int quads = static_cast<int>(field.corners.size()) - 1;

    double lo = std::numeric_limits<double>::infinity(), hi = -lo;
    for (int q = 1; q <= quads; ++q)
        for (int k = 1; k <= field.corners[static_cast<std::size_t>(q)]; ++k) {
            const double v = StressValueOf(
                field.corner[static_cast<std::size_t>(q)][static_cast<std::size_t>(k)], quantity);
            if (std::isfinite(v)) {
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
        }
    if (!(hi >= lo))
        return picture;
    picture.scale = {lo, hi, hi > lo ? ContourBandCount : 1};

    subdivisions = std::clamp(subdivisions, 1, 64);
    for (int q = 1; q <= quads; ++q) {
        const auto i = static_cast<std::size_t>(q);
        const int n = field.corners[i];
        if (n < 3)
            continue;
        std::array<FieldPoint, 5> c{};
        for (std::size_t k = 1; k <= 4; ++k) {
            const std::size_t j = std::min<std::size_t>(k, static_cast<std::size_t>(n));
            c[k] = {field.position[i][j], StressValueOf(field.corner[i][j], quantity)};
        }
        if (n == 3) {
            AddTriangle(picture.scale, {c[1], c[2], c[3]}, picture.pieces);
            continue;
        }
        // Bilinear over the quad's natural coordinates, corners (-1,-1), (1,-1), (1,1), (-1,1).
        auto at = [&](double xi, double eta) {
            const double N[5] = {0, (1 - xi) * (1 - eta) / 4, (1 + xi) * (1 - eta) / 4,
                                 (1 + xi) * (1 + eta) / 4, (1 - xi) * (1 + eta) / 4};
            FieldPoint p;
            for (std::size_t k = 1; k <= 4; ++k) {
                p.at.x += N[k] * c[k].at.x;
                p.at.y += N[k] * c[k].at.y;
                p.value += N[k] * c[k].value;
            }
            return p;
        };
        const double h = 2.0 / subdivisions;
        for (int r = 0; r < subdivisions; ++r)
            for (int s = 0; s < subdivisions; ++s) {
                const double xi = -1 + s * h, eta = -1 + r * h;
                const FieldPoint p1 = at(xi, eta), p2 = at(xi + h, eta), p3 = at(xi + h, eta + h),
                                 p4 = at(xi, eta + h);
                AddTriangle(picture.scale, {p1, p2, p3}, picture.pieces);
                AddTriangle(picture.scale, {p1, p3, p4}, picture.pieces);
            }
    }
    return picture;
}

} // namespace tavu
