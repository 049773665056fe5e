#include "driver/Commands.h"
#include "driver/Driver.h"

#include <array>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace tavu {
namespace {

TEST(CommandStates, FollowTheEventsOfASession)
{
    using E = CommandEvent;
    const struct
    {
        E event;
        int stage;
        const char* after; // R(eset) U(Run) S(how) P(lot) X (export), "-" for unavailable
    } steps[] = {
        {E::ProgramStart, 0, "-----"},      {E::ModelFileLoaded, 0, "-U---"},
        {E::ModelProcessed, 0, "RU-P-"},    {E::EditorFocusGained, 2, "RU-P-"},
        {E::EditorFocusGained, 3, "RUSPX"}, {E::TextEdited, 2, "RU---"},
        {E::EditorFocusGained, 2, "RU---"}, {E::EditorFocusGained, 3, "RUSPX"},
        {E::ModelFileLoaded, 0, "RU---"}, // another model: Reset stays, old results go
        {E::EditorFocusGained, 3, "RUSPX"}, {E::ResetSolution, 0, "-U---"},
        {E::EditorFocusGained, 0, "-U---"}, {E::ModelProcessed, 0, "RU-P-"},
        {E::NewModel, 0, "-----"},          {E::TextEdited, 0, "-----"}, // typing enables no Run
        {E::SaveAsCompleted, 0, "-U---"},   {E::ModelProcessed, 0, "RU-P-"},
        {E::ModelSolved, 2, "RU-P-"},       {E::ModelSolved, 3, "RUSPX"},
    };
    CommandStates s;
    for (const auto& step : steps) {
        s = NextCommandStates(s, step.event, step.stage);
        const std::string letters = {s.resetSolution ? 'R' : '-', s.runSolution ? 'U' : '-',
                                     s.showSolution ? 'S' : '-', s.plotDeformation ? 'P' : '-',
                                     s.exportResults ? 'X' : '-'};
        EXPECT_EQ(letters, step.after) << "step " << &step - steps;
    }
}

TEST(Files, LoadAndSaveKeepTheText)
{
    const struct
    {
        std::string file, editor;
        LineEndStyle style;
    } cases[] = {
        // clang-format off
        {"GRID 1 0 0\r\nENDMODEL\r\n", "GRID 1 0 0\nENDMODEL", {false, true}},
        {"GRID 1 0 0\r\nENDMODEL", "GRID 1 0 0\nENDMODEL", {false, false}},
        {"GRID 1 0 0\nENDMODEL\n", "GRID 1 0 0\nENDMODEL", {true, true}},
        {"a\r\n\r\n", "a\n", {false, true}}, {"", "", {false, false}},
        {"\tx \xA0\xE9\x1A y\r\n", "\tx \xA0\xE9\x1A y", {false, true}},
        // clang-format on
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EditorTextOfFile(c.file), c.editor) << c.file;
        EXPECT_EQ(DetectLineEnds(c.file), c.style) << c.file;
        EXPECT_EQ(ModelFileText(c.editor, c.style), c.file); // written back byte for byte
    }
    // Mixed and CR-only line ends read as lines; a new text gets CR LF and a final one.
    EXPECT_EQ(EditorTextOfFile("a\rb\nc\r\nd"), "a\nb\nc\nd");
    EXPECT_EQ(ModelFileText("x\ny"), "x\r\ny\r\n");
    EXPECT_EQ(CommandLinePath({" ", "\"/m/my", "\"odd\"model.tav\"", " "}), "/m/my oddmodel.tav");
    EXPECT_TRUE(IsModelFileName("FRAME.Tav"));
    EXPECT_FALSE(IsModelFileName("frame_tav"));
    EXPECT_EQ(ChooseModelFolder("/w/models", true, "/h/data", "/h"), "/w/models/");
    EXPECT_EQ(ChooseModelFolder("/w/models/", false, "/h/data", "/h"), "/h/data/vrxSoftware/TAVU/");
    EXPECT_EQ(ChooseModelFolder("/w/models", false, "", "/h"), "/h/vrxSoftware/TAVU/");
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
        // clang-format off
        {F::New, false, true, SaveChangesQuestion, true, S::Save, S::None},
        {F::New, true, true, SaveChangesQuestion, true, S::SaveAs, S::None},
        {F::New, false, false, nullptr, false, S::Save, S::None},
        {F::Open, true, true, OpenChangedQuestion, true, S::SaveAs, S::None},
        {F::Open, false, false, nullptr, false, S::Save, S::None},
        {F::Save, false, false, SaveNowQuestion, false, S::Save, S::None},
        {F::Save, true, true, nullptr, false, S::SaveAs, S::SaveAs},
        // clang-format on
    };
    for (const auto& c : cases) {
        const PromptPlan plan = PromptFor(c.command, c.untitled, c.changed);
        // The texts by value: a literal may sit at another address in another file.
        const std::string asked = plan.question ? plan.question : "";
        EXPECT_EQ(std::tuple(plan.ask, asked, plan.withCancel),
                  std::tuple(c.question != nullptr, std::string(c.question ? c.question : ""),
                             c.withCancel))
            << &c - cases;
        EXPECT_EQ(std::tuple(SaveActionFor(c.command, Answer::Yes, c.untitled),
                             SaveActionFor(c.command, Answer::No, c.untitled),
                             SaveActionFor(c.command, Answer::Cancel, c.untitled)),
                  std::tuple(c.onYes, c.onNo, c.onNo))
            << &c - cases;
    }
}

