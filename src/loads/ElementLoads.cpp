#include "loads/ElementLoads.h"

#include "common/Numbers.h"
#include "loads/LoadAssembly.h"
#include "model/Diagnostics.h"
#include "solver/QuadElement.h"

#include <cmath>

namespace tavu {

BeamForces BeamFixedEndForces(const BeamLoadInput& in)
{
    const double L = in.L, phi = in.phi, qA = in.qA, qB = in.qB;

    // End B from the transverse load, by kind; end A then follows from equilibrium.
    double NB = -in.pa * L / 2;
    double VB = 0, MB = 0;
    if (in.kind == PinBeam) {
        VB = -L * ((11 * qB + 4 * qA) / 40 + phi * (2 * qB + qA) / 24) / (1 + phi / 4);
        MB = 0;
    } else if (in.kind == CurvBeam) {
        VB = -L * ((7 * qB + 3 * qA) / 20 + phi * (2 * qB + qA) / 6) / (1 + phi);
        MB = L * L * (qB - qA) / (120 * (1 + phi));
    } else {
        VB = -L * ((7 * qB + 3 * qA) / 20 + phi * (2 * qB + qA) / 6) / (1 + phi);
        MB = L * L * ((3 * qB + 2 * qA) / 60 + phi * (qA + qB) / 24) / (1 + phi);
    }

    // The forces that hold end B at its initial deformation against end A.
    NB -= in.kA * in.delta;
    VB -= in.k2 * in.w + in.k3 * in.r0;
    MB -= in.k3 * in.w + in.k4 * in.r0;

    const double NA = in.pa * L + NB;
    const double VA = L * (qA + qB) / 2 + VB;
    double MA = L * VB + MB + L * L * (qA + 2 * qB) / 6;

    if (in.kind == AxialLoadBeam && in.u != 0) {
        const double f = 3 * (1 - in.u / std::tan(in.u)) / (in.u * in.u);
        MA *= f;
        MB *= f;
    }
    return {0, NA, VA, MA, NB, VB, MB};
}

bool BeamLoadVector(Analysis& a, int b)
{
    const ModelStore& m = a.Model;
    const BeamRow& beam = m.Beams(b);
    const BeamLoadRow& load = a.Loads.BeamLoads(b);
    const double gx = a.Loads.Gravity[0], gy = a.Loads.Gravity[1];

    BeamLoadInput in;
    in.kind = beam.elementKind;
    in.kA = beam.kA;
    in.k2 = beam.k2;
    in.k3 = beam.k3;
    in.k4 = beam.k4;
    in.L = beam.length;
    in.phi = beam.phi;
    in.u = beam.u;
    const double theta = beam.angle;
    const double eA = beam.offsetA, eB = beam.offsetB;

    // Gravity per unit length: the density is the only factor.
    const double c = std::cos(theta), s = std::sin(theta);
    in.pa = (gx * c + gy * s) * beam.density;
    const double pt = (gy * c - gx * s) * beam.density;
    in.qA = pt + load.qA;
    in.qB = pt + load.qB;
    in.delta = load.elongation;
    in.w = load.deflection;
    in.r0 = load.rotation;

    const BeamForces fe = BeamFixedEndForces(in);
    a.Loads.FixedEndForces(b) = fe;
    a.Loads.SpanLoads(b) = {in.pa, in.qA, in.qB};
    const double NA = fe[AxialA], VA = fe[ShearA], MA = fe[MomentA];
    const double NB = fe[AxialB], VB = fe[ShearB], MB = fe[MomentB];

    // Nodal loads in the dof axes of each end's grid.
    const int ga = GridIndexOf(m, beam.gridA);
    const int gb = GridIndexOf(m, beam.gridB);
    const double psiA = theta - EquationAxisAngle(m, ga);
    const double psiB = theta - EquationAxisAngle(m, gb);
    const double cA = std::cos(psiA), sA = std::sin(psiA);
    const double cB = std::cos(psiB), sB = std::sin(psiB);
    const std::array<double, 6> P = {cA * NA - sA * VA,  sA * NA + cA * VA,  MA - eA * NA,
                                     -cB * NB + sB * VB, -sB * NB - cB * VB, -MB + eB * NB};
    if (!AllFinite(fe) || !AllFinite(P)) {
        Diagnose(a, Msg::BeamLoadNotFinite, b, 0);
        return false;
    }
    const std::array<int, 6> e = {
        SystemEquation(a.System, ga, DofU), SystemEquation(a.System, ga, DofV),
        SystemEquation(a.System, ga, DofR), SystemEquation(a.System, gb, DofU),
        SystemEquation(a.System, gb, DofV), SystemEquation(a.System, gb, DofR)};
    for (std::size_t k = 0; k < 6; ++k)
        AddLoadToDof(a, e[k], P[k]);
    return true;
}

namespace {

// Gauss point indices (along xi, along eta) of integration point p.
int XiIndex(int p)
{
    return p <= 2 ? 1 : 2;
}

int EtaIndex(int p)
{
    return p % 2 == 1 ? 1 : 2;
}

void LoadQuadFactor(Analysis& a, int q)
{
    a.Quad.QuadFactor = a.System.QuadMatrices(q).factor;
}

} // namespace

double IntegrationPointXi(int p)
{
    return GaussPoint(XiIndex(p));
}

double IntegrationPointEta(int p)
{
    return GaussPoint(EtaIndex(p));
}

double QuadShapeValue(int k, int p)
{
    const std::size_t kk = static_cast<std::size_t>(k);
    return (1 + IntegrationPointXi(p) * QuadXi[kk]) * (1 + IntegrationPointEta(p) * QuadEta[kk]) /
           4;
}

namespace {

// Corner loads in global axes: F(2k-1), F(2k) are the x and y load at corner k.
using CornerLoads = std::array<double, 9>;

// Edge pressures along the left normal of each edge, which points into an element whose
// corners run counter-clockwise. Returns the first edge under pressure whose two corners
// lie at one point (it has no normal), or 0.
int AddEdgePressures(const ModelStore& m, const QuadRow& quad, const QuadLoadRow& load,
                     const std::array<int, 5>& g, int n, CornerLoads& F)
{
    for (int i = 1; i <= n; ++i) {
        const std::size_t ii = static_cast<std::size_t>(i);
        const double p1 = load.pressureStart[ii], p2 = load.pressureEnd[ii];
        if (p1 == 0 && p2 == 0)
            continue;
        const int j = i == n ? 1 : i + 1;
        const std::size_t jj = static_cast<std::size_t>(j);
        if (quad.grid[ii] == quad.grid[jj])
            continue;
        const GridRow& gi = m.Grids(g[ii]);
        const GridRow& gj = m.Grids(g[jj]);
        const double dx = gj.x - gi.x;
        const double dy = gj.y - gi.y;
        if (dx == 0 && dy == 0)
            return i;
        const double len = std::sqrt(dx * dx + dy * dy);
        const double beta = AngleOf(dy, dx);
        const double Ti = (2 * p1 + p2) * len / 6, Tj = (2 * p2 + p1) * len / 6;
        F[2 * ii - 1] += -Ti * std::sin(beta);
        F[2 * ii] += Ti * std::cos(beta);
        F[2 * jj - 1] += -Tj * std::sin(beta);
        F[2 * jj] += Tj * std::cos(beta);
    }
    return 0;
}

// Temperature: the initial strain alpha'*T in both normal directions, whose stresses the
// recovery takes off again (kept as initial-stress terms).
void AddTemperatureLoads(Analysis& a, int q, int n, CornerLoads& F)
{
    const QuadRow& quad = a.Model.Quads(q);
    const QuadLoadRow& load = a.Loads.QuadLoads(q);
    bool heated = false;
    for (int k = 1; k <= 4; ++k)
        heated = heated || load.temperature[static_cast<std::size_t>(k)] != 0;
    if (!heated)
        return;
    QuadStressTable& initial = a.Loads.InitialStress;
    for (int p = 1; p <= 4; ++p) {
        double Tp = 0;
        for (int k = 1; k <= 4; ++k)
            Tp += QuadShapeValue(k, p) * load.temperature[static_cast<std::size_t>(k)];
        const double eps0 = quad.expansion * Tp;
        LoadQuadFactor(a, q);
        const double detJ = ComputeQuadStrainMatrix(a, XiIndex(p), EtaIndex(p), q);
        const auto& C = a.Quad.QuadFactor;
        const double y1 = (C[1] + C[2]) * eps0, y2 = C[3] * eps0;
        initial(q, StressX, p) = -y1;
        initial(q, StressY, p) = -y2;
        initial(q, StressXY, p) = 0;
        const auto& B = a.Quad.QuadStrain;
        for (int r = 1; r <= 2 * n; ++r)
            F[static_cast<std::size_t>(r)] += quad.thickness * detJ * (B[1][r] * y1 + B[2][r] * y2);
    }
}

// Gravity: t*(gx, gy) per unit area, spread by the shape functions.
void AddGravityLoads(Analysis& a, int q, CornerLoads& F)
{
    const double gx = a.Loads.Gravity[0], gy = a.Loads.Gravity[1];
    if (gx == 0 && gy == 0)
        return;
    LoadQuadFactor(a, q);
    for (int p = 1; p <= 4; ++p) {
        const double detJ = ComputeQuadStrainMatrix(a, XiIndex(p), EtaIndex(p), q);
        const double wp = a.Model.Quads(q).thickness * detJ;
        for (int k = 1; k <= 4; ++k) {
            F[static_cast<std::size_t>(2 * k - 1)] += QuadShapeValue(k, p) * gx * wp;
            F[static_cast<std::size_t>(2 * k)] += QuadShapeValue(k, p) * gy * wp;
        }
    }
}

} // namespace

bool QuadLoadVector(Analysis& a, int q)
{
    const ModelStore& m = a.Model;
    const QuadRow& quad = m.Quads(q);
    const int n = IsTriangle(quad) ? 3 : 4;
    std::array<int, 5> g{};
    for (int k = 1; k <= 4; ++k)
        g[static_cast<std::size_t>(k)] = GridIndexOf(m, quad.grid[static_cast<std::size_t>(k)]);

    CornerLoads F{};
    if (const int edge = AddEdgePressures(m, quad, a.Loads.QuadLoads(q), g, n, F); edge != 0) {
        Diagnose(a, Msg::QuadEdgeZeroLength, q, edge);
        return false;
    }
    AddTemperatureLoads(a, q, n, F);
    AddGravityLoads(a, q, F);

    // Into the dof axes of each corner's grid (a triangle's fourth corner is its third).
    std::array<double, 9> P{}; // Pu, Pv of corner k at 2k-1, 2k
    for (std::size_t k = 1; k <= 4; ++k) {
        const double gamma = EquationAxisAngle(m, g[k]);
        const double c = std::cos(gamma), s = std::sin(gamma);
        P[2 * k - 1] = c * F[2 * k - 1] + s * F[2 * k];
        P[2 * k] = -s * F[2 * k - 1] + c * F[2 * k];
    }
    bool initialFinite = true;
    for (int c = 1; c <= 3; ++c)
        for (int p = 1; p <= 4; ++p)
            initialFinite = initialFinite && std::isfinite(a.Loads.InitialStress(q, c, p));
    if (!initialFinite || !AllFinite(P)) {
        Diagnose(a, Msg::QuadLoadNotFinite, q, 0);
        return false;
    }
    for (std::size_t k = 1; k <= 4; ++k) {
        AddLoadToDof(a, SystemEquation(a.System, g[k], DofU), P[2 * k - 1]);
        AddLoadToDof(a, SystemEquation(a.System, g[k], DofV), P[2 * k]);
    }
    return true;
}

} // namespace tavu
