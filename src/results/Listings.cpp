#include "results/Listings.h"

#include "common/Numbers.h"
#include "results/FormatNumbers.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tavu {

namespace {

// The slashed o (character 248 of the 8-bit character set) that stands for the rotation.
constexpr const char* RotationMark = "\xF8";

struct Separators
{
    std::string leader, separator;
    int idWidth = 4; // of the id columns
};

Separators SeparatorsOf(const ListingOptions& o)
{
    if (o.printLayout)
        return {"", "   ", o.idWidth};
    return {"\t", "\t", o.idWidth};
}

// Signed equation number of dof d of grid index g.
long long Equation(const Analysis& a, int g, int d)
{
    return SystemEquation(a.System, g, d);
}

double Displacement(const Analysis& a, long long e)
{
    const long long slot = std::llabs(e);
    if (slot == 0 || slot > a.System.NEQ || !a.Results.SolutionVector.Has(slot))
        return 0.0;
    return a.Results.SolutionVector(slot);
}

// The lines are built into strings that keep their memory from one item to the next.
void GridLine(const Separators& sep, int gridId, const std::array<double, 3>& v, std::string& line)
{
    line.assign(sep.leader);
    line += sep.leader;
    AppendId(line, gridId, sep.idWidth);
    for (double x : v) {
        line += sep.separator;
        AppendValue(line, x);
    }
}

// A stress line: its ids are already in line.
void AppendStresses(const Separators& sep, const StressState& s, std::string& line)
{
    for (double x : {s.sx, s.sy, s.sxy, s.principal, s.vonMises}) {
        line += sep.separator;
        AppendValue(line, x);
    }
}

bool HasQuadResults(const Analysis& a, int q)
{
    const ModelStore& m = a.Model;
    return q >= 1 && q <= m.nQuads && q <= a.Results.QuadStresses.LastRow() && m.Quads.Has(q);
}

} // namespace

StressState DeriveStresses(double sx, double sy, double sxy)
{
    const double p = (sx + sy) / 2;
    const double r = std::sqrt((sx - sy) * (sx - sy) / 4 + sxy * sxy);
    StressState d{sx, sy, sxy, 0, 0};
    d.principal = p > 0 ? std::fabs(p) + r : p < 0 ? -(std::fabs(p) + r) : 0.0;
    d.vonMises = std::sqrt(sx * sx + sy * sy - sx * sy + 3 * sxy * sxy);
    return d;
}

std::array<double, 5> CornerValues(const std::array<double, 5>& s)
{
    // The bilinear field through the four integration points, evaluated at the corners
    // (-1,-1), (+1,-1), (+1,+1), (-1,+1); the divisors are 4a and 4a^2 for a = 0.57735.
    const double a0 = (s[1] + s[2] + s[3] + s[4]) / 4;
    const double a1 = (-s[1] - s[2] + s[3] + s[4]) / 2.309401;
    const double a2 = (-s[1] + s[2] - s[3] + s[4]) / 2.309401;
    const double a3 = (s[1] - s[2] - s[3] + s[4]) / 1.333333;
    static constexpr double xi[5] = {0, -1, 1, 1, -1};
    static constexpr double eta[5] = {0, -1, -1, 1, 1};
    std::array<double, 5> corner{};
    for (int k = 1; k <= 4; ++k)
        corner[static_cast<std::size_t>(k)] = a0 + a1 * xi[k] + a2 * eta[k] + a3 * xi[k] * eta[k];
    return corner;
}

int QuadCornerStresses(const Analysis& a, int q, std::array<StressState, 5>& corners)
{
    if (!HasQuadResults(a, q))
        return 0;
    const auto& qs = a.Results.QuadStresses;
    std::array<std::array<double, 5>, 4> corner{};
    for (int c = 1; c <= 3; ++c)
        corner[static_cast<std::size_t>(c)] =
            CornerValues({0, qs(q, c, 1), qs(q, c, 2), qs(q, c, 3), qs(q, c, 4)});
    const int n = IsTriangle(a.Model.Quads(q)) ? 3 : 4;
    for (std::size_t k = 1; k <= static_cast<std::size_t>(n); ++k)
        corners[k] = DeriveStresses(corner[1][k], corner[2][k], corner[3][k]);
    return n;
}

bool QuadAverageStresses(const Analysis& a, int q, StressState& average)
{
    if (!HasQuadResults(a, q))
        return false;
    const auto& qs = a.Results.QuadStresses;
    std::array<double, 4> avg{};
    for (int c = 1; c <= 3; ++c)
        avg[static_cast<std::size_t>(c)] =
            (qs(q, c, 1) + qs(q, c, 2) + qs(q, c, 3) + qs(q, c, 4)) / 4;
    average = DeriveStresses(avg[1], avg[2], avg[3]);
    return true;
}

bool DeflectionValues(const Analysis& a, int gridId, std::array<double, 3>& values)
{
    const ModelStore& m = a.Model;
    const int g = GridIndexOf(m, gridId);
    values = {0, 0, 0};
    if (g == 0)
        return false;
    for (int d = 1; d <= 3; ++d)
        values[static_cast<std::size_t>(d - 1)] = Displacement(a, Equation(a, g, d));
    return true;
}

bool ReactionValues(const Analysis& a, int gridId, std::array<double, 3>& values)
{
    const ModelStore& m = a.Model;
    const int g = GridIndexOf(m, gridId);
    values = {0, 0, 0};
    if (g == 0)
        return false;
    bool any = false;
    for (int d = 1; d <= 3; ++d) {
        const long long e = Equation(a, g, d);
        double v = 0;
        if (e < 0 || e > a.System.NEQ) {
            const long long slot = std::llabs(e);
            v = a.Results.Reactions.Has(slot) ? a.Results.Reactions(slot) : 0.0;
            any = true;
        } else if (const double k = m.Grids(g).spring[static_cast<std::size_t>(d)]; k > 0) {
            v = -k * Displacement(a, e);
            any = true;
        }
        values[static_cast<std::size_t>(d - 1)] = v;
    }
    return any;
}

