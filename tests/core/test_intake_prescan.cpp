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

// The id maps hold rows by the records, whatever the largest id: a walk over all the ids
// costs by the rows, and a lookup of an id never written neither finds nor adds a row.
TEST(IdRows, RowsFollowTheRecordsNotTheLargestId)
{
    IdRows<int> index;
    index.Create(MaxModelId, 4);
    for (const int id : {MaxModelId, 2, 5000000, 7})
        index(id) = id % 1000 + 1;
    const IdRows<int>& lookup = index;
    EXPECT_EQ((std::vector{lookup(2), lookup(3), lookup(7), lookup(5000000), lookup(6000000),
                           lookup(MaxModelId)}),
              (std::vector{3, 0, 8, 1, 0, 1}));
    const auto rows = [&](long long first, long long last) {
        std::vector<long long> ids;
        long long visited = 0;
        index.ForEachRow(first, last, [&](long long id, int row) {
            ++visited;
            if (row != 0)
                ids.push_back(id);
        });
        EXPECT_LT(visited, 10000) << first << ".." << last;
        return ids;
    };
    EXPECT_EQ(rows(-5, MaxModelId + 5), (std::vector<long long>{2, 7, 5000000, MaxModelId}));
    EXPECT_EQ(rows(3, MaxModelId - 1), (std::vector<long long>{7, 5000000}));
    EXPECT_EQ(rows(4000000, 4999999), std::vector<long long>{});
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
