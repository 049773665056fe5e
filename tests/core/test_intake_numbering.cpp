#include "TestSupport.h"

#include <array>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tavu {
namespace {

using testing::Equations;
using testing::EquationsOf;

// Grids 1, 2, 3 in a row (or as given) joined by two beams, the constraint records (lines
// separated by "; ") and ENDMODEL.
Analysis Numbered(std::string constraints,
                  std::vector<std::string> grids = {"GRID 1 0 0", "GRID 2 1 0", "GRID 3 2 0"})
{
    for (std::size_t at; (at = constraints.find("; ")) != std::string::npos;)
        constraints.replace(at, 2, "\r\n");
    grids.insert(grids.end(), {"BEAM 1 1 2 1 1", "BEAM 2 2 3 1 1", "PROP 1 1 1", "MATL 1 1000",
                               constraints, "ENDMODEL"});
    Analysis a;
    testing::ProcessModel(a, grids);
    return a;
}

TEST(Numbering, GivesEquationNumbersByTheConstraints)
{
    const std::string resequence = "Must re-sequence all grids consecutively\r\n";
    const std::string noConstraints = "Must include constraints (RACT or SPRG)\r\n";
    const char* H = "DOFS DEF 1 1 1; RACT 1 1 1 1"; // all dofs, grid 1 held
    const struct
    {
        const char* grid; // replaces the grid of its id
        const char* head;
        const char* tail;
        std::array<int, 13> v; // u v r of grids 1..3, NEQ, DOFTOTAL, transform flag, grid 3's
                               // axis code
        std::string fatal = "";
    } cases[] = {
        // clang-format off
        // Held dofs count down from DOFTOTAL, the others up in sequence order.
        {"", H, "", {9, 8, 7, 1, 2, 3, 4, 5, 6, 6, 9, 0, 0}},
        {"", H, "; NSEQ 3 1 2", {9, 8, 7, 4, 5, 6, 1, 2, 3, 6, 9, 0, 0}},
        {"", "NSEQ 2; NSEQ 3 1; ", H, {9, 8, 7, 1, 2, 3, 4, 5, 6, 6, 9, 0, 0}},
        {"", "DOFS DEF 1 1 1; RACT 3 1", "", {1, 2, 3, 4, 5, 6, 9, 7, 8, 8, 9, 0, 0}},
        {"", "DOFS DEF 1 1 1; RACT 1 THRU 3 1 1 0", "", {9, 8, 1, 7, 6, 2, 5, 4, 3, 3, 9, 0, 0}},
        {"", "DOFS DEF 1 1 0; RACT 1 1 1", "", {6, 5, 0, 1, 2, 0, 3, 4, 0, 4, 6, 0, 0}},
        {"", "DOFS DEF 0 1 1; RACT 1 1 1 1", "", {0, 6, 5, 0, 1, 2, 0, 3, 4, 4, 6, 0, 0}},
        // DOFS without flags removes the grid's dofs; flags other than 0 mean present.
        {"", "DOFS 2; RACT 1 1 1 1", "", {6, 5, 4, 0, 0, 0, 1, 2, 3, 3, 6, 0, 0}},
        {"", "DOFS 2 THRU 3 0 1 1; RACT 1 1 1 1", "", {7, 6, 5, 0, 1, 2, 0, 3, 4, 4, 7, 0, 0}},
        {"", "DOFS DEF 5 -3 0; DOFS 2 2 -1 0.7", "; RACT 1 1 1",
         {7, 6, 0, 1, 2, 3, 4, 5, 0, 5, 7, 0, 0}},
        // A negative code prescribes a displacement; codes other than 1, 0 leave the dof;
        // a later RACT frees what an earlier one held; restraints on absent dofs are none.
        {"", H, "; RACT 3 -1 0 0", {9, 8, 7, 1, 2, 3, -4, 5, 6, 6, 9, 2, 0}},
        {"", H, "; RACT 1 0.5 2 0", {9, 8, 1, 2, 3, 4, 5, 6, 7, 7, 9, 0, 0}},
        {"", H, "; RACT 1 0 0 0; RACT 2 1 1 1", {1, 2, 3, 9, 8, 7, 4, 5, 6, 6, 9, 0, 0}},
        {"", "DOFS DEF 1 1 1; DOFS 1 0 0 0; RACT 1 1 1 1", "",
         {0, 0, 0, 1, 2, 3, 4, 5, 6, 6, 6, 0, 0}, noConstraints},
        {"", "DOFS DEF 1 1 1; SPRG 1 10 0 0", "", {1, 2, 3, 4, 5, 6, 7, 8, 9, 9, 9, 0, 0}},
        // A sequence list must name every grid once, or the grids go in id order. An
        // unfinished list takes the numbers of the records after it, whatever they are.
        {"", H, "; NSEQ 3 1", {9, 8, 7, 1, 2, 3, 4, 5, 6, 6, 9, 0, 0}, resequence},
        {"", H, "; NSEQ 3 1 1", {9, 8, 7, 1, 2, 3, 4, 5, 6, 6, 9, 0, 0}, resequence},
        {"", H, "; NSEQ 3 1 4", {9, 8, 7, 1, 2, 3, 4, 5, 6, 6, 9, 0, 0}, resequence},
        {"", H, "; NSEQ 3 1 -2", {9, 8, 7, 1, 2, 3, 4, 5, 6, 6, 9, 0, 0}, resequence},
        {"", H, "; NSEQ 3 1 2 3", {9, 8, 7, 1, 2, 3, 4, 5, 6, 6, 9, 0, 0}, resequence},
        {"", H, "; NSEQ 2 1 3; NSEQ 1 3 2", {9, 8, 7, 4, 5, 6, 1, 2, 3, 6, 9, 0, 0}},
        {"", "DOFS DEF 1 1 1; NSEQ 3 1; DOFS 2 0 0 1; RACT 1 1 1 1", "",
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 9, 9, 0, 0}, resequence + noConstraints},
        // A dof held or absent in turned axes becomes a free global dof, to be eliminated.
        {"3 2 0 30", H, "; RACT 3 0 1 0", {9, 8, 7, 1, 2, 3, 4, 5, 6, 6, 9, 1, EliminateV}},
        {"3 2 0 30", H, "; RACT 3 1 0 0", {9, 8, 7, 1, 2, 3, 4, 5, 6, 6, 9, 1, EliminateU}},
        {"3 2 0 30", "DOFS DEF 1 1 1; DOFS 3 0 1 1; RACT 1 1 1 1", "",
         {9, 8, 7, 1, 2, 3, 4, 5, 6, 6, 9, 1, EliminateU}},
        {"3 2 0 30", H, "; RACT 3 1 1 0", {9, 8, 7, 1, 2, 3, 6, 5, 4, 4, 9, 0, NoAxisTurn}},
        {"3 2 0 30", H, "; RACT 3 -1 0 0", {9, 8, 7, 1, 2, 3, -4, 5, 6, 6, 9, 1, TurnOnly}},
        {"3 2 0 30", H, "; RACT 3 -1 -1 0", {9, 8, 7, 1, 2, 3, -4, -5, 6, 6, 9, 2, NoAxisTurn}},
        // A polar grid keeps its code unless one of the above applies.
        {"3 2 45 POLAR", H, "", {9, 8, 7, 1, 2, 3, 4, 5, 6, 6, 9, 0, PolarAxes}},
        {"3 2 45 POLAR", H, "; RACT 3 1 0 0", {9, 8, 7, 1, 2, 3, 4, 5, 6, 6, 9, 1, EliminateU}},
        {"3 2 0 POLAR", H, "; RACT 3 1 0 0", {9, 8, 7, 1, 2, 3, 6, 4, 5, 5, 9, 0, PolarAxes}},
        // The flag keeps the value of its last assignment, grid by grid in id order.
        {"2 1 0 30", H, "; RACT 2 0 1 0; RACT 3 -1 0 0", {9, 8, 7, 1, 2, 3, -4, 5, 6, 6, 9, 2, 0}},
        {"3 2 0 30", H, "; RACT 2 -1 0 0; RACT 3 0 1 0", {9, 8, 7, -1, 2, 3, 4, 5, 6, 6, 9, 1, 2}},
        // clang-format on
    };
    for (const auto& c : cases) {
        std::vector<std::string> grids = {"GRID 1 0 0", "GRID 2 1 0", "GRID 3 2 0"};
        if (*c.grid)
            grids[static_cast<std::size_t>(c.grid[0] - '1')] = std::string("GRID ") + c.grid;
        const std::string constraints = std::string(c.head) + c.tail;
        const Analysis a = Numbered(constraints, grids);
        const auto& [u1, v1, r1, u2, v2, r2, u3, v3, r3, neq, total, flag, axis] = c.v;
        EXPECT_EQ((std::vector{EquationsOf(a, 1), EquationsOf(a, 2), EquationsOf(a, 3)}),
                  (std::vector<Equations>{{u1, v1, r1}, {u2, v2, r2}, {u3, v3, r3}}))
            << c.grid << " " << constraints;
        EXPECT_EQ((std::array{a.Model.NEQ, a.Model.DOFTOTAL, a.State.TransformFlag,
                              a.Model.Grids(GridIndexOf(a.Model, 3)).axisCode}),
                  (std::array{neq, total, flag, axis}))
            << c.grid << " " << constraints;
        EXPECT_EQ(a.State.FatalText, c.fatal) << c.grid << " " << constraints;
    }
    // Grids are numbered by id whatever the order of their lines.
    const Analysis a =
        Numbered("DOFS DEF 1 1 0; RACT 2 1 1", {"GRID 3 2 0", "GRID 1 0 0", "GRID 2 1 0"});
    EXPECT_EQ(EquationsOf(a, 3), (Equations{3, 4, 0}));
}

TEST(Numbering, RangesReachBothEndsAndSpringsOnlyPresentDofs)
{
    const Analysis a = Numbered("DOFS DEF 1 1 1; DOFS 3 1 0 1; RACT 1 THRU 2 1 1 1; "
                                "SPRG 2 5 6 7; SPRG 2 THRU 3 1 2 3; SPRG 2 0 9",
                                {"GRID 1 0 0", "GRID 2 1 0", "GRID 3 2 0", "GRID 4 3 0"});
    EXPECT_EQ(EquationsOf(a, 2), (Equations{8, 7, 6}));
    EXPECT_EQ(EquationsOf(a, 3), (Equations{1, 0, 2}));
    const auto spring = [&](int id) { return a.Model.Grids(GridIndexOf(a.Model, id)).spring; };
    EXPECT_EQ(spring(2), (std::array<double, 4>{0, 0, 9, 0})); // values not given are 0
    EXPECT_EQ(spring(3), (std::array<double, 4>{0, 1, 0, 3}));
    EXPECT_EQ(spring(4), (std::array<double, 4>{0, 0, 0, 0}));
}

} // namespace
} // namespace tavu
