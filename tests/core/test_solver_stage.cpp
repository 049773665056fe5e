// The store, the springs, rotation and elimination, the rigid-body count and the texts of
// the decomposition stage, on hand-made stores and small models.

#include "TestSupport.h"
#include "common/Numbers.h"
#include "solver/RigidBody.h"
#include "solver/Solver.h"
#include "solver/StiffnessStore.h"
#include "solver/Transform.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace tavu {
namespace {

using namespace testing;

TEST(StiffnessStore, TermsLandInTheirColumnOrAreDropped)
{
    // One beam over equations 1..6: heights 1..6, DiagPos (2, 3, 5, 8, 12, 17, 23).
    Analysis a;
    MakeStore(a, {0, 1, 1, 1, 1, 1, 1});
    ASSERT_EQ(a.System.Store.DiagPos(7), 23);
    struct Case
    {
        long long i, j;
        long long position; // -1: dropped
    } cases[] = {
        {4, 2, 10}, {2, 4, 10}, {1, 1, 2},  {6, 6, 17}, {1, 6, 22},  {6, 1, 22},  {3, 5, 14},
        {0, 3, -1}, {3, 0, -1}, {7, 1, -1}, {1, 7, -1}, {-2, 3, -1}, {3, -3, -1},
    };
    for (const Case& c : cases) {
        a.System.Store.KValues.Create(22);
        AddStiffnessTerm(a, c.i, c.j, 2.5);
        for (long long p = 0; p <= 22; ++p)
            EXPECT_EQ(a.System.Store.KValues(p), p == c.position ? 2.5 : 0.0)
                << "(" << c.i << "," << c.j << ") position " << p;
    }
    // Terms add up; a pair above a column's top has no place.
    Analysis b;
    MakeStore(b, {0, 1, 1, 2, 3});
    AddStiffnessTerm(b, 2, 3, 1.0);
    AddStiffnessTerm(b, 3, 2, 0.5);
    EXPECT_EQ(StoredK(b, 2, 3), 1.5);
    const Vec<double> before = b.System.Store.KValues;
    AddStiffnessTerm(b, 1, 4, 9.0);
    AddStiffnessTerm(b, 4, 1, 9.0);
    for (long long p = 0; p <= before.Last(); ++p)
        EXPECT_EQ(b.System.Store.KValues(p), before(p));
}

TEST(GroundedSprings, ActAlongTheGridAxes)
{
    const double c = std::cos(30 * DEG), s = std::sin(30 * DEG);
    const double kuu = c * c * 10 + s * s * 4, kuv = s * c * 6, kvv = s * s * 10 + c * c * 4;
    struct Case
    {
        const char* name;
        std::vector<std::string> grids, constraints; // besides grid 1 (held) and the beam
        int u, v, r;                                 // equations of the sprung grid
        double kuu, kuv, kvv, krr;                   // spring terms there (beyond the beam's)
    } cases[] = {
        {"axis angle 0", {"GRID 2 2 0"}, {"SPRG 2 10 4 7"}, 1, 2, 3, 10, 0, 4, 7},
        {"axis angle 30", {"GRID 2 2 0 30"}, {"SPRG 2 10 4 0"}, 1, 2, 3, kuu, kuv, kvv, 0},
        {"prescribed u", {"GRID 2 2 0"}, {"RACT 2 -1 0 0", "SPRG 2 10 4 0"}, 1, 2, 3, 10, 0, 4, 0},
        {"grid no element uses",
         {"GRID 2 2 0", "GRID 3 5 5 30"},
         {"SPRG 3 10 4 2"},
         4,
         5,
         6,
         kuu,
         kuv,
         kvv,
         2},
    };
    for (const auto& cs : cases) {
        SCOPED_TRACE(cs.name);
        std::vector<std::string> lines = {"GRID 1 0 0"};
        lines.insert(lines.end(), cs.grids.begin(), cs.grids.end());
        for (const char* l :
             {"BEAM 1 1 2 1 1", "PROP 1 3 0.5", "MATL 1 100", "DOFS DEF 1 1 1", "RACT 1 1 1 1"})
            lines.push_back(l);
        lines.insert(lines.end(), cs.constraints.begin(), cs.constraints.end());
        lines.push_back("ENDMODEL");
        std::vector<std::string> bare = lines;
        for (std::string& l : bare)
            if (l.rfind("SPRG", 0) == 0)
                l = l.substr(0, 6) + " 0 0 0";
        Analysis withSprings, without;
        ReadModelText(withSprings, lines);
        ReadModelText(without, bare);
        ASSERT_TRUE(AssembleStiffness(withSprings));
        ASSERT_TRUE(AssembleStiffness(without));
        auto extra = [&](int i, int j) {
            return StoredK(withSprings, i, j) - StoredK(without, i, j);
        };
        EXPECT_NEAR(extra(cs.u, cs.u), cs.kuu, 1e-12);
        EXPECT_NEAR(extra(cs.u, cs.v), cs.kuv, 1e-12);
        EXPECT_NEAR(extra(cs.v, cs.v), cs.kvv, 1e-12);
        EXPECT_NEAR(extra(cs.r, cs.r), cs.krr, 1e-12);
        EXPECT_EQ(extra(cs.u, cs.r), 0.0);
    }
}

Dense RandomSymmetric(int n, std::mt19937& rng)
{
    std::uniform_real_distribution<double> d(-1, 1);
    Dense k(n + 1, std::vector<double>(n + 1, 0.0));
    for (int i = 1; i <= n; ++i)
        for (int j = i; j <= n; ++j)
            k[i][j] = k[j][i] = d(rng) + (i == j ? 5 : 0);
    return k;
}

// Zeros outside the profile, so that the dense matrix is the one the store holds.
Dense Profiled(const Analysis& a, Dense k)
{
    for (int i = 1; i < static_cast<int>(k.size()); ++i)
        for (int j = 1; j < static_cast<int>(k.size()); ++j)
            if (!HasStiffnessTerm(a, i, j))
                k[i][j] = 0;
    return k;
}

Dense Rotated(Dense k, int ju, double c, double s)
{
    const int n = static_cast<int>(k.size()) - 1, jv = ju + 1;
    for (int m = 1; m <= n; ++m) { // rows
        const double x = k[ju][m], y = k[jv][m];
        k[ju][m] = c * x + s * y;
        k[jv][m] = -s * x + c * y;
    }
    for (int m = 1; m <= n; ++m) { // columns
        const double x = k[m][ju], y = k[m][jv];
        k[m][ju] = c * x + s * y;
        k[m][jv] = -s * x + c * y;
    }
    return k;
}

Dense Without(const Dense& k, int n)
{
    Dense out;
    for (int i = 0; i < static_cast<int>(k.size()); ++i) {
        if (i == n)
            continue;
        std::vector<double> row;
        for (int j = 0; j < static_cast<int>(k.size()); ++j)
            if (j != n)
                row.push_back(k[i][j]);
        out.push_back(row);
    }
    return out;
}

TEST(Rotation, TurnsThePairLikeTheDenseProduct)
{
    // Columns 3 and 4 form a grid's u, v pair; later columns reach them at various heights.
    const std::vector<long long> tops = {0, 1, 1, 2, 2, 3, 3, 1, 5};
    std::mt19937 rng(3);
    struct Case
    {
        const char* name;
        double angle;
    } cases[] = {{"0 degrees", 0}, {"90 degrees", 90}, {"30 degrees", 30}, {"-135 degrees", -135}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Analysis a;
        MakeStore(a, tops);
        const Dense k = Profiled(a, RandomSymmetric(8, rng));
        FillStore(a, k);
        const double cs = std::cos(c.angle * DEG), sn = std::sin(c.angle * DEG);
        ASSERT_TRUE(RotateEquationPair(a.System.Store, a.System.NEQ, 3, cs, sn));
        ExpectDenseNear(DenseK(a), Rotated(k, 3, cs, sn), 1e-15, c.name);
        EXPECT_EQ(a.System.Store.KValues(1), 0.0);
        if (c.angle == 0) {
            for (int i = 1; i <= 8; ++i)
                for (int j = 1; j <= 8; ++j)
                    EXPECT_EQ(StoredK(a, i, j), k[i][j]);
        }
    }
}

TEST(Rotation, RefusesAStoreWithoutRoomForThePair)
{
    struct Case
    {
        const char* name;
        std::vector<long long> tops;
        int ju;
    } cases[] = {
        {"column v lacks row u", {0, 1, 1, 3, 4, 3}, 3},
        {"column v higher than u", {0, 1, 1, 2, 1, 3}, 3},
        {"later column holds v only", {0, 1, 1, 1, 1, 4}, 3},
        {"pair past the last equation", {0, 1, 1, 1}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Analysis a;
        MakeStore(a, c.tops);
        for (long long p = 2; p < a.System.Store.ProfileSize; ++p)
            a.System.Store.KValues(p) = static_cast<double>(p);
        const Vec<double> before = a.System.Store.KValues;
        EXPECT_FALSE(RotateEquationPair(a.System.Store, a.System.NEQ, c.ju, 0.6, 0.8));
        for (long long p = 0; p <= before.Last(); ++p)
            EXPECT_EQ(a.System.Store.KValues(p), before(p));
    }
}

TEST(Elimination, RemovesTheEquationAndRenumbers)
{
    const std::vector<long long> tops = {0, 1, 1, 2, 1, 3, 5, 5};
    struct Case
    {
        const char* name;
        std::vector<int> order; // equations eliminated in turn (numbers at that moment)
    } cases[] = {
        {"the first", {1}},
        {"the last", {7}},
        {"a middle one", {4}},
        {"two in turn", {3, 5}},
    };
    std::mt19937 rng(11);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Analysis a;
        MakeStore(a, tops);
        // Grid i has dof 1 = equation i (plus a restrained dof 8 and a penalty dof).
        std::vector<HandGrid> grids;
        for (int e = 1; e <= 7; ++e)
            grids.push_back({0, 0, 0, e == 6 ? -6 : e, 0, 8, 0});
        MakeGrids(a, grids);
        Dense k = Profiled(a, RandomSymmetric(7, rng));
        FillStore(a, k);
        std::vector<int> number(8);
        for (int e = 1; e <= 7; ++e)
            number[e] = e;
        int neq = 7;
        for (int n : c.order) {
            EliminateEquation(a, n);
            k = Without(k, n);
            for (int e = 1; e <= 7; ++e) {
                if (number[e] == n)
                    number[e] = neq;
                else if (number[e] > n && number[e] <= neq)
                    --number[e];
            }
            --neq;
        }
        ASSERT_EQ(a.System.NEQ, neq);
        ExpectDenseNear(DenseK(a), k, 0, c.name);
        for (int e = 1; e <= 7; ++e) {
            EXPECT_EQ(std::abs(a.System.GridEquations(e)[1]), number[e]) << "grid " << e;
            EXPECT_EQ(a.System.GridEquations(e)[3], 8) << "restrained dofs keep their number";
        }
        if (std::abs(a.System.GridEquations(6)[1]) <= neq) {
            EXPECT_LT(a.System.GridEquations(6)[1], 0) << "a penalty dof keeps its sign";
        }
        EXPECT_EQ(a.System.Store.DiagPos(1), 2);
    }
}

TEST(RotateAndEliminate, LogsTurnsEliminatesAndPenalises)
{
    // Grid 2: axis 30 degrees, its v held (code 2). Grid 3: u prescribed (penalty).
    struct Case
    {
        const char* name;
        int transformFlag;
        const char* logLine;
    } cases[] = {{"turned grids", 1, "\r\nRotating and eliminating dofs"}, {"penalty only", 2, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Analysis a;
        MakeStore(a, {0, 1, 1, 1, 1, 1, 1, 4});
        MakeGrids(a, {{0, 0, 0, 1, 0, 0, 0},
                      {1, 0, c.transformFlag == 1 ? 30 * DEG : 0.0, 2, 3, 4,
                       c.transformFlag == 1 ? 2 : 0},
                      {2, 0, 0, -5, 6, 7, 0}});
        std::mt19937 rng(5);
        Dense k = Profiled(a, RandomSymmetric(7, rng));
        FillStore(a, k);
        a.State.TransformFlag = c.transformFlag;
        a.Summary.LogText = "before";
        ASSERT_TRUE(RotateAndEliminate(a));
        EXPECT_EQ(a.Summary.LogText, std::string("before") + c.logLine);
        if (c.transformFlag == 1) {
            k = Without(Rotated(k, 2, std::cos(30 * DEG), std::sin(30 * DEG)), 3);
            EXPECT_EQ(a.System.NEQ, 6);
            EXPECT_EQ(a.System.GridEquations(2)[2], 7) << "the eliminated v is numbered NEQ before";
            EXPECT_EQ(a.System.GridEquations(3)[1], -4);
        } else {
            EXPECT_EQ(a.System.NEQ, 7);
        }
        const int penalty = -a.System.GridEquations(3)[1];
        k[penalty][penalty] = 1.0e99;
        ExpectDenseNear(DenseK(a), k, 1e-15, c.name);
        EXPECT_EQ(StoredK(a, penalty, penalty), 1.0e99);
    }
}

TEST(RigidBody, CountsTheMotionsTheRestraintsLeaveFree)
{
    const double a30 = 30 * DEG;
    struct Case
    {
        const char* name;
        std::vector<HandGrid> grids; // equations above 3 restrained (NEQ 3), negative penalty
        int free;
        const char* text;
    } cases[] = {
        {"nothing restrained",
         {{0, 0, 0, 1, 2, 3}, {4, 1, 0, 0, 0, 0}},
         3,
         "3 rigid body dofs exist"},
        {"one pinned grid", {{0, 0, 0, 9, 8, 1}, {4, 1, 0, 2, 3, 0}}, 1, "1 rigid body dof exists"},
        {"two pinned grids", {{0, 0, 0, 9, 8, 1}, {4, 1, 0, 7, 6, 2}}, 0, ""},
        {"two rollers on y = 0",
         {{0, 0, 0, 1, 9, 2}, {4, 0, 0, 3, 8, 0}},
         1,
         "1 rigid body dof exists"},
        {"penalty rollers",
         {{0, 0, 0, 1, -2, 0}, {4, 0, 0, 3, -3, 0}},
         1,
         "1 rigid body dof exists"},
        {"turned u restraints on a line along their axis",
         {{0, 0, a30, 9, 1, 0, 1}, {2 * std::cos(a30), 2 * std::sin(a30), a30, 8, 2, 0, 1}},
         2,
         "2 rigid body dofs exist"},
        {"turned u restraints off that line",
         {{0, 0, a30, 9, 1, 0, 1}, {2, 0, a30, 8, 2, 0, 1}},
         1,
         "1 rigid body dof exists"},
        {"axis angle of an unturned grid is ignored",
         {{0, 0, a30, 9, 1, 0, 0}, {2 * std::cos(a30), 2 * std::sin(a30), a30, 8, 2, 0, 0}},
         1,
         "1 rigid body dof exists"},
        {"a second restraint 1E-13 off the line counts once",
         {{0, 0, 0, 9, 1, 0}, {5, 1e-13, 0, 8, 2, 0}},
         2,
         "2 rigid body dofs exist"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Analysis a;
        MakeGrids(a, c.grids);
        a.System.NEQ = 3;
        EXPECT_EQ(FreeRigidBodyModes(a), c.free);
        a.Summary.LogText = "log";
        CheckRigidBodyModes(a);
        EXPECT_EQ(a.Summary.LogText, c.free ? "log\r\n" + std::string(c.text) : "log");
    }
    EXPECT_EQ(RigidBodyText(1).size(), RigidBodyText(2).size()) << "the text keeps its length";
}

TEST(Decompose, FailureNamesTheGridTablePositionAndTheDof)
{
    const double nan = std::nan("");
    struct Case
    {
        const char* name;
        std::vector<long long> tops;
        Dense k;
        std::vector<HandGrid> grids;
        std::string lines;
    } cases[] = {
        {"[[1,1],[1,1]]",
         {0, 1, 1},
         {{0, 0, 0}, {0, 1, 1}, {0, 1, 1}},
         {{0, 0, 0, 1, 0, 0}, {1, 0, 0, 0, 2, 0}},
         "Nonpositive pivot at grid 2, dof 2\r\nPivot ratio = 0\r\n3 rigid body dofs exist"},
        {"zero diagonal",
         {0, 1, 1},
         {{0, 0, 0}, {0, 2, 0}, {0, 0, 0}},
         {{0, 0, 0, 1, 0, 0}, {1, 0, 0, 0, 0, 2}},
         "Nonpositive pivot at grid 2, dof 3\r\nPivot ratio = 0\r\n3 rigid body dofs exist"},
        {"5.0E-13 alone",
         {0, 1, 2},
         {{0, 0, 0}, {0, 1, 0}, {0, 0, 5e-13}},
         {{0, 0, 0, 2, 1, 0}},
         "Nonpositive pivot at grid 1, dof 1\r\nPivot ratio = 5E-13\r\n3 rigid body dofs exist"},
        {"NaN stiffness",
         {0, 1, 2},
         {{0, 0, 0}, {0, nan, 0}, {0, 0, 1}},
         {{0, 0, 0, 0, -1, 2}},
         "Nonpositive pivot at grid 1, dof 2\r\nPivot ratio = NaN\r\n2 rigid body dofs exist"},
        {"negative diagonal, penalty numbers",
         {0, 1, 1},
         {{0, 0, 0}, {0, 2, 1}, {0, 1, -3}},
         {{0, 0, 0, 1, 0, 0}, {1, 0, 0, 0, 0, -2}},
         "Nonpositive pivot at grid 2, dof 3\r\nPivot ratio =-3\r\n2 rigid body dofs exist"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Analysis a;
        MakeStore(a, c.tops);
        FillStore(a, c.k);
        MakeGrids(a, c.grids);
        a.Summary.LogText = "";
        const DecompositionOutcome out = Decompose(a);
        EXPECT_FALSE(out.ok);
        const std::string& log = a.Summary.LogText;
        const std::string tail =
            "\r\n\r\nSTOP - stiffness matrix not positive definite\r\n" + c.lines;
        ASSERT_GE(log.size(), tail.size());
        EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
    }
}

// Records every text the stage shows while it works.
class ProgressRecorder : public ProgressSink
{
public:
    void ShowProgressText(const std::string& t) override { shown.push_back(t); }
    std::vector<std::string> shown;
};

TEST(AssembleStiffness, ComposesTheElementLinesAndShowsProgress)
{
    const std::vector<std::string> grids = {"GRID 1 0 0", "GRID 2 1 0", "GRID 3 1 1", "GRID 4 0 1"};
    const std::vector<std::string> tail = {"PROP 1 0.5 0.1", "MATL 1 1000 0.25", "DOFS DEF 1 1 1",
                                           "RACT 1 1 1 1", "ENDMODEL"};
    struct Case
    {
        const char* name;
        std::vector<std::string> elements;
        std::string log;
        std::vector<std::string> progress;
    } cases[] = {
        {"beams and quads",
         {"BEAM 1 1 2 1 1", "BEAM 2 2 3 1 1", "QUAD 1 1 2 3 4 1 1", "QUAD 2 1 2 3 0 1 1"},
         "Processing beam:  2\r\nDone processing beams\r\nProcessing Quad:  2\r\nDone processing "
         "quads",
         {"Processing beam:  1", "Processing beam:  2",
          "Processing beam:  2\r\nDone processing beams\r\nProcessing Quad:  1",
          "Processing beam:  2\r\nDone processing beams\r\nProcessing Quad:  2"}},
        {"quads only",
         {"QUAD 7 1 2 3 4 1 1"},
         "Processing Quad:  1\r\nDone processing quads",
         {"Processing Quad:  1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> lines = grids;
        lines.insert(lines.end(), c.elements.begin(), c.elements.end());
        lines.insert(lines.end(), tail.begin(), tail.end());
        Analysis a;
        ReadModelText(a, lines);
        ProgressRecorder rec;
        a.Progress = &rec;
        ASSERT_TRUE(AssembleStiffness(a));
        EXPECT_EQ(a.Summary.LogText, c.log);
        std::vector<std::string> want = c.progress;
        want.push_back(c.log);
        EXPECT_EQ(rec.shown, want);
    }
}

TEST(AssembleStiffness, ARepeatedStepStartsFromTheModelAsRead)
{
    // A turned grid (one dof eliminated), a penalty dof and a quad: the first decomposition
    // fails (grid 5 has no stiffness), and the repeated step must do exactly the same.
    Analysis a;
    ReadModelText(a,
                  {"GRID 1 0 0", "GRID 2 2 0", "GRID 3 2 2", "GRID 4 0 2 30", "GRID 5 9 9",
                   "QUAD 1 1 2 3 4 1 1", "BEAM 1 3 4 1 1", "PROP 1 0.5 0.1", "MATL 1 1000 0.25",
                   "DOFS DEF 1 1 1", "RACT 1 1 1 0", "RACT 2 -1 0 0", "RACT 4 0 1 0", "ENDMODEL"});
    RecordingWindow first, second;
    EXPECT_FALSE(RunDecomposition(a, first));
    const std::string log = a.Summary.LogText;
    const Vec<double> factors = a.System.Store.KValues;
    const QuadStiffnessRow quadTable = a.System.QuadMatrices(1);
    const int neq = a.System.NEQ;
    EXPECT_NE(log.find("Rotating and eliminating dofs"), std::string::npos);
    EXPECT_NE(log.find("STOP - stiffness matrix not positive definite"), std::string::npos);

    EXPECT_FALSE(RunDecomposition(a, second));
    EXPECT_EQ(a.Summary.LogText, log);
    EXPECT_EQ(a.System.NEQ, neq);
    for (long long p = 0; p <= factors.Last(); ++p)
        EXPECT_EQ(a.System.Store.KValues(p), factors(p)) << p;
    EXPECT_EQ(a.System.QuadMatrices(1).factor, quadTable.factor);
    EXPECT_EQ(a.System.QuadMatrices(1).packed, quadTable.packed);
    EXPECT_TRUE(second.continueDisabled);
    EXPECT_TRUE(second.cancelFocused);
    EXPECT_EQ(a.State.Stage, ModelRead);
}

} // namespace
} // namespace tavu
