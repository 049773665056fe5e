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

// The load step's warnings, one "line: text" each, in the order given.
std::string WarningsOf(const Analysis& a)
{
    std::string out;
    for (const Warning& w : a.State.LoadWarnings)
        out += std::to_string(w.line) + ":" + w.text + "\n";
    return out;
}

TEST(ReadLoadRecords, EveryRecordKindReachesItsTable)
{
    // LOAD adds at a free equation to the load vector and Reactions, at another dof it is
    // taken from Reactions; components are given in a polar grid's axes. The records of a
    // case stand on lines 2, 3, ...; the warnings name them.
    const struct
    {
        std::vector<std::string> lines;
        std::string entries, warnings;
    } cases[] = {
        {{"LOAD 1 5 -100 7", "LOAD 2 1 2 3", "load 1 0.5 0.25"},
         "f1=5.5 f2=-99.75 f3=7 r1=5.5 r2=-99.75 r3=7 r10=-3 r11=-2 r12=-1 ",
         ""},
        // DISP sets only penalty-held dofs, and the later DISP wins.
        {{"DISP 4 0.01 0.5", "DISP 4 0.02", "DISP 1 1 1 1"}, "f7=2e+97 ", ""},
        {{"LOAD 1 THRU 3 0 -5"}, "f2=-5 f4=5 r2=-5 r4=5 r11=5 ", ""},
        // A range running downward does nothing; a huge one is cut to the ids that exist.
        {{"LOAD 3 THRU 1 1 1", "LOAD 1 THRU 2000000000 0 1", "LOAD -5000000000 THRU 1 1"},
         "f1=1 f2=1 f4=-1 f8=1 r1=1 r2=1 r4=-1 r8=1 r11=-1 ",
         "2:... No grid in 3 THRU 1... ignored\n"
         "3:... Range clipped to 1 THRU 10000000\n"
         "3:... 9999996 of 10000000 grids in the range not found\n"
         "4:... Range clipped to-10000000 THRU 1\n"
         "4:... 10000001 of 10000002 grids in the range not found\n"},
        // Scalars 1, 2.5, 0 for subcases 0, 1, 2; numbers outside 0..10 skip their records.
        // Subcases 2 and 3 are 0 as the user said (every number from 1 to 10 present has its
        // box); the others have none.
        {{"LOAD 1 1", "GRAV 1 -2", "SUBCASE 1", "LOAD 1 1", "GRAV 0 -10", "SUBCASE 2", "LOAD 1 100",
          "SUBCASE 11", "LOAD 1 1000", "SUBCASE -1", "LOAD 1 1000", "SUBCASE 3", "LOAD 1 1",
          "SUBCASE 0", "GRAV 1 THRU 3 1", "GRAV 1 THRU 0 5"},
         "f1=3.5 r1=3.5 gx=4 gy=-24 ",
         "9:... Subcase 11 has no scalar... its loads left out\n"
         "11:... Subcase-1 has no scalar... its loads left out\n"
         "16:... GRAV with THRU added 3 times\n"
         "17:... GRAV with THRU added 0 times\n"},
        // BLOAD: one value is uniform, two are linear; THRU covers a range of beam ids.
        {{"BLOAD 10 3.0", "BLOAD 10 THRU 20 1", "BLOAD 20 1 2", "BLOAD 30 5", "BINIT 20 1 2 3",
          "BINIT 20 0.5"},
         "b1.qA=4 b1.qB=4 b2.qA=2 b2.qB=3 b2.e=1.5 b2.d=2 b2.r=3 ",
         "3:... 9 of 11 beams in the range not found\n5:... Beam 30 not found... ignored\n"},
        // Bad edges and edge 4 of a triangle are ignored.
        {{"QLOAD 100 2 100", "QLOAD 100 1 1 2", "QLOAD 100 5 7", "QLOAD 100 0 7", "QLOAD 200 4 9",
          "QLOAD 200 3 4"},
         "q1.1p=1 q1.1p'=2 q1.2p=100 q1.2p'=100 q2.3p=4 q2.3p'=4 ",
         "4:... Edge 5 not found... ignored\n5:... Edge 0 not found... ignored\n"
         "6:... Edge 4 not found... ignored\n"},
        // One value for all corners; a triangle's fourth corner takes the third.
        {{"QTEMP 100 50", "QTEMP 200 10 20 30 40"},
         "q1.1T=50 q1.2T=50 q1.3T=50 q1.4T=50 q2.1T=10 q2.2T=20 q2.3T=30 q2.4T=30 ",
         ""},
        // Unknown keywords and options, unknown ids, comments; a tab separates fields, a
        // number followed by text reads as the number.
        {{"FOO 1 2 3", "LOAD 9 1 1", "$ LOAD 1 1", "LOAD 1 7 $ 8", "LOAD\t1 1O", "LOAD 1 THUR 2 1",
          "GRID 1 5 5"},
         "f1=10 f2=1 r1=10 r2=1 ",
         "2:... Not a load record... ignored\n3:... Grid 9 not found... ignored\n"
         "6:... TAB read as a blank\n6:... Number 1O read as 1\n"
         "7:... Option THUR ignored\n8:... Not a load record... ignored\n"},
        // Records the pre-scan never saw (an edit below ENDMODEL): ids, edges and subcases
        // out of any range, empty and incomplete records. A range past the largest id a
        // model can have is clipped and acts on the grids there are.
        {{"LOAD 1e300 THRU 1e301 1", "LOAD -1e300 THRU 1e301 1", "LOAD 0 5 5", "QLOAD 100 1e10 5",
          "QLOAD 100 -2147483649 5", "QLOAD 7 2 5", "QTEMP -3 5", "BLOAD 3e9 1", "BINIT 0 1",
          "DISP 1 THRU 99999999999 1", "LOAD", "\t", "GRAV", "SUBCASE 1e20", "LOAD 1 1",
          "SUBCASE -5", "LOAD 1 1"},
         "f1=1 f5=1 f7=1e+99 r1=1 r5=1 r7=-1 r12=-1 ",
         "2:... Range clipped to 10000000 THRU 10000000\n"
         "2:... No grid in 10000000 THRU 10000000... ignored\n"
         "3:... Range clipped to-10000000 THRU 10000000\n"
         "3:... 19999997 of 20000001 grids in the range not found\n"
         "4:... Grid 0 not found... ignored\n5:... Edge 10000000000 not found... ignored\n"
         "6:... Edge-2147483649 not found... ignored\n7:... Quad 7 not found... ignored\n"
         "8:... Quad-3 not found... ignored\n9:... Beam 3000000000 not found... ignored\n"
         "10:... Beam 0 not found... ignored\n11:... Range clipped to 1 THRU 10000000\n"
         "11:... 9999996 of 10000000 grids in the range not found\n"
         "12:... Grid 0 not found... ignored\n"
         "15:... Subcase 1E+20 has no scalar... its loads left out\n"
         "17:... Subcase-5 has no scalar... its loads left out\n"},
    };
    for (const auto& [lines, entries, warnings] : cases) {
        SCOPED_TRACE(lines[0]);
        HandModel h = LoadModel();
        h.a.LoadScalars[1] = 2.5;
        h.a.State.SubcaseCount = 2; // the dialog ran
        h.SetLoadLines(lines);
        for (int run = 1; run <= 2; ++run) { // a repeated run starts from zero
            ReadLoadRecords(h.a);
            EXPECT_TRUE(h.a.State.FatalText.empty());
            EXPECT_EQ(Entries(h.a), entries);
            EXPECT_EQ(WarningsOf(h.a), warnings);
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
