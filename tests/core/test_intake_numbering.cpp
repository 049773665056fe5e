#include "TestSupport.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tavu {
namespace {

using testing::CrlfText;
using testing::Equations;
using testing::EquationsOf;

const std::vector<std::string> InLine = {"GRID 1 0 0", "GRID 2 1 0", "GRID 3 2 0"};

// Three grids joined by two beams, then the constraint records and ENDMODEL.
Analysis Numbered(const std::vector<std::string>& constraints,
                  const std::vector<std::string>& grids = InLine)
{
    std::vector<std::string> lines = grids;
    for (const char* s : {"BEAM 1 1 2 1 1", "BEAM 2 2 3 1 1", "PROP 1 1 1", "MATL 1 1000"})
        lines.push_back(s);
    lines.insert(lines.end(), constraints.begin(), constraints.end());
    lines.push_back("ENDMODEL");
    Analysis a;
    testing::ProcessModel(a, lines);
    return a;
}

TEST(Numbering, GivesEquationNumbersByTheConstraints)
{
    struct Case
    {
        std::vector<std::string> constraints;
        int v[12]; // u, v, r of grids 1, 2, 3; then NEQ, DOFTOTAL and the transform flag
        const char* fatal = "";
    } cases[] = {
        // Held dofs count down from DOFTOTAL, the others up in grid order.
        {{"DOFS DEF 1 1 1", "RACT 1 1 1 1"}, {9, 8, 7, 1, 2, 3, 4, 5, 6, 6, 9, 0}},
        {{"DOFS DEF 1 1 1", "RACT 1 1 1 1", "NSEQ 3 1 2"}, {9, 8, 7, 4, 5, 6, 1, 2, 3, 6, 9, 0}},
        // A sequence list may go on over several lines and stand before the DOFS records.
        {{"NSEQ 2", "NSEQ 3 1", "DOFS DEF 1 1 1", "RACT 1 1 1 1"},
         {9, 8, 7, 1, 2, 3, 4, 5, 6, 6, 9, 0}},
        {{"DOFS DEF 1 1 1", "RACT 3 1"}, {1, 2, 3, 4, 5, 6, 9, 7, 8, 8, 9, 0}},
        {{"DOFS DEF 1 1 1", "RACT 1 THRU 3 1 1 0"}, {9, 8, 1, 7, 6, 2, 5, 4, 3, 3, 9, 0}},
        {{"DOFS DEF 1 1 0", "RACT 1 1 1"}, {6, 5, 0, 1, 2, 0, 3, 4, 0, 4, 6, 0}},
        {{"DOFS DEF 0 1 1", "RACT 1 1 1 1"}, {0, 6, 5, 0, 1, 2, 0, 3, 4, 4, 6, 0}},
        // DOFS with no flags removes the grid's dofs; flags other than 0 mean present.
        {{"DOFS 2", "RACT 1 1 1 1"}, {6, 5, 4, 0, 0, 0, 1, 2, 3, 3, 6, 0}},
        {{"DOFS 2 THRU 3 0 1 1", "RACT 1 1 1 1"}, {7, 6, 5, 0, 1, 2, 0, 3, 4, 4, 7, 0}},
        {{"DOFS DEF 5 -3 0", "DOFS 2 2 -1 0.7", "RACT 1 1 1"},
         {7, 6, 0, 1, 2, 3, 4, 5, 0, 5, 7, 0}},
        // A negative code prescribes a displacement; other codes than 1, 0 leave the dof.
        {{"DOFS DEF 1 1 1", "RACT 1 1 1 1", "RACT 3 -1 0 0"},
         {9, 8, 7, 1, 2, 3, -4, 5, 6, 6, 9, 2}},
        {{"DOFS DEF 1 1 1", "RACT 1 1 1 1", "RACT 1 0.5 2 0"},
         {9, 8, 1, 2, 3, 4, 5, 6, 7, 7, 9, 0}},
        // A later RACT frees what an earlier one held.
        {{"DOFS DEF 1 1 1", "RACT 1 1 1 1", "RACT 1 0 0 0", "RACT 2 1 1 1"},
         {1, 2, 3, 9, 8, 7, 4, 5, 6, 6, 9, 0}},
        // A restraint on absent dofs is none.
        {{"DOFS DEF 1 1 1", "DOFS 1 0 0 0", "RACT 1 1 1 1"},
         {0, 0, 0, 1, 2, 3, 4, 5, 6, 6, 6, 0},
         "Must include constraints (RACT or SPRG)\r\n"},
        {{"DOFS DEF 1 1 1", "SPRG 1 10 0 0"}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 9, 9, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(CrlfText(c.constraints));
        const Analysis a = Numbered(c.constraints);
        EXPECT_EQ(a.State.FatalText, c.fatal);
        for (int g = 1; g <= 3; ++g)
            EXPECT_EQ(EquationsOf(a, g),
                      (Equations{c.v[3 * g - 3], c.v[3 * g - 2], c.v[3 * g - 1]}))
                << "grid " << g;
        EXPECT_EQ(a.Model.NEQ, c.v[9]);
        EXPECT_EQ(a.Model.DOFTOTAL, c.v[10]);
        EXPECT_EQ(a.State.TransformFlag, c.v[11]);
    }

    // Grids are numbered by id whatever the order of their lines.
    const Analysis a =
        Numbered({"DOFS DEF 1 1 0", "RACT 2 1 1"}, {"GRID 3 2 0", "GRID 1 0 0", "GRID 2 1 0"});
    EXPECT_EQ(EquationsOf(a, 3), (Equations{3, 4, 0}));
}

TEST(Numbering, SequenceListsMustNameEveryGridOnce)
{
    const char* resequence = "Must re-sequence all grids consecutively\r\n";
    const struct
    {
        std::vector<std::string> lists;
        const char* fatal;
    } cases[] = {
        {{"NSEQ 3 1"}, resequence},     {{"NSEQ 3 1 1"}, resequence},
        {{"NSEQ 3 1 4"}, resequence},   {{"NSEQ 3 1 -2"}, resequence},
        {{"NSEQ 3 1 2 3"}, resequence}, {{"NSEQ 2 1 3", "NSEQ 1 2 3"}, ""}, // the last one holds
    };
    for (const auto& c : cases) {
        std::vector<std::string> constraints = {"DOFS DEF 1 1 1", "RACT 1 1 1 1"};
        constraints.insert(constraints.end(), c.lists.begin(), c.lists.end());
        const Analysis a = Numbered(constraints);
        SCOPED_TRACE(CrlfText(c.lists));
        EXPECT_EQ(a.State.FatalText, c.fatal);
        // A rejected list leaves the grids numbered in id order, each exactly once.
        EXPECT_EQ(EquationsOf(a, 2), (Equations{1, 2, 3}));
        EXPECT_EQ(EquationsOf(a, 3), (Equations{4, 5, 6}));
    }

    // An unfinished list takes the numbers of the records after it, whatever they are.
    const Analysis a = Numbered({"DOFS DEF 1 1 1", "NSEQ 3 1", "DOFS 2 0 0 1", "RACT 1 1 1 1"});
    EXPECT_EQ(a.State.FatalText,
              std::string(resequence) + "Must include constraints (RACT or SPRG)\r\n");
    EXPECT_EQ(EquationsOf(a, 2), (Equations{4, 5, 6}));
}

TEST(Numbering, ReportsGridNumbersThatNameNoGrid)
{
    const char* cases[][2] = {
        {"RACT 4 1 1 1", "... Grid number 4 not found\r\n"},
        {"RACT 0 1 1 1", "... Grid number 0 not found\r\n"},
        {"SPRG -2 1 1 1", "... Grid number-2 not found\r\n"},
        {"SPRG 2 THRU 4 1 1 1", "... Grid number 4 not found\r\n"},
        {"RACT 3 THRU 3 1 1 1", ""},
        {"RACT 3 THRU 2 1 1 1", ""}, // an empty range
        {"RACT 7 THRU 5 1 1 1", "... Grid number 7 not found\r\n"
                                "RACT 7 THRU 5 1 1 1\r\n... Grid number 5 not found\r\n"},
        {"SPRG 0 THRU 3 1 1 1", "... Grid number 0 not found\r\n"},
        // Element records among the constraints: their first number is taken as a grid.
        {"PROP 4 1 1", "... Grid number 4 not found\r\n"},
        {"PROP 0 1 1", ""},
    };
    for (const auto& c : cases) {
        const Analysis a = Numbered({"DOFS DEF 1 1 1", "RACT 1 1 1 1", c[0]});
        EXPECT_EQ(a.State.FatalText, *c[1] ? std::string(c[0]) + "\r\n" + c[1] : "") << c[0];
    }
}

TEST(Numbering, RangesReachBothEndsAndSpringsOnlyPresentDofs)
{
    const Analysis a = Numbered({"DOFS DEF 1 1 1", "DOFS 3 1 0 1", "RACT 1 THRU 2 1 1 1",
                                 "SPRG 2 5 6 7", "SPRG 2 THRU 3 1 2 3", "SPRG 2 0 9"},
                                {"GRID 1 0 0", "GRID 2 1 0", "GRID 3 2 0", "GRID 4 3 0"});
    EXPECT_EQ(EquationsOf(a, 2), (Equations{8, 7, 6}));
    EXPECT_EQ(EquationsOf(a, 3), (Equations{1, 0, 2}));
    const auto spring = [&](int id) { return a.Model.Grids(GridIndexOf(a.Model, id)).spring; };
    EXPECT_EQ(spring(2), (std::array<double, 4>{0, 0, 9, 0})); // values not given are 0
    EXPECT_EQ(spring(3), (std::array<double, 4>{0, 1, 0, 3}));
    EXPECT_EQ(spring(4), (std::array<double, 4>{0, 0, 0, 0}));
}

TEST(Numbering, GridsWithTurnedAxesGetTheirAxisCodes)
{
    struct Case
    {
        const char* grid3;
        const char* constraint;
        int axisCode;
        Equations eq;
        int transformFlag;
    } cases[] = {
        // A dof held in axes turned by 30 degrees becomes a free global dof.
        {"GRID 3 2 0 30", "RACT 3 0 1 0", EliminateV, {4, 5, 6}, 1},
        {"GRID 3 2 0 30", "RACT 3 1 0 0", EliminateU, {4, 5, 6}, 1},
        {"GRID 3 2 0 30", "RACT 3 1 1 0", NoAxisTurn, {6, 5, 4}, 0},
        {"GRID 3 2 0 30", "RACT 3 -1 0 0", TurnOnly, {-4, 5, 6}, 1},
        {"GRID 3 2 0 30", "RACT 3 -1 -1 0", NoAxisTurn, {-4, -5, 6}, 2},
        // An absent dof 1 in turned axes is added back as a free global dof.
        {"GRID 3 2 0 30", "DOFS 3 0 1 1", EliminateU, {4, 5, 6}, 1},
        {"GRID 3 2 0", "RACT 3 0 1 0", NoAxisTurn, {4, 6, 5}, 0},
        // A polar grid keeps its code unless one of the above applies.
        {"GRID 3 2 45 POLAR", "RACT 3 0 0 0", PolarAxes, {4, 5, 6}, 0},
        {"GRID 3 2 45 POLAR", "RACT 3 1 0 0", EliminateU, {4, 5, 6}, 1},
        {"GRID 3 2 0 POLAR", "RACT 3 1 0 0", PolarAxes, {6, 4, 5}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.grid3) + " / " + c.constraint);
        const bool dofs = std::string(c.constraint).rfind("DOFS", 0) == 0;
        const Analysis a = Numbered({"DOFS DEF 1 1 1", dofs ? c.constraint : "$", "RACT 1 1 1 1",
                                     dofs ? "$" : c.constraint},
                                    {"GRID 1 0 0", "GRID 2 1 0", c.grid3});
        EXPECT_EQ(a.State.FatalText, "");
        EXPECT_EQ(a.Model.Grids(GridIndexOf(a.Model, 3)).axisCode, c.axisCode);
        EXPECT_EQ(EquationsOf(a, 3), c.eq);
        EXPECT_EQ(a.State.TransformFlag, c.transformFlag);
    }

    // The flag keeps the value of its last assignment, grid by grid in id order.
    EXPECT_EQ(Numbered({"DOFS DEF 1 1 1", "RACT 1 1 1 1", "RACT 2 0 1 0", "RACT 3 -1 0 0"},
                       {"GRID 1 0 0", "GRID 2 1 0 30", "GRID 3 2 0"})
                  .State.TransformFlag,
              2);
    EXPECT_EQ(Numbered({"DOFS DEF 1 1 1", "RACT 1 1 1 1", "RACT 2 -1 0 0", "RACT 3 0 1 0"},
                       {"GRID 1 0 0", "GRID 2 1 0", "GRID 3 2 0 30"})
                  .State.TransformFlag,
              1);
}

} // namespace
} // namespace tavu
