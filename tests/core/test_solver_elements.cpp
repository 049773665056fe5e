// The beam and quad stiffness steps against closed forms, through models read by the
// model step and assembled by the decomposition step.

#include "common/Numbers.h"
#include "solver/BeamElement.h"
#include "solver/QuadElement.h"
#include "solver/Solver.h"
#include "test_solver_support.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tavu {
namespace {

using namespace testing_solver;

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

struct Entry
{
    int i, j;
    double value;
};

struct BeamCase
{
    const char* name;
    std::vector<std::string> lines;
    std::vector<Entry> entries; // closed-form values of K
    double tolerance;           // relative
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
         {{1, 1, 150},
          {1, 4, -150},
          {2, 2, 75},
          {2, 3, 75},
          {3, 3, 100},
          {3, 6, 50},
          {2, 6, 75},
          {3, 5, -75},
          {5, 5, 75},
          {6, 6, 100},
          {1, 2, 0}},
         1e-14},
        {"plain along y",
         BeamModel("GRID 1 0 0", "GRID 2 0 2", "BEAM 1 1 2 1 1", "PROP 1 3 0.5"),
         {{1, 1, 75}, {2, 2, 150}, {1, 3, -75}, {3, 3, 100}, {3, 6, 50}},
         1e-13},
        {"BEND",
         BeamModel("GRID 1 0 0", "GRID 2 2 0", "BEAM 1 1 2 1 1 BEND", "PROP 1 3 0.5"),
         {{1, 1, 150}, {2, 2, 0}, {2, 3, 0}, {3, 3, 25}, {6, 6, 25}, {3, 6, -25}},
         1e-14},
        {"PIN: transverse 3EI/L^3, no coupling",
         BeamModel("GRID 1 0 0", "GRID 2 2 0", "BEAM 1 1 2 1 1 PIN", "PROP 1 3 0.5"),
         {{1, 1, 150}, {2, 2, 18.75}, {2, 5, -18.75}, {2, 3, 0}, {3, 5, 0}, {2, 6, 0}},
         1e-14},
        {"shear parameter 1",
         BeamModel("GRID 1 0 0", "GRID 2 2 0", "BEAM 1 1 2 1 1", "PROP 1 3 0.5 1.5"),
         {{2, 2, 37.5}, {2, 3, 37.5}, {3, 3, 62.5}, {3, 6, 12.5}},
         1e-14},
        {"axial load u = 1",
         BeamModel("GRID 1 0 0", "GRID 2 2 0", "BEAM 1 1 2 1 1", "PROP 1 3 0.5 0 50"),
         {{1, 1, 150}, {2, 2, 75 * 0.598006}, {2, 3, 75 * 0.931340}, {3, 3, 100 * 0.859028}},
         1e-6},
        {"axial load u = 0.01",
         BeamModel("GRID 1 0 0", "GRID 2 2 0", "BEAM 1 1 2 1 1", "PROP 1 3 0.5 0 0.005"),
         {{2, 2, 75}, {2, 3, 75}, {3, 3, 100}, {3, 6, 50}},
         1e-4},
        {"offsets 0.5 at both ends",
         BeamModel("GRID 1 0 0", "GRID 2 2 0", "BEAM 1 1 2 1 1 0.5 0.5", "PROP 1 3 0.5"),
         {{1, 1, 150}, {1, 3, -75}, {3, 3, 137.5}, {3, 6, 12.5}, {6, 6, 137.5}, {3, 4, 75}},
         1e-14},
        {"two-force member with offsets",
         BeamModel("GRID 1 0 0", "GRID 2 2 0", "BEAM 1 1 2 1 1 0.5 0.5", "PROP 1 3"),
         {{1, 1, 150}, {1, 3, 0}, {3, 3, 0}, {6, 6, 0}, {2, 2, 0}},
         1e-14},
        {"zero length springs along grid A's axes",
         BeamModel("GRID 1 1 1 30", "GRID 2 1 1", "BEAM 1 1 2 1 1", "PROP 1 10 4 7"),
         {{1, 1, c30 * c30 * 10 + s30 * s30 * 4},
          {1, 2, s30 * c30 * 6},
          {2, 2, s30 * s30 * 10 + c30 * c30 * 4},
          {1, 4, -(c30 * c30 * 10 + s30 * s30 * 4)},
          {3, 3, 7},
          {3, 6, -7},
          {6, 6, 7},
          {1, 3, 0}},
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
        for (const Entry& e : c.entries) {
            const double tol = c.tolerance * std::max(1.0, std::fabs(e.value));
            EXPECT_NEAR(k[e.i][e.j], e.value, tol) << "K(" << e.i << "," << e.j << ")";
            EXPECT_EQ(k[e.i][e.j], k[e.j][e.i]);
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
    EXPECT_EQ(a.Profile.KValues(1), 0.0) << "the spare position stays empty";
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
    // Far from it nothing is said.
    Analysis a;
    ReadModelText(a, {"GRID 1 0 0", "GRID 2 2 0", "BEAM 1 1 2 1 1", "PROP 1 3 0.5 0 50",
                      "MATL 1 100", "DOFS DEF 1 1 1", "RACT 1 1 1 1", "ENDMODEL"});
    EXPECT_TRUE(AssembleStiffness(a));
    EXPECT_FALSE(BeamAtBucklingLoad(a, 1));
}

// The unit square (or a variant) with grids 1..4 at its corners, dofs u, v only.
std::vector<std::string> QuadModel(const std::vector<std::string>& grids, const std::string& quad,
                                   const std::string& matl = "MATL 1 1000 0.25")
{
    std::vector<std::string> m = grids;
    m.push_back(quad);
    m.push_back("PROP 1 0.5");
    m.push_back(matl);
    m.push_back("DOFS DEF 1 1 0");
    m.push_back("SPRG 1 0 0 0");
    m.push_back("ENDMODEL");
    return m;
}

const std::vector<std::string> UnitSquare = {"GRID 1 0 0", "GRID 2 1 0", "GRID 3 1 1",
                                             "GRID 4 0 1"};

std::vector<std::string> Shifted(const std::vector<std::string>& grids, double dx, double dy)
{
    std::vector<std::string> out;
    for (const std::string& g : grids) {
        int id = 0;
        double x = 0, y = 0;
        std::sscanf(g.c_str(), "GRID %d %lf %lf", &id, &x, &y);
        char buf[96];
        std::snprintf(buf, sizeof buf, "GRID %d %.17g %.17g", id, x + dx, y + dy);
        out.push_back(buf);
    }
    return out;
}

double Energy(const Dense& k, const std::vector<double>& u)
{
    double e = 0;
    for (std::size_t i = 1; i < k.size(); ++i)
        for (std::size_t j = 1; j < k.size(); ++j)
            e += u[i] * k[i][j] * u[j];
    return e;
}

TEST(QuadStiffness, UnitSquareHasTheExpectedJacobianAndMaterialFactor)
{
    Analysis a;
    ReadModelText(a, QuadModel(UnitSquare, "QUAD 1 1 2 3 4 1 1"));
    ASSERT_TRUE(AssembleStiffness(a));
    for (int gi = 1; gi <= 2; ++gi)
        for (int gj = 1; gj <= 2; ++gj)
            EXPECT_DOUBLE_EQ(ComputeQuadStrainMatrix(a, gi, gj, 1), 0.25);
    const double e = 1000, nu = 0.25, g = e / (2 * (1 + nu));
    const double c11 = std::sqrt(e / (1 - nu * nu));
    EXPECT_DOUBLE_EQ(a.Model.QuadReal(1, 4), c11);
    EXPECT_DOUBLE_EQ(a.Model.QuadReal(1, 5), nu * c11);
    EXPECT_DOUBLE_EQ(a.Model.QuadReal(1, 6), std::sqrt(e));
    EXPECT_DOUBLE_EQ(a.Model.QuadReal(1, 7), std::sqrt(g));
    // The packed element stiffness is the assembled one.
    int slot = 8;
    for (int i = 1; i <= 8; ++i)
        for (int j = i; j <= 8; ++j)
            EXPECT_DOUBLE_EQ(a.Model.QuadReal(1, slot++), StoredK(a, i, j)) << i << "," << j;
    EXPECT_EQ(slot, 44);
}

TEST(QuadStiffness, RectanglesObeyTheClosedFormsAndRigidMotions)
{
    struct Case
    {
        const char* name;
        std::vector<std::string> grids;
        double a, b; // rectangle sides along x and y, 0 for a general quad
    };
    const Case cases[] = {
        {"2 x 1 rectangle", {"GRID 1 0 0", "GRID 2 2 0", "GRID 3 2 1", "GRID 4 0 1"}, 2, 1},
        {"1 x 3 rectangle", {"GRID 1 0 0", "GRID 2 1 0", "GRID 3 1 3", "GRID 4 0 3"}, 1, 3},
        {"general quad",
         {"GRID 1 0.2 0.1", "GRID 2 2.1 -0.3", "GRID 3 2.5 1.7", "GRID 4 -0.4 1.2"},
         0,
         0},
    };
    const double t = 0.5, e = 1000, nu = 0.25;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Analysis a;
        ReadModelText(a, QuadModel(c.grids, "QUAD 1 1 2 3 4 1 1"));
        ASSERT_TRUE(AssembleStiffness(a));
        const Dense k = DenseK(a);
        double scale = 0;
        for (int i = 1; i <= 8; ++i)
            scale = std::max(scale, k[i][i]);
        // Translations and the rigid rotation (u = -y, v = x) strain nothing.
        std::vector<double> rot(9, 0.0);
        for (int g = 1; g <= 4; ++g) {
            rot[2 * g - 1] = -a.Model.GridReal(g, 2);
            rot[2 * g] = a.Model.GridReal(g, 1);
        }
        for (int i = 1; i <= 8; ++i) {
            double sx = 0, sy = 0, sr = 0;
            for (int j = 1; j <= 8; ++j) {
                (j % 2 ? sx : sy) += k[i][j];
                sr += k[i][j] * rot[j];
            }
            EXPECT_NEAR(sx, 0, 1e-12 * scale) << "row " << i;
            EXPECT_NEAR(sy, 0, 1e-12 * scale) << "row " << i;
            EXPECT_NEAR(sr, 0, 1e-11 * scale) << "row " << i;
        }
        if (c.a > 0) {
            const double k11 =
                t * e / (1 - nu * nu) * (c.b / (3 * c.a) + (1 - nu) * c.a / (6 * c.b));
            EXPECT_NEAR(k[1][1], k11, 2e-6 * k11);
        }
    }
}

TEST(QuadStiffness, ConstantStrainEnergyIsExactOnParallelograms)
{
    // For a parallelogram detJ is constant, so the four points integrate a constant strain
    // exactly whatever their position: u^T K u = area * t * eps^T D eps.
    const double t = 0.5, e = 1000, nu = 0.25, g = e / (2 * (1 + nu));
    const double ex = 1e-3, ey = -4e-4, gxy = 6e-4;
    Analysis a;
    ReadModelText(a, QuadModel({"GRID 1 0 0", "GRID 2 3 0.5", "GRID 3 4 2.5", "GRID 4 1 2"},
                               "QUAD 1 1 2 3 4 1 1"));
    ASSERT_TRUE(AssembleStiffness(a));
    std::vector<double> u(9, 0.0);
    for (int k = 1; k <= 4; ++k) {
        const double x = a.Model.GridReal(k, 1), y = a.Model.GridReal(k, 2);
        u[2 * k - 1] = ex * x + gxy / 2 * y;
        u[2 * k] = ey * y + gxy / 2 * x;
    }
    const double area = 3 * 2 - 0.5 * 1; // |(3, 0.5) x (1, 2)|
    const double d = e / (1 - nu * nu);
    const double density = d * (ex * ex + 2 * nu * ex * ey + ey * ey) + g * gxy * gxy;
    EXPECT_NEAR(Energy(DenseK(a), u), area * t * density, 1e-12 * area * t * density);
}

TEST(QuadStiffness, FarFromTheOriginGivesTheSameStiffness)
{
    const std::vector<std::string> grids = {"GRID 1 0.2 0.1", "GRID 2 2.1 -0.3", "GRID 3 2.5 1.7",
                                            "GRID 4 -0.4 1.2"};
    Analysis nearA, farA;
    ReadModelText(nearA, QuadModel(grids, "QUAD 1 1 2 3 4 1 1"));
    ReadModelText(farA, QuadModel(Shifted(grids, 1.0e6, -3.0e6), "QUAD 1 1 2 3 4 1 1"));
    ASSERT_TRUE(AssembleStiffness(nearA));
    ASSERT_TRUE(AssembleStiffness(farA));
    ExpectDenseNear(DenseK(farA), DenseK(nearA), 1e-9, "shifted quad");
}

TEST(QuadStiffness, TriangleUsesSixDofsAndTwentyOneTerms)
{
    Analysis a;
    ReadModelText(a,
                  QuadModel({"GRID 1 0 0", "GRID 2 2 0", "GRID 3 0.5 1.5"}, "QUAD 1 1 2 3 0 1 1"));
    ASSERT_EQ(a.Model.NEQ, 6);
    ASSERT_TRUE(AssembleStiffness(a));
    for (int gi = 1; gi <= 2; ++gi)
        for (int gj = 1; gj <= 2; ++gj)
            EXPECT_GT(ComputeQuadStrainMatrix(a, gi, gj, 1), 0);
    int slot = 8;
    for (int i = 1; i <= 6; ++i)
        for (int j = i; j <= 6; ++j)
            EXPECT_DOUBLE_EQ(a.Model.QuadReal(1, slot++), StoredK(a, i, j));
    EXPECT_EQ(slot, 29);
    for (; slot <= 43; ++slot)
        EXPECT_EQ(a.Model.QuadReal(1, slot), 0.0) << slot;
    // A constant strain in the triangle: the collapsed quad integrates it exactly too, and
    // the rigid rotation strains nothing.
    const double e = 1000, nu = 0.25, g = e / (2 * (1 + nu)), d = e / (1 - nu * nu);
    const double ex = 1e-3, ey = -4e-4, gxy = 6e-4;
    std::vector<double> u(7, 0.0), rot(7, 0.0);
    for (int k = 1; k <= 3; ++k) {
        const double x = a.Model.GridReal(k, 1), y = a.Model.GridReal(k, 2);
        u[2 * k - 1] = ex * x + gxy / 2 * y;
        u[2 * k] = ey * y + gxy / 2 * x;
        rot[2 * k - 1] = -y;
        rot[2 * k] = x;
    }
    const double area = 0.5 * 2 * 1.5;
    const double density = d * (ex * ex + 2 * nu * ex * ey + ey * ey) + g * gxy * gxy;
    const Dense k = DenseK(a);
    EXPECT_NEAR(Energy(k, u), area * 0.5 * density, 1e-12 * area * density);
    for (int i = 1; i <= 6; ++i) {
        double sr = 0;
        for (int j = 1; j <= 6; ++j)
            sr += k[i][j] * rot[j];
        EXPECT_NEAR(sr, 0, 1e-10 * k[i][i]) << "row " << i;
    }
}

TEST(QuadStiffness, ShearPanelCarriesShearOnly)
{
    Analysis a;
    ReadModelText(a, QuadModel(UnitSquare, "QUAD 1 1 2 3 4 1 1", "MATL 1 1000 0.25 SHEAR"));
    ASSERT_TRUE(AssembleStiffness(a));
    EXPECT_EQ(a.Model.QuadReal(1, 4), 0.0);
    EXPECT_EQ(a.Model.QuadReal(1, 5), 0.0);
    EXPECT_EQ(a.Model.QuadReal(1, 6), 0.0);
    const double g = 1000 / 2.5, t = 0.5;
    const Dense k = DenseK(a);
    // N1 = (1-x)(1-y): the integral of (dN1/dy)^2 is 1/3, of dN1/dx dN1/dy 1/4.
    EXPECT_NEAR(k[1][1], g * t / 3, 1e-6 * g * t);
    EXPECT_NEAR(k[1][2], g * t / 4, 1e-6 * g * t);
    // A stretch along x (u = x) strains nothing that the panel carries.
    std::vector<double> u = {0, 0, 0, 1, 0, 1, 0, 0, 0};
    EXPECT_NEAR(Energy(k, u), 0, 1e-9);
}

TEST(QuadStiffness, ClockwiseOrFoldedCornersRaiseDiagnostic21AndAddNothing)
{
    struct Case
    {
        const char* name;
        std::vector<std::string> grids;
        const char* quad;
    };
    const Case cases[] = {
        {"clockwise square", UnitSquare, "QUAD 1 1 4 3 2 1 1"},
        {"folded over",
         {"GRID 1 0 0", "GRID 2 1 0", "GRID 3 0 1", "GRID 4 1 1"},
         "QUAD 1 1 2 3 4 1 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Analysis a;
        ReadModelText(a, QuadModel(c.grids, c.quad));
        EXPECT_FALSE(AssembleStiffness(a));
        EXPECT_EQ(a.State.FatalText, "Quad 1 grids not counter-clockwise order\r\n");
        EXPECT_EQ(a.Summary.LogText, "Processing Quad:  1\r\nQuad 1 grids not counter-clockwise "
                                     "order\r\n\r\nDone processing quads");
    }
    // The clockwise square fails at its first Gauss point: nothing is added anywhere.
    Analysis a;
    ReadModelText(a, QuadModel(UnitSquare, "QUAD 1 1 4 3 2 1 1"));
    AssembleStiffness(a);
    EXPECT_DOUBLE_EQ(ComputeQuadStrainMatrix(a, 1, 1, 1), -0.25);
    for (long long p = 1; p < a.Profile.ProfileSize; ++p)
        EXPECT_EQ(a.Profile.KValues(p), 0.0) << p;
    for (int slot = 8; slot <= 43; ++slot)
        EXPECT_EQ(a.Model.QuadReal(1, slot), 0.0) << slot;
}

} // namespace
} // namespace tavu
