#include "TestSupport.h"
#include "common/Numbers.h"
#include "model/PreScan.h"
#include "model/Reader.h"
#include "solver/Profile.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tavu {
namespace {

using testing::CrlfText;
using testing::ProcessModel;

// The stages as the driver calls them, keeping what ReadModel returned.
bool ReadStages(Analysis& a, const std::vector<std::string>& lines)
{
    SplitModelText(a, CrlfText(lines));
    PreScanModel(a);
    if (!a.State.FatalText.empty())
        return false;
    return ReadModel(a);
}

std::string CountLines(int grids, int beams, int quads, int springs, int equations,
                       long long stiffness)
{
    return "Number of grids:    " + NumberText(grids) + "\r\n" +
           "Number of beams:    " + NumberText(beams) + "\r\n" +
           "Number of quads:    " + NumberText(quads) + "\r\n" +
           "Number of springs:  " + NumberText(springs) + "\r\n" +
           "Number of equations:" + NumberText(equations) + "\r\n" +
           "Stiffness elements :" + NumberText(static_cast<double>(stiffness)) + "\r\n";
}

const std::vector<std::string> Cantilever = {
    "$ cantilever, fixed at grid 1",
    "GRID 1 0 0",
    "GRID 2 10 0",
    "BEAM 1 1 2 1 1",
    "PROP 1 1 1",
    "MATL 1 1000",
    "DOFS DEF 1 1 1",
    "RACT 1 1 1 1",
    "ENDMODEL",
    "LOAD 2 0 -1",
};

TEST(ReadText, MatchesTheReportOfASuccessfulRun)
{
    Analysis a;
    ASSERT_TRUE(ProcessModel(a, Cantilever)) << a.Summary.ReadText;
    EXPECT_EQ(a.Summary.ReadText, "Number of grids:     2\r\n"
                                  "Number of beams:     1\r\n"
                                  "Number of quads:     0\r\n"
                                  "Number of springs:   0\r\n"
                                  "Number of equations: 3\r\n"
                                  "Stiffness elements : 6\r\n"
                                  "\r\n"
                                  "Done processing model");
    EXPECT_EQ(a.State.Stage, ModelRead);
    EXPECT_EQ(a.State.EndModelLine, 9);

    // A plate of two quads on four springs-held grids: the counts of every kind.
    Analysis b;
    ASSERT_TRUE(
        ProcessModel(b, {"GRID 1 0 0", "GRID 2 1 0", "GRID 3 2 0", "GRID 4 0 1", "GRID 5 1 1",
                         "GRID 6 2 1", "QUAD 1 1 2 5 4 1 1", "QUAD 2 2 3 6 5 1 1", "PROP 1 0.1",
                         "MATL 1 1000 0.3", "DOFS DEF 1 1 0", "RACT 1 1 1", "SPRG 4 100 100",
                         "SPRG 4 THRU 4 100 100", "ENDMODEL", "SPRG 9 1 1"}))
        << b.Summary.ReadText;
    // Grid 1 restrained, grids 2..6 free in u, v: 10 equations; a band of columns.
    EXPECT_EQ(b.Summary.ReadText,
              CountLines(6, 0, 2, 3, 10, b.Profile.ProfileSize - 2) + "\r\nDone processing model");
    EXPECT_EQ(b.Profile.ProfileSize - 2, 55); // every column reaches equation 1
}

TEST(ReadText, FramesTheDiagnosticsBetweenCountsAndTheLastLine)
{
    // The record pass fails: nothing is numbered, the equation and stiffness lines say 0.
    std::vector<std::string> lines = Cantilever;
    lines[3] = "BEAM 1 1 1 1 1";
    Analysis a;
    EXPECT_FALSE(ProcessModel(a, lines));
    EXPECT_EQ(a.Summary.ReadText, CountLines(2, 1, 0, 0, 0, 0) + "\r\n"
                                                                 "BEAM 1 1 1 1 1\r\n"
                                                                 "... Grid 1 a duplicate\r\n"
                                                                 "\r\n"
                                                                 "\r\n"
                                                                 "Done processing model");
    EXPECT_EQ(a.State.FatalText, "BEAM 1 1 1 1 1\r\n... Grid 1 a duplicate\r\n");
    EXPECT_EQ(a.State.Stage, ModelPending);

    // A later pass fails: the numbering still ran and the counts show it.
    lines = Cantilever;
    lines[7] = "RACT 1 THRU 4 1 1 1";
    Analysis b;
    EXPECT_FALSE(ProcessModel(b, lines));
    EXPECT_EQ(b.Summary.ReadText, CountLines(2, 1, 0, 0, 0, 0) +
                                      "\r\nRACT 1 THRU 4 1 1 1\r\n"
                                      "... Grid number 4 not found\r\n\r\n\r\n"
                                      "Done processing model");
}

TEST(ReadModel, ReturnsTrueOnlyWhenThePassesAfterTheRecordPassRan)
{
    Analysis a;
    EXPECT_TRUE(ReadStages(a, Cantilever));
    std::vector<std::string> lines = Cantilever;
    lines[5] = "MATL 1 0"; // E = 0: reported by the beam pass, after the record pass
    Analysis b;
    EXPECT_TRUE(ReadStages(b, lines));
    EXPECT_EQ(b.State.FatalText, "MATL missing from beam 1\r\n");
    lines = Cantilever;
    lines[1] = "GRID 1"; // fewer than two numbers: the record pass fails
    Analysis c;
    EXPECT_FALSE(ReadStages(c, lines));
    EXPECT_EQ(c.Model.nGrids, 2); // still counted
    EXPECT_EQ(c.Model.NEQ, 0);
}

// Errors found by several passes: the record pass stops the run by itself; after it, the
// grid, beam, quad and constraint passes all report before the summary.
TEST(ReadModel, ReportsTheErrorsOfEveryLaterPassInPassOrder)
{
    Analysis a;
    EXPECT_FALSE(ProcessModel(a, {
                                     "GRID 1 0 0",
                                     "GRID 2 5 0 EQ",
                                     "GRID 3 1 30 POLAR 7",
                                     "BEAM 1 1 0 1 1",
                                     "QUAD 1 1 2 3 0 4 1",
                                     "PROP 1 1 1",
                                     "MATL 1 1000",
                                     "DOFS DEF 1 1 1",
                                     "RACT 1 1 1 1",
                                     "RACT 9 1 1 1",
                                     "ENDMODEL",
                                 }));
    EXPECT_EQ(a.State.FatalText, "GRID 2 5 0 EQ\r\n... Grid equate 5 not found\r\n"
                                 "GRID 3 1 30 POLAR 7\r\n... Polar center grid 7 not found\r\n"
                                 "Grid 0 of beam 1 not found\r\n"
                                 "PROP missing from quad 1\r\n"
                                 "RACT 9 1 1 1\r\n... Grid number 9 not found\r\n");
    EXPECT_GT(a.Model.NEQ, 0);
}

TEST(RecordPass, ReportsEachBadLineOnce)
{
    struct Case
    {
        std::vector<std::string> lines;
        const char* fatal;
    } cases[] = {
        // Grid ids must be exactly 1..number of grids.
        {{"GRID 1 0 0", "GRID 1 1 0"}, "GRID 1 1 0\r\n... Grid 1 a duplicate\r\n"},
        {{"GRID 0 0 0", "GRID 1 1 0"}, "GRID 0 0 0\r\n... Bad record... check syntax\r\n"},
        {{"GRID 1 0 0", "GRID 3 1 0"}, "GRID 3 1 0\r\n... Bad record... check syntax\r\n"},
        {{"GRID 1", "GRID 2 1 0"}, "GRID 1\r\n... Bad record... check syntax\r\n"},
        // Numbers without a keyword: one report, not two.
        {{"GRID 1 0 0", "GRID 2 1 0", "3 4 5"}, "3 4 5\r\n... Bad record... check syntax\r\n"},
        {{"GRID 1 0 0", "GRID 2 1 0", "LOAD 1 0 1"},
         "LOAD 1 0 1\r\n... Bad record... check syntax\r\n"},
        {{"GRID 1 0 0", "GRID 2 1 0", "BEAM 4 2 2"}, "BEAM 4 2 2\r\n... Grid 4 a duplicate\r\n"},
        {{"GRID 1 0 0", "GRID 2 1 0", "BEAM 4 1"},
         "BEAM 4 1\r\n... Bad record... check syntax\r\n"},
        {{"GRID 1 0 0", "BEAM 4 1 2", "GRID 2 1 0"}, "Grid 2 of beam 4 not found\r\n"},
        {{"GRID 1 0 0", "GRID 2 1 0", "GRID 3 1 1", "QUAD 5 1 2 3 3"},
         "QUAD 5 1 2 3 3\r\n... Grid 5 a duplicate\r\n"},
        // A triangle without PROP and MATL ids: the quad pass reports them.
        {{"GRID 1 0 0", "GRID 2 1 0", "GRID 3 1 1", "QUAD 5 1 2 3"},
         "PROP missing from quad 1\r\nMATL missing from quad 1\r\n"},
        {{"GRID 1 0 0", "GRID 2 1 0", "GRID 3 1 1", "QUAD 5 1 1 2 2"},
         "QUAD 5 1 1 2 2\r\n... Grid 5 a duplicate\r\n"
         "QUAD 5 1 1 2 2\r\n... Grid 5 a duplicate\r\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines = c.lines;
        for (const char* tail :
             {"PROP 1 1 1", "MATL 1 1", "DOFS DEF 1 1 1", "SPRG 1 1 1 1", "ENDMODEL"})
            lines.push_back(tail);
        Analysis a;
        ReadStages(a, lines);
        EXPECT_EQ(a.State.FatalText, c.fatal) << CrlfText(c.lines);
    }
}

TEST(RecordPass, ChecksTheOrderOfTheConstraintRecords)
{
    const std::vector<std::string> head = {"GRID 1 0 0", "GRID 2 1 0", "BEAM 1 1 2 1 1",
                                           "PROP 1 1 1", "MATL 1 1"};
    struct Case
    {
        std::vector<std::string> tail;
        const char* fatal;
    } cases[] = {
        {{"DOFS 1 1 1 1", "RACT 1 1 1 1", "ENDMODEL"}, ""},
        {{"RACT 1 1 1 1", "ENDMODEL"}, "Input order is wrong for record 6\r\n"},
        {{"SPRG 1 1 1 1", "DOFS 2 1 1 1", "ENDMODEL"},
         "Input order is wrong for record 6\r\nInput order is wrong for record 7\r\n"},
        {{"DOFS 1 1 1 1", "DOFS DEF 1 1 1", "RACT 1 1 1 1", "ENDMODEL"},
         "Input order is wrong for record 7\r\n"},
        {{"DOFS DEF 1 1 1", "NSEQ 2 1", "ENDMODEL", "RACT 1 1 1 1"},
         "Must include constraints (RACT or SPRG)\r\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines = head;
        lines.insert(lines.end(), c.tail.begin(), c.tail.end());
        Analysis a;
        ReadStages(a, lines);
        EXPECT_EQ(a.State.FatalText, c.fatal) << CrlfText(c.tail);
    }
}

TEST(RecordPass, ReportsMissingPropertiesOfElementsWithoutIds)
{
    // BEAM 0 is no element to the pre-scan (ids count), but the reader counts records.
    Analysis a;
    ReadStages(a, {"GRID 1 0 0", "GRID 2 1 0", "BEAM 0 1 2", "DOFS DEF 1 1 1", "SPRG 1 1 1 1",
                   "ENDMODEL"});
    EXPECT_EQ(a.State.FatalText, "No PROP record found\r\nNo MATL record found\r\n");
}

TEST(RecordPass, ReadsOnlyUpToEndModelAndShowsItsProgress)
{
    class Progress : public ProgressSink
    {
    public:
        void ShowReadProgress(int line) override { lines.push_back(line); }
        std::vector<int> lines;
    } progress;
    Analysis a;
    a.Progress = &progress;
    std::vector<std::string> lines = Cantilever;
    lines.insert(lines.begin() + 2, "");
    lines.push_back("GRID 3 0 0");
    ASSERT_TRUE(ReadStages(a, lines)) << a.State.FatalText;
    EXPECT_EQ(progress.lines, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(a.State.EndModelLine, 10);
    EXPECT_EQ(a.Model.nGrids, 2);
    EXPECT_EQ(a.Model.Grids.Last(), 3); // a spare row for the grid after ENDMODEL
    EXPECT_EQ(GridIndexOf(a.Model, 3), 0);
}

TEST(GridPass, PlacesPolarAndCopiedGrids)
{
    const double pi = 4.0 * std::atan(1.0);
    Analysis a;
    ASSERT_TRUE(ReadStages(a, {
                                  "GRID 1 2 3",
                                  "GRID 2 10 0 30 $ axes turned by 30 degrees",
                                  "GRID 3 10 90 POLAR $ about the origin",
                                  "GRID 4 5 180 POLAR 1",
                                  "GRID 5 5 180 POLAR 1 45",
                                  "GRID 6 5 180 POLAR 1 45 7",
                                  "GRID 7 EQ 2",
                                  "GRID 8 EQ 9 $ grid 9 is not resolved yet",
                                  "GRID 9 2 90 POLAR 3 $ about a grid that is polar itself",
                                  "DOFS DEF 1 1 1",
                                  "SPRG 1 THRU 9 1 1 1",
                                  "ENDMODEL",
                              }));
    const ModelStore& m = a.Model;
    struct Expect
    {
        int id;
        double x, y, angleDeg;
        int axisCode;
    } expect[] = {
        {1, 2, 3, 0, 0},
        {2, 10, 0, 30, 0},
        {3, 10 * std::cos(90 * DEG), 10 * std::sin(90 * DEG), 90, -1},
        {4, 2 + 5 * std::cos(180 * DEG), 3 + 5 * std::sin(180 * DEG), 180, -1},
        {5, -3, 3, 45, -1},
        {6, -3, 3, 180, -1}, // six numbers: number 5 is not used
        {7, 10, 0, 30, 0},
        {8, 2, 90, 90, 0}, // copies grid 9 before it is placed: its radius and angle
        {9, 10 * std::cos(90 * DEG) + 2 * std::cos(90 * DEG),
         10 * std::sin(90 * DEG) + 2 * std::sin(90 * DEG), 90, -1},
    };
    for (const Expect& e : expect) {
        const int g = GridIndexOf(m, e.id);
        ASSERT_NE(g, 0);
        EXPECT_NEAR(m.Grids(g).x, e.x, 1e-12) << e.id;
        EXPECT_NEAR(m.Grids(g).y, e.y, 1e-12) << e.id;
        EXPECT_DOUBLE_EQ(m.Grids(g).axisAngle, e.angleDeg * DEG) << e.id;
        EXPECT_EQ(m.Grids(g).axisCode, e.axisCode) << e.id;
    }
    // Grid 3 lies at (0, 10): dof 1 along y (radial), dof 2 along minus x.
    EXPECT_NEAR(m.Grids(3).x, 0, 1e-9);
    EXPECT_NEAR(m.Grids(3).axisAngle, pi / 2, 1e-12);
    EXPECT_EQ(a.State.FatalText, "");
}

TEST(GridPass, ReportsCentersAndCopiesItCannotUse)
{
    struct Case
    {
        const char* line;
        const char* fatal;
    } cases[] = {
        {"GRID 3 1 0 POLAR 2", ""},
        {"GRID 3 1 0 POLAR 4", "GRID 3 1 0 POLAR 4\r\n... Polar center grid 4 not found\r\n"},
        {"GRID 3 1 0 POLAR -2", "GRID 3 1 0 POLAR -2\r\n... Polar center grid-2 not found\r\n"},
        {"GRID 3 1 0 POLAR 1", "GRID 3 1 0 POLAR 1\r\n... Polar center grid 1 not cartesian\r\n"},
        {"GRID 3 EQ 0", "GRID 3 EQ 0\r\n... Grid equate 0 not found\r\n"},
        {"GRID 3 EQ -1", "GRID 3 EQ -1\r\n... Grid equate-1 not found\r\n"},
        {"GRID 3 EQ 9", "GRID 3 EQ 9\r\n... Grid equate 9 not found\r\n"},
        {"GRID 3 EQ 3", ""},
    };
    for (const Case& c : cases) {
        Analysis a;
        // Grid 1 is polar about grid 2; grid 2 is polar about the origin.
        ReadStages(a, {"GRID 1 1 0 POLAR 2", "GRID 2 1 0 POLAR", c.line, "DOFS DEF 1 1 1",
                       "SPRG 1 1 1 1", "ENDMODEL"});
        EXPECT_EQ(a.State.FatalText, c.fatal) << c.line;
    }
}

struct BeamExpect
{
    double length, angleDeg;
};

BeamExpect BeamGeometry(const std::string& beamLine, const std::string& gridB)
{
    Analysis a;
    ReadStages(a, {"GRID 1 0 0 25", gridB, beamLine, "PROP 1 1 1 0 0", "MATL 1 1000",
                   "DOFS DEF 1 1 1", "RACT 1 1 1 1", "ENDMODEL"});
    EXPECT_EQ(a.State.FatalText, "") << beamLine;
    return {a.Model.Beams(1).length, a.Model.Beams(1).angle / DEG};
}

TEST(BeamPass, MeasuresLengthAndAngleBetweenTheMovedEnds)
{
    struct Case
    {
        const char* beam;
        const char* gridB;
        double length, angleDeg;
    } cases[] = {
        {"BEAM 1 1 2 1 1", "GRID 2 3 4", 5, std::atan2(4.0, 3.0) / DEG},
        {"BEAM 1 1 2 1 1", "GRID 2 0 -2", 2, -90},
        {"BEAM 1 1 2 1 1", "GRID 2 -1 0", 1, 180},
        {"BEAM 1 1 2 1 1 0.5 0.5", "GRID 2 1 0", 1, 0},
        {"BEAM 1 1 2 1 1 0 1", "GRID 2 1 0", std::sqrt(2.0), 45},
        {"BEAM 1 1 2 1 1 1 0", "GRID 2 1 0", std::sqrt(2.0), -45},
        // Coincident grids: length 0 and the angle of grid A's axes, whatever the offsets.
        {"BEAM 1 1 2 1 1 3 -3", "GRID 2 0 0", 0, 25},
    };
    for (const Case& c : cases) {
        const BeamExpect got = BeamGeometry(c.beam, c.gridB);
        EXPECT_NEAR(got.length, c.length, 1e-12) << c.beam << " / " << c.gridB;
        EXPECT_NEAR(got.angleDeg, c.angleDeg, 1e-9) << c.beam << " / " << c.gridB;
    }
}

TEST(BeamPass, FillsTheCoefficientSlots)
{
    Analysis a;
    ASSERT_TRUE(ReadStages(
        a, {"GRID 1 0 0", "GRID 2 2 0", "GRID 3 2 0 30", "BEAM 7 1 2 1 1 0.1 0.2",
            "BEAM 8 2 3 2 2 $ a spring", "BEAM 9 1 2 1 1", "PROP 1 3 4 0 1", "PROP 2 10 20 30",
            "MATL 1 1000 0.3 1e-5 7.5", "DOFS DEF 1 1 1", "RACT 1 1 1 1", "ENDMODEL"}));
    ASSERT_EQ(a.State.FatalText, "");
    const BeamRow& beam = a.Model.Beams(1);
    const double L = std::sqrt(4.0 + 0.01);
    EXPECT_DOUBLE_EQ(beam.kA, 3 * 1000 / L);
    EXPECT_EQ(beam.length, L);
    EXPECT_EQ(beam.expansion, 1e-5);
    EXPECT_EQ(beam.density, 7.5);
    EXPECT_EQ(beam.offsetA, 0.1);
    EXPECT_EQ(beam.offsetB, 0.2);
    EXPECT_EQ(beam.elementKind, AxialLoadBeam); // PROP 1 has P = 1
    EXPECT_EQ(beam.gridB, 2);
    EXPECT_EQ(BeamIndexOf(a.Model, 8), 2);
}

TEST(BeamPass, ReportsMissingGridsPropertiesAndMaterials)
{
    struct Case
    {
        const char* beam;
        const char* fatal;
    } cases[] = {
        {"BEAM 5 1 2 1 1", ""},
        {"BEAM 5 -1 2 1 1", "Grid-1 of beam 5 not found\r\n"},
        {"BEAM 5 0 -2 1 1", "Grid 0 of beam 5 not found\r\nGrid-2 of beam 5 not found\r\n"},
        {"BEAM 5 1 2 3 1", "PROP missing from beam 1\r\n"},
        {"BEAM 5 1 2 -1 1", "PROP missing from beam 1\r\n"},
        {"BEAM 5 1 2 0 1", "PROP missing from beam 1\r\n"}, // PROP 0 has A = I = 0
        {"BEAM 5 1 2 1 2", "MATL missing from beam 1\r\n"},
        {"BEAM 5 1 2 1 0", "MATL missing from beam 1\r\n"},
        {"BEAM 5 1 2 9 9", "PROP missing from beam 1\r\nMATL missing from beam 1\r\n"},
        // A zero-length spring needs its PROP inside the table, but no MATL.
        {"BEAM 5 1 3 1 9", ""},
        {"BEAM 5 1 3 9 9", "PROP missing from beam 1\r\n"},
        {"BEAM 5 1 3 -4 9", "PROP missing from beam 1\r\n"},
    };
    for (const Case& c : cases) {
        Analysis a;
        ReadStages(a, {"GRID 1 0 0", "GRID 2 2 0", "GRID 3 0 0", c.beam, "PROP 1 1 1",
                       "MATL 1 1000", "DOFS DEF 1 1 1", "RACT 1 1 1 1", "ENDMODEL"});
        EXPECT_EQ(a.State.FatalText, c.fatal) << c.beam;
    }
}

TEST(QuadPass, ConvertsTheMaterialByItsMode)
{
    struct Case
    {
        const char* matl;
        double alpha, E, nu, G;
    } cases[] = {
        {"MATL 2 1000 0.3 2e-5 7", 2e-5, 1000, 0.3, 1000 / 2.6},
        {"MATL 2 1000 0.3 2e-5 7 STRAIN", 2e-5 * 1.3, 1000 / 0.91, 0.3 / 0.7, 1000 / 2.6},
        {"MATL 2 1000 0 2e-5 7 strain", 2e-5, 1000, 0, 500},
        {"MATL 2 1000 0 2e-5 7 SHEAR", 2e-5, 0, 0, 500},
        {"MATL 2 1000 -0.2 2e-5 7 SHEAR", 2e-5, 0, -0.2, 1000 / 1.6},
        {"MATL 2 1000 0.3 2e-5 7 OTHER", 2e-5, 1000, 0.3, 1000 / 2.6},
    };
    for (const Case& c : cases) {
        Analysis a;
        ASSERT_TRUE(ReadStages(a, {"GRID 1 0 0", "GRID 2 1 0", "GRID 3 1 1", "GRID 4 0 1",
                                   "QUAD 9 1 2 3 4 1 2", "QUAD 8 1 2 3 0 1 2", "PROP 1 0.25",
                                   c.matl, "DOFS DEF 1 1 0", "RACT 1 1 1", "ENDMODEL"}));
        ASSERT_EQ(a.State.FatalText, "") << c.matl;
        for (int q = 1; q <= 2; ++q) {
            SCOPED_TRACE(c.matl);
            const QuadRow& quad = a.Model.Quads(q);
            EXPECT_DOUBLE_EQ(quad.expansion, c.alpha);
            EXPECT_EQ(quad.density, 7);
            EXPECT_EQ(quad.thickness, 0.25);
            EXPECT_DOUBLE_EQ(quad.modulus, c.E);
            EXPECT_DOUBLE_EQ(quad.poisson, c.nu);
            EXPECT_DOUBLE_EQ(quad.shearModulus, c.G);
        }
        EXPECT_EQ(a.Model.Quads(1).id, 9);
        EXPECT_EQ(a.Model.Quads(2).grid[4], 3); // the triangle's fourth corner is its third
        EXPECT_EQ(QuadIndexOf(a.Model, 8), 2);
    }
}

TEST(QuadPass, ReportsMissingCornersPropertiesAndMaterials)
{
    struct Case
    {
        const char* quad;
        const char* fatal;
    } cases[] = {
        {"QUAD 6 1 2 3 4 1 1", ""},
        {"QUAD 6 1 2 3 4 0 1", "PROP missing from quad 1\r\n"},
        {"QUAD 6 1 2 3 4 1 0", "MATL missing from quad 1\r\n"},
        {"QUAD 6 1 2 3 4 2 1", "PROP missing from quad 1\r\n"},
        {"QUAD 6 1 2 3 4 -7 -7", "PROP missing from quad 1\r\nMATL missing from quad 1\r\n"},
        {"QUAD 6 1 2 -3 4 1 1", "Grid-3 of quad 6 not found\r\n"},
        {"QUAD 6 1 2 -3 0 1 1", "Grid-3 of quad 6 not found\r\n"}, // a triangle: once
        // The triangle 1 1 2 3 has PROP 0 and MATL 0.
        {"QUAD 6 1 2 3", "PROP missing from quad 1\r\nMATL missing from quad 1\r\n"},
    };
    for (const Case& c : cases) {
        Analysis a;
        ReadStages(a, {"GRID 1 0 0", "GRID 2 1 0", "GRID 3 1 1", "GRID 4 0 1", c.quad, "PROP 1 0.5",
                       "MATL 1 1000", "DOFS DEF 1 1 0", "RACT 1 1 1", "ENDMODEL"});
        EXPECT_EQ(a.State.FatalText, c.fatal) << c.quad;
    }
}

} // namespace
} // namespace tavu
