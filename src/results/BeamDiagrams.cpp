#include "results/BeamDiagrams.h"

#include "results/PlotGeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tavu {

namespace {

// The rotation of grid index g; 0 for a dof without an equation.
double GridRotation(const Analysis& a, int g)
{
    const long long e = std::llabs(static_cast<long long>(SystemEquation(a.System, g, DofR)));
    if (e != 0 && e <= a.System.NEQ && a.Results.SolutionVector.Has(e))
        return a.Results.SolutionVector(e);
    return 0;
}

// An angle difference brought into -pi..pi.
double Wrapped(double angle)
{
    const double turn = 2 * std::numbers::pi;
    angle = std::fmod(angle, turn);
    if (angle > std::numbers::pi)
        angle -= turn;
    else if (angle < -std::numbers::pi)
        angle += turn;
    return angle;
}

// The bending stiffness that the beam's coefficients were made of.
double BendingStiffness(const BeamRow& beam)
{
    const double L = beam.length, L3 = L * L * L;
    switch (beam.elementKind) {
    case PinBeam:
        return beam.k2 * L3 * (1 + beam.phi / 4) / 3;
    case BendBeam:
        return beam.k4 * L;
    case AxialLoadBeam:
        // u = (L/2) sqrt(P / EI)
        return beam.u > 0 ? beam.axialLoad * L * L / (4 * beam.u * beam.u) : 0;
    default:
        return beam.k2 * L3 * (1 + beam.phi) / 12;
    }
}

// Roots of c0 + c1 x + c2 x^2 strictly between 0 and L.
void AddRootsInside(double c0, double c1, double c2, double L, std::vector<double>& x)
{
    auto add = [&](double r) {
        if (std::isfinite(r) && r > 0 && r < L)
            x.push_back(r);
    };
    const double scale = std::max({std::fabs(c0), std::fabs(c1) * L, std::fabs(c2) * L * L});
    if (!(scale > 0) || !std::isfinite(scale))
        return;
    if (std::fabs(c2) * L * L <= 1e-14 * scale) {
        if (c1 != 0)
            add(-c0 / c1);
        return;
    }
    const double d = c1 * c1 - 4 * c2 * c0;
    if (d < 0)
        return;
    // The stable pair: q = -(c1 + sign(c1) sqrt(d)) / 2, roots q / c2 and c0 / q.
    const double q = -(c1 + std::copysign(std::sqrt(d), c1)) / 2;
    add(q / c2);
    if (q != 0)
        add(c0 / q);
}

// The extremes of values over the stations; of equal values (to rounding) the first.
DiagramExtreme ExtremeOf(const std::vector<double>& x, const std::vector<double>& v)
{
    DiagramExtreme e;
    if (v.empty())
        return e;
    double largest = 0;
    for (double value : v)
        largest = std::max(largest, std::fabs(value));
    const double tie = 1e-9 * largest;
    e.min = e.max = v[0];
    e.minAt = e.maxAt = x[0];
    for (std::size_t i = 1; i < v.size(); ++i) {
        if (v[i] > e.max + tie || std::isnan(e.max)) {
            e.max = v[i];
            e.maxAt = x[i];
        }
        if (v[i] < e.min - tie || std::isnan(e.min)) {
            e.min = v[i];
            e.minAt = x[i];
        }
    }
    return e;
}

} // namespace

std::array<double, 2> OffsetDirection(const ModelStore& m, const BeamRow& beam)
{
    const int ga = GridIndexOf(m, beam.gridA), gb = GridIndexOf(m, beam.gridB);
    if (ga == 0 || gb == 0)
        return {0, 0};
    const double dx = m.Grids(gb).x - m.Grids(ga).x, dy = m.Grids(gb).y - m.Grids(ga).y;
    const double L0 = std::hypot(dx, dy);
    if (!(L0 > 0) || !std::isfinite(L0))
        return {0, 0};
    return {-dy / L0, dx / L0};
}

