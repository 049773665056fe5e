// The beam and quad stiffness of small models, assembled by the decomposition step,
// against closed forms and the textbook frame element.

#include "TestSupport.h"
#include "common/Numbers.h"
#include "solver/BeamElement.h"
#include "solver/Solver.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tavu {
namespace {

using namespace testing;

// The textbook frame element: the axial spring kA on the stretch between the offset ends,
// plus the bending matrix on w = -s u + c v and the rotations.
Dense FrameReference(const BeamStiffnessInput& in)
{
    const double c = std::cos(in.angle), s = std::sin(in.angle);
    const double g[7] = {0, -c, -s, in.offsetA, c, s, -in.offsetB};
    const double carry = -in.k4 - in.length * in.k3;
    const double L = in.length, k2 = in.k2;
    // A PIN member: k2 on the one mode wB - wA - L rA.
    const double pin[4][4] = {{k2, k2 * L, -k2, 0},
                              {k2 * L, k2 * L * L, -k2 * L, 0},
                              {-k2, -k2 * L, k2, 0},
                              {0, 0, 0, 0}};
    const double plain[4][4] = {{in.k2, -in.k3, -in.k2, -in.k3},
                                {-in.k3, in.k4, in.k3, carry},
                                {-in.k2, in.k3, in.k2, in.k3},
                                {-in.k3, carry, in.k3, in.k4}};
    const auto& local = in.pinned ? pin : plain;
    // Rows: wA, rA, wB, rB in terms of uA, vA, rA, uB, vB, rB.
    const double bm[4][7] = {{0, -s, c, 0, 0, 0, 0},
                             {0, 0, 0, 1, 0, 0, 0},
                             {0, 0, 0, 0, -s, c, 0},
                             {0, 0, 0, 0, 0, 0, 1}};
    const bool twoForce = in.k2 == 0 && in.k3 == 0 && in.k4 == 0;
    Dense k(7, std::vector<double>(7, 0.0));
    for (int i = 1; i <= 6; ++i)
        for (int j = 1; j <= 6; ++j) {
            if (twoForce && (i % 3 == 0 || j % 3 == 0))
                continue; // a two-force member leaves the rotations alone, offsets or not
            k[i][j] = in.kA * g[i] * g[j];
            for (int p = 0; p < 4; ++p)
                for (int q = 0; q < 4; ++q)
                    k[i][j] += bm[p][i] * local[p][q] * bm[q][j];
        }
    return k;
}

TEST(BeamStiffness, MatchesTheFrameElementAndItsClosedForms)
{
    // E = 100, L = 2, A = 3, I = 0.5: EA/L = 150, 12EI/L^3 = 75, 6EI/L^2 = 75, 4EI/L = 100,
    // 2EI/L = 50, EI/L = 25. Dofs 1..3 at grid A, 4..6 at grid B. Entries: i, j, K(i, j).
    const double c = std::cos(30 * DEG), s = std::sin(30 * DEG);
    const double kuu = c * c * 10 + s * s * 4, kuv = s * c * 6, kvv = s * s * 10 + c * c * 4;
    struct Case
    {
        const char *gridA, *gridB, *beam, *prop;
        std::vector<double> entries;
        double tolerance; // relative
    } cases[] = {
        // clang-format off
        {"0 0", "2 0", "", "3 0.5", {1, 1, 150, 1, 4, -150, 2, 2, 75, 2, 3, 75, 3, 3, 100, 3, 6, 50,
                                     2, 6, 75, 3, 5, -75, 5, 5, 75, 6, 6, 100, 1, 2, 0}, 1e-14},
        {"0 0", "0 2", "", "3 0.5", {1, 1, 75, 2, 2, 150, 1, 3, -75, 3, 3, 100, 3, 6, 50}, 1e-13},
        {"0 0", "2 0", " BEND", "3 0.5", {1, 1, 150, 2, 2, 0, 2, 3, 0, 3, 3, 25, 6, 6, 25, 3, 6, -25}, 1e-14},
        // PIN: 3EI/L^3 on vB - vA - L rA, nothing on rB; with a shear term 3EI/(L^3 (1 + phi/4))
        {"0 0", "2 0", " PIN", "3 0.5", {1, 1, 150, 2, 2, 18.75, 2, 5, -18.75, 2, 3, 37.5, 3, 5, -37.5,
                                         3, 3, 75, 2, 6, 0, 3, 6, 0, 6, 6, 0}, 1e-14},
        {"0 0", "0 2", " PIN", "3 0.5 1.5", {1, 1, 15, 1, 3, -30, 3, 3, 60, 3, 4, 30, 2, 2, 150}, 1e-14},
        // shear parameter 1; axial loads that give u = 1 and u = 0.01
        {"0 0", "2 0", "", "3 0.5 1.5", {2, 2, 37.5, 2, 3, 37.5, 3, 3, 62.5, 3, 6, 12.5}, 1e-14},
        {"0 0", "2 0", "", "3 0.5 0 50", {1, 1, 150, 2, 2, 75 * 0.598006, 2, 3, 75 * 0.931340,
                                          3, 3, 100 * 0.859028}, 1e-6},
        {"0 0", "2 0", "", "3 0.5 0 0.005", {2, 2, 75, 2, 3, 75, 3, 3, 100, 3, 6, 50}, 1e-4},
        // offsets; inclined with unequal offsets (the frame element only); a two-force member
        {"0 0", "2 0", " 0.5 0.5", "3 0.5", {1, 1, 150, 1, 3, -75, 3, 3, 137.5, 3, 6, 12.5,
                                             6, 6, 137.5, 3, 4, 75}, 1e-14},
        {"0 0", "3 4", " 0.5 -0.25", "3 0.5", {}, 0},
        {"0 0", "2 0", " 0.5 0.5", "3", {1, 1, 150, 1, 3, 0, 3, 3, 0, 6, 6, 0, 2, 2, 0}, 1e-14},
        // zero length: springs along grid A's axes
        {"1 1 30", "1 1", "", "10 4 7", {1, 1, kuu, 1, 2, kuv, 2, 2, kvv, 1, 4, -kuu, 3, 3, 7,
                                         3, 6, -7, 6, 6, 7, 1, 3, 0}, 1e-14},
        // clang-format on
    };
    for (const Case& cs : cases) {
        const std::string beam = std::string("BEAM 1 1 2 1 1") + cs.beam;
        SCOPED_TRACE(beam + " PROP " + cs.prop);
        Analysis a;
        ReadModelText(a, {std::string("GRID 1 ") + cs.gridA, std::string("GRID 2 ") + cs.gridB,
                          beam, std::string("PROP 1 ") + cs.prop, "MATL 1 100", "DOFS DEF 1 1 1",
                          "SPRG 1 0 0 0", "ENDMODEL"});
        ASSERT_EQ(a.Model.NEQ, 6);
        ASSERT_TRUE(AssembleStiffness(a)) << a.Summary.LogText;
        const Dense k = DenseK(a);
        ExpectDenseNear(k, FrameReference(BeamInputOf(a, 1)), 1e-14, "frame element");
        for (std::size_t e = 0; e + 2 < cs.entries.size(); e += 3) {
            const auto i = static_cast<std::size_t>(cs.entries[e]);
            const auto j = static_cast<std::size_t>(cs.entries[e + 1]);
            const double value = cs.entries[e + 2];
            EXPECT_NEAR(k[i][j], value, cs.tolerance * std::max(1.0, std::fabs(value)))
                << "K(" << i << "," << j << ")";
        }
    }
}

std::vector<std::string> QuadModel(std::vector<std::string> lines, const std::string& quad)
{
    for (const char* l :
         {"PROP 1 0.5", "MATL 1 1000 0.25", "DOFS DEF 1 1 0", "SPRG 1 0 0 0", "ENDMODEL"})
        lines.push_back(l);
    lines.insert(lines.end() - 5, quad);
    return lines;
}

TEST(QuadStiffness, ClosedFormsRigidMotionsAndConstantStrain)
{
    // Rigid motions strain nothing; a rectangle's K11 has its closed form; where detJ is
    // constant (parallelogram, collapsed triangle) the four points integrate a constant
    // strain exactly: u^T K u = area t eps^T D eps. The element table keeps the material
    // factor and the assembled terms for the recovery.
    const std::vector<std::string> general = {"GRID 1 0.2 0.1", "GRID 2 2.1 -0.3", "GRID 3 2.5 1.7",
                                              "GRID 4 -0.4 1.2"};
    struct Case
    {
        std::vector<std::string> grids;
        double a, b; // rectangle sides along x and y
        double area; // > 0 when the constant strain is integrated exactly
    } cases[] = {
        // clang-format off
        {{"GRID 1 0 0", "GRID 2 2 0", "GRID 3 2 1", "GRID 4 0 1"}, 2, 1, 2},
        {{"GRID 1 0 0", "GRID 2 1 0", "GRID 3 1 3", "GRID 4 0 3"}, 1, 3, 3},
        {general, 0, 0, 0},
        {{"GRID 1 0 0", "GRID 2 3 0.5", "GRID 3 4 2.5", "GRID 4 1 2"}, 0, 0, 5.5},
        {{"GRID 1 0 0", "GRID 2 2 0", "GRID 3 0.5 1.5"}, 0, 0, 1.5},
        // clang-format on
    };
    const double t = 0.5, e = 1000, nu = 0.25, g = e / (2 * (1 + nu)), d = e / (1 - nu * nu);
    const double ex = 1e-3, ey = -4e-4, gxy = 6e-4;
    const double density = d * (ex * ex + 2 * nu * ex * ey + ey * ey) + g * gxy * gxy;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.grids[1]);
        const int corners = static_cast<int>(c.grids.size()), n = 2 * corners;
        Analysis a;
        ReadModelText(
            a, QuadModel(c.grids, corners == 4 ? "QUAD 1 1 2 3 4 1 1" : "QUAD 1 1 2 3 0 1 1"));
        ASSERT_TRUE(AssembleStiffness(a));
        const Dense k = DenseK(a);
        const QuadStiffnessRow& kq = a.System.QuadMatrices(1);
        EXPECT_EQ(kq.factor, (std::array<double, 5>{0, std::sqrt(d), nu * std::sqrt(d),
                                                    std::sqrt(e), std::sqrt(g)}));
        std::size_t at = 0;
        for (int i = 1; i <= n; ++i)
            for (int j = i; j <= n; ++j)
                EXPECT_DOUBLE_EQ(kq.packed[at++], k[i][j]) << i << "," << j;
        std::vector<double> rot(n + 1), strain(n + 1);
        double scale = 0, energy = 0;
        for (int m = 1; m <= corners; ++m) {
            const double x = a.Model.Grids(m).x, y = a.Model.Grids(m).y;
            rot[2 * m - 1] = -y;
            rot[2 * m] = x;
            strain[2 * m - 1] = ex * x + gxy / 2 * y;
            strain[2 * m] = ey * y + gxy / 2 * x;
            scale = std::max({scale, k[2 * m - 1][2 * m - 1], k[2 * m][2 * m]});
        }
        for (int i = 1; i <= n; ++i) {
            double sx = 0, sy = 0, sr = 0;
            for (int j = 1; j <= n; ++j) {
                (j % 2 ? sx : sy) += k[i][j];
                sr += k[i][j] * rot[j];
                energy += strain[i] * k[i][j] * strain[j];
            }
            EXPECT_NEAR(sx, 0, 1e-12 * scale) << "row " << i;
            EXPECT_NEAR(sy, 0, 1e-12 * scale) << "row " << i;
            EXPECT_NEAR(sr, 0, 1e-10 * scale) << "row " << i;
        }
        const double k11 = t * d * (c.b / (3 * c.a) + (1 - nu) * c.a / (6 * c.b));
        if (c.a > 0) {
            EXPECT_NEAR(k[1][1], k11, 2e-6 * k11);
        }
        if (c.area > 0) {
            EXPECT_NEAR(energy, c.area * t * density, 1e-12 * c.area * t * density);
        }
    }
    // Far from the origin the general quad keeps its stiffness.
    Analysis nearA, farA;
    ReadModelText(nearA, QuadModel(general, "QUAD 1 1 2 3 4 1 1"));
    ReadModelText(farA, QuadModel({"GRID 1 1000000.2 -2999999.9", "GRID 2 1000002.1 -3000000.3",
                                   "GRID 3 1000002.5 -2999998.3", "GRID 4 999999.6 -2999998.8"},
                                  "QUAD 1 1 2 3 4 1 1"));
    ASSERT_TRUE(AssembleStiffness(nearA) && AssembleStiffness(farA));
    ExpectDenseNear(DenseK(farA), DenseK(nearA), 1e-9, "shifted quad");
}

} // namespace
} // namespace tavu
