#include "TestSupport.h"
#include "common/Numbers.h"
#include "model/PreScan.h"
#include "model/Reader.h"

#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tavu {
namespace {

// The model step up to the numbering for the records (separated by "; "), followed by
// PROP 1, MATL 1 and records that hold grid 1 and end the model. Returns what ReadModel
// returned, false when the pre-scan failed.
bool ReadStages(Analysis& a, std::string records)
{
    for (std::size_t at; (at = records.find("; ")) != std::string::npos;)
        records.replace(at, 2, "\r\n");
    SplitModelText(a, records + "\r\nPROP 1 1 1\r\nMATL 1 1000\r\nDOFS DEF 1 1 1\r\n"
                                "SPRG 1 1 1 1\r\nENDMODEL");
    PreScanModel(a);
    return a.State.FatalText.empty() && ReadModel(a);
}

// For each record added to the head: the diagnostics, a "..." message after the record.
void ExpectFatal(const std::string& head, std::initializer_list<std::array<const char*, 2>> cases)
{
    for (const auto& [line, message] : cases) {
        Analysis a;
        ReadStages(a, head + "; " + line);
        const std::string echo = message[0] == '.' ? std::string(line) + "\r\n" : "";
        EXPECT_EQ(a.State.FatalText, *message ? echo + message : "") << line;
    }
}

const std::vector<std::string> Cantilever = {"GRID 1 0 0",   "GRID 2 10 0", "BEAM 1 1 2 1 1",
                                             "PROP 1 1 1",   "MATL 1 1000", "DOFS DEF 1 1 1",
                                             "RACT 1 1 1 1", "ENDMODEL",    "LOAD 2 0 -1"};

TEST(ReadText, CountsThenDiagnosticsThenTheLastLine)
{
    struct : ProgressSink
    {
        void ShowReadProgress(int line) override { lines.push_back(line); }
        std::vector<int> lines;
    } progress;
    const std::string counts = "Number of grids:     2\r\nNumber of beams:     1\r\n"
                               "Number of quads:     0\r\nNumber of springs:   0\r\n";
    Analysis a;
    a.Progress = &progress;
    ASSERT_TRUE(testing::ProcessModel(a, Cantilever)) << a.Summary.ReadText;
    EXPECT_EQ(a.Summary.ReadText, counts + "Number of equations: 3\r\nStiffness elements : 6\r\n"
                                           "\r\nDone processing model");
    EXPECT_EQ(progress.lines, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8})); // up to ENDMODEL

    // The record pass fails: nothing is numbered, the equation and stiffness lines say 0.
    std::vector<std::string> lines = Cantilever;
    lines[2] = "BEAM 1 1 1 1 1";
    Analysis b;
    EXPECT_FALSE(testing::ProcessModel(b, lines));
    EXPECT_EQ(b.Summary.ReadText, counts + "Number of equations: 0\r\nStiffness elements : 0\r\n"
                                           "\r\nBEAM 1 1 1 1 1\r\n... Grid 1 a duplicate\r\n"
                                           "\r\n\r\nDone processing model");
    EXPECT_EQ(b.State.Stage, ModelPending);
}

// The record pass stops the run by itself; after it, the grid, beam, quad and constraint
// passes all run and report in that order.
TEST(ReadModel, ReportsTheErrorsOfEveryLaterPassInPassOrder)
{
    Analysis a;
    testing::ProcessModel(a, {"GRID 1 0 0", "GRID 2 5 0 EQ", "GRID 3 1 30 POLAR 7",
                              "BEAM 1 1 0 1 1", "QUAD 1 1 2 3 0 4 1", "PROP 1 1 1", "MATL 1 1000",
                              "DOFS DEF 1 1 1", "RACT 1 1 1 1", "RACT 9 1 1 1", "ENDMODEL"});
    EXPECT_EQ(a.State.FatalText, "GRID 2 5 0 EQ\r\n... Grid equate 5 not found\r\n"
                                 "GRID 3 1 30 POLAR 7\r\n... Polar center grid 7 not found\r\n"
                                 "Grid 0 of beam 1 not found\r\nPROP missing from quad 1\r\n"
                                 "RACT 9 1 1 1\r\n... Grid number 9 not found\r\n");
    EXPECT_GT(a.Model.NEQ, 0);
    Analysis b;
    EXPECT_FALSE(ReadStages(b, "GRID 1; GRID 2 0 0"));
    EXPECT_EQ(b.Model.NEQ, 0);
}

