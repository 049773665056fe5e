// Recovery of a solved load case: beam end forces, quad stresses, the forces of elements
// and springs on the grids, reactions and residuals, the solution error measure, and the
// turn of results into the grids' own axes.

#include "common/Numbers.h"
#include "loads/ElementLoads.h"
#include "loads/LoadAssembly.h"
#include "loads/Loads.h"
#include "solver/QuadElement.h"

#include <algorithm>
#include <cmath>

namespace tavu {

namespace {

// A curved member reports its axial force and shear along and across the arc at each
// end, that is in the axes of the end's grid.
void TurnIntoArcAxes(const ModelStore& m, const BeamRow& beam, int ga, int gb, BeamForces& f)
{
    for (const auto& [axial, g] : {std::pair{AxialA, ga}, std::pair{AxialB, gb}}) {
        const double alpha = beam.angle - m.Grids(g).axisAngle;
        const std::size_t shear = axial + 1;
        const double n0 = f[axial], v0 = f[shear];
        f[axial] = std::sin(alpha) * n0 + std::cos(alpha) * v0;
        f[shear] = -std::cos(alpha) * n0 + std::sin(alpha) * v0;
    }
}

void RecoverBeam(Analysis& a, int b)
{
    const ModelStore& m = a.Model;
    const EquationSystem& sys = a.System;
    const BeamRow& beam = m.Beams(b);
    const double kA = beam.kA, k2 = beam.k2, k3 = beam.k3, k4 = beam.k4, L = beam.length,
                 theta = beam.angle, eA = beam.offsetA, eB = beam.offsetB, P = beam.axialLoad;

    const int ga = GridIndexOf(m, beam.gridA);
    const int gb = GridIndexOf(m, beam.gridB);
    std::array<long long, 7> e{0,
                               SystemEquation(sys, ga, DofU),
                               SystemEquation(sys, ga, DofV),
                               SystemEquation(sys, ga, DofR),
                               SystemEquation(sys, gb, DofU),
                               SystemEquation(sys, gb, DofV),
                               SystemEquation(sys, gb, DofR)};
    std::array<double, 7> d{};
    for (int k = 1; k <= 6; ++k)
        d[static_cast<std::size_t>(k)] = DofDisplacement(a, e[static_cast<std::size_t>(k)]);

    const double psiA = theta - EquationAxisAngle(m, ga);
    const double psiB = theta - EquationAxisAngle(m, gb);
    const double cA = std::cos(psiA), sA = std::sin(psiA);
    const double cB = std::cos(psiB), sB = std::sin(psiB);

    // Displacements of the ends in the beam's local axes.
    const double uA = d[1] * cA + d[2] * sA, vA = d[2] * cA - d[1] * sA;
    const double uB = d[4] * cB + d[5] * sB, vB = d[5] * cB - d[4] * sB;
    const double rA = d[3], rB = d[6];

    const double N = kA * (uB - uA + eA * rA - eB * rB);
    double V = k2 * (vB - vA) + k3 * (rA + rB);
    double M = k3 * (vB - vA) - (L * k3 + k4) * rA + k4 * rB;
    if (IsPinMember(beam))
        V = k2 * (vB - vA - L * rA);
    if (beam.elementKind == PinBeam)
        M = 0;
    const double Mp = P * (vB - vA);

    // The end forces: those of the loads with the ends held, plus the elastic ones.
    const BeamForces& fixed = a.Loads.FixedEndForces(b);
    BeamForces& f = a.Results.BeamEndForces(b);
    f[AxialB] = fixed[AxialB] + N;
    f[ShearB] = fixed[ShearB] + V;
    f[MomentB] = fixed[MomentB] + M;
    f[AxialA] = fixed[AxialA] + N;
    f[ShearA] = fixed[ShearA] + V;
    f[MomentA] = fixed[MomentA] + (M + L * V + Mp);

    // The beam's elastic forces on its grids, in their dof axes.
    AddForceToDof(a, e[1], cA * N - sA * V);
    AddForceToDof(a, e[2], sA * N + cA * V);
    AddForceToDof(a, e[3], L * V + M + Mp - eA * N);
    AddForceToDof(a, e[4], -cB * N + sB * V);
    AddForceToDof(a, e[5], -sB * N - cB * V);
    AddForceToDof(a, e[6], -M + eB * N);

    if (beam.elementKind == CurvBeam)
        TurnIntoArcAxes(m, beam, ga, gb, f);
}

// Position of K(i, j), i <= j, in the packed upper triangle (by rows) of an n-dof element.
int PackedIndex(int i, int j, int n)
{
    return (i - 1) * n - (i - 1) * (i - 2) / 2 + (j - i);
}

// A quad's corners: grid indices, the turn of each corner's equations from x-y, and the
// corner displacements in x-y (X(2k-1), X(2k) at corner k).
struct QuadCorners
{
    int n = 4; // 3 for a triangle
    std::array<int, 5> g{};
    std::array<double, 5> c{}, s{};
    std::array<double, 9> X{};
};

QuadCorners CornersOf(const Analysis& a, const QuadRow& quad)
{
    const ModelStore& m = a.Model;
    QuadCorners k;
    k.n = IsTriangle(quad) ? 3 : 4;
    for (std::size_t i = 1; i <= 4; ++i)
        k.g[i] = GridIndexOf(m, quad.grid[i]);
    for (std::size_t i = 1; i <= static_cast<std::size_t>(k.n); ++i) {
        const double gamma = EquationAxisAngle(m, k.g[i]);
        k.c[i] = std::cos(gamma);
        k.s[i] = std::sin(gamma);
        const double du = DofDisplacement(a, SystemEquation(a.System, k.g[i], DofU));
        const double dv = DofDisplacement(a, SystemEquation(a.System, k.g[i], DofV));
        k.X[2 * i - 1] = k.c[i] * du - k.s[i] * dv;
        k.X[2 * i] = k.s[i] * du + k.c[i] * dv;
    }
    return k;
}

// Element forces on the grids: -Kq X, Kq kept as its packed upper triangle.
void AddQuadForces(Analysis& a, const QuadStiffnessRow& kq, const QuadCorners& k)
{
    const int nd = 2 * k.n;
    std::array<double, 9> Q{};
    for (int i = 1; i <= nd; ++i) {
        double sum = 0;
        for (int j = 1; j <= nd; ++j) {
            const int at = i <= j ? PackedIndex(i, j, nd) : PackedIndex(j, i, nd);
            sum += kq.packed[static_cast<std::size_t>(at)] * k.X[static_cast<std::size_t>(j)];
        }
        Q[static_cast<std::size_t>(i)] = -sum;
    }
    for (std::size_t i = 1; i <= static_cast<std::size_t>(k.n); ++i) {
        const double qx = Q[2 * i - 1], qy = Q[2 * i];
        AddForceToDof(a, SystemEquation(a.System, k.g[i], DofU), k.c[i] * qx + k.s[i] * qy);
        AddForceToDof(a, SystemEquation(a.System, k.g[i], DofV), -k.s[i] * qx + k.c[i] * qy);
    }
}

// Stresses D (B X - eps0) at the integration points, through C = the factor of D.
void ComputeQuadStresses(Analysis& a, int q, const QuadCorners& k)
{
    const QuadStressTable& initial = a.Loads.InitialStress;
    QuadStressTable& qs = a.Results.QuadStresses;
    a.Quad.QuadFactor = a.System.QuadMatrices(q).factor;
    const auto& C = a.Quad.QuadFactor;
    for (int p = 1; p <= 4; ++p) {
        ComputeQuadStrainMatrix(a, p <= 2 ? 1 : 2, p % 2 == 1 ? 1 : 2, q);
        const auto& B = a.Quad.QuadStrain;
        std::array<double, 4> y{};
        for (std::size_t r = 1; r <= 3; ++r) {
            double sum = initial(q, static_cast<int>(r), p);
            for (std::size_t j = 1; j <= static_cast<std::size_t>(2 * k.n); ++j)
                sum += B[r][j] * k.X[j];
            y[r] = sum;
        }
        qs(q, StressX, p) = C[1] * y[1];
        qs(q, StressY, p) = C[2] * y[1] + C[3] * y[2];
        qs(q, StressXY, p) = C[4] * y[3];
    }
}

// A quad whose corners are all polar grids with unturned dofs reports radial, tangential
// and shear stresses about the coordinate origin.
void TurnIntoPolarAxes(Analysis& a, int q, const QuadCorners& k)
{
    const ModelStore& m = a.Model;
    for (std::size_t i = 1; i <= 4; ++i)
        if (m.Grids(k.g[i]).axisCode >= 0)
            return;
    QuadStressTable& qs = a.Results.QuadStresses;
    for (int p = 1; p <= 4; ++p) {
        double xp = 0, yp = 0;
        for (int i = 1; i <= 4; ++i) {
            const GridRow& corner = m.Grids(k.g[static_cast<std::size_t>(i)]);
            xp += QuadShapeValue(i, p) * corner.x;
            yp += QuadShapeValue(i, p) * corner.y;
        }
        const double beta = AngleOf(yp, xp);
        const double cb = std::cos(beta), sb = std::sin(beta);
        const double sx = qs(q, StressX, p), sy = qs(q, StressY, p), sxy = qs(q, StressXY, p);
        qs(q, StressX, p) = cb * cb * sx + sb * sb * sy + 2 * cb * sb * sxy;
        qs(q, StressY, p) = sb * sb * sx + cb * cb * sy - 2 * cb * sb * sxy;
        qs(q, StressXY, p) = cb * sb * (sy - sx) + (cb * cb - sb * sb) * sxy;
    }
}

void RecoverQuad(Analysis& a, int q)
{
    const QuadCorners k = CornersOf(a, a.Model.Quads(q));
    AddQuadForces(a, a.System.QuadMatrices(q), k);
    ComputeQuadStresses(a, q, k);
    TurnIntoPolarAxes(a, q, k);
}

// Grounded springs: the force of the spring terms as the stiffness holds them. A grid
// whose dofs were turned into its own axes has its springs on the diagonal; any other
// grid has them turned into x-y terms by its axis angle, coupling u and v.
void RecoverSprings(Analysis& a)
{
    const ModelStore& m = a.Model;
    for (int g = 1; g <= m.nGrids; ++g) {
        const GridRow& grid = m.Grids(g);
        const double kx = grid.spring[DofU], ky = grid.spring[DofV], kr = grid.spring[DofR];
        if (kx == 0 && ky == 0 && kr == 0)
            continue;
        const long long eu = SystemEquation(a.System, g, DofU);
        const long long ev = SystemEquation(a.System, g, DofV);
        const long long er = SystemEquation(a.System, g, DofR);
        const double du = DofDisplacement(a, eu), dv = DofDisplacement(a, ev);
        double fu = kx * du, fv = ky * dv;
        if (grid.axisCode <= 0 && grid.axisAngle != 0) {
            const double c = std::cos(grid.axisAngle), s = std::sin(grid.axisAngle);
            const double kuu = c * c * kx + s * s * ky, kvv = s * s * kx + c * c * ky;
            const double kuv = s * c * (kx - ky);
            fu = kuu * du + kuv * dv;
            fv = kuv * du + kvv * dv;
        }
        // The spring pulls the grid back: its force on the grid is minus k times u.
        AddForceToDof(a, eu, -fu);
        AddForceToDof(a, ev, -fv);
        AddForceToDof(a, er, -kr * DofDisplacement(a, er));
    }
}

// Sum over the free equations reached from the grids' dofs of v(e) * SolutionVector(e);
// also, for results so large that the sum overflows, the same sum with v and the
// displacements divided by their largest magnitudes, and the largest |v|.
struct Work
{
    double sum = 0;
    double scaledSum = 0, vMax = 0;
};

Work WorkOver(const Analysis& a, const Vec<double>& v)
{
    Work w;
    double uMax = 0;
    const auto forFreeEquations = [&a, &v](auto f) {
        for (int g = 1; g <= a.Model.nGrids; ++g)
            for (int k = 1; k <= 3; ++k) {
                const int e = SystemEquation(a.System, g, k);
                if (e >= 1 && e <= a.System.NEQ)
                    f(a.Results.SolutionVector(e), v(e));
            }
    };
    forFreeEquations([&](double u, double ve) {
        w.sum += u * ve;
        uMax = std::max(uMax, std::fabs(u));
        w.vMax = std::max(w.vMax, std::fabs(ve));
    });
    if (uMax > 0 && w.vMax > 0)
        forFreeEquations([&](double u, double ve) { w.scaledSum += ve / w.vMax * (u / uMax); });
    return w;
}

// The work of the residuals over the work of the loads; no load on a free equation (W = 0)
// leaves nothing to measure and gives 0. When a sum overflows, the ratio of the scaled
// sums, which is the same, is taken.
double ErrorMeasureOf(const Work& R, const Work& W)
{
    double E = 0;
    if (std::isfinite(R.sum) && std::isfinite(W.sum))
        E = W.sum != 0 ? R.sum / W.sum : 0.0;
    else
        E = W.scaledSum != 0 ? R.scaledSum / W.scaledSum * (R.vMax / W.vMax) : 0.0;
    return E < PivotRatioLimit ? 0 : E;
}

void Turn(double& first, double& second, double c, double s)
{
    const double x = first, y = second;
    first = c * x + s * y;
    second = c * y - s * x;
}

// Displacements and reactions of grids with an axis angle whose equations stayed in x-y
// are reported in the grid's own axes. The pair is turned through the grid's own equation
// numbers for u and v, and only when both dofs exist.
void TurnIntoGridAxes(Analysis& a)
{
    const ModelStore& m = a.Model;
    ResultSet& r = a.Results;
    for (int g = 1; g <= m.nGrids; ++g) {
        const double gamma = m.Grids(g).axisAngle;
        if (gamma == 0 || m.Grids(g).axisCode > 0)
            continue;
        const long long eu = std::llabs(static_cast<long long>(SystemEquation(a.System, g, DofU)));
        const long long ev = std::llabs(static_cast<long long>(SystemEquation(a.System, g, DofV)));
        if (eu == 0 || ev == 0)
            continue;
        const double c = std::cos(gamma), s = std::sin(gamma);
        const bool uIn = eu <= a.System.NEQ, vIn = ev <= a.System.NEQ;
        if (uIn && vIn)
            Turn(r.SolutionVector(eu), r.SolutionVector(ev), c, s);
        if (uIn == vIn && r.Reactions.Has(eu) && r.Reactions.Has(ev))
            Turn(r.Reactions(eu), r.Reactions(ev), c, s);
    }
}

} // namespace

void RecoverResults(Analysis& a)
{
    const ModelStore& m = a.Model;
    ResultSet& r = a.Results;
    AppendLine(a.Summary.LogText, "Computing element forces");

    // Work of the loads, while Reactions still holds the applied loads.
    const Work W = WorkOver(a, r.Reactions);

    for (int b = 1; b <= m.nBeams; ++b)
        RecoverBeam(a, b);
    for (int q = 1; q <= m.nQuads; ++q)
        RecoverQuad(a, q);
    if (m.nSprgRecords > 0)
        RecoverSprings(a);

    // Work of the residuals against the work of the loads.
    r.ErrorMeasure = ErrorMeasureOf(WorkOver(a, r.Reactions), W);

    TurnIntoGridAxes(a);
}

void ReportErrorMeasure(Analysis& a)
{
    AppendLine(a.Summary.LogText, "");
    AppendLine(a.Summary.LogText,
               "Solution error measure = " + NumberText(a.Results.ErrorMeasure, 4));
}

} // namespace tavu
