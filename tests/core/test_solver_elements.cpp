// The beam and quad stiffness steps against closed forms, through models read by the
// model step and assembled by the decomposition step.

#include "TestSupport.h"
#include "common/Numbers.h"
#include "solver/BeamElement.h"
#include "solver/QuadElement.h"
#include "solver/Solver.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tavu {
namespace {

using namespace testing;

// The textbook plane frame element for the coefficients the beam carries: the axial
// spring kA on the stretch of the axis between the offset ends, plus the bending matrix
// on the transverse displacements w = -s u + c v and the rotations.
Dense FrameReference(const Analysis& a, int b)
{
    const BeamStiffnessInput in = BeamInputOf(a, b);
    const double c = std::cos(in.angle), s = std::sin(in.angle);
    const double g[7] = {0, -c, -s, in.offsetA, c, s, -in.offsetB};
    Dense k(7, std::vector<double>(7, 0.0));
    const bool axialMember = in.k2 == 0 && in.k3 == 0 && in.k4 == 0;
    for (int i = 1; i <= 6; ++i)
        for (int j = 1; j <= 6; ++j) {
            const bool rotation = i == 3 || i == 6 || j == 3 || j == 6;
            if (!(axialMember && rotation))
                k[i][j] = in.kA * g[i] * g[j];
        }
    if (axialMember)
        return k;
    const double carry = -in.k4 - in.length * in.k3;
    const double local[4][4] = {{in.k2, -in.k3, -in.k2, -in.k3},
                                {-in.k3, in.k4, in.k3, carry},
                                {-in.k2, in.k3, in.k2, in.k3},
                                {-in.k3, carry, in.k3, in.k4}};
    // Rows of B: wA, rA, wB, rB in terms of uA, vA, rA, uB, vB, rB.
    const double bm[4][7] = {{0, -s, c, 0, 0, 0, 0},
                             {0, 0, 0, 1, 0, 0, 0},
                             {0, 0, 0, 0, -s, c, 0},
                             {0, 0, 0, 0, 0, 0, 1}};
    for (int i = 1; i <= 6; ++i)
        for (int j = 1; j <= 6; ++j)
            for (int p = 0; p < 4; ++p)
                for (int q = 0; q < 4; ++q)
                    k[i][j] += bm[p][i] * local[p][q] * bm[q][j];
    return k;
}

struct BeamCase
{
    const char* name;
    std::vector<std::string> lines;
    std::vector<double> entries; // closed-form values of K: triplets i, j, K(i, j)
    double tolerance;            // relative
};

std::vector<std::string> BeamModel(const std::string& gridA, const std::string& gridB,
                                   const std::string& beam, const std::string& prop)
{
    return {gridA, gridB, beam, prop, "MATL 1 100", "DOFS DEF 1 1 1", "SPRG 1 0 0 0", "ENDMODEL"};
}

TEST(BeamStiffness, MatchesTheFrameElementAndItsClosedForms)
{
    // E = 100, L = 2, A = 3, I = 0.5: EA/L = 150, 12EI/L^3 = 75, 6EI/L^2 = 75, 4EI/L = 100,
    // 2EI/L = 50, EI/L = 25. Dofs 1..3 at grid A, 4..6 at grid B.
    const double c30 = std::cos(30 * DEG), s30 = std::sin(30 * DEG);
    const BeamCase cases[] = {
        {"plain along x",
         BeamModel("GRID 1 0 0", "GRID 2 2 0", "BEAM 1 1 2 1 1", "PROP 1 3 0.5"),
         {1,  1, 150, 1,  4, -150, 2,   2, 75, 2,  3, 75, 3,   3, 100, 3, 6,
          50, 2, 6,   75, 3, 5,    -75, 5, 5,  75, 6, 6,  100, 1, 2,   0},
         1e-14},
        {"plain along y",
         BeamModel("GRID 1 0 0", "GRID 2 0 2", "BEAM 1 1 2 1 1", "PROP 1 3 0.5"),
         {1, 1, 75, 2, 2, 150, 1, 3, -75, 3, 3, 100, 3, 6, 50},
         1e-13},
        {"BEND",
         BeamModel("GRID 1 0 0", "GRID 2 2 0", "BEAM 1 1 2 1 1 BEND", "PROP 1 3 0.5"),
         {1, 1, 150, 2, 2, 0, 2, 3, 0, 3, 3, 25, 6, 6, 25, 3, 6, -25},
         1e-14},
        {"PIN: transverse 3EI/L^3, no coupling",
         BeamModel("GRID 1 0 0", "GRID 2 2 0", "BEAM 1 1 2 1 1 PIN", "PROP 1 3 0.5"),
         {1, 1, 150, 2, 2, 18.75, 2, 5, -18.75, 2, 3, 0, 3, 5, 0, 2, 6, 0},
         1e-14},
        {"shear parameter 1",
         BeamModel("GRID 1 0 0", "GRID 2 2 0", "BEAM 1 1 2 1 1", "PROP 1 3 0.5 1.5"),
         {2, 2, 37.5, 2, 3, 37.5, 3, 3, 62.5, 3, 6, 12.5},
         1e-14},
        {"axial load u = 1",
         BeamModel("GRID 1 0 0", "GRID 2 2 0", "BEAM 1 1 2 1 1", "PROP 1 3 0.5 0 50"),
         {1, 1, 150, 2, 2, 75 * 0.598006, 2, 3, 75 * 0.931340, 3, 3, 100 * 0.859028},
         1e-6},
        {"axial load u = 0.01",
         BeamModel("GRID 1 0 0", "GRID 2 2 0", "BEAM 1 1 2 1 1", "PROP 1 3 0.5 0 0.005"),
         {2, 2, 75, 2, 3, 75, 3, 3, 100, 3, 6, 50},
         1e-4},
        {"offsets 0.5 at both ends",
         BeamModel("GRID 1 0 0", "GRID 2 2 0", "BEAM 1 1 2 1 1 0.5 0.5", "PROP 1 3 0.5"),
         {1, 1, 150, 1, 3, -75, 3, 3, 137.5, 3, 6, 12.5, 6, 6, 137.5, 3, 4, 75},
         1e-14},
        {"two-force member with offsets",
         BeamModel("GRID 1 0 0", "GRID 2 2 0", "BEAM 1 1 2 1 1 0.5 0.5", "PROP 1 3"),
         {1, 1, 150, 1, 3, 0, 3, 3, 0, 6, 6, 0, 2, 2, 0},
         1e-14},
        {"zero length springs along grid A's axes",
         BeamModel("GRID 1 1 1 30", "GRID 2 1 1", "BEAM 1 1 2 1 1", "PROP 1 10 4 7"),
         {1, 1, c30 * c30 * 10 + s30 * s30 * 4,
          1, 2, s30 * c30 * 6,
          2, 2, s30 * s30 * 10 + c30 * c30 * 4,
          1, 4, -(c30 * c30 * 10 + s30 * s30 * 4),
          3, 3, 7,
          3, 6, -7,
          6, 6, 7,
          1, 3, 0},
         1e-14},
    };
    for (const BeamCase& c : cases) {
        SCOPED_TRACE(c.name);
        Analysis a;
        ReadModelText(a, c.lines);
        ASSERT_EQ(a.Model.NEQ, 6);
        ASSERT_TRUE(AssembleStiffness(a)) << a.Summary.LogText;
        const Dense k = DenseK(a);
        ExpectDenseNear(k, FrameReference(a, 1), 1e-14, c.name);
        for (std::size_t e = 0; e + 2 < c.entries.size(); e += 3) {
            const auto i = static_cast<std::size_t>(c.entries[e]);
            const auto j = static_cast<std::size_t>(c.entries[e + 1]);
            const double value = c.entries[e + 2];
            EXPECT_NEAR(k[i][j], value, c.tolerance * std::max(1.0, std::fabs(value)))
                << "K(" << i << "," << j << ")";
            EXPECT_EQ(k[i][j], k[j][i]);
        }
    }
}

TEST(BeamStiffness, TermsOfAbsentAndRestrainedDofsAreDropped)
{
    // Grid 1 fully restrained, grid 2 without a rotation: only uB and vB remain.
    Analysis a;
    ReadModelText(a, {"GRID 1 0 0", "GRID 2 2 0", "BEAM 1 1 2 1 1", "PROP 1 3 0.5", "MATL 1 100",
                      "DOFS 2 1 1 0", "RACT 1 1 1 1", "ENDMODEL"});
    ASSERT_EQ(a.Model.NEQ, 2);
    ASSERT_TRUE(AssembleStiffness(a));
    EXPECT_EQ(StoredK(a, 1, 1), 150);
    EXPECT_EQ(StoredK(a, 2, 2), 75);
    EXPECT_EQ(StoredK(a, 1, 2), 0);
    EXPECT_EQ(a.System.Store.KValues(1), 0.0) << "the spare position stays empty";
}

TEST(BeamStiffness, BucklingLoadIsNamedAndStopsTheStep)
{
    // P = 4 pi^2 EI / L^2 makes u = pi: D vanishes and the coefficients are meaningless.
    const double pi = 4 * std::atan(1.0);
    const std::string p = NumberText(4 * pi * pi * 50 / 4);
    for (const char* beams : {"BEAM 1 1 2 1 1", "BEAM 1 1 2 2 1"}) {
        Analysis a;
        ReadModelText(a, {"GRID 1 0 0", "GRID 2 2 0", "GRID 3 4 0", beams, "BEAM 2 2 3 2 1",
                          "PROP 1 3 0.5", "PROP 2 3 0.5 0" + p, "MATL 1 100", "DOFS DEF 1 1 1",
                          "RACT 1 1 1 1", "ENDMODEL"});
        const int bad = beams[11] == '1' ? 2 : 1; // the beams with PROP 2
        EXPECT_FALSE(AssembleStiffness(a));
        std::string expected = "Processing beam:  2\r\n";
        if (bad == 1)
            expected += "Beam 1 axial load at or near buckling load\r\n";
        expected += "Beam 2 axial load at or near buckling load\r\n";
        expected += "\r\nDone processing beams";
        EXPECT_EQ(a.Summary.LogText, expected) << beams;
    }
}

// Quad models with dofs u, v only.
std::vector<std::string> QuadModel(const std::vector<std::string>& grids, const std::string& quad,
                                   const std::string& matl = "MATL 1 1000 0.25")
{
    std::vector<std::string> m = grids;
    for (const std::string& l :
         {quad, std::string("PROP 1 0.5"), matl, std::string("DOFS DEF 1 1 0"),
          std::string("SPRG 1 0 0 0"), std::string("ENDMODEL")})
        m.push_back(l);
    return m;
}

const std::vector<std::string> UnitSquare = {"GRID 1 0 0", "GRID 2 1 0", "GRID 3 1 1",
                                             "GRID 4 0 1"};

double Energy(const Dense& k, const std::vector<double>& u)
{
    double e = 0;
    for (std::size_t i = 1; i < k.size(); ++i)
        for (std::size_t j = 1; j < k.size(); ++j)
            e += u[i] * k[i][j] * u[j];
    return e;
}

TEST(QuadStiffness, PackedTableHoldsTheMaterialAndTheAssembledTerms)
{
    struct Case
    {
        std::vector<std::string> grids;
        const char* quad;
        int dofs;
    };
    const Case cases[] = {
        {UnitSquare, "QUAD 1 1 2 3 4 1 1", 8},
        {{"GRID 1 0 0", "GRID 2 2 0", "GRID 3 0.5 1.5"}, "QUAD 1 1 2 3 0 1 1", 6}};
    const double e = 1000, nu = 0.25, g = e / (2 * (1 + nu)), c11 = std::sqrt(e / (1 - nu * nu));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.quad);
        Analysis a;
        ReadModelText(a, QuadModel(c.grids, c.quad));
        ASSERT_EQ(a.Model.NEQ, c.dofs);
        ASSERT_TRUE(AssembleStiffness(a));
        const QuadStiffnessRow& kq = a.System.QuadMatrices(1);
        EXPECT_DOUBLE_EQ(kq.factor[1], c11);
        EXPECT_DOUBLE_EQ(kq.factor[2], nu * c11);
        EXPECT_DOUBLE_EQ(kq.factor[3], std::sqrt(e));
        EXPECT_DOUBLE_EQ(kq.factor[4], std::sqrt(g));
        std::size_t slot = 0;
        for (int i = 1; i <= c.dofs; ++i)
            for (int j = i; j <= c.dofs; ++j)
                EXPECT_DOUBLE_EQ(kq.packed[slot++], StoredK(a, i, j)) << i << "," << j;
        for (; slot < kq.packed.size(); ++slot)
            EXPECT_EQ(kq.packed[slot], 0.0) << slot;
    }
    Analysis a; // the unit square's Jacobian is 1/4 at every point
    ReadModelText(a, QuadModel(UnitSquare, "QUAD 1 1 2 3 4 1 1"));
    ASSERT_TRUE(AssembleStiffness(a));
    for (int gi = 1; gi <= 2; ++gi)
        for (int gj = 1; gj <= 2; ++gj)
            EXPECT_DOUBLE_EQ(ComputeQuadStrainMatrix(a, gi, gj, 1), 0.25);
}