TEST(RecordPass, ReportsEachBadLineOnceInLineOrder)
{
    const char* const cases[][2] = {
        // Grid ids must be exactly 1..number of grids; that check comes last but reports
        // in line order.
        {"GRID 2 0 0; GRID 3 0 0; GRAB 1 2; BEAM 1 1 1 1 1",
         "GRID 3 0 0\r\n... Bad record... check syntax\r\nGRAB 1 2\r\n... Bad record... check "
         "syntax\r\nBEAM 1 1 1 1 1\r\n... Grid 1 a duplicate\r\n"},
        {"GRID 1 0 0; GRID 1 1 0", "GRID 1 1 0\r\n... Grid 1 a duplicate\r\n"},
        {"GRID 0 0 0; GRID 1 1 0", "GRID 0 0 0\r\n... Bad record... check syntax\r\n"},
        {"GRID 1; GRID 2 1 0", "GRID 1\r\n... Bad record... check syntax\r\n"},
        {"GRID 1 0 0; 3 4 5", "3 4 5\r\n... Bad record... check syntax\r\n"},
        {"GRID 1 0 0; LOAD 1 0 1", "LOAD 1 0 1\r\n... Bad record... check syntax\r\n"},
        {"GRID 1 0 0; BEAM 4 1", "BEAM 4 1\r\n... Bad record... check syntax\r\n"},
        {"GRID 1 0 0; BEAM 4 1 2; GRID 2 1 0", "Grid 2 of beam 4 not found\r\n"},
        {"GRID 1 0 0; GRID 2 1 0; GRID 3 1 1; QUAD 5 1 1 2 2",
         "QUAD 5 1 1 2 2\r\n... Grid 5 a duplicate\r\nQUAD 5 1 1 2 2\r\n... Grid 5 a "
         "duplicate\r\n"},
        // A triangle without PROP and MATL ids: the quad pass reports them.
        {"GRID 1 0 0; GRID 2 1 0; GRID 3 1 1; QUAD 5 1 2 3",
         "PROP missing from quad 1\r\nMATL missing from quad 1\r\n"},
        // The order DOFS DEF, DOFS, then RACT and SPRG.
        {"GRID 1 0 0; DOFS 1 1 1 1; DOFS DEF 1 1 1; RACT 1 1 1 1; ENDMODEL",
         "Input order is wrong for record 3\r\n"},
        {"GRID 1 0 0; DOFS DEF 1 1 1; SPRG 1 1 1 1; DOFS 1 1 1 1; ENDMODEL",
         "Input order is wrong for record 4\r\n"},
        // A constraint record is needed before ENDMODEL.
        {"GRID 1 0 0; DOFS DEF 1 1 1; ENDMODEL", "Must include constraints (RACT or SPRG)\r\n"},
    };
    for (const auto& [records, fatal] : cases) {
        Analysis a;
        ReadStages(a, records);
        EXPECT_EQ(a.State.FatalText, fatal) << records;
    }
    // Elements need PROP and MATL records, even those the pre-scan did not count.
    Analysis a;
    testing::ProcessModel(a, {"GRID 1 0 0", "GRID 2 1 0", "BEAM 0 1 2", "DOFS DEF 1 1 1",
                              "SPRG 1 1 1 1", "ENDMODEL"});
    EXPECT_EQ(a.State.FatalText, "No PROP record found\r\nNo MATL record found\r\n");
}