namespace {

// The two lines of beam index b: end A, then end B.
int BeamForceLines(const Analysis& a, int b, const Separators& sep,
                   std::array<std::string, 5>& lines)
{
    const ModelStore& m = a.Model;
    if (b < 1 || b > m.nBeams || !a.Results.BeamEndForces.Has(b) || !m.Beams.Has(b))
        return 0;
    const BeamForces& f = a.Results.BeamEndForces(b);
    const BeamRow& beam = m.Beams(b);
    for (int end = 0; end < 2; ++end) {
        std::string& line = lines[static_cast<std::size_t>(1 + end)];
        line.assign(sep.leader);
        AppendId(line, beam.id, sep.idWidth);
        line += sep.separator;
        AppendId(line, end == 0 ? beam.gridA : beam.gridB, sep.idWidth);
        const std::size_t first = end == 0 ? AxialA : AxialB;
        for (std::size_t k = first; k < first + 3; ++k) {
            line += sep.separator;
            AppendValue(line, f[k]);
        }
    }
    return 2;
}

// The lines of quad index q: one per corner, or the average of the four points.
int QuadStressLines(const Analysis& a, int q, const ListingOptions& options, const Separators& sep,
                    std::array<std::string, 5>& lines)
{
    if (!HasQuadResults(a, q))
        return 0;
    const QuadRow& quad = a.Model.Quads(q);
    if (options.averageStresses) {
        StressState average;
        QuadAverageStresses(a, q, average);
        lines[1].assign(sep.leader);
        lines[1] += sep.leader;
        AppendId(lines[1], quad.id, sep.idWidth);
        AppendStresses(sep, average, lines[1]);
        return 1;
    }
    std::array<StressState, 5> corner{};
    const int corners = QuadCornerStresses(a, q, corner);
    for (std::size_t k = 1; k <= static_cast<std::size_t>(corners); ++k) {
        lines[k].assign(sep.leader);
        AppendId(lines[k], quad.id, sep.idWidth);
        lines[k] += sep.separator;
        AppendId(lines[k], quad.grid[k], sep.idWidth);
        AppendStresses(sep, corner[k], lines[k]);
    }
    return corners;
}

} // namespace

int BuildResultLines(const Analysis& a, int item, int kind, const ListingOptions& options,
                     std::array<std::string, 5>& lines)
{
    const Separators sep = SeparatorsOf(options);
    std::array<double, 3> v{};
    switch (kind) {
    case DeflectionsKind:
        if (!DeflectionValues(a, item, v))
            return 0;
        GridLine(sep, item, v, lines[1]);
        return 1;
    case ReactionsKind:
        if (!ReactionValues(a, item, v))
            return 0;
        GridLine(sep, item, v, lines[1]);
        return 1;
    case BeamForcesKind:
        return BeamForceLines(a, item, sep, lines);
    case QuadStressesKind:
        return QuadStressLines(a, item, options, sep, lines);
    default:
        return 0;
    }
}

std::array<std::string, 7> ResultHeadings(int kind, bool averageStresses)
{
    const std::string rotation = RotationMark;
    switch (kind) {
    case DeflectionsKind:
        return {"", "Grid", "u Defl", "v Defl", rotation + " Defl", "", ""};
    case ReactionsKind:
        return {"", "Grid", "u Ract", "v Ract", rotation + " Ract", "", ""};
    case BeamForcesKind:
        return {"Beam", "Grid", "Axial", "Shear", "Moment", "", ""};
    case QuadStressesKind:
        if (averageStresses)
            return {"", "Quad", " Sx ", " Sy ", " Sxy", "Prin", "vonM"};
        return {"Quad", "Grid", " Sx ", " Sy ", " Sxy", "Prin", "vonM"};
    default:
        return {};
    }
}

int ListingIdWidth(const Analysis& a, int kind)
{
    // The model's grid ids run 1..nGrids; beams and quads keep theirs in their rows.
    const ModelStore& m = a.Model;
    int largest = m.nGrids;
    if (kind == BeamForcesKind)
        for (int b = 1; b <= m.nBeams && m.Beams.Has(b); ++b)
            largest = std::max(largest, m.Beams(b).id);
    if (kind == QuadStressesKind)
        for (int q = 1; q <= m.nQuads && m.Quads.Has(q); ++q)
            largest = std::max(largest, m.Quads(q).id);
    return std::max(4, static_cast<int>(std::to_string(largest).size()));
}

void WriteResultLines(const Analysis& a, int kind, bool averageStresses,
                      const std::function<void(const std::string&)>& line)
{
    std::string headings;
    for (const std::string& heading : ResultHeadings(kind, averageStresses))
        headings += "\t" + heading;
    line(headings);

    ListingOptions options;
    options.averageStresses = averageStresses;
    options.idWidth = ListingIdWidth(a, kind);
    std::array<std::string, 5> lines;
    ForEachResultItem(a, kind, [&](int item) {
        const int n = BuildResultLines(a, item, kind, options, lines);
        for (std::size_t i = 1; i <= static_cast<std::size_t>(n); ++i)
            if (!lines[i].empty())
                line(lines[i]);
    });
}

std::string ResultText(const Analysis& a, int kind, bool averageStresses)
{
    std::string text;
    WriteResultLines(a, kind, averageStresses, [&text](const std::string& line) {
        text += line;
        text += CRLF;
    });
    return text;
}

} // namespace tavu
