#include "TestSupport.h"
#include "model/PreScan.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tavu {
namespace {

using testing::CrlfText;

// The pre-scan's diagnostics are checked by the model cases under tests/models/prescan.

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

// The store is rebuilt by every scan: a failed one leaves no table of an earlier run.
TEST(PreScan, AFailedScanLeavesNoTableBehind)
{
    Analysis a;
    ASSERT_TRUE(
        testing::ProcessModel(a, {"GRID 1 0 0", "DOFS DEF 1 1 1", "SPRG 1 1 1 1", "ENDMODEL"}));
    EXPECT_FALSE(
        testing::ProcessModel(a, {"GRID 1 0 0", "GRID 5e9 0 0", "SPRG 1 1 1 1", "ENDMODEL"}));
    EXPECT_EQ((std::vector{a.Model.Grids.Last(), a.Model.GridIndex.Last()}),
              (std::vector<long long>{0, 0}));
}

} // namespace
} // namespace tavu