TEST(GridPass, PlacesPolarAndCopiedGrids)
{
    Analysis a;
    ASSERT_TRUE(ReadStages(a, "GRID 1 2 3; GRID 2 10 0 30; GRID 3 10 90 POLAR; "
                              "GRID 4 5 180 POLAR 1; GRID 5 5 180 POLAR 1 45; "
                              "GRID 6 5 180 POLAR 1 45 7; GRID 7 EQ 2; GRID 8 EQ 9; "
                              "GRID 9 2 30 POLAR 3"));
    EXPECT_EQ(a.State.FatalText, "");
    const double expect[][5] = {
        // id, x, y, axis angle in degrees, axis code
        {1, 2, 3, 0, NoAxisTurn},
        {2, 10, 0, 30, NoAxisTurn}, // axes turned by 30 degrees
        {3, 0, 10, 90, PolarAxes},  // about the origin
        {4, -3, 3, 180, PolarAxes},
        {5, -3, 3, 45, PolarAxes},
        {6, -3, 3, 180, PolarAxes}, // six numbers: number 5 is not used
        {7, 10, 0, 30, NoAxisTurn},
        {8, 2, 30, 30, NoAxisTurn}, // copies grid 9 before it is placed
        {9, 2 * std::cos(30 * DEG), 10 + 2 * std::sin(30 * DEG), 30, PolarAxes}, // about 3
    };
    for (const auto& e : expect) {
        const GridRow& g = a.Model.Grids(GridIndexOf(a.Model, static_cast<int>(e[0])));
        EXPECT_NEAR(g.x, e[1], 1e-12) << e[0];
        EXPECT_NEAR(g.y, e[2], 1e-12) << e[0];
        EXPECT_DOUBLE_EQ(g.axisAngle, e[3] * DEG) << e[0];
        EXPECT_EQ(g.axisCode, static_cast<int>(e[4])) << e[0];
    }
}

TEST(GridPass, ReportsCentersAndCopiesItCannotUse)
{
    ExpectFatal("GRID 1 1 0; GRID 2 1 0 POLAR 1; GRID 4 1 0 POLAR",
                {
                    {"GRID 3 1 0 POLAR 4", ""}, // 4 is polar about the origin: cartesian enough
                    {"GRID 3 1 0 POLAR 2", "... Polar center grid 2 not cartesian\r\n"},
                    {"GRID 3 1 0 POLAR 5", "... Polar center grid 5 not found\r\n"},
                    {"GRID 3 1 0 POLAR -2", "... Polar center grid-2 not found\r\n"},
                    {"GRID 3 EQ 0", "... Grid equate 0 not found\r\n"},
                    {"GRID 3 EQ -1", "... Grid equate-1 not found\r\n"},
                    {"GRID 3 EQ 9", "... Grid equate 9 not found\r\n"},
                    {"GRID 3 EQ 3", ""},
                });
}

TEST(BeamPass, MeasuresLengthAndAngleBetweenTheMovedEnds)
{
    const struct
    {
        const char* records;
        double length, angleDeg;
    } cases[] = {
        {"GRID 2 3 4; BEAM 1 1 2 2 2", 5, std::atan2(4.0, 3.0) / DEG},
        {"GRID 2 0 -2; BEAM 1 1 2 2 2", 2, -90},
        {"GRID 2 -1 0; BEAM 1 1 2 2 2", 1, 180},
        {"GRID 2 1 0; BEAM 1 1 2 2 2 0.5 0.5", 1, 0},
        {"GRID 2 1 0; BEAM 1 1 2 2 2 0 1", std::sqrt(2.0), 45},
        {"GRID 2 1 0; BEAM 1 1 2 2 2 1 0", std::sqrt(2.0), -45},
        // Coincident grids: length 0 and the angle of grid A's axes, whatever the offsets.
        {"GRID 2 0 0; BEAM 1 1 2 2 2 3 -3", 0, 25},
    };
    for (const auto& c : cases) {
        Analysis a;
        ReadStages(a, std::string("GRID 1 0 0 25; PROP 2 3 1 0 1; MATL 2 1000 0 1e-5 7; ") +
                          c.records);
        EXPECT_EQ(a.State.FatalText, "") << c.records;
        const BeamRow& b = a.Model.Beams(1);
        EXPECT_NEAR(b.length, c.length, 1e-12) << c.records;
        EXPECT_NEAR(b.angle / DEG, c.angleDeg, 1e-9) << c.records;
        // The coefficients follow the measured length; the material comes with them.
        EXPECT_DOUBLE_EQ(b.kA, c.length == 0 ? 3 : 3000 / c.length) << c.records;
        EXPECT_EQ(b.elementKind, c.length == 0 ? PlainBeam : AxialLoadBeam) << c.records;
        EXPECT_EQ(b.density, c.length == 0 ? 0 : 7) << c.records;
    }
}

