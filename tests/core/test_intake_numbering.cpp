#include "TestSupport.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tavu {
namespace {

using testing::CrlfText;
using testing::Equations;
using testing::EquationsOf;
using testing::ProcessModel;

// Three grids in a row joined by two beams; the constraint records follow.
std::vector<std::string> Frame(const std::vector<std::string>& constraints,
                               const std::vector<std::string>& grids = {"GRID 1 0 0", "GRID 2 1 0",
                                                                        "GRID 3 2 0"})
{
    std::vector<std::string> lines = grids;
    for (const char* s : {"BEAM 1 1 2 1 1", "BEAM 2 2 3 1 1", "PROP 1 1 1", "MATL 1 1000"})
        lines.push_back(s);
    lines.insert(lines.end(), constraints.begin(), constraints.end());
    lines.push_back("ENDMODEL");
    return lines;
}

struct NumberingCase
{
    std::vector<std::string> constraints;
    int v[12]; // u, v, r of grids 1, 2, 3; then NEQ, DOFTOTAL and the transform flag
    const char* fatal = "";
};

TEST(Numbering, GivesEquationNumbersByTheConstraints)
{
    const NumberingCase cases[] = {
        {{"DOFS DEF 1 1 1", "RACT 1 1 1 1"}, {9, 8, 7, 1, 2, 3, 4, 5, 6, 6, 9, 0}},
        {{"DOFS DEF 1 1 1", "RACT 1 1 1 1", "NSEQ 3 1 2"}, {9, 8, 7, 4, 5, 6, 1, 2, 3, 6, 9, 0}},
        // A sequence list over two lines.
        {{"NSEQ 2", "NSEQ 3 1", "DOFS DEF 1 1 1", "RACT 1 1 1 1"},
         {9, 8, 7, 1, 2, 3, 4, 5, 6, 6, 9, 0}},
        // Dof 1 held, 2 and 3 freed: held dofs count down from DOFTOTAL.
        {{"DOFS DEF 1 1 1", "RACT 3 1"}, {1, 2, 3, 4, 5, 6, 9, 7, 8, 8, 9, 0}},
        {{"DOFS DEF 1 1 1", "RACT 1 THRU 3 1 1 0"}, {9, 8, 1, 7, 6, 2, 5, 4, 3, 3, 9, 0}},
        {{"DOFS DEF 1 1 0", "RACT 1 1 1"}, {6, 5, 0, 1, 2, 0, 3, 4, 0, 4, 6, 0}},
        // DOFS with no flags removes the grid's dofs.
        {{"DOFS 2", "RACT 1 1 1 1"}, {6, 5, 4, 0, 0, 0, 1, 2, 3, 3, 6, 0}},
        {{"DOFS 2 THRU 3 0 1 1", "RACT 1 1 1 1"}, {7, 6, 5, 0, 1, 2, 0, 3, 4, 4, 7, 0}},
        // Flags other than 0/1 mean present.
        {{"DOFS 2 2 -1 0.7", "RACT 1 1 1 1"}, {9, 8, 7, 1, 2, 3, 4, 5, 6, 6, 9, 0}},
        {{"DOFS DEF 5 -3 0", "RACT 1 1 1"}, {6, 5, 0, 1, 2, 0, 3, 4, 0, 4, 6, 0}},
        // A prescribed displacement.
        {{"DOFS DEF 1 1 1", "RACT 1 1 1 1", "RACT 3 -1 0 0"},
         {9, 8, 7, 1, 2, 3, -4, 5, 6, 6, 9, 2}},
        // Codes other than 1, 0 or negative leave the dof.
        {{"DOFS DEF 1 1 1", "RACT 1 1 1 1", "RACT 1 0.5 2 0"},
         {9, 8, 1, 2, 3, 4, 5, 6, 7, 7, 9, 0}},
        // A later RACT frees what an earlier one held.
        {{"DOFS DEF 1 1 1", "RACT 1 1 1 1", "RACT 1 0 0 0", "RACT 2 1 1 1"},
         {1, 2, 3, 9, 8, 7, 4, 5, 6, 6, 9, 0}},
        {{"DOFS DEF 1 1 1", "DOFS 1 0 0 0", "RACT 1 1 1 1"},
         {0, 0, 0, 1, 2, 3, 4, 5, 6, 6, 6, 0},
         "Must include constraints (RACT or SPRG)\r\n"},
        // Springs count as constraints.
        {{"DOFS DEF 1 1 1", "SPRG 1 10 0 0"}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 9, 9, 0}},
    };
    for (const NumberingCase& c : cases) {
        SCOPED_TRACE(CrlfText(c.constraints));
        Analysis a;
        ProcessModel(a, Frame(c.constraints));
        EXPECT_EQ(a.State.FatalText, c.fatal);
        for (int g = 1; g <= 3; ++g)
            EXPECT_EQ(EquationsOf(a, g),
                      (Equations{c.v[3 * g - 3], c.v[3 * g - 2], c.v[3 * g - 1]}))
                << "grid " << g;
        EXPECT_EQ(a.Model.NEQ, c.v[9]);
        EXPECT_EQ(a.Model.DOFTOTAL, c.v[10]);
        EXPECT_EQ(a.State.TransformFlag, c.v[11]);
    }
}

