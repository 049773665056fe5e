#include "driver/Commands.h"
#include "driver/Driver.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tavu {
namespace {

// States written as four letters: R(eset) U(Run) S(how) P(lot), "-" for unavailable.
std::string Letters(const CommandStates& s)
{
    return std::string(s.resetSolution ? "R" : "-") + (s.runSolution ? "U" : "-") +
           (s.showSolution ? "S" : "-") + (s.plotDeformation ? "P" : "-");
}

TEST(CommandStates, FollowTheEventsOfASession)
{
    using E = CommandEvent;
    const struct
    {
        E event;
        int stage;
        const char* after;
    } steps[] = {
        {E::ProgramStart, 0, "----"},      {E::ModelFileLoaded, 0, "-U--"},
        {E::ModelProcessed, 0, "RU-P"},    {E::EditorFocusGained, 2, "RU-P"},
        {E::EditorFocusGained, 3, "RUSP"}, {E::TextEdited, 2, "RU--"},
        {E::EditorFocusGained, 2, "RU--"}, {E::EditorFocusGained, 3, "RUSP"},
        {E::ModelFileLoaded, 0, "RU--"}, // another model: Reset stays, old results go
        {E::EditorFocusGained, 3, "RUSP"}, {E::ResetSolution, 0, "-U--"},
        {E::EditorFocusGained, 0, "-U--"}, {E::ModelProcessed, 0, "RU-P"},
        {E::NewModel, 0, "----"},          {E::TextEdited, 0, "----"}, // typing enables no Run
        {E::SaveAsCompleted, 0, "-U--"},
    };
    CommandStates s;
    for (const auto& step : steps) {
        s = NextCommandStates(s, step.event, step.stage);
        EXPECT_EQ(Letters(s), step.after) << "step " << &step - steps;
    }
}

TEST(StatusTexts, FileNameAloneOnlyInTheModelFolder)
{
    const char* cases[][3] = {
        {"/home/u/models/frame.tav", "/home/u/models/", "frame.tav"},
        {"/home/u/models/sub/frame.tav", "/home/u/models/", "/home/u/models/sub/frame.tav"},
        {"/home/u/Models/frame.tav", "/home/u/models/", "/home/u/Models/frame.tav"},
        {"", "/home/u/models/", ""},
        {"frame.tav", "/home/u/models/", "frame.tav"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FileStatusText(c[0], c[1]), c[2]) << c[0];
    EXPECT_EQ(LineStatusText(12, 140), " 12 of  140");
    EXPECT_EQ(LineStatusText(1, 1), "");
}

TEST(ModelFiles, NamesFoldersAndTheCommandLine)
{
    for (const char* name : {"frame.tav", "FRAME.TAV", ".tav"})
        EXPECT_TRUE(IsModelFileName(name)) << name;
    for (const char* name : {"frame.tavx", "frame_tav", "tav", ""})
        EXPECT_FALSE(IsModelFileName(name)) << name;
    EXPECT_EQ(ChooseModelFolder("/w/models", true, "/h/.local/share", "/h"), "/w/models/");
    EXPECT_EQ(ChooseModelFolder("/w/models/", false, "/h/data", "/h"), "/h/data/vrxSoftware/TAVU/");
    EXPECT_EQ(ChooseModelFolder("/w/models", false, "", "/h"), "/h/vrxSoftware/TAVU/");
    EXPECT_EQ(CommandLinePath({"\"/m/my", "model.tav\""}), "/m/my model.tav");
    EXPECT_EQ(CommandLinePath({" ", "/m/\"odd\"name.tav", " "}), "/m/oddname.tav");
    EXPECT_EQ(CommandLinePath({"\"\""}), "");
}

TEST(ModelFiles, LoadAndSaveKeepTheText)
{
    const struct
    {
        std::string file, editor;
        LineEndStyle style;
    } cases[] = {
        {"GRID 1 0 0\r\nENDMODEL\r\n", "GRID 1 0 0\nENDMODEL", {false, true}},
        {"GRID 1 0 0\r\nENDMODEL", "GRID 1 0 0\nENDMODEL", {false, false}},
        {"GRID 1 0 0\nENDMODEL\n", "GRID 1 0 0\nENDMODEL", {true, true}},
        {"a\r\n\r\n", "a\n", {false, true}},
        {"", "", {false, false}},
        {"\tx \xA0\xE9\x1A y\r\n", "\tx \xA0\xE9\x1A y", {false, true}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EditorTextOfFile(c.file), c.editor) << c.file;
        EXPECT_EQ(DetectLineEnds(c.file), c.style) << c.file;
        // A file written the program's own way comes back byte for byte.
        EXPECT_EQ(ModelFileText(c.editor, c.style), c.file);
    }
    // Mixed and CR-only line ends read as lines; a new text gets CR LF and a final one.
    EXPECT_EQ(EditorTextOfFile("a\rb\nc\r\nd"), "a\nb\nc\nd");
    EXPECT_EQ(ModelFileText("x\ny"), "x\r\ny\r\n");
}

TEST(Prompts, WhoAsksAndWhatTheAnswersDo)
{
    using F = FileCommand;
    using S = SaveAction;
    const struct
    {
        F command;
        bool untitled, changed;
        const char* question; // nullptr: no question
        bool withCancel;
        S onYes, onNo;
    } cases[] = {
        {F::New, false, true, SaveChangesQuestion, true, S::Save, S::None},
        {F::New, true, true, SaveChangesQuestion, true, S::SaveAs, S::None},
        {F::New, false, false, nullptr, false, S::Save, S::None},
        {F::Open, true, true, OpenChangedQuestion, false, S::SaveAs, S::None},
        {F::Open, false, false, nullptr, false, S::Save, S::None},
        {F::Save, false, false, SaveNowQuestion, false, S::Save, S::None},
        {F::Save, true, true, nullptr, false, S::SaveAs, S::SaveAs},
    };
    for (const auto& c : cases) {
        const PromptPlan plan = PromptFor(c.command, c.untitled, c.changed);
        const int i = static_cast<int>(&c - cases);
        EXPECT_EQ(plan.ask, c.question != nullptr) << i;
        EXPECT_EQ(plan.question, c.question) << i;
        EXPECT_EQ(plan.withCancel, c.withCancel) << i;
        EXPECT_EQ(SaveActionFor(c.command, Answer::Yes, c.untitled), c.onYes) << i;
        EXPECT_EQ(SaveActionFor(c.command, Answer::No, c.untitled), c.onNo) << i;
        EXPECT_EQ(SaveActionFor(c.command, Answer::Cancel, c.untitled), c.onNo) << i;
    }
}

TEST(DialogUnits, RoundWithTheFontMetrics)
{
    EXPECT_EQ(AverageCharWidth(338), 7); // 6.5 rounds up
    EXPECT_EQ(AverageCharWidth(337), 6);
    const int cases[][4] = {{270, 7, 473, 236}, {1, 6, 2, 1}, {3, 6, 5, 2}, {-4, 8, -8, -4}};
    for (const auto& c : cases) {
        EXPECT_EQ(DuToPixelsX(c[0], c[1]), c[2]) << c[0] << " " << c[1];
        EXPECT_EQ(DuToPixelsY(c[0], c[1]), c[3]) << c[0] << " " << c[1];
    }
    EXPECT_EQ(PixelsToDuX(473, 7), 270);
    EXPECT_EQ(PixelsToDuY(DuToPixelsY(385, 18), 18), 385);
    EXPECT_EQ(DuToPixelsX(5, 0), 0);
    EXPECT_EQ(NextTabStop(59, {10, 60, 120}, 8), 60);
    EXPECT_EQ(NextTabStop(120, {10, 60, 120}, 8), 128);
    EXPECT_EQ(NextTabStop(3, {}, 0), 4);
}

TEST(ScalarsDialog, CountsTheSubcasesBelowEndModelAndFillsTheirScalars)
{
    const struct
    {
        const char* text;
        int endModelLine, splitCount, recount;
    } cases[] = {
        {"GRID 1\r\nENDMODEL\r\nSUBCASE 1\r\nLOAD 1 0 1\r\nSUBCASE 5", 2, 2, 2},
        {"SUBCASE 1\r\nENDMODEL\r\nSUBCASE 2", 2, 2, 1}, // the model section is not read
        {"ENDMODEL\r\n$ SUBCASE 3\r\n\r\nsubcase 1\r\n  Subcase 2 $ two", 1, 2, 2},
        {"ENDMODEL\r\nSUBCASE1\r\n1 SUBCASE", 1, 1, 1}, // "SUBCASE1" counts for the split only
    };
    for (const auto& c : cases) {
        Analysis a;
        SplitModelText(a, c.text);
        a.State.EndModelLine = c.endModelLine;
        EXPECT_EQ(a.State.SubcaseCount, c.splitCount) << c.text;
        EXPECT_EQ(RecountSubcases(a), c.recount) << c.text;
        EXPECT_EQ(a.State.SubcaseCount, c.recount) << c.text;
    }
    Analysis a;
    SplitModelText(a, "ENDMODEL\r\nSUBCASE 1 2 3 4 5 6 7 8 9 10 11");
    a.State.EndModelLine = 1;
    EXPECT_EQ(RecountSubcases(a), 1);
    EXPECT_EQ(a.State.FatalText,
              "SUBCASE 1 2 3 4 5 6 7 8 9 10 11\r\n... Bad record... check syntax\r\n");

    // Box k fills scalar k + 1; a missing box or a text that is no number gives 0; the
    // scalars beyond the count and the ten slots are not touched.
    a.LoadScalars.fill(9);
    a.State.SubcaseCount = 3;
    ApplyScalarTexts(a, {" 2.5", "-3e1x"});
    EXPECT_EQ(a.LoadScalars, (LoadScalarArray{9, 2.5, -30, 0, 9, 9, 9, 9, 9, 9, 9}));
    a.State.SubcaseCount = 25;
    ApplyScalarTexts(a, std::vector<std::string>(25, "abc"));
    EXPECT_EQ(a.LoadScalars, (LoadScalarArray{9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(ScalarsLayout(40).boxes.size(), 10u);
}

TEST(Results, TablesMustMatchTheModel)
{
    Analysis a;
    EXPECT_TRUE(ResultsMatchModel(a)); // nothing read, nothing to list
    ModelStore& m = a.Model;
    m.nGrids = m.maxGridId = 2;
    m.nBeams = 1;
    m.DOFTOTAL = 6;
    m.GridIndex.Create(2);
    m.Grids.Create(2);
    m.Beams.Create(1);
    a.System.NEQ = 3;
    a.System.GridEquations.Create(2);
    EXPECT_FALSE(ResultsMatchModel(a)); // model read, no results yet
    ResultSet& r = a.Results;
    r.SolutionVector.Create(3);
    r.Reactions.Create(6);
    r.BeamEndForces.Create(1);
    r.QuadStresses.Create(0);
    EXPECT_TRUE(ResultsMatchModel(a));
    a.System.NEQ = 4; // read again with more equations
    EXPECT_FALSE(ResultsMatchModel(a));
    a.System.NEQ = 3;
    m.nBeams = 2;
    m.Beams.Create(2);
    EXPECT_FALSE(ResultsMatchModel(a));
}

} // namespace
} // namespace tavu
