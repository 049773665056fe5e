// The load records after ENDMODEL: what each kind puts into the load set and the load
// vector, and what a bad or meaningless record does.

#include "TestSupport.h"
#include "common/Numbers.h"
#include "loads/Loads.h"

#include <cmath>
#include <gtest/gtest.h>
#include <sstream>

namespace tavu {
namespace {

using testing::HandModel;

// Grid 1 free (equations 1, 2, 3); 2 restrained (dof numbers 12, 11, 10); 3 a polar grid
// at 90 degrees whose dofs stay global (4, 5, 6); 4 with a penalty-held u (-7), a free v
// (8) and no rotation. Beams 10 and 20, quad 100 and triangle 200.
HandModel LoadModel()
{
    HandModel h(4, 2, 2, 8, 12);
    h.Grid(1, 0, 0, 1, 2, 3);
    h.Grid(2, 10, 0, 12, 11, 10);
    h.Grid(3, 0, 5, 4, 5, 6, 90 * DEG, PolarAxes);
    h.Grid(4, 5, 5, -7, 8, 0);
    h.a.Model.Quads(1).grid = {0, 1, 2, 3, 4};
    h.a.Model.Quads(2).grid = {0, 1, 2, 3, 3};
    return h;
}

// Every entry of the load vector (f), Reactions (r), the beam (b) and quad (q) load rows
// and gravity that is not zero.
std::string Entries(const Analysis& a)
{
    std::ostringstream out;
    auto put = [&out](const std::string& name, double v) {
        if (std::fabs(v) > 1e-12)
            out << name << "=" << v << " ";
    };
    for (long long e = 1; e <= a.Results.SolutionVector.Last(); ++e)
        put("f" + std::to_string(e), a.Results.SolutionVector(e));
    for (long long e = 1; e <= a.Results.Reactions.Last(); ++e)
        put("r" + std::to_string(e), a.Results.Reactions(e));
    for (long long b = 1; b <= a.Loads.BeamLoads.Last(); ++b) {
        const BeamLoadRow& l = a.Loads.BeamLoads(b);
        const std::string n = "b" + std::to_string(b);
        for (const auto& [field, v] : {std::pair{".qA", l.qA},
                                       {".qB", l.qB},
                                       {".e", l.elongation},
                                       {".d", l.deflection},
                                       {".r", l.rotation}})
            put(n + field, v);
    }
    for (long long q = 1; q <= a.Loads.QuadLoads.Last(); ++q)
        for (std::size_t k = 1; k <= 4; ++k) {
            const QuadLoadRow& l = a.Loads.QuadLoads(q);
            const std::string n = "q" + std::to_string(q) + "." + std::to_string(k);
            put(n + "p", l.pressureStart[k]);
            put(n + "p'", l.pressureEnd[k]);
            put(n + "T", l.temperature[k]);
        }
    put("gx", a.Loads.Gravity[0]);
    put("gy", a.Loads.Gravity[1]);
    return out.str();
}

TEST(ReadLoadRecords, EveryRecordKindReachesItsTable)
{
    // LOAD adds at a free equation to the load vector and Reactions, at another dof it is
    // taken from Reactions; components are given in a polar grid's axes.
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"LOAD 1 5 -100 7", "LOAD 2 1 2 3", "load 1 0.5 0.25"},
         "f1=5.5 f2=-99.75 f3=7 r1=5.5 r2=-99.75 r3=7 r10=-3 r11=-2 r12=-1 "},
        // DISP sets only penalty-held dofs, and the later DISP wins.
        {{"DISP 4 0.01 0.5", "DISP 4 0.02", "DISP 1 1 1 1"}, "f7=2e+97 "},
        {{"LOAD 1 THRU 3 0 -5"}, "f2=-5 f4=5 r2=-5 r4=5 r11=5 "},
        // A range running downward does nothing; a huge one is cut to the ids that exist.
        {{"LOAD 3 THRU 1 1 1", "LOAD 1 THRU 2000000000 0 1", "LOAD -5000000000 THRU 1 1"},
         "f1=1 f2=1 f4=-1 f8=1 r1=1 r2=1 r4=-1 r8=1 r11=-1 "},
        // Scalars 1, 2.5, 0 for subcases 0, 1, 2; numbers outside 0..10 skip their records.
        {{"LOAD 1 1", "GRAV 1 -2", "SUBCASE 1", "LOAD 1 1", "GRAV 0 -10", "SUBCASE 2", "LOAD 1 100",
          "SUBCASE 11", "LOAD 1 1000", "SUBCASE -1", "LOAD 1 1000"},
         "f1=3.5 r1=3.5 gx=1 gy=-27 "},
        // BLOAD: one value is uniform, two are linear; THRU covers a range of beam ids.
        {{"BLOAD 10 3.0", "BLOAD 10 THRU 20 1", "BLOAD 20 1 2", "BLOAD 30 5", "BINIT 20 1 2 3",
          "BINIT 20 0.5"},
         "b1.qA=4 b1.qB=4 b2.qA=2 b2.qB=3 b2.e=1.5 b2.d=2 b2.r=3 "},
        // Bad edges and edge 4 of a triangle are ignored.
        {{"QLOAD 100 2 100", "QLOAD 100 1 1 2", "QLOAD 100 5 7", "QLOAD 100 0 7", "QLOAD 200 4 9",
          "QLOAD 200 3 4"},
         "q1.1p=1 q1.1p'=2 q1.2p=100 q1.2p'=100 q2.3p=4 q2.3p'=4 "},
        // One value for all corners; a triangle's fourth corner takes the third.
        {{"QTEMP 100 50", "QTEMP 200 10 20 30 40"},
         "q1.1T=50 q1.2T=50 q1.3T=50 q1.4T=50 q2.1T=10 q2.2T=20 q2.3T=30 q2.4T=30 "},
        // Unknown keywords, unknown ids and comments.
        {{"FOO 1 2 3", "LOAD 9 1 1", "$ LOAD 1 1", "LOAD 1 7 $ 8"}, "f1=7 r1=7 "},
        // Records the pre-scan never saw (an edit below ENDMODEL): ids, edges and subcases
        // out of any range, empty and incomplete records.
        {{"LOAD 1e300 THRU 1e301 1", "LOAD -1e300 THRU 1e301 1", "LOAD 0 5 5", "QLOAD 100 1e10 5",
          "QLOAD 100 -2147483649 5", "QLOAD 7 2 5", "QTEMP -3 5", "BLOAD 3e9 1", "BINIT 0 1",
          "DISP 1 THRU 99999999999 1", "LOAD", "\t", "GRAV", "SUBCASE 1e20", "LOAD 1 1",
          "SUBCASE -5", "LOAD 1 1"},
         ""},
    };
    for (const auto& [lines, entries] : cases) {
        SCOPED_TRACE(lines[0]);
        HandModel h = LoadModel();
        h.a.LoadScalars[1] = 2.5;
        h.SetLoadLines(lines);
        for (int run = 1; run <= 2; ++run) { // a repeated run starts from zero
            ReadLoadRecords(h.a);
            EXPECT_EQ(h.a.Summary.LogText, "Reading and processing load data");
            EXPECT_TRUE(h.a.State.FatalText.empty());
            EXPECT_EQ(Entries(h.a), entries);
        }
    }
}

TEST(ReadLoadRecords, AnOverlongRecordIsReportedOnceAndStillApplied)
{
    HandModel h = LoadModel();
    const std::string echo1 = "LOAD 1 1 2 3 4 5 6 7 8 9 10 11", echo2 = "LOAD 1 THRU 1 GRID 5";
    const std::string report = echo1 + "\r\n... Bad record... check syntax\r\n" + echo2 +
                               "\r\n... Bad record... check syntax";
    h.SetLoadLines({echo1, echo2, "LOAD 2 1"});
    for (int run = 1; run <= 2; ++run) { // a second run reports the same once, not twice
        ReadLoadRecords(h.a);
        EXPECT_EQ(h.a.Summary.LogText, "Reading and processing load data\r\n" + report);
        EXPECT_EQ(h.a.State.FatalText, report + "\r\n");
        // The fields stored before the overflow still act.
        EXPECT_EQ(Entries(h.a), "f1=1 f2=2 f3=3 r1=1 r2=2 r3=3 r12=-1 ");
    }
}

} // namespace
} // namespace tavu
