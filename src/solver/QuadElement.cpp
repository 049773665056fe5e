#include "solver/QuadElement.h"

#include "common/Numbers.h"
#include "model/Diagnostics.h"
#include "solver/Profile.h"
#include "solver/StiffnessStore.h"
#include "solver/Transform.h"

#include <cmath>

namespace tavu {

std::array<double, 5> QuadMaterialFactor(double E, double nu, double G)
{
    // No check of |nu| < 1, E >= 0 or G >= 0 here: such a material gives NaN or infinite
    // factors, and the quad's stiffness step refuses a stiffness that is not finite.
    const double c11 = std::sqrt(E / (1 - nu * nu));
    return {0, c11, nu * c11, std::sqrt(E), std::sqrt(G)};
}

bool QuadIsTriangle(const Analysis& a, int q)
{
    const QuadRow& quad = a.Model.Quads(q);
    return IsTriangle(quad);
}

double QuadStrainAt(const std::array<double, 5>& x, const std::array<double, 5>& y, bool triangle,
                    const std::array<double, 5>& factor, double xi, double eta,
                    std::array<std::array<double, 9>, 4>& strain)
{
    std::array<double, 5> nXi{}, nEta{};
    for (int k = 1; k <= 4; ++k) {
        nXi[k] = QuadXi[k] * (1 + eta * QuadEta[k]) / 4;
        nEta[k] = QuadEta[k] * (1 + xi * QuadXi[k]) / 4;
    }
    // Coordinates relative to grid 1, so that far-off models lose no digits.
    double xXi = 0, yXi = 0, xEta = 0, yEta = 0;
    for (int k = 1; k <= 4; ++k) {
        const double dx = x[k] - x[1];
        const double dy = y[k] - y[1];
        xXi += dx * nXi[k];
        yXi += dy * nXi[k];
        xEta += dx * nEta[k];
        yEta += dy * nEta[k];
    }
    const double detJ = yEta * xXi - yXi * xEta;

    for (auto& row : strain)
        row.fill(0.0);
    for (int k = 1; k <= 4; ++k) {
        const double nx = (yEta * nXi[k] - yXi * nEta[k]) / detJ;
        const double ny = (-xEta * nXi[k] + xXi * nEta[k]) / detJ;
        strain[1][2 * k - 1] = nx;
        strain[3][2 * k - 1] = ny;
        strain[2][2 * k] = ny;
        strain[3][2 * k] = nx;
    }
    int n = 8;
    if (triangle) {
        for (int r = 1; r <= 3; ++r) {
            strain[r][5] += strain[r][7];
            strain[r][6] += strain[r][8];
            strain[r][7] = 0;
            strain[r][8] = 0;
        }
        n = 6;
    }
    for (int col = 1; col <= n; ++col) {
        strain[1][col] = factor[1] * strain[1][col] + factor[2] * strain[2][col];
        strain[2][col] = factor[3] * strain[2][col];
        strain[3][col] = factor[4] * strain[3][col];
    }
    return detJ;
}

double ComputeQuadStrainMatrix(Analysis& a, int gi, int gj, int q)
{
    std::array<double, 5> x{}, y{};
    for (int k = 1; k <= 4; ++k) {
        // An undefined grid lands on row 0, the origin (the reader has reported it).
        const int g = GridIndexOf(a.Model, a.Model.Quads(q).grid[static_cast<std::size_t>(k)]);
        x[k] = a.Model.Grids(g).x;
        y[k] = a.Model.Grids(g).y;
    }
    return QuadStrainAt(x, y, QuadIsTriangle(a, q), a.Quad.QuadFactor, GaussPoint(gi),
                        GaussPoint(gj), a.Quad.QuadStrain);
}

bool AddQuadStiffness(Analysis& a, int q)
{
    const ModelStore& m = a.Model;
    const QuadRow& quad = m.Quads(q);
    QuadStiffnessRow& kq = a.System.QuadMatrices(q);
    const double t = quad.thickness;
    a.Quad.QuadFactor = QuadMaterialFactor(quad.modulus, quad.poisson, quad.shearModulus);
    const std::array<int, 8> eq = QuadEquationList(a, q, Numbering::System);
    kq.factor = a.Quad.QuadFactor;
    const int n = QuadIsTriangle(a, q) ? 6 : 8;
    const auto notFinite = [&a, q] {
        Diagnose(a, Msg::QuadNotFinite, q, 0);
        return false;
    };
    if (!AllFinite(kq.factor))
        return notFinite();

    // A quad at grids whose dofs are turned into their own axes is added whole, turned;
    // any other adds its terms point by point.
    ElementTurns turns;
    for (int k = 1; k <= n / 2; ++k)
        turns.AddGrid(m, GridIndexOf(m, quad.grid[static_cast<std::size_t>(k)]), 2 * k - 2);
    for (int gi = 1; gi <= 2; ++gi) {
        for (int gj = 1; gj <= 2; ++gj) {
            const double detJ = ComputeQuadStrainMatrix(a, gi, gj, q);
            // NaN coordinates fail here as well: !(detJ > 0).
            if (!(detJ > 0)) {
                Diagnose(a, Msg::QuadNotCounterClockwise, q, 0);
                return false;
            }
            const auto& b = a.Quad.QuadStrain;
            std::size_t at = 0;
            for (int i = 1; i <= n; ++i) {
                for (int j = i; j <= n; ++j) {
                    const double kij =
                        detJ * t * (b[1][i] * b[1][j] + b[2][i] * b[2][j] + b[3][i] * b[3][j]);
                    if (!std::isfinite(kij))
                        return notFinite();
                    kq.packed[at++] += kij;
                    if (turns.count == 0)
                        AddStiffnessTerm(a, eq[static_cast<std::size_t>(i - 1)],
                                         eq[static_cast<std::size_t>(j - 1)], kij);
                }
            }
        }
    }
    if (turns.count > 0) {
        ElementMatrix k{};
        std::size_t at = 0;
        for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i)
            for (std::size_t j = i; j < static_cast<std::size_t>(n); ++j)
                k[i][j] = k[j][i] = kq.packed[at++];
        TurnIntoDofAxes(k, n, turns);
        AddElementMatrix(a, k, n, eq.data());
    }
    return true;
}

} // namespace tavu