TEST(QuadStiffness, ClosedFormsRigidMotionsAndConstantStrain)
{
    // Rigid motions strain nothing; on rectangles K11 has its closed form; where detJ is
    // constant (parallelogram, collapsed triangle) the four points integrate a constant
    // strain exactly: u^T K u = area * t * eps^T D eps. Far from the origin the general
    // quad keeps its stiffness.
    const std::vector<std::string> general = {"GRID 1 0.2 0.1", "GRID 2 2.1 -0.3", "GRID 3 2.5 1.7",
                                              "GRID 4 -0.4 1.2"};
    struct Case
    {
        const char* name;
        std::vector<std::string> grids;
        double a, b; // rectangle sides along x and y
        double area; // > 0 when the constant strain is integrated exactly
    };
    const Case cases[] = {
        {"2 x 1 rectangle", {"GRID 1 0 0", "GRID 2 2 0", "GRID 3 2 1", "GRID 4 0 1"}, 2, 1, 2},
        {"1 x 3 rectangle", {"GRID 1 0 0", "GRID 2 1 0", "GRID 3 1 3", "GRID 4 0 3"}, 1, 3, 3},
        {"general quad", general, 0, 0, 0},
        {"parallelogram", {"GRID 1 0 0", "GRID 2 3 0.5", "GRID 3 4 2.5", "GRID 4 1 2"}, 0, 0, 5.5},
        {"triangle", {"GRID 1 0 0", "GRID 2 2 0", "GRID 3 0.5 1.5"}, 0, 0, 1.5},
    };
    const double t = 0.5, e = 1000, nu = 0.25, g = e / (2 * (1 + nu)), d = e / (1 - nu * nu);
    const double ex = 1e-3, ey = -4e-4, gxy = 6e-4;
    const double density = d * (ex * ex + 2 * nu * ex * ey + ey * ey) + g * gxy * gxy;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int corners = static_cast<int>(c.grids.size()), n = 2 * corners;
        Analysis a;
        ReadModelText(
            a, QuadModel(c.grids, corners == 4 ? "QUAD 1 1 2 3 4 1 1" : "QUAD 1 1 2 3 0 1 1"));
        ASSERT_TRUE(AssembleStiffness(a));
        const Dense k = DenseK(a);
        double scale = 0;
        for (int i = 1; i <= n; ++i)
            scale = std::max(scale, k[i][i]);
        std::vector<double> rot(n + 1, 0.0), strain(n + 1, 0.0);
        for (int m = 1; m <= corners; ++m) {
            const double x = a.Model.Grids(m).x, y = a.Model.Grids(m).y;
            rot[2 * m - 1] = -y;
            rot[2 * m] = x;
            strain[2 * m - 1] = ex * x + gxy / 2 * y;
            strain[2 * m] = ey * y + gxy / 2 * x;
        }
        for (int i = 1; i <= n; ++i) {
            double sx = 0, sy = 0, sr = 0;
            for (int j = 1; j <= n; ++j) {
                (j % 2 ? sx : sy) += k[i][j];
                sr += k[i][j] * rot[j];
            }
            EXPECT_NEAR(sx, 0, 1e-12 * scale) << "row " << i;
            EXPECT_NEAR(sy, 0, 1e-12 * scale) << "row " << i;
            EXPECT_NEAR(sr, 0, 1e-10 * scale) << "row " << i;
        }
        if (c.a > 0) {
            const double k11 = t * d * (c.b / (3 * c.a) + (1 - nu) * c.a / (6 * c.b));
            EXPECT_NEAR(k[1][1], k11, 2e-6 * k11);
        }
        if (c.area > 0) {
            EXPECT_NEAR(Energy(k, strain), c.area * t * density, 1e-12 * c.area * t * density);
        }
    }
    Analysis nearA, farA;
    ReadModelText(nearA, QuadModel(general, "QUAD 1 1 2 3 4 1 1"));
    ReadModelText(farA, QuadModel({"GRID 1 1000000.2 -2999999.9", "GRID 2 1000002.1 -3000000.3",
                                   "GRID 3 1000002.5 -2999998.3", "GRID 4 999999.6 -2999998.8"},
                                  "QUAD 1 1 2 3 4 1 1"));
    ASSERT_TRUE(AssembleStiffness(nearA));
    ASSERT_TRUE(AssembleStiffness(farA));
    ExpectDenseNear(DenseK(farA), DenseK(nearA), 1e-9, "shifted quad");
}

