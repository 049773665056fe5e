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

// What the reader reports, its diagnostics and the model report, is checked by the model
// cases under tests/models (reader, constraints, prescan); here is what no report shows.

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

// The record pass shows its progress line by line, up to ENDMODEL.
TEST(RecordPass, ShowsItsProgressUpToEndModel)
{
    struct : ProgressSink
    {
        void ShowReadProgress(int line) override { lines.push_back(line); }
        std::vector<int> lines;
    } progress;
    Analysis a;
    a.Progress = &progress;
    ASSERT_TRUE(testing::ProcessModel(a, {"GRID 1 0 0", "GRID 2 10 0", "BEAM 1 1 2 1 1",
                                          "PROP 1 1 1", "MATL 1 1000", "DOFS DEF 1 1 1",
                                          "RACT 1 1 1 1", "ENDMODEL", "LOAD 2 0 -1"}))
        << a.Summary.ReadText;
    EXPECT_EQ(progress.lines, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
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
        {8, 2 * std::cos(30 * DEG), 10 + 2 * std::sin(30 * DEG), 30, NoAxisTurn}, // of grid 9
        {9, 2 * std::cos(30 * DEG), 10 + 2 * std::sin(30 * DEG), 30, PolarAxes},  // about 3
    };
    for (const auto& e : expect) {
        const GridRow& g = a.Model.Grids(GridIndexOf(a.Model, static_cast<int>(e[0])));
        EXPECT_NEAR(g.x, e[1], 1e-12) << e[0];
        EXPECT_NEAR(g.y, e[2], 1e-12) << e[0];
        EXPECT_DOUBLE_EQ(g.axisAngle, e[3] * DEG) << e[0];
        EXPECT_EQ(g.axisCode, static_cast<int>(e[4])) << e[0];
    }
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