MemberState MemberStateOf(const Analysis& a, int b)
{
    const ModelStore& m = a.Model;
    MemberState s;
    if (b < 1 || b > std::min<long long>(m.nBeams, m.Beams.Last()))
        return s;
    const BeamRow& beam = m.Beams(b);
    s.kind = beam.elementKind;
    s.L = beam.length;
    s.P = beam.elementKind == AxialLoadBeam ? beam.axialLoad : 0;
    if (s.L > 0) {
        s.EI = BendingStiffness(beam);
        s.EA = beam.kA * s.L;
    }
    const int ga = GridIndexOf(m, beam.gridA), gb = GridIndexOf(m, beam.gridB);
    s.arcA = beam.angle - m.Grids(ga).axisAngle;
    s.arcB = beam.angle - m.Grids(gb).axisAngle;
    if (a.State.Stage != Solved)
        return s;
    if (a.Results.BeamEndForces.Has(b))
        s.ends = a.Results.BeamEndForces(b);
    if (a.Loads.SpanLoads.Has(b))
        s.load = a.Loads.SpanLoads(b);

    // The axis ends move with their grids, an offset end as a rigid arm of the grid.
    const std::array<double, 2> n = OffsetDirection(m, beam);
    const double c = std::cos(beam.angle), sn = std::sin(beam.angle);
    auto local = [&](int g, double offset, double& u, double& v, double& r) {
        const PlotPoint d = GlobalDeflection(a, g);
        r = GridRotation(a, g);
        const double dx = d.x - r * offset * n[1], dy = d.y + r * offset * n[0];
        u = dx * c + dy * sn;
        v = -dx * sn + dy * c;
    };
    local(ga, beam.offsetA, s.uA, s.vA, s.rA);
    local(gb, beam.offsetB, s.uB, s.vB, s.rB);
    return s;
}

LocalDeflection MemberDeflection(const MemberState& s, double x)
{
    const double L = s.L;
    if (!(L > 0))
        return {s.uA, s.vA};
    const double xi = x / L;
    LocalDeflection d;
    d.u = s.uA + (s.uB - s.uA) * xi;
    if (s.EA > 0)
        d.u += s.load.pa * x * (L - x) / (2 * s.EA);

    if (s.kind == BendBeam || !(s.EI > 0) || !std::isfinite(s.EI)) {
        // No bending between the ends: an axial member, or one whose ends only twist.
        d.v = s.vA + (s.vB - s.vA) * xi;
        return d;
    }
    if (s.kind == PinBeam) {
        // v(0) = vA, v'(0) = rA, v(L) = vB, v''(L) = 0.
        const double delta = s.vB - s.vA - s.rA * L;
        const double c3 = -delta / (2 * L * L * L), c2 = -3 * c3 * L;
        d.v = s.vA + s.rA * x + c2 * x * x + c3 * x * x * x;
    } else {
        const double xi2 = xi * xi, xi3 = xi2 * xi;
        d.v = (1 - 3 * xi2 + 2 * xi3) * s.vA + L * (xi - 2 * xi2 + xi3) * s.rA +
              (3 * xi2 - 2 * xi3) * s.vB + L * (xi3 - xi2) * s.rB;
    }
    // The load's shape with end A held: EI v'''' = q, v(0) = v'(0) = 0, plus the cubic that
    // holds end B (v = v' = 0, or v = v'' = 0 at a hinge).
    const double qA = s.load.qA, dq = (s.load.qB - s.load.qA) / L;
    auto vp = [&](double t, int derivative) {
        switch (derivative) {
        case 0:
            return (qA * std::pow(t, 4) / 24 + dq * std::pow(t, 5) / 120) / s.EI;
        case 1:
            return (qA * std::pow(t, 3) / 6 + dq * std::pow(t, 4) / 24) / s.EI;
        default:
            return (qA * t * t / 2 + dq * std::pow(t, 3) / 6) / s.EI;
        }
    };
    double c2 = 0, c3 = 0;
    if (s.kind == PinBeam) {
        c3 = (vp(L, 0) - vp(L, 2) * L * L / 2) / (2 * L * L * L);
        c2 = (-vp(L, 2) - 6 * c3 * L) / 2;
    } else {
        c2 = (-3 * vp(L, 0) / L + vp(L, 1)) / L;
        c3 = (-vp(L, 0) - c2 * L * L) / (L * L * L);
    }
    d.v += vp(x, 0) + c2 * x * x + c3 * x * x * x;
    return d;
}

