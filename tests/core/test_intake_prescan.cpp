#include "TestSupport.h"
#include "model/PreScan.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tavu {
namespace {

using testing::CrlfText;

TEST(PreScan, CountsRecordsAndLargestIdsOfTheWholeText)
{
    Analysis a;
    a.State.TransformFlag = 2; // left from an earlier run
    a.LoadScalars.fill(3);
    SplitModelText(a, CrlfText({"grid 2 0 0", "GRID 1 1 0", "1 GRID 5 3 $ a keyword among numbers",
                                "BEAM 4 1 2 0 0", "BEAM 9 2 5 0 0", "QUAD 3 1 2 5 0", "PROP 0 1",
                                "MATL 2 100", "DOFS DEF 1 1 1", "SPRG 1 5 5 5", "ENDMODEL",
                                "GRID 7 0 0 $ after ENDMODEL: still counted", "SPRG 2 1 1 1"}));
    PreScanModel(a);
    PreScanModel(a); // a second scan counts afresh
    ASSERT_EQ(a.State.FatalText, "");
    const ModelStore& m = a.Model;
    EXPECT_EQ((std::vector{m.nGrids, m.nBeams, m.nQuads, m.nSprgRecords}),
              (std::vector{4, 2, 1, 2}));
    // A PROP with id 0 still counts as one.
    EXPECT_EQ((std::vector{m.maxGridId, m.maxBeamId, m.maxQuadId, m.maxPropId, m.maxMatlId}),
              (std::vector{7, 9, 3, 1, 2}));
    EXPECT_EQ((std::vector{m.Grids.Last(), m.Beams.Last(), m.Quads.Last(), m.GridIndex.Last(),
                           m.BeamIndex.Last(), m.QuadIndex.Last()}),
              (std::vector<long long>{4, 2, 1, 7, 9, 3}));
    EXPECT_EQ(a.State.TransformFlag, 0);
    EXPECT_EQ(a.LoadScalars, (LoadScalarArray{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(PreScan, CompletenessChecksComeInTheirOrder)
{
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"LOAD 1 0 1"},
         "No grids found (GRID)\r\nNo elements found (BEAM, QUAD)\r\n"
         "No restraints found (RACT, SPRG)\r\nENDMODEL not found\r\n"},
        {{"GRID 0 0 0", "GRID -0.4 1 1", "QUAD 0 1 2 3", "RACT 1 1 1 1", "ENDMODEL"},
         "No grids found (GRID)\r\nNo elements found (BEAM, QUAD)\r\n"},
        {{"GRID 1 0 0", "BEAM 1 1 1", "ENDMODEL", "RACT 1 1 1 1"},
         "No properties found (PROP)\r\nNo materials found (MATL)\r\n"},
        {{"GRID 1 0 0", "QUAD 1 1 1 1", "MATL 1 1", "RACT 1 1 1 1"},
         "No properties found (PROP)\r\nENDMODEL not found\r\n"},
        // Springs alone are elements enough and need neither PROP nor MATL.
        {{"GRID 1 0 0", "SPRG 1 1 1 1", "ENDMODEL"}, ""},
        // ENDMODEL and the restraints may stand anywhere.
        {{"ENDMODEL", "GRID 1 0 0", "BEAM 1 1 2", "PROP 1 1", "MATL 1 1", "RACT 2 1 1 1"}, ""},
    };
    for (const auto& [lines, fatal] : cases) {
        Analysis a;
        SplitModelText(a, CrlfText(lines));
        PreScanModel(a);
        EXPECT_EQ(a.State.FatalText, fatal) << CrlfText(lines);
    }
}

// Integer fields that could size a table, index one or drive a loop without bound.
TEST(PreScan, IdsThatNoTableCanHoldAreBadRecords)
{
    const std::pair<const char*, bool> cases[] = {
        // clang-format off
        {"GRID 10000000 0 0", false}, {"GRID 10000001 0 0", true}, {"GRID -1 0 0", true},
        {"GRID 0 0 0", false}, {"GRID 1e300 0 0", true}, {"GRID 2147483648 0 0", true},
        {"GRID 1 1e300 -1e999 1e999", false}, // coordinates and angles are not ids
        {"GRID 3 EQ 1e11", true}, {"GRID 3 EQ -4", false}, {"GRID 3 50 45 POLAR -20000000", true},
        {"GRID 3 50 45 POLAR -2", false}, {"GRID 3 1e99 45 1e99", false}, // an axis angle
        {"BEAM -2 1 2 1 1", true}, {"BEAM 2 1 2e7 1 1", true},
        {"BEAM 2 -1 2 -1 1 1e300 1e300", false}, {"QUAD 1 1 2 3 4 1 1e10", true},
        {"PROP -1 1 1", true}, {"MATL -3 100", true}, {"DOFS DEF 1 1 1e40", true},
        {"DOFS DEF 1 1 7", false}, {"DOFS 1 1 1 2.5e9", true}, {"DOFS 1 THRU 3e7 1 1 1", true},
        {"RACT 1 THRU 1e12 1 1 1", true}, {"RACT 1 1e300 0 0", false}, // codes are compared
        {"SPRG 2e9 1 1 1", true}, {"NSEQ 1 2 2e10", true}, {"NSEQ 1 2 -3", false},
        {"LOAD 1 THRU 99999999 0 1", true}, {"LOAD -5 0 1", false}, {"BLOAD 1 THRU -1e8 5", true},
        {"QLOAD 1 1e20 5", true}, {"QLOAD 1 THRU 2 3 1e20", false}, {"QTEMP 1e30 1", true},
        {"GRAV 1e300 1e300", false}, {"SUBCASE 1e20", true}, {"SUBCASE 20000000", false},
        {"WHATEVER 1e300", false},
        // clang-format on
    };
    Record rec;
    for (const auto& [line, bad] : cases) {
        SplitFields(line, 10, 2, rec);
        EXPECT_EQ(HasBadIntegerField(rec), bad) << line;
    }

    // In a model: one "Bad record" per offending or overlong line, the scan goes on, and
    // the failed scan leaves no table of an earlier run behind.
    Analysis a;
    ASSERT_TRUE(
        testing::ProcessModel(a, {"GRID 1 0 0", "DOFS DEF 1 1 1", "SPRG 1 1 1 1", "ENDMODEL"}));
    EXPECT_FALSE(testing::ProcessModel(a, {"GRID 1 0 0", "GRID 2147483647 0 0",
                                           "GRID 5e9 0 0 1 2 3 4 5 6 7 8", "GRID 2 1 0 extra words",
                                           "SPRG 1 1 1 1", "ENDMODEL",
                                           "LOAD 1 2 3 4 5 6 7 8 9 10 11", "LOAD 1 THRU 1e300 1"}));
    EXPECT_EQ(a.Summary.ReadText,
              "GRID 2147483647 0 0\r\n... Bad record... check syntax\r\n"
              "GRID 5e9 0 0 1 2 3 4 5 6 7 8\r\n... Bad record... check syntax\r\n"
              "GRID 2 1 0 extra words\r\n... Bad record... check syntax\r\n"
              "LOAD 1 2 3 4 5 6 7 8 9 10 11\r\n... Bad record... check syntax\r\n"
              "LOAD 1 THRU 1e300 1\r\n... Bad record... check syntax\r\n"
              "\r\nFatal error... Done processing model");
    EXPECT_EQ((std::vector{a.Model.Grids.Last(), a.Model.GridIndex.Last()}),
              (std::vector<long long>{0, 0}));

    // The driver raises the subcase limit again after the pre-scan emptied FatalText.
    std::vector<std::string> lines = {"GRID 1 0 0", "DOFS DEF 1 1 1", "SPRG 1 1 1 1", "ENDMODEL"};
    lines.insert(lines.end(), 10, "subcase 1");
    EXPECT_TRUE(testing::ProcessModel(a, lines));
    lines.push_back("SUBCASE11");
    EXPECT_FALSE(testing::ProcessModel(a, lines));
    EXPECT_EQ(a.Summary.ReadText, "Number of subcases exceeds maximum of 10\r\n"
                                  "\r\nFatal error... Done processing model");
}

} // namespace
} // namespace tavu
