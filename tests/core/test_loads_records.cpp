#include "TestSupport.h"
#include "common/Numbers.h"
#include "loads/Loads.h"

#include <functional>
#include <gtest/gtest.h>

namespace tavu {
namespace {

using testing::HandModel;

// Four grids: 1 free (equations 1, 2, 3); 2 restrained (dof numbers 12, 11, 10); 3 a
// polar grid at 90 degrees whose dofs stay global (4, 5, 6); 4 with a penalty-held u
// (-7), a free v (8) and no rotation. Beams 10 and 20, quad 100 and triangle 200.
HandModel LoadModel()
{
    HandModel h(4, 2, 2, 8, 12);
    h.Grid(1, 0, 0, 1, 2, 3);
    h.Grid(2, 10, 0, 12, 11, 10);
    h.Grid(3, 0, 5, 4, 5, 6, 90 * DEG, -1);
    h.Grid(4, 5, 5, -7, 8, 0);
    ModelStore& m = h.a.Model;
    m.Beams(1).length = 4;
    m.Beams(1).expansion = 1.0e-5;
    m.Beams(2).length = 2;
    m.Quads(1).grid = {0, 1, 2, 3, 4};
    m.Quads(2).grid = {0, 1, 2, 3, 3};
    return h;
}

struct RecordCase
{
    const char* name;
    std::vector<std::string> lines;
    std::function<void(const Analysis&)> check;
    std::array<double, 3> scalars{1.0, 0.0, 0.0}; // LoadScalars 0..2
};

TEST(ReadLoadRecords, EveryRecordKindReachesItsTable)
{
    const double eps = 1e-12;
    const RecordCase cases[] = {
        {"LOAD: free dofs also go to Reactions as given, restrained ones only there, negated",
         {"LOAD 1 5 -100 7", "LOAD 2 1 2 3"},
         [&](const Analysis& a) {
             const auto& r = a.Results;
             EXPECT_EQ(r.SolutionVector(2), -100);
             EXPECT_EQ(r.Reactions(2), -100);
             EXPECT_EQ(r.Reactions(3), 7);
             EXPECT_EQ(r.Reactions(12), -1);
             EXPECT_EQ(r.Reactions(10), -3);
             EXPECT_EQ(r.SolutionVector(4) + r.SolutionVector(5) + r.SolutionVector(6), 0);
         }},
        {"two LOADs on one grid add up; lower-case keywords count",
         {"LOAD 1 1 2", "load 1 0.5 0.25"},
         [&](const Analysis& a) {
             EXPECT_EQ(a.Results.SolutionVector(1), 1.5);
             EXPECT_EQ(a.Results.SolutionVector(2), 2.25);
         }},
        {"DISP sets only penalty-held dofs, and the later DISP wins",
         {"DISP 4 0.01 0.5", "DISP 4 0.02", "DISP 1 1 1 1"},
         [&](const Analysis& a) {
             const auto& r = a.Results;
             EXPECT_EQ(r.SolutionVector(7), 0.02 * 1.0e99);
             EXPECT_EQ(r.SolutionVector(8), 0);
             EXPECT_EQ(r.SolutionVector(1), 0);
             EXPECT_EQ(r.Reactions(7), 0);
         }},
        {"THRU applies the shifted numbers to every id of the range",
         {"LOAD 1 THRU 3 0 -5"},
         [&](const Analysis& a) {
             const auto& r = a.Results;
             EXPECT_EQ(r.SolutionVector(2), -5);
             EXPECT_EQ(r.Reactions(11), 5);
             EXPECT_NEAR(r.SolutionVector(4), 5, eps);
             EXPECT_NEAR(r.SolutionVector(5), 0, 1e-9);
             EXPECT_EQ(r.SolutionVector(8), 0);
         }},
        {"a THRU range running downward does nothing",
         {"LOAD 3 THRU 1 1 1"},
         [&](const Analysis& a) {
             for (int e = 1; e <= 8; ++e)
                 EXPECT_EQ(a.Results.SolutionVector(e), 0);
         }},
        {"a huge THRU range ends at the largest id",
         {"LOAD 1 THRU 2000000000 0 1", "LOAD -5000000000 THRU 1 1"},
         [&](const Analysis& a) {
             EXPECT_EQ(a.Results.SolutionVector(1), 1);
             EXPECT_EQ(a.Results.SolutionVector(2), 1);
             EXPECT_EQ(a.Results.SolutionVector(8), 1);
         }},
        {"subcase scalars multiply their records; scalar 0 and numbers beyond 10 skip them",
         {"LOAD 1 1", "SUBCASE 1", "LOAD 1 1", "SUBCASE 2", "LOAD 1 100", "SUBCASE 11",
          "LOAD 1 1000", "SUBCASE -1", "LOAD 1 1000"},
         [&](const Analysis& a) { EXPECT_EQ(a.Results.SolutionVector(1), 1 + 2.5); },
         {1.0, 2.5, 0.0}},
        {"GRAV adds scaled components",
         {"GRAV 1 -2", "SUBCASE 1", "GRAV 0 -10"},
         [&](const Analysis& a) {
             EXPECT_EQ(a.Loads.Gravity[0], 1);
             EXPECT_EQ(a.Loads.Gravity[1], -7);
         },
         {1.0, 0.5, 0.0}},
        {"BLOAD with one value is uniform, with two linear; THRU covers a range of ids",
         {"BLOAD 10 3.0", "BLOAD 10 THRU 20 1", "BLOAD 20 1 2", "BLOAD 30 5"},
         [&](const Analysis& a) {
             const auto& f = a.Loads.BeamLoads;
             EXPECT_EQ(f(1).qA, 4);
             EXPECT_EQ(f(1).qB, 4);
             EXPECT_EQ(f(2).qA, 2);
             EXPECT_EQ(f(2).qB, 3);
         }},
        {"QLOAD fills its edge; bad edges and edge 4 of a triangle are ignored",
         {"QLOAD 100 2 100", "QLOAD 100 1 1 2", "QLOAD 100 5 7", "QLOAD 100 0 7", "QLOAD 200 4 9",
          "QLOAD 200 3 4"},
         [&](const Analysis& a) {
             const auto& q = a.Loads.QuadLoads;
             EXPECT_EQ(q(1).pressureStart[2], 100);
             EXPECT_EQ(q(1).pressureEnd[2], 100);
             EXPECT_EQ(q(1).pressureStart[1], 1);
             EXPECT_EQ(q(1).pressureEnd[1], 2);
             EXPECT_EQ(q(1).pressureStart[4], 0);
             EXPECT_EQ(q(1).pressureStart[3], 0);
             EXPECT_EQ(q(2).pressureStart[4], 0);
             EXPECT_EQ(q(2).pressureStart[3], 4);
             EXPECT_EQ(q(2).pressureEnd[3], 4);
         }},
        {"QTEMP: one value for all corners; a triangle's fourth corner takes the third",
         {"QTEMP 100 50", "QTEMP 200 10 20 30 40"},
         [&](const Analysis& a) {
             const auto& q = a.Loads.QuadLoads;
             for (int k = 1; k <= 4; ++k)
                 EXPECT_EQ(q(1).temperature[k], 50);
             EXPECT_EQ(q(2).temperature[1], 10);
             EXPECT_EQ(q(2).temperature[2], 20);
             EXPECT_EQ(q(2).temperature[3], 30);
             EXPECT_EQ(q(2).temperature[4], 30);
         }},
        {"unknown keywords, unknown ids and comments are ignored",
         {"FOO 1 2 3", "LOAD 9 1 1", "$ LOAD 1 1", "LOAD 1 7 $ 8"},
         [&](const Analysis& a) {
             EXPECT_EQ(a.Results.SolutionVector(1), 7);
             EXPECT_EQ(a.Results.SolutionVector(2), 0);
             EXPECT_TRUE(a.State.FatalText.empty());
         }},
    };

    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HandModel h = LoadModel();
        h.a.LoadScalars[0] = c.scalars[0];
        h.a.LoadScalars[1] = c.scalars[1];
        h.a.LoadScalars[2] = c.scalars[2];
        h.SetLoadLines(c.lines);
        ReadLoadRecords(h.a);
        EXPECT_EQ(h.a.Summary.LogText, "Reading and processing load data");
        c.check(h.a);
    }
}

TEST(ReadLoadRecords, AnOverlongRecordIsReportedInTheLogAndStillApplied)
{
    HandModel h = LoadModel();
    h.SetLoadLines({"LOAD 1 1 2 3 4 5 6 7 8 9 10 11", "LOAD 1 THRU 1 GRID 5", "LOAD 2 1"});
    ReadLoadRecords(h.a);
    const std::string echo1 = "LOAD 1 1 2 3 4 5 6 7 8 9 10 11";
    const std::string echo2 = "LOAD 1 THRU 1 GRID 5";
    const std::string msg = "... Bad record... check syntax";
    EXPECT_EQ(h.a.Summary.LogText, "Reading and processing load data\r\n" + echo1 + "\r\n" + msg +
                                       "\r\n" + echo2 + "\r\n" + msg);
    EXPECT_EQ(h.a.State.FatalText, echo1 + "\r\n" + msg + "\r\n" + echo2 + "\r\n" + msg + "\r\n");
    // The fields stored before the overflow still act.
    EXPECT_EQ(h.a.Results.SolutionVector(1), 1);
    EXPECT_EQ(h.a.Results.SolutionVector(2), 2);
    EXPECT_EQ(h.a.Results.SolutionVector(3), 3);
    EXPECT_EQ(h.a.Results.Reactions(12), -1);

    // A second run reports the same once, not twice.
    ReadLoadRecords(h.a);
    EXPECT_EQ(h.a.State.FatalText, echo1 + "\r\n" + msg + "\r\n" + echo2 + "\r\n" + msg + "\r\n");
    EXPECT_EQ(h.a.Results.SolutionVector(1), 1);
}

TEST(ReadLoadRecords, AnEmptyLoadSectionGivesZeroTables)
{
    HandModel h = LoadModel();
    h.a.Results.SolutionVector(1) = 99; // left from an earlier run
    h.a.Loads.Gravity = {3, 4};
    h.SetLoadLines({});
    ReadLoads(h.a);
    for (int e = 0; e <= 8; ++e)
        EXPECT_EQ(h.a.Results.SolutionVector(e), 0);
    for (int e = 0; e <= 12; ++e)
        EXPECT_EQ(h.a.Results.Reactions(e), 0);
    EXPECT_EQ(h.a.Loads.Gravity[0], 0);
    EXPECT_EQ(h.a.Loads.Gravity[1], 0);
}

} // namespace
} // namespace tavu
