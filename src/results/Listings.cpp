#include "results/Listings.h"

#include "common/Numbers.h"
#include "results/FormatNumbers.h"

#include <cmath>
#include <cstdlib>

namespace tavu {

namespace {

// The slashed o (character 248 of the 8-bit character set) that stands for the rotation.
constexpr const char* RotationMark = "\xF8";

struct Separators
{
    std::string leader, separator;
};

Separators SeparatorsOf(const ListingOptions& o)
{
    if (o.printLayout)
        return {"", "   "};
    return {"\t", "\t"};
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

std::string GridLine(const Separators& sep, int gridId, const std::array<double, 3>& v)
{
    std::string line = sep.leader + sep.leader + FormatId(gridId);
    for (double x : v)
        line += sep.separator + FormatValue(x);
    return line;
}

std::string StressLine(const Separators& sep, const std::string& ids, double sx, double sy,
                       double sxy)
{
    const DerivedStresses d = DeriveStresses(sx, sy, sxy);
    std::string line = ids;
    for (double x : {sx, sy, sxy, d.principal, d.vonMises})
        line += sep.separator + FormatValue(x);
    return line;
}

} // namespace

DerivedStresses DeriveStresses(double sx, double sy, double sxy)
{
    const double p = (sx + sy) / 2;
    const double r = std::sqrt((sx - sy) * (sx - sy) / 4 + sxy * sxy);
    DerivedStresses d;
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
        std::string line = sep.leader + FormatId(beam.id) + sep.separator +
                           FormatId(end == 0 ? beam.gridA : beam.gridB);
        const std::size_t first = end == 0 ? AxialA : AxialB;
        for (std::size_t k = first; k < first + 3; ++k)
            line += sep.separator + FormatValue(f[k]);
        lines[static_cast<std::size_t>(1 + end)] = line;
    }
    return 2;
}

// The lines of quad index q: one per corner, or the average of the four points.
int QuadStressLines(const Analysis& a, int q, const ListingOptions& options, const Separators& sep,
                    std::array<std::string, 5>& lines)
{
    const ModelStore& m = a.Model;
    if (q < 1 || q > m.nQuads || q > a.Results.QuadStresses.LastRow() || !m.Quads.Has(q))
        return 0;
    const auto& qs = a.Results.QuadStresses;
    const QuadRow& quad = m.Quads(q);
    if (options.averageStresses) {
        std::array<double, 4> avg{};
        for (int c = 1; c <= 3; ++c)
            avg[static_cast<std::size_t>(c)] =
                (qs(q, c, 1) + qs(q, c, 2) + qs(q, c, 3) + qs(q, c, 4)) / 4;
        lines[1] =
            StressLine(sep, sep.leader + sep.leader + FormatId(quad.id), avg[1], avg[2], avg[3]);
        return 1;
    }
    std::array<std::array<double, 5>, 4> corner{};
    for (int c = 1; c <= 3; ++c)
        corner[static_cast<std::size_t>(c)] =
            CornerValues({0, qs(q, c, 1), qs(q, c, 2), qs(q, c, 3), qs(q, c, 4)});
    const int corners = IsTriangle(quad) ? 3 : 4;
    for (int k = 1; k <= corners; ++k) {
        const std::size_t kk = static_cast<std::size_t>(k);
        lines[kk] = StressLine(
            sep, sep.leader + FormatId(quad.id) + sep.separator + FormatId(quad.grid[kk]),
            corner[1][kk], corner[2][kk], corner[3][kk]);
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
        lines[1] = GridLine(sep, item, v);
        return 1;
    case ReactionsKind:
        if (!ReactionValues(a, item, v))
            return 0;
        lines[1] = GridLine(sep, item, v);
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

int ResultItemCount(const Analysis& a, int kind)
{
    switch (kind) {
    case DeflectionsKind:
    case ReactionsKind:
        return a.Model.maxGridId;
    case BeamForcesKind:
        return a.Model.nBeams;
    case QuadStressesKind:
        return a.Model.nQuads;
    default:
        return 0;
    }
}

std::string ResultText(const Analysis& a, int kind, bool averageStresses)
{
    std::string text;
    for (const std::string& heading : ResultHeadings(kind, averageStresses))
        text += "\t" + heading;
    text += CRLF;

    ListingOptions options;
    options.averageStresses = averageStresses;
    std::array<std::string, 5> lines;
    const int items = ResultItemCount(a, kind);
    for (int item = 1; item <= items; ++item) {
        const int n = BuildResultLines(a, item, kind, options, lines);
        for (int i = 1; i <= n; ++i) {
            const std::string& line = lines[static_cast<std::size_t>(i)];
            if (line.empty())
                continue;
            text += line;
            text += CRLF;
        }
    }
    return text;
}

} // namespace tavu