TEST(WindowTexts, StatusBarAndDialogUnits)
{
    EXPECT_EQ(FileStatusText("/u/models/frame.tav", "/u/models/"), "frame.tav");
    EXPECT_EQ(FileStatusText("/u/models/sub/frame.tav", "/u/models/"), "/u/models/sub/frame.tav");
    EXPECT_EQ(FileStatusText("/u/Models/frame.tav", "/u/models/"), "/u/Models/frame.tav");
    EXPECT_EQ(LineStatusText(12, 140), " 12 of  140");
    EXPECT_EQ(LineStatusText(1, 1), "");
    // Halves round away from zero.
    EXPECT_EQ((std::array{AverageCharWidth(338), AverageCharWidth(337), DuToPixelsX(270, 7),
                          DuToPixelsY(3, 6), DuToPixelsX(1, 2), DuToPixelsX(-1, 2),
                          PixelsToDuY(722, 15)}),
              (std::array{7, 6, 473, 2, 1, -1, 385}));
    EXPECT_EQ(NextTabStop(120, {10, 60, 120}, 8), 128);

    EXPECT_EQ(MainWindowTitle("plate.tav"), "plate.tav[*] - 2D Finite Element Program");
    EXPECT_EQ(MainWindowTitle(""), "Untitled[*] - 2D Finite Element Program");
    EXPECT_EQ(CannotFindText("GRID 7"), "Cannot find \"GRID 7\"");
    EXPECT_EQ(GoToLineLabel(40), "Line number (1 - 40):");
}

TEST(RecentFiles, NewestFirstEachOnceAtMostEight)
{
    std::vector<std::string> files;
    for (int i = 1; i <= 9; ++i)
        files = WithRecentFile(files, "/m/" + std::to_string(i) + ".tav");
    EXPECT_EQ(files.size(), MaxRecentFiles);
    EXPECT_EQ(files.front(), "/m/9.tav");
    EXPECT_EQ(files.back(), "/m/2.tav");
    files = WithRecentFile(files, "/m/5.tav");
    EXPECT_EQ((std::vector<std::string>(files.begin(), files.begin() + 3)),
              (std::vector<std::string>{"/m/5.tav", "/m/9.tav", "/m/8.tav"}));
    EXPECT_EQ(files.size(), MaxRecentFiles);
    files = WithoutRecentFile(files, "/m/9.tav");
    EXPECT_EQ(files.size(), MaxRecentFiles - 1);
    EXPECT_EQ(files[1], "/m/8.tav");
    EXPECT_EQ(RecentFileItemText(0, "/m/R&D.tav"), "&1 /m/R&&D.tav");
}