TEST(Numbering, NumbersGridsByIdWhateverTheLineOrder)
{
    Analysis a;
    ASSERT_TRUE(ProcessModel(
        a, Frame({"DOFS DEF 1 1 0", "RACT 2 1 1"}, {"GRID 3 2 0", "GRID 1 0 0", "GRID 2 1 0"})))
        << a.Summary.ReadText;
    EXPECT_EQ(EquationsOf(a, 1), (Equations{1, 2, 0}));
    EXPECT_EQ(EquationsOf(a, 2), (Equations{6, 5, 0}));
    EXPECT_EQ(EquationsOf(a, 3), (Equations{3, 4, 0}));
}

TEST(Numbering, SequenceListsMustNameEveryGridOnce)
{
    struct Case
    {
        std::vector<std::string> constraints;
        const char* fatal;
    } cases[] = {
        {{"NSEQ 3 1"}, "Must re-sequence all grids consecutively\r\n"},
        {{"NSEQ 3 1 1"}, "Must re-sequence all grids consecutively\r\n"},
        {{"NSEQ 3 1 4"}, "Must re-sequence all grids consecutively\r\n"},
        {{"NSEQ 3 1 -2"}, "Must re-sequence all grids consecutively\r\n"},
        {{"NSEQ 3 1 2 3"}, "Must re-sequence all grids consecutively\r\n"},
        {{"NSEQ 2 1 3", "NSEQ 1 2 3"}, ""}, // a second complete list replaces the first
    };
    for (const Case& c : cases) {
        std::vector<std::string> constraints = {"DOFS DEF 1 1 1", "RACT 1 1 1 1"};
        constraints.insert(constraints.end(), c.constraints.begin(), c.constraints.end());
        Analysis a;
        ProcessModel(a, Frame(constraints));
        SCOPED_TRACE(CrlfText(c.constraints));
        EXPECT_EQ(a.State.FatalText, c.fatal);
        // A rejected list leaves the grids numbered in id order, each exactly once.
        EXPECT_EQ(EquationsOf(a, 1), (Equations{9, 8, 7}));
        EXPECT_EQ(EquationsOf(a, 2), (Equations{1, 2, 3}));
        EXPECT_EQ(EquationsOf(a, 3), (Equations{4, 5, 6}));
        EXPECT_EQ(a.Model.NEQ, 6);
    }

    // An unfinished list takes the numbers of the DOFS record (positions 3 to 6) and of
    // the RACT record after it: neither has any other effect.
    Analysis a;
    ProcessModel(a, Frame({"DOFS DEF 1 1 1", "NSEQ 3 1", "DOFS 2 0 0 1", "RACT 1 1 1 1"}));
    EXPECT_EQ(a.State.FatalText, "Must re-sequence all grids consecutively\r\n"
                                 "Must include constraints (RACT or SPRG)\r\n");
    EXPECT_EQ(EquationsOf(a, 1), (Equations{1, 2, 3}));
    EXPECT_EQ(EquationsOf(a, 2), (Equations{4, 5, 6}));
    EXPECT_EQ(a.Model.NEQ, 9);
}

TEST(Numbering, ReportsGridNumbersThatNameNoGrid)
{
    struct Case
    {
        const char* record;
        const char* fatal;
    } cases[] = {
        {"RACT 4 1 1 1", "RACT 4 1 1 1\r\n... Grid number 4 not found\r\n"},
        {"RACT 0 1 1 1", "RACT 0 1 1 1\r\n... Grid number 0 not found\r\n"},
        {"SPRG -2 1 1 1", "SPRG -2 1 1 1\r\n... Grid number-2 not found\r\n"},
        {"RACT 2 THRU 5 1 1 1", "RACT 2 THRU 5 1 1 1\r\n... Grid number 5 not found\r\n"},
        {"RACT 7 THRU 5 1 1 1", "RACT 7 THRU 5 1 1 1\r\n... Grid number 7 not found\r\n"
                                "RACT 7 THRU 5 1 1 1\r\n... Grid number 5 not found\r\n"},
        {"SPRG 0 THRU 3 1 1 1", "SPRG 0 THRU 3 1 1 1\r\n... Grid number 0 not found\r\n"},
        {"RACT 3 THRU 2 1 1 1", ""}, // an empty range
        // Element records among the constraints: their first number is taken as a grid.
        {"PROP 4 1 1", "PROP 4 1 1\r\n... Grid number 4 not found\r\n"},
        {"PROP 0 1 1", ""},
        {"MATL 3 1", ""},
    };
    for (const Case& c : cases) {
        Analysis a;
        ProcessModel(a, Frame({"DOFS DEF 1 1 1", "RACT 1 1 1 1", c.record}));
        EXPECT_EQ(a.State.FatalText, c.fatal) << c.record;
    }
}

