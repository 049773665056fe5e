#include "loads/ElementLoads.h"

#include "common/Numbers.h"
#include "loads/LoadAssembly.h"
#include "solver/QuadElement.h"

#include <cmath>

namespace tavu {

std::array<double, 7> BeamFixedEndForces(const BeamLoadInput& in)
{
    const double L = in.L, phi = in.phi, qA = in.qA, qB = in.qB;

    // End B from the transverse load, by kind; end A then follows from equilibrium.
    double NB = -in.pa * L / 2;
    double VB = 0, MB = 0;
    if (in.kind == PinBeam) {
        VB = -L * ((11 * qB + 4 * qA) / 40 + phi * (2 * qB + qA) / 12) / (1 + phi / 4);
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

void BeamLoadVector(Analysis& a, int b)
{
    const ModelStore& m = a.Model;
    Table<double>& bef = a.Results.BeamEndForces;
    const double gx = a.Results.Gravity[0], gy = a.Results.Gravity[1];

    BeamLoadInput in;
    in.kind = m.BeamInt(b, 3);
    in.kA = m.BeamReal(b, 1);
    in.k2 = m.BeamReal(b, 2);
    in.k3 = m.BeamReal(b, 3);
    in.k4 = m.BeamReal(b, 4);
    in.L = m.BeamReal(b, 5);
    in.phi = m.BeamReal(b, 6);
    in.u = m.BeamReal(b, 13);
    const double density = m.BeamReal(b, 8);
    const double theta = m.BeamReal(b, 9);
    const double eA = m.BeamReal(b, 10), eB = m.BeamReal(b, 11);

    // Gravity per unit length: the density is the only factor.
    const double c = std::cos(theta), s = std::sin(theta);
    in.pa = (gx * c + gy * s) * density;
    const double pt = (gy * c - gx * s) * density;
    in.qA = pt + bef(b, 5);
    in.qB = pt + bef(b, 6);
    in.delta = bef(b, 1);
    in.w = bef(b, 2);
    in.r0 = bef(b, 3);

    const auto fe = BeamFixedEndForces(in);
    for (int k = 1; k <= 6; ++k)
        bef(b, k) = fe[static_cast<std::size_t>(k)];
    const double NA = fe[1], VA = fe[2], MA = fe[3], NB = fe[4], VB = fe[5], MB = fe[6];

    // Nodal loads in the dof axes of each end's grid.
    const int ga = GridIndexOf(m, m.BeamInt(b, 1));
    const int gb = GridIndexOf(m, m.BeamInt(b, 2));
    const double psiA = theta - EquationAxisAngle(m, ga);
    const double psiB = theta - EquationAxisAngle(m, gb);
    const double cA = std::cos(psiA), sA = std::sin(psiA);
    const double cB = std::cos(psiB), sB = std::sin(psiB);
    AddLoadToDof(a, m.GridInt(ga, 1), cA * NA - sA * VA);
    AddLoadToDof(a, m.GridInt(ga, 2), sA * NA + cA * VA);
    AddLoadToDof(a, m.GridInt(ga, 3), MA - eA * NA);
    AddLoadToDof(a, m.GridInt(gb, 1), -cB * NB + sB * VB);
    AddLoadToDof(a, m.GridInt(gb, 2), -sB * NB - cB * VB);
    AddLoadToDof(a, m.GridInt(gb, 3), -MB + eB * NB);
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
    for (int i = 1; i <= 4; ++i)
        a.Quad.QuadFactor[static_cast<std::size_t>(i)] = a.Model.QuadReal(q, 3 + i);
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

void QuadLoadVector(Analysis& a, int q)
{
    const ModelStore& m = a.Model;
    QuadStressTable& qs = a.Results.QuadStresses;
    const bool triangle = m.QuadInt(q, 3) == m.QuadInt(q, 4);
    const int n = triangle ? 3 : 4;
    const double t = m.QuadReal(q, 3);

    std::array<int, 5> g{};
    for (int k = 1; k <= 4; ++k)
        g[static_cast<std::size_t>(k)] = GridIndexOf(m, m.QuadInt(q, k));

    // F(2k-1), F(2k): x and y load at corner k in global axes.
    std::array<double, 9> F{};

    // Edge pressures along the left normal of each edge, which points into an element
    // whose corners run counter-clockwise.
    for (int i = 1; i <= n; ++i) {
        const double p1 = qs(q, 1, i), p2 = qs(q, 2, i);
        if (p1 == 0 && p2 == 0)
            continue;
        qs(q, 1, i) = 0;
        qs(q, 2, i) = 0;
        const int j = i == n ? 1 : i + 1;
        const int gi = g[static_cast<std::size_t>(i)], gj = g[static_cast<std::size_t>(j)];
        if (m.QuadInt(q, i) == m.QuadInt(q, j))
            continue;
        const double dx = m.GridReal(gj, 1) - m.GridReal(gi, 1);
        const double dy = m.GridReal(gj, 2) - m.GridReal(gi, 2);
        const double len = std::sqrt(dx * dx + dy * dy);
        const double beta = AngleOf(dy, dx);
        const double Ti = (2 * p1 + p2) * len / 6, Tj = (2 * p2 + p1) * len / 6;
        F[static_cast<std::size_t>(2 * i - 1)] += -Ti * std::sin(beta);
        F[static_cast<std::size_t>(2 * i)] += Ti * std::cos(beta);
        F[static_cast<std::size_t>(2 * j - 1)] += -Tj * std::sin(beta);
        F[static_cast<std::size_t>(2 * j)] += Tj * std::cos(beta);
    }

    // Temperature: the initial strain alpha'*T in both normal directions.
    std::array<double, 5> T{};
    bool heated = false;
    for (int k = 1; k <= 4; ++k) {
        T[static_cast<std::size_t>(k)] = qs(q, 3, k);
        heated = heated || T[static_cast<std::size_t>(k)] != 0;
    }
    if (heated) {
        const double alpha = m.QuadReal(q, 1);
        for (int p = 1; p <= 4; ++p) {
            double Tp = 0;
            for (int k = 1; k <= 4; ++k)
                Tp += QuadShapeValue(k, p) * T[static_cast<std::size_t>(k)];
            const double eps0 = alpha * Tp;
            LoadQuadFactor(a, q);
            const double detJ = ComputeQuadStrainMatrix(a, XiIndex(p), EtaIndex(p), q);
            const auto& C = a.Quad.QuadFactor;
            const double y1 = (C[1] + C[2]) * eps0, y2 = C[3] * eps0;
            qs(q, 1, p) = -y1;
            qs(q, 2, p) = -y2;
            qs(q, 3, p) = 0;
            const auto& B = a.Quad.QuadStrain;
            for (int r = 1; r <= 2 * n; ++r)
                F[static_cast<std::size_t>(r)] += t * detJ * (B[1][r] * y1 + B[2][r] * y2);
        }
    }

    // Gravity: t*(gx, gy) per unit area, spread by the shape functions.
    const double gx = a.Results.Gravity[0], gy = a.Results.Gravity[1];
    if (gx != 0 || gy != 0) {
        LoadQuadFactor(a, q);
        for (int p = 1; p <= 4; ++p) {
            const double detJ = ComputeQuadStrainMatrix(a, XiIndex(p), EtaIndex(p), q);
            const double wp = t * detJ;
            for (int k = 1; k <= 4; ++k) {
                F[static_cast<std::size_t>(2 * k - 1)] += QuadShapeValue(k, p) * gx * wp;
                F[static_cast<std::size_t>(2 * k)] += QuadShapeValue(k, p) * gy * wp;
            }
        }
    }

    // Into the dof axes of each corner's grid (a triangle's fourth corner is its third).
    for (int k = 1; k <= 4; ++k) {
        const int gk = g[static_cast<std::size_t>(k)];
        const double gamma = EquationAxisAngle(m, gk);
        const double c = std::cos(gamma), s = std::sin(gamma);
        const double fx = F[static_cast<std::size_t>(2 * k - 1)];
        const double fy = F[static_cast<std::size_t>(2 * k)];
        AddLoadToDof(a, m.GridInt(gk, 1), c * fx + s * fy);
        AddLoadToDof(a, m.GridInt(gk, 2), -s * fx + c * fy);
    }
}

} // namespace tavu
