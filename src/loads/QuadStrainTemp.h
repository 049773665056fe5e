#pragma once
// Interim strain matrix of the quad element for the load and recovery steps, until the
// quad element of the solver provides ComputeQuadStrainMatrix.

#include "common/Analysis.h"
#include "common/Numbers.h"

namespace tavu::interim {

inline double ComputeQuadStrainMatrix(Analysis& a, int gi, int gj, int q)
{
    const ModelStore& m = a.Model;
    const double xi = gi == 1 ? -GaussPointValue : GaussPointValue;
    const double eta = gj == 1 ? -GaussPointValue : GaussPointValue;
    static constexpr double cx[5] = {0, -1, 1, 1, -1};
    static constexpr double cy[5] = {0, -1, -1, 1, 1};
    double nxi[5], neta[5], dx[5], dy[5];
    const int g1 = GridIndexOf(m, m.QuadInt(q, 1));
    for (int k = 1; k <= 4; ++k) {
        nxi[k] = cx[k] * (1 + eta * cy[k]) / 4;
        neta[k] = cy[k] * (1 + xi * cx[k]) / 4;
        const int g = GridIndexOf(m, m.QuadInt(q, k));
        dx[k] = m.GridReal(g, 1) - m.GridReal(g1, 1);
        dy[k] = m.GridReal(g, 2) - m.GridReal(g1, 2);
    }
    double xx = 0, yx = 0, xe = 0, ye = 0;
    for (int k = 1; k <= 4; ++k) {
        xx += dx[k] * nxi[k];
        yx += dy[k] * nxi[k];
        xe += dx[k] * neta[k];
        ye += dy[k] * neta[k];
    }
    const double detJ = ye * xx - yx * xe;
    auto& B = a.Quad.QuadStrain;
    for (auto& row : B)
        row.fill(0);
    for (int k = 1; k <= 4; ++k) {
        const double nx = (ye * nxi[k] - yx * neta[k]) / detJ;
        const double ny = (-xe * nxi[k] + xx * neta[k]) / detJ;
        B[1][2 * k - 1] = nx;
        B[3][2 * k - 1] = ny;
        B[2][2 * k] = ny;
        B[3][2 * k] = nx;
    }
    int n = 8;
    if (m.QuadInt(q, 3) == m.QuadInt(q, 4)) {
        for (int r = 1; r <= 3; ++r) {
            B[r][5] += B[r][7];
            B[r][6] += B[r][8];
            B[r][7] = B[r][8] = 0;
        }
        n = 6;
    }
    const auto& C = a.Quad.QuadFactor;
    for (int c = 1; c <= n; ++c) {
        const double r1 = B[1][c], r2 = B[2][c], r3 = B[3][c];
        B[1][c] = C[1] * r1 + C[2] * r2;
        B[2][c] = C[3] * r2;
        B[3][c] = C[4] * r3;
    }
    return detJ;
}

} // namespace tavu::interim