TEST(Numbering, SpringsActOnPresentDofsAndReplaceEarlierValues)
{
    Analysis a;
    ProcessModel(a, Frame({"DOFS DEF 1 1 1", "DOFS 3 1 0 1", "RACT 1 1 1 1", "SPRG 2 5 6 7",
                           "SPRG 3 THRU 3 1 2 3", "SPRG 2 0 9"}));
    EXPECT_EQ(a.State.FatalText, "");
    const int g2 = GridIndexOf(a.Model, 2), g3 = GridIndexOf(a.Model, 3);
    EXPECT_EQ(a.Model.Grids(g2).spring[1], 0);
    EXPECT_EQ(a.Model.Grids(g2).spring[2], 9);
    EXPECT_EQ(a.Model.Grids(g2).spring[3], 0); // a value not given is 0
    EXPECT_EQ(a.Model.Grids(g3).spring[1], 1);
    EXPECT_EQ(a.Model.Grids(g3).spring[2], 0); // dof 2 of grid 3 is absent
    EXPECT_EQ(a.Model.Grids(g3).spring[3], 3);
}

TEST(Numbering, GridsWithTurnedAxesGetTheirAxisCodes)
{
    struct Case
    {
        const char* grid3;
        std::vector<std::string> constraints;
        int axisCode;
        Equations eq;
        int dofTotal, transformFlag;
    } cases[] = {
        // Dof 2 held in axes turned by 30 degrees: it becomes a free global dof.
        {"GRID 3 2 0 30", {"RACT 3 0 1 0"}, 2, {4, 5, 6}, 9, 1},
        {"GRID 3 2 0 30", {"RACT 3 1 0 0"}, 1, {4, 5, 6}, 9, 1},
        {"GRID 3 2 0 30", {"RACT 3 1 1 0"}, 0, {6, 5, 4}, 9, 0},
        {"GRID 3 2 0 30", {"RACT 3 -1 0 0"}, 3, {-4, 5, 6}, 9, 1},
        {"GRID 3 2 0 30", {"RACT 3 -1 -1 0"}, 0, {-4, -5, 6}, 9, 2},
        // Dof 1 absent in turned axes: it is added back as a free global dof.
        {"GRID 3 2 0 30", {"DOFS 3 0 1 1"}, 1, {4, 5, 6}, 9, 1},
        {"GRID 3 2 0", {"RACT 3 0 1 0"}, 0, {4, 6, 5}, 9, 0},
        // A polar grid keeps its code unless one of the above applies.
        {"GRID 3 2 45 POLAR", {"RACT 3 0 0 0"}, -1, {4, 5, 6}, 9, 0},
        {"GRID 3 2 45 POLAR", {"RACT 3 1 0 0"}, 1, {4, 5, 6}, 9, 1},
        {"GRID 3 2 0 POLAR", {"RACT 3 1 0 0"}, -1, {6, 4, 5}, 9, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.grid3) + " / " + c.constraints[0]);
        std::vector<std::string> constraints = {"DOFS DEF 1 1 1"};
        if (c.constraints[0].rfind("DOFS", 0) == 0)
            constraints.push_back(c.constraints[0]);
        constraints.push_back("RACT 1 1 1 1");
        if (c.constraints[0].rfind("RACT", 0) == 0)
            constraints.push_back(c.constraints[0]);
        Analysis a;
        ProcessModel(a, Frame(constraints, {"GRID 1 0 0", "GRID 2 1 0", c.grid3}));
        EXPECT_EQ(a.State.FatalText, "");
        const int g = GridIndexOf(a.Model, 3);
        EXPECT_EQ(a.Model.Grids(g).axisCode, c.axisCode);
        EXPECT_EQ(EquationsOf(a, 3), c.eq);
        EXPECT_EQ(a.Model.DOFTOTAL, c.dofTotal);
        EXPECT_EQ(a.State.TransformFlag, c.transformFlag);
    }

    // The flag keeps the value of its last assignment, grid by grid in id order.
    Analysis a;
    ProcessModel(a, Frame({"DOFS DEF 1 1 1", "RACT 1 1 1 1", "RACT 2 0 1 0", "RACT 3 -1 0 0"},
                          {"GRID 1 0 0", "GRID 2 1 0 30", "GRID 3 2 0"}));
    EXPECT_EQ(a.State.TransformFlag, 2);
    Analysis b;
    ProcessModel(b, Frame({"DOFS DEF 1 1 1", "RACT 1 1 1 1", "RACT 2 -1 0 0", "RACT 3 0 1 0"},
                          {"GRID 1 0 0", "GRID 2 1 0", "GRID 3 2 0 30"}));
    EXPECT_EQ(b.State.TransformFlag, 1);
}

} // namespace
} // namespace tavu
