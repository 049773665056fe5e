// Whole models through the batch run: the decomposition step's log line by line, its
// failures and what they leave behind, and the turned and prescribed dofs seen in the
// results.

#include "cli/BatchRun.h"
#include "common/Numbers.h"
#include "solver/Solver.h"
#include "test_solver_support.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace tavu {
namespace {

using namespace testing_solver;
using json = nlohmann::json;

BatchRun& RunModel(BatchRun& run, const std::vector<std::string>& lines)
{
    RunBatch(run, CrlfText(lines), {});
    return run;
}

// The stiffness the decomposition sees, built independently of the store's own turning:
// the assembled global K, each turned grid's u, v pair turned by R K Rt, its restrained
// dof removed, and the penalty on every prescribed dof.
Dense ReducedReference(const std::vector<std::string>& lines)
{
    Analysis a;
    ReadModelText(a, lines);
    EXPECT_TRUE(AssembleStiffness(a));
    Dense k = DenseK(a);
    const ModelStore& m = a.Model;
    std::vector<int> removed;
    for (int i = 1; i <= m.nGrids; ++i) {
        const int code = m.GridInt(i, 4);
        if (code <= 0)
            continue;
        const int ju = std::abs(m.GridInt(i, 1)), jv = ju + 1;
        const double c = std::cos(m.GridReal(i, 3)), s = std::sin(m.GridReal(i, 3));
        for (int pass = 0; pass < 2; ++pass)
            for (int x = 1; x <= m.NEQ; ++x) {
                double& p = pass == 0 ? k[ju][x] : k[x][ju];
                double& q = pass == 0 ? k[jv][x] : k[x][jv];
                const double u = p, v = q;
                p = c * u + s * v;
                q = -s * u + c * v;
            }
        if (code == 1 || code == 2)
            removed.push_back(code == 1 ? ju : jv);
    }
    for (int i = 1; i <= m.nGrids; ++i)
        for (int d = 1; d <= 3; ++d)
            if (m.GridInt(i, d) < 0)
                k[-m.GridInt(i, d)][-m.GridInt(i, d)] = 1.0e99;
    std::sort(removed.rbegin(), removed.rend());
    for (int n : removed) {
        k.erase(k.begin() + n);
        for (auto& row : k)
            row.erase(row.begin() + n);
    }
    return k;
}

// The smallest pivot ratio of a dense elimination, over the columns with a coupling term.
double DenseMinimumRatio(const Dense& k)
{
    Dense l;
    std::vector<double> d;
    double minRatio = 1;
    DenseFactor(k, l, d, minRatio);
    return minRatio;
}

std::string Statistics(const Analysis& a)
{
    return "\r\n\r\nNumber of equations =" + NumberText(a.Model.NEQ) + "\r\nSize of stiffness =" +
           NumberText(static_cast<double>(a.Profile.DiagPos(a.Model.NEQ + 1) - 2)) +
           "\r\nMaximum active column =" + NumberText(a.Profile.MaxActiveColumn) +
           "\r\nRMS active column =" + NumberText(a.Profile.RmsActiveColumn);
}

// Eight POLAR grids on a circle, each held tangentially, under a radial load.
std::vector<std::string> RingModel()
{
    std::vector<std::string> ring;
    for (int g = 1; g <= 8; ++g)
        ring.push_back("GRID " + std::to_string(g) + " 10 " + std::to_string(45 * (g - 1)) +
                       " POLAR");
    for (int b = 1; b <= 8; ++b)
        ring.push_back("BEAM " + std::to_string(b) + " " + std::to_string(b) + " " +
                       std::to_string(b % 8 + 1) + " 1 1");
    for (const char* l : {"PROP 1 2 0.3", "MATL 1 1000", "DOFS DEF 1 1 1", "RACT 1 THRU 8 0 1 0",
                          "ENDMODEL", "LOAD 1 THRU 8 5 0"})
        ring.push_back(l);
    return ring;
}

const std::vector<std::string> Cantilever = {"GRID 1 0 0",   "GRID 2 10 0", "BEAM 1 1 2 1 1",
                                             "PROP 1 1 1",   "MATL 1 1000", "DOFS DEF 1 1 1",
                                             "RACT 1 1 1 1", "ENDMODEL",    "LOAD 2 0 -1"};

TEST(DecompositionLog, CantileverGivesTheClosedFormPivotRatio)
{
    // Tip u, v, rotation: the rotation keeps 1 - 36/48 of its stiffness.
    BatchRun run;
    RunModel(run, Cantilever);
    EXPECT_EQ(ExitStatusOf(run), ExitSolved);
    EXPECT_EQ(run.decompositionLog, "Processing beam:  1\r\nDone processing beams\r\n\r\n"
                                    "Number of equations = 3\r\nSize of stiffness = 6\r\n"
                                    "Maximum active column = 3\r\nRMS active column = 2\r\n\r\n"
                                    "Minimum pivot ratio =  .25");
    EXPECT_EQ(run.analysis.Profile.KValues(1), 0.25);
    EXPECT_EQ(run.analysis.State.Stage, Solved);
    const json j = json::parse(BatchJson(run));
    EXPECT_NEAR(j["grids"][1]["disp"][1].get<double>(), -1000.0 / 3000.0, 1e-12);
}

struct LogCase
{
    const char* name;
    std::vector<std::string> lines;
    std::string elementLines; // the log before the statistics
};

TEST(DecompositionLog, ModelsGiveTheirStatisticsAndMinimumPivotRatio)
{
    const std::vector<std::string> ring = RingModel();
    const LogCase cases[] = {
        {"portal frame",
         {"GRID 1 0 0", "GRID 2 0 4", "GRID 3 6 4", "GRID 4 6 0", "BEAM 1 1 2 1 1",
          "BEAM 2 2 3 2 1", "BEAM 3 4 3 1 1", "PROP 1 5.38E-3 5.79E-5", "PROP 2 7.27E-3 1.16E-4",
          "MATL 1 2.1E8", "DOFS DEF 1 1 1", "RACT 1 1 1 1", "RACT 4 1 1 1", "ENDMODEL",
          "LOAD 2 10 0"},
         "Processing beam:  3\r\nDone processing beams"},
        {"plate",
         {"GRID 1 0 0", "GRID 2 0 1", "GRID 3 1 0", "GRID 4 1 1", "GRID 5 2 0", "GRID 6 2 1",
          "GRID 7 3 0", "GRID 8 3 1", "QUAD 1 1 3 4 2 1 1", "QUAD 2 3 5 6 4 1 1",
          "QUAD 3 5 7 8 6 1 1", "PROP 1 0.1", "MATL 1 210000 0.3", "DOFS DEF 1 1 0",
          "RACT 1 THRU 2 1 1 0", "ENDMODEL", "LOAD 7 THRU 8 0 -1"},
         "Processing Quad:  3\r\nDone processing quads"},
        {"ring of POLAR grids", ring,
         "Processing beam:  8\r\nDone processing beams\r\nRotating and eliminating dofs"},
        {"roller on an inclined support",
         {"GRID 1 0 0", "GRID 2 4 0 30", "GRID 3 2 0", "BEAM 1 1 3 1 1", "BEAM 2 3 2 1 1",
          "PROP 1 2 0.3", "MATL 1 1000", "DOFS DEF 1 1 1", "RACT 1 1 1 0", "RACT 2 0 1 0",
          "ENDMODEL", "LOAD 3 0 -10"},
         "Processing beam:  2\r\nDone processing beams\r\nRotating and eliminating dofs"},
        {"prescribed displacement",
         {"GRID 1 0 0", "GRID 2 10 0", "BEAM 1 1 2 1 1", "PROP 1 1 1", "MATL 1 1000",
          "DOFS DEF 1 1 1", "RACT 1 1 1 1", "RACT 2 0 -1 0", "ENDMODEL", "DISP 2 0 0.01"},
         "Processing beam:  1\r\nDone processing beams"},
        {"everything restrained",
         {"GRID 1 0 0", "GRID 2 10 0", "BEAM 1 1 2 1 1", "PROP 1 1 1", "MATL 1 1000",
          "DOFS DEF 1 1 1", "RACT 1 THRU 2 1 1 1", "ENDMODEL", "LOAD 2 0 -1"},
         "Processing beam:  1\r\nDone processing beams"},
    };
    for (const LogCase& c : cases) {
        SCOPED_TRACE(c.name);
        BatchRun run;
        RunModel(run, c.lines);
        ASSERT_EQ(ExitStatusOf(run), ExitSolved) << run.decompositionLog << run.readText;
        const Dense reference = ReducedReference(c.lines);
        ASSERT_EQ(static_cast<int>(reference.size()) - 1, run.analysis.Model.NEQ);
        const std::string ratio = NumberText(DenseMinimumRatio(reference), 5);
        EXPECT_EQ(run.decompositionLog, c.elementLines + Statistics(run.analysis) +
                                            "\r\n\r\nMinimum pivot ratio = " + ratio);
    }
}

TEST(TurnedDofs, ResultsFollowTheGridAxes)
{
    // Ring under a uniform radial load: every grid moves out by the same amount, and the
    // eliminated tangential dofs show zero.
    const std::vector<std::string> ring = RingModel();
    BatchRun run;
    RunModel(run, ring);
    ASSERT_EQ(ExitStatusOf(run), ExitSolved);
    const json j = json::parse(BatchJson(run));
    const double radial = j["grids"][0]["disp"][0].get<double>();
    EXPECT_GT(radial, 0);
    for (const json& g : j["grids"]) {
        EXPECT_NEAR(g["disp"][0].get<double>(), radial, 1e-9 * radial);
        EXPECT_EQ(g["disp"][1].get<double>(), 0.0);
        EXPECT_NEAR(g["disp"][2].get<double>(), 0.0, 1e-9 * radial);
    }

    // Roller on a 30 degree incline: it moves along the incline only, and a vertical load
    // of 10 at mid-span is carried half by a reaction across the incline.
    BatchRun roller;
    RunModel(roller, {"GRID 1 0 0", "GRID 2 4 0 30", "GRID 3 2 0", "BEAM 1 1 3 1 1",
                      "BEAM 2 3 2 1 1", "PROP 1 2 0.3", "MATL 1 1000", "DOFS DEF 1 1 1",
                      "RACT 1 1 1 0", "RACT 2 0 1 0", "ENDMODEL", "LOAD 3 0 -10"});
    ASSERT_EQ(ExitStatusOf(roller), ExitSolved);
    const json r = json::parse(BatchJson(roller));
    EXPECT_EQ(r["grids"][1]["disp"][1].get<double>(), 0.0);
    EXPECT_NE(r["grids"][1]["disp"][0].get<double>(), 0.0);
    EXPECT_NEAR(std::fabs(r["grids"][1]["reaction"][1].get<double>()), 5 / std::cos(30 * DEG),
                1e-9);

    // A prescribed displacement reaches its dof through the penalty diagonal.
    BatchRun pushed;
    RunModel(pushed,
             {"GRID 1 0 0", "GRID 2 10 0", "BEAM 1 1 2 1 1", "PROP 1 1 1", "MATL 1 1000",
              "DOFS DEF 1 1 1", "RACT 1 1 1 1", "RACT 2 0 -1 0", "ENDMODEL", "DISP 2 0 0.01"});
    ASSERT_EQ(ExitStatusOf(pushed), ExitSolved);
    EXPECT_EQ(pushed.analysis.State.TransformFlag, 2);
    const json p = json::parse(BatchJson(pushed));
    EXPECT_NEAR(p["grids"][1]["disp"][1].get<double>(), 0.01, 1e-12);
}

struct FailureCase
{
    const char* name;
    std::vector<std::string> lines;
    std::string logEnd;
};

TEST(DecompositionFailure, StopsTheRunWithExit2AndTheDesignedLines)
{
    const std::string stop = "\r\n\r\nSTOP - stiffness matrix not positive definite\r\n";
    const FailureCase cases[] = {
        {"unrestrained beam",
         {"GRID 1 0 0", "GRID 2 10 0", "BEAM 1 1 2 1 1", "PROP 1 1 1", "MATL 1 1000",
          "DOFS DEF 1 1 1", "SPRG 1 0 0 0", "ENDMODEL", "LOAD 2 0 -1"},
         stop + "Nonpositive pivot at grid 2, dof 1\r\nPivot ratio = 0\r\n3 rigid body dofs exist"},
        {"grid table position, not id",
         {"GRID 2 10 0", "GRID 1 0 0", "BEAM 1 1 2 1 1", "PROP 1 1", "MATL 1 1000",
          "DOFS DEF 1 1 0", "RACT 1 1 1 0", "ENDMODEL"},
         stop + "Nonpositive pivot at grid 1, dof 2\r\nPivot ratio = 0\r\n1 rigid body dof exists"},
        {"Poisson's ratio above 1",
         {"GRID 1 0 0", "GRID 2 1 0", "GRID 3 1 1", "GRID 4 0 1", "QUAD 1 1 2 3 4 1 1",
          "PROP 1 0.1", "MATL 1 1000 1.5", "DOFS DEF 1 1 0", "RACT 1 1 1 0", "RACT 4 1 1 0",
          "ENDMODEL"},
         stop + "Nonpositive pivot at grid 2, dof 1\r\nPivot ratio = NaN"},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        BatchRun run;
        RunModel(run, c.lines);
        EXPECT_EQ(ExitStatusOf(run), ExitDecompositionFailed);
        EXPECT_EQ(run.analysis.State.Stage, ModelRead);
        const std::string& log = run.decompositionLog;
        ASSERT_GE(log.size(), c.logEnd.size()) << log;
        EXPECT_EQ(log.substr(log.size() - c.logEnd.size()), c.logEnd) << log;
        EXPECT_EQ(run.loadLog, "");
        const json j = json::parse(BatchJson(run));
        EXPECT_EQ(j["status"], "decomposition_failed");
    }
}

TEST(DecompositionFailure, ElementMessagesEndTheStepBeforeTheDecomposition)
{
    const FailureCase cases[] = {
        {"clockwise quad",
         {"GRID 1 0 0", "GRID 2 1 0", "GRID 3 1 1", "GRID 4 0 1", "QUAD 5 1 4 3 2 1 1",
          "PROP 1 0.1", "MATL 1 1000 0.3", "DOFS DEF 1 1 0", "RACT 1 1 1 0", "RACT 2 1 1 0",
          "ENDMODEL"},
         "Processing Quad:  1\r\nQuad 1 grids not counter-clockwise order\r\n\r\nDone "
         "processing quads"},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        BatchRun run;
        RunModel(run, c.lines);
        EXPECT_EQ(ExitStatusOf(run), ExitDecompositionFailed);
        EXPECT_EQ(run.decompositionLog, c.logEnd);
        EXPECT_EQ(run.analysis.State.Stage, ModelRead);
        const json j = json::parse(BatchJson(run));
        EXPECT_EQ(j["status"], "decomposition_failed");
        ASSERT_EQ(j["diagnostics"].size(), 1u);

        // The summary window: Continue disabled, Stage kept.
        Analysis a;
        ReadModelText(a, c.lines);
        RecordingWindow w;
        ContinueStep(a, w);
        EXPECT_TRUE(w.continueDisabled);
        EXPECT_EQ(w.text, c.logEnd);
        EXPECT_EQ(a.State.Stage, ModelRead);
    }
}

} // namespace
} // namespace tavu