BeamDiagram ComputeBeamDiagram(const MemberState& s, int intervals)
{
    BeamDiagram d;
    const BeamForces& f = s.ends;
    const double L = s.L;
    if (!(L > 0) || !std::isfinite(L)) {
        d.x = {0, 0};
        d.value[DiagramN] = {f[AxialA], f[AxialB]};
        d.value[DiagramV] = {f[ShearA], f[ShearB]};
        d.value[DiagramM] = {f[MomentA], f[MomentB]};
        for (int k = DiagramN; k <= DiagramM; ++k)
            d.extreme[k] = ExtremeOf(d.x, d.value[k]);
        return d;
    }

    // A curved member's listing turned N and V into the arc's directions: along the chord
    // they are the turn back.
    const bool curved = s.kind == CurvBeam;
    auto chord = [curved](double n, double v, double alpha) {
        if (!curved)
            return std::array<double, 2>{n, v};
        return std::array<double, 2>{std::sin(alpha) * n - std::cos(alpha) * v,
                                     std::cos(alpha) * n + std::sin(alpha) * v};
    };
    const std::array<double, 2> atA = chord(f[AxialA], f[ShearA], s.arcA);
    const double NA = atA[0], VA = atA[1]; // named, not bound: the lambdas below take them
    const auto [NB, VB] = chord(f[AxialB], f[ShearB], s.arcB);
    const double MA = f[MomentA], MB = f[MomentB];
    const double pa = s.load.pa, qA = s.load.qA, dq = (s.load.qB - s.load.qA) / L;
    const double vA = MemberDeflection(s, 0).v;

    // Equilibrium of the part from A to x.
    auto N = [&](double x) { return NA - pa * x; };
    auto V = [&](double x) { return VA - qA * x - dq * x * x / 2; };
    auto M = [&](double x) {
        double m = MA - x * VA + qA * x * x / 2 + dq * x * x * x / 6;
        if (s.P != 0)
            m -= s.P * (MemberDeflection(s, x).v - vA);
        return m;
    };

    intervals = std::max(intervals, 1);
    for (int i = 0; i <= intervals; ++i)
        d.x.push_back(L * i / intervals);
    // Where the load changes sign V is extreme, where V is zero M is.
    AddRootsInside(qA, dq, 0, L, d.x);
    AddRootsInside(VA, -qA, -dq / 2, L, d.x);
    std::sort(d.x.begin(), d.x.end());

    const double closeN = NB - N(L), closeV = VB - V(L), closeM = MB - M(L);
    const double turn = Wrapped(s.arcB - s.arcA);
    for (double x : d.x) {
        const double t = x / L;
        double n = N(x) + closeN * t, v = V(x) + closeV * t;
        if (curved) {
            const double alpha = s.arcA + turn * t;
            const double n0 = n, v0 = v;
            n = std::sin(alpha) * n0 + std::cos(alpha) * v0;
            v = -std::cos(alpha) * n0 + std::sin(alpha) * v0;
        }
        d.value[DiagramN].push_back(n);
        d.value[DiagramV].push_back(v);
        d.value[DiagramM].push_back(M(x) + closeM * t);
    }
    // The ends are the listing's values exactly.
    d.value[DiagramN].front() = f[AxialA];
    d.value[DiagramV].front() = f[ShearA];
    d.value[DiagramM].front() = MA;
    d.value[DiagramN].back() = f[AxialB];
    d.value[DiagramV].back() = f[ShearB];
    d.value[DiagramM].back() = MB;
    for (int k = DiagramN; k <= DiagramM; ++k)
        d.extreme[k] = ExtremeOf(d.x, d.value[k]);
    return d;
}

} // namespace tavu