TEST(QuadStiffness, ShearPanelCarriesShearOnly)
{
    Analysis a;
    ReadModelText(a, QuadModel(UnitSquare, "QUAD 1 1 2 3 4 1 1", "MATL 1 1000 0.25 SHEAR"));
    ASSERT_TRUE(AssembleStiffness(a));
    EXPECT_EQ(a.System.QuadMatrices(1).factor[1], 0.0);
    EXPECT_EQ(a.System.QuadMatrices(1).factor[2], 0.0);
    EXPECT_EQ(a.System.QuadMatrices(1).factor[3], 0.0);
    const double g = 1000 / 2.5, t = 0.5;
    const Dense k = DenseK(a);
    // N1 = (1-x)(1-y): the integral of (dN1/dy)^2 is 1/3, of dN1/dx dN1/dy 1/4.
    EXPECT_NEAR(k[1][1], g * t / 3, 1e-6 * g * t);
    EXPECT_NEAR(k[1][2], g * t / 4, 1e-6 * g * t);
    // A stretch along x (u = x) strains nothing that the panel carries.
    EXPECT_NEAR(Energy(k, {0, 0, 0, 1, 0, 1, 0, 0, 0}), 0, 1e-9);
}

TEST(QuadStiffness, ClockwiseOrFoldedCornersRaiseDiagnostic21AndAddNothing)
{
    for (const auto& [grids, quad] :
         {std::pair{UnitSquare, "QUAD 1 1 4 3 2 1 1"},
          std::pair{
              std::vector<std::string>{"GRID 1 0 0", "GRID 2 1 0", "GRID 3 0 1", "GRID 4 1 1"},
              "QUAD 1 1 2 3 4 1 1"}}) {
        SCOPED_TRACE(quad);
        Analysis a;
        ReadModelText(a, QuadModel(grids, quad));
        EXPECT_FALSE(AssembleStiffness(a));
        EXPECT_EQ(a.State.FatalText, "Quad 1 grids not counter-clockwise order\r\n");
        EXPECT_EQ(a.Summary.LogText, "Processing Quad:  1\r\nQuad 1 grids not counter-clockwise "
                                     "order\r\n\r\nDone processing quads");
        if (grids != UnitSquare)
            continue;
        // The clockwise square fails at its first Gauss point: nothing is added anywhere.
        for (long long p = 1; p < a.System.Store.ProfileSize; ++p)
            EXPECT_EQ(a.System.Store.KValues(p), 0.0) << p;
        for (double v : a.System.QuadMatrices(1).packed)
            EXPECT_EQ(v, 0.0);
    }
}

} // namespace
} // namespace tavu