TEST(ElementPasses, ReportMissingGridsPropertiesAndMaterials)
{
    ExpectFatal(
        "GRID 1 0 0; GRID 2 1 0; GRID 3 1 1; GRID 4 0 1; GRID 5 0 0",
        {
            {"BEAM 5 1 2 1 1", ""},
            {"BEAM 5 -1 2 1 1", "Grid-1 of beam 5 not found\r\n"},
            {"BEAM 5 0 -2 1 1", "Grid 0 of beam 5 not found\r\nGrid-2 of beam 5 not found\r\n"},
            {"BEAM 5 1 2 3 1", "PROP missing from beam 1\r\n"},
            {"BEAM 5 1 2 0 1", "PROP missing from beam 1\r\n"}, // PROP 0 has A = I = 0
            {"BEAM 5 1 2 1 2", "MATL missing from beam 1\r\n"},
            {"BEAM 5 1 2 1 0", "MATL missing from beam 1\r\n"},
            {"BEAM 5 1 2 -1 -1", "PROP missing from beam 1\r\nMATL missing from beam 1\r\n"},
            // A zero-length spring needs its PROP inside the table, but no MATL.
            {"BEAM 5 1 5 1 9", ""},
            {"BEAM 5 1 5 -4 9", "PROP missing from beam 1\r\n"},
            {"QUAD 6 1 2 3 4 1 1", ""},
            {"QUAD 6 1 2 3 4 0 1", "PROP missing from quad 1\r\n"},
            {"QUAD 6 1 2 3 4 1 0", "MATL missing from quad 1\r\n"},
            {"QUAD 6 1 2 3 4 2 -7", "PROP missing from quad 1\r\nMATL missing from quad 1\r\n"},
            {"QUAD 6 1 2 -3 4 1 1", "Grid-3 of quad 6 not found\r\n"},
            {"QUAD 6 1 2 -3 0 1 1", "Grid-3 of quad 6 not found\r\n"}, // a triangle: once
        });
}

TEST(QuadPass, ConvertsTheMaterialByItsMode)
{
    const std::pair<const char*, std::array<double, 4>> cases[] = {
        // expansion coefficient, E, nu, G as the quad uses them
        {"MATL 2 1000 0.3 2e-5 7", {2e-5, 1000, 0.3, 1000 / 2.6}},
        {"MATL 2 1000 0.3 2e-5 7 STRAIN", {2e-5 * 1.3, 1000 / 0.91, 0.3 / 0.7, 1000 / 2.6}},
        {"MATL 2 1000 -0.2 2e-5 7 SHEAR", {2e-5, 0, -0.2, 1000 / 1.6}},
        {"MATL 2 1000 0.3 2e-5 7 OTHER", {2e-5, 1000, 0.3, 1000 / 2.6}},
    };
    for (const auto& [matl, values] : cases) {
        Analysis a;
        ASSERT_TRUE(ReadStages(a, std::string("GRID 1 0 0; GRID 2 1 0; GRID 3 0 1; "
                                              "QUAD 8 1 2 3 0 3 2; PROP 3 0.25; ") +
                                      matl));
        ASSERT_EQ(a.State.FatalText, "") << matl;
        const QuadRow& q = a.Model.Quads(1);
        EXPECT_EQ((std::array{q.expansion, q.modulus, q.poisson, q.shearModulus}), values) << matl;
        EXPECT_EQ((std::array{q.thickness, q.density}), (std::array{0.25, 7.0}));
        EXPECT_EQ(q.grid, (std::array<int, 5>{0, 1, 2, 3, 3})); // a triangle repeats corner 3
    }
}

} // namespace
} // namespace tavu