TEST(WindowPlacement, EveryWindowInsideTheScreen)
{
    const PixelRect screen{0, 0, 1024, 700};
    const FrameMargins frame{4, 30, 4, 4};
    const struct
    {
        PixelRect wanted;
        int minW, minH;
        PixelRect screen, placed;
    } cases[] = {
        {{100, 100, 400, 300}, 200, 100, screen, {100, 100, 400, 300}},
        {{900, 600, 400, 300}, 200, 100, screen, {620, 396, 400, 300}},         // moved back in
        {{0, 0, 2000, 1000}, 300, 200, screen, {4, 30, 1016, 666}},             // shrunk to fit
        {{50, 50, 300, 300}, 1200, 800, screen, {4, 30, 1200, 800}},            // title bar stays
        {{10, 10, 400, 300}, 0, 0, {1600, 0, 1024, 700}, {1604, 30, 400, 300}}, // next screen
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitWindow(c.wanted, c.minW, c.minH, frame, c.screen), c.placed) << &c - cases;
}

TEST(ScalarsDialog, OneBoxPerSubcaseNumberFiniteNumbersOnlyRemembered)
{
    // The split counts lines that begin with SUBCASE anywhere; the dialog counts records
    // with the word SUBCASE below ENDMODEL, a bad record among them too, and gives a box
    // to each number from 1 to 10 present, once, in increasing order.
    Analysis a;
    SplitModelText(
        a, "SUBCASE 1\r\nENDMODEL\r\n$ SUBCASE 3\r\n\r\nsubcase 7\r\n  Subcase 2 $ two\r\n"
           "SUBCASE1\r\nSUBCASE 7\r\nSUBCASE 11\r\n1 SUBCASE\r\nSUBCASE 1 2 3 4 5 6 7 8 9 10 11");
    a.State.EndModelLine = 2;
    EXPECT_EQ(a.State.SubcaseCount, 7);
    EXPECT_EQ(SubcaseNumbers(a), (std::vector<int>{1, 2, 7}));
    EXPECT_EQ(a.State.FatalText, "");
    EXPECT_EQ(RecountSubcases(a), (std::vector<int>{1, 2, 7}));
    EXPECT_EQ(a.State.SubcaseCount, 6);
    EXPECT_EQ(a.State.FatalText,
              "SUBCASE 1 2 3 4 5 6 7 8 9 10 11\r\n... Bad record... check syntax\r\n");

    // Only finite numbers are scalars.
    for (const char* bad : {"", " ", "abc", "-1e400", "1e3x", "2,5", "nan", "inf", "+-1", "0x10"})
        EXPECT_FALSE(ScalarValue(bad)) << bad;
    EXPECT_EQ(ScalarValue(" 2.5 "), 2.5);
    EXPECT_EQ(ScalarValue("+3"), 3.0);
    EXPECT_EQ(ScalarValue("-1E-2"), -0.01);

    // A refused box changes nothing and is named; accepted texts set the numbers' scalars
    // and start their boxes in the next run.
    a.LoadScalars.fill(9);
    EXPECT_EQ(ScalarBoxText(a, 7), "1.0");
    EXPECT_EQ(ApplyScalarTexts(a, {1, 2, 7}, {"2", "1", "x"}), std::optional<std::size_t>(2));
    EXPECT_EQ(ScalarRefusedText(7), "Subcase 7 scalar is not a finite number");
    EXPECT_EQ(a.LoadScalars, (LoadScalarArray{9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}));
    EXPECT_EQ(ApplyScalarTexts(a, {1, 2, 7}, {" 2.5", "0", "-3e1"}), std::nullopt);
    EXPECT_EQ(a.LoadScalars, (LoadScalarArray{9, 2.5, 0, 9, 9, 9, 9, -30, 9, 9, 9}));
    EXPECT_EQ(ScalarBoxText(a, 7), "-3e1");
    EXPECT_EQ(ScalarBoxText(a, 3), "1.0");
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
    a.Results.SolutionVector.Create(3);
    a.Results.Reactions.Create(6);
    a.Results.BeamEndForces.Create(1);
    a.Results.QuadStresses.Create(0);
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
