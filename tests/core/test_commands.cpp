#include "driver/Commands.h"
#include "driver/Driver.h"

#include <gtest/gtest.h>
#include <vector>

namespace tavu {
namespace {

// States written as four letters: R(eset) U(Run) S(how) P(lot), "-" for unavailable.
std::string Letters(const CommandStates& s)
{
    std::string t;
    t += s.resetSolution ? 'R' : '-';
    t += s.runSolution ? 'U' : '-';
    t += s.showSolution ? 'S' : '-';
    t += s.plotDeformation ? 'P' : '-';
    return t;
}

TEST(CommandStates, FollowTheEventsOfASession)
{
    struct Step
    {
        CommandEvent event;
        int stage;
        const char* after;
    };
    struct Scenario
    {
        const char* name;
        std::vector<Step> steps;
    } scenarios[] = {
        {"open, run three steps, focus returns, edit a load",
         {{CommandEvent::ProgramStart, 0, "----"},
          {CommandEvent::ModelFileLoaded, 0, "-U--"},
          {CommandEvent::ModelProcessed, 0, "RU-P"},
          {CommandEvent::EditorFocusGained, 1, "RU-P"},
          {CommandEvent::EditorFocusGained, 2, "RU-P"},
          {CommandEvent::EditorFocusGained, 3, "RUSP"},
          {CommandEvent::TextEdited, 2, "RU--"},
          {CommandEvent::EditorFocusGained, 2, "RU--"},
          {CommandEvent::EditorFocusGained, 3, "RUSP"}}},
        {"a new file grays everything, typing does not enable Run, Save As does",
         {{CommandEvent::ModelFileLoaded, 0, "-U--"},
          {CommandEvent::ModelProcessed, 0, "RU-P"},
          {CommandEvent::NewModel, 0, "----"},
          {CommandEvent::TextEdited, 0, "----"},
          {CommandEvent::SaveAsCompleted, 0, "-U--"}}},
        {"reset grays itself until the model is read again",
         {{CommandEvent::ModelFileLoaded, 0, "-U--"},
          {CommandEvent::ModelProcessed, 0, "RU-P"},
          {CommandEvent::EditorFocusGained, 3, "RUSP"},
          {CommandEvent::ResetSolution, 0, "-U--"},
          {CommandEvent::EditorFocusGained, 0, "-U--"},
          {CommandEvent::ModelProcessed, 0, "RU-P"}}},
        {"loading another model keeps Reset but hides old results",
         {{CommandEvent::ModelFileLoaded, 0, "-U--"},
          {CommandEvent::ModelProcessed, 0, "RU-P"},
          {CommandEvent::EditorFocusGained, 3, "RUSP"},
          {CommandEvent::ModelFileLoaded, 0, "RU--"}}},
    };
    for (const Scenario& sc : scenarios) {
        CommandStates s;
        int i = 0;
        for (const Step& step : sc.steps) {
            s = NextCommandStates(s, step.event, step.stage);
            EXPECT_EQ(Letters(s), step.after) << sc.name << ", step " << i;
            ++i;
        }
    }
}

TEST(StatusTexts, FileNameAloneOnlyInTheModelFolder)
{
    struct Case
    {
        const char* path;
        const char* folder;
        const char* text;
    } cases[] = {
        {"/home/u/models/frame.tav", "/home/u/models/", "frame.tav"},
        {"/home/u/other/frame.tav", "/home/u/models/", "/home/u/other/frame.tav"},
        {"/home/u/models/sub/frame.tav", "/home/u/models/", "/home/u/models/sub/frame.tav"},
        {"/home/u/Models/frame.tav", "/home/u/models/", "/home/u/Models/frame.tav"},
        {"", "/home/u/models/", ""},
        {"frame.tav", "/home/u/models/", "frame.tav"},
        {"/frame.tav", "/", "frame.tav"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileStatusText(c.path, c.folder), c.text) << c.path;

    const ModelPathParts parts = SplitModelPath("/a/b/c d.tav");
    EXPECT_EQ(parts.folder, "/a/b/");
    EXPECT_EQ(parts.fileName, "c d.tav");
}

TEST(StatusTexts, LineCountAndProgress)
{
    EXPECT_EQ(LineStatusText(2, 3), " 2 of  3");
    EXPECT_EQ(LineStatusText(1, 1), "");
    EXPECT_EQ(LineStatusText(1, 0), "");
    EXPECT_EQ(LineStatusText(12, 140), " 12 of  140");
    EXPECT_EQ(ReadProgressText(12), "Process 12");

    // The three parts follow one another from left to right and fill the bar.
    for (int w : {0, 1, 99, 270, 1000}) {
        const auto e = StatusPartEdges(w);
        EXPECT_LE(0, e[0]) << w;
        EXPECT_LE(e[0], e[1]) << w;
        EXPECT_LE(e[1], e[2]) << w;
        EXPECT_EQ(e[2], w);
    }
    EXPECT_EQ(StatusPartEdges(1000)[0], 600);
}

TEST(ModelFiles, DefaultFolderAndModelNames)
{
    struct NameCase
    {
        const char* name;
        bool model;
    } names[] = {
        {"frame.tav", true}, {"FRAME.TAV", true},   {"a.Tav", true},
        {".tav", true},      {"frame.tavx", false}, {"frame.ta", false},
        {"tav", false},      {"frame_tav", false},  {"", false},
    };
    for (const NameCase& c : names)
        EXPECT_EQ(IsModelFileName(c.name), c.model) << c.name;

    EXPECT_EQ(ChooseModelFolder("/work/models", true, "/home/u/.local/share", "/home/u"),
              "/work/models/");
    EXPECT_EQ(ChooseModelFolder("/work/models/", true, "/home/u/.local/share", "/home/u"),
              "/work/models/");
    EXPECT_EQ(ChooseModelFolder("/work/models", false, "/home/u/.local/share", "/home/u"),
              "/home/u/.local/share/vrxSoftware/TAVU/");
    EXPECT_EQ(ChooseModelFolder("/work/models", false, "", "/home/u"), "/home/u/vrxSoftware/TAVU/");
}

TEST(ModelFiles, CommandLinePathLosesEveryQuote)
{
    struct Case
    {
        std::vector<std::string> args;
        const char* path;
    } cases[] = {
        {{}, ""},
        {{"\"\""}, ""},
        {{"/m/frame.tav"}, "/m/frame.tav"},
        {{"\"/m/my model.tav\""}, "/m/my model.tav"},
        {{"\"/m/my", "model.tav\""}, "/m/my model.tav"},
        {{"/m/\"odd\"name.tav"}, "/m/oddname.tav"},
        {{" ", "x.tav", " "}, "x.tav"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CommandLinePath(c.args), c.path);
}

TEST(ModelFiles, LoadAndSaveKeepTheText)
{
    struct Case
    {
        std::string file;
        std::string editor;
        LineEndStyle style;
    } cases[] = {
        {"GRID 1 0 0\r\nENDMODEL\r\n", "GRID 1 0 0\nENDMODEL", {false, true}},
        {"GRID 1 0 0\r\nENDMODEL", "GRID 1 0 0\nENDMODEL", {false, false}},
        {"GRID 1 0 0\nENDMODEL\n", "GRID 1 0 0\nENDMODEL", {true, true}},
        {"a\r\n\r\n", "a\n", {false, true}},
        {"", "", {false, false}},
        {"\r\n", "", {false, true}},
        {"\tx \xA0\xE9\x1A y\r\n", "\tx \xA0\xE9\x1A y", {false, true}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EditorTextOfFile(c.file), c.editor) << c.file;
        EXPECT_EQ(DetectLineEnds(c.file), c.style) << c.file;
        // A file written the program's own way comes back byte for byte.
        EXPECT_EQ(ModelFileText(EditorTextOfFile(c.file), DetectLineEnds(c.file)), c.file);
    }
    // Mixed and CR-only line ends read as lines and are written as CR LF.
    EXPECT_EQ(EditorTextOfFile("a\rb\nc\r\nd"), "a\nb\nc\nd");
    EXPECT_EQ(ModelFileText("a\nb\nc\nd", DetectLineEnds("a\rb\nc\r\nd")), "a\r\nb\r\nc\r\nd");
    // A new text is written with CR LF and one final CR LF.
    EXPECT_EQ(ModelFileText("x\ny"), "x\r\ny\r\n");
    EXPECT_EQ(ModelFileText(""), "\r\n");
}

TEST(Prompts, QuestionsAndWhatTheAnswersDo)
{
    struct Case
    {
        FileCommand command;
        bool untitled, changed;
        bool ask;
        const char* question;
        bool withCancel;
        SaveAction onYes, onNo;
    } cases[] = {
        {FileCommand::New, false, true, true, SaveChangesQuestion, true, SaveAction::Save,
         SaveAction::None},
        {FileCommand::New, true, true, true, SaveChangesQuestion, true, SaveAction::SaveAs,
         SaveAction::None},
        {FileCommand::New, false, false, false, nullptr, false, SaveAction::Save, SaveAction::None},
        {FileCommand::Open, false, true, true, OpenChangedQuestion, false, SaveAction::Save,
         SaveAction::None},
        {FileCommand::Open, true, true, true, OpenChangedQuestion, false, SaveAction::SaveAs,
         SaveAction::None},
        {FileCommand::Open, false, false, false, nullptr, false, SaveAction::Save,
         SaveAction::None},
        {FileCommand::Save, false, false, true, SaveNowQuestion, false, SaveAction::Save,
         SaveAction::None},
        {FileCommand::Save, false, true, true, SaveNowQuestion, false, SaveAction::Save,
         SaveAction::None},
        {FileCommand::Save, true, true, false, nullptr, false, SaveAction::SaveAs,
         SaveAction::SaveAs},
    };
    for (const Case& c : cases) {
        const PromptPlan plan = PromptFor(c.command, c.untitled, c.changed);
        EXPECT_EQ(plan.ask, c.ask);
        EXPECT_EQ(plan.withCancel, c.withCancel);
        if (c.question) {
            EXPECT_STREQ(plan.question, c.question);
        }
        EXPECT_EQ(SaveActionFor(c.command, Answer::Yes, c.untitled), c.onYes);
        EXPECT_EQ(SaveActionFor(c.command, Answer::No, c.untitled), c.onNo);
        EXPECT_EQ(SaveActionFor(c.command, Answer::Cancel, c.untitled), c.onNo);
    }
    EXPECT_STREQ(SaveChangesQuestion, "File records have changed...\r\ndo you want to save them?");
    EXPECT_STREQ(OpenChangedQuestion, "File has changed...\r\nShould it be saved?");
}

TEST(DialogUnits, ConvertWithTheFontMetrics)
{
    // A font whose 52 letters are 364 px wide averages 7 px; one 16 px high.
    EXPECT_EQ(AverageCharWidth(364), 7);
    EXPECT_EQ(AverageCharWidth(338), 7); // 6.5 rounds up
    EXPECT_EQ(AverageCharWidth(337), 6);
    struct Case
    {
        int du, base;
        int x, y;
    } cases[] = {
        {4, 7, 7, 4}, {270, 7, 473, 236}, {1, 6, 2, 1}, {3, 6, 5, 2}, {0, 7, 0, 0}, {-4, 8, -8, -4},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DuToPixelsX(c.du, c.base), c.x) << c.du << " " << c.base;
        EXPECT_EQ(DuToPixelsY(c.du, c.base), c.y) << c.du << " " << c.base;
    }
    for (int du : {0, 10, 150, 270, 385})
        for (int base : {6, 7, 8, 9}) {
            EXPECT_EQ(PixelsToDuX(DuToPixelsX(du, base), base), du);
            EXPECT_EQ(PixelsToDuY(DuToPixelsY(du, base * 2), base * 2), du);
        }
    EXPECT_EQ(DuToPixelsX(5, 0), 0);
    EXPECT_EQ(PixelsToDuX(5, 0), 0);
}

TEST(WindowGeometry, MainAndResultsWindows)
{
    const MainWindowLayout m = MainLayout(268, 240);
    EXPECT_EQ(m.strip, (DuRect{0, 0, 268, 22}));
    EXPECT_EQ(m.editor, (DuRect{10, 30, 248, 190}));
    EXPECT_EQ(MainLayout(10, 20).editor, (DuRect{10, 30, 0, 0}));

    // The buttons touch each other, with a gap of 5 before Run and before Quit.
    for (std::size_t i = 1; i < ToolbarButtons.size(); ++i) {
        const int gap = ToolbarButtons[i].x - ToolbarButtons[i - 1].x - ToolbarButtonWidthDu;
        const std::string t = ToolbarButtons[i].text;
        EXPECT_EQ(gap, (t == "Run" || t == "Quit") ? 5 : 0) << t;
    }

    EXPECT_EQ(ResultsWindowWidth(false), 270);
    EXPECT_EQ(ResultsWindowWidth(true), 385);
    const ResultsWindowLayout r = ResultsLayout(270, 300);
    EXPECT_EQ(r.list, (DuRect{5, 50, 246, 195}));
    EXPECT_EQ(r.print, (DuRect{25, 248, 60, 25}));
    EXPECT_EQ(r.copy, (DuRect{100, 248, 60, 25}));
    EXPECT_EQ(r.cancel, (DuRect{175, 248, 60, 25}));
    EXPECT_EQ(ResultsLayout(270, 40).list.h, 0);

    EXPECT_EQ(PrintResultsQuestion(1), "Print these displacements Now?");
    EXPECT_EQ(PrintResultsQuestion(4), "Print these quad stresses Now?");
    EXPECT_EQ(CopyResultsQuestion(2), "Copy these reactions to clipboard?");
    EXPECT_EQ(CopyResultsQuestion(3), "Copy these beam forces to clipboard?");
}

TEST(WindowGeometry, TabStopsOfTheListing)
{
    const std::vector<int> stops{10, 60, 120};
    EXPECT_EQ(NextTabStop(0, stops, 8), 10);
    EXPECT_EQ(NextTabStop(10, stops, 8), 60);
    EXPECT_EQ(NextTabStop(59, stops, 8), 60);
    EXPECT_EQ(NextTabStop(120, stops, 8), 128);
    EXPECT_EQ(NextTabStop(200, stops, 0), 201);
    EXPECT_EQ(NextTabStop(3, {}, 8), 11);
}

// The text split as the driver splits it, with the model read up to ENDMODEL.
Analysis Split(const std::string& text, int endModelLine)
{
    Analysis a;
    SplitModelText(a, text);
    a.State.EndModelLine = endModelLine;
    return a;
}

TEST(ScalarsDialog, LayoutAndLabels)
{
    const ScalarsDialogLayout two = ScalarsLayout(2);
    EXPECT_EQ(two.width, 150);
    EXPECT_EQ(two.height, 84);
    ASSERT_EQ(two.boxes.size(), 2u);
    EXPECT_EQ(two.labels[1], (DuRect{5, 22, 40, 10}));
    EXPECT_EQ(two.boxes[0], (DuRect{50, 10, 40, 10}));
    EXPECT_EQ(two.boxes[1], (DuRect{50, 22, 40, 10}));
    EXPECT_EQ(two.ok, (DuRect{30, 39, 40, 20}));
    EXPECT_EQ(two.cancel, (DuRect{80, 39, 40, 20}));
    EXPECT_EQ(ScalarsLayout(10).height, 180);
    EXPECT_EQ(ScalarsLayout(40).boxes.size(), 10u);
    EXPECT_EQ(ScalarsLayout(-1).boxes.size(), 0u);
    EXPECT_EQ(SubcaseLabel(1), "Subcase 1");
    EXPECT_EQ(SubcaseLabel(10), "Subcase 10");
}

TEST(ScalarsDialog, RecountLooksOnlyBelowEndModel)
{
    struct Case
    {
        const char* text;
        int endModelLine;
        int splitCount, recount;
        bool badRecord;
    } cases[] = {
        {"GRID 1\r\nENDMODEL\r\nSUBCASE 1\r\nLOAD 1 0 1\r\nSUBCASE 5\r\nLOAD 1 1 0", 2, 2, 2,
         false},
        // A SUBCASE written in the model section counts for the split only.
        {"SUBCASE 1\r\nENDMODEL\r\nSUBCASE 2", 2, 2, 1, false},
        // Comments and empty lines are skipped; keywords in any case.
        {"ENDMODEL\r\n$ SUBCASE 3\r\n\r\nsubcase 1\r\n  Subcase 2 $ two", 1, 2, 2, false},
        // "SUBCASE1" is one word: counted by its first seven letters only.
        {"ENDMODEL\r\nSUBCASE1\r\n1 SUBCASE", 1, 1, 1, false},
        // Too many fields: diagnostic 8, the record still counts.
        {"ENDMODEL\r\nSUBCASE 1 2 3 4 5 6 7 8 9 10 11", 1, 1, 1, true},
    };
    for (const Case& c : cases) {
        Analysis a = Split(c.text, c.endModelLine);
        EXPECT_EQ(a.State.SubcaseCount, c.splitCount) << c.text;
        EXPECT_EQ(RecountSubcases(a), c.recount) << c.text;
        EXPECT_EQ(a.State.SubcaseCount, c.recount) << c.text;
        EXPECT_EQ(a.State.FatalText.find("Bad record") != std::string::npos, c.badRecord) << c.text;
    }
}

TEST(ScalarsDialog, BoxesFillTheScalarsByPosition)
{
    struct Case
    {
        int subcases;
        std::vector<std::string> boxes;
        std::array<double, 4> first; // LoadScalars 0..3 afterwards
    } cases[] = {
        {2, {"2.5", "0"}, {1.0, 2.5, 0.0, 0.0}},
        {2, {"1.0", "1.0"}, {1.0, 1.0, 1.0, 0.0}},
        {2, {"abc", "-3e1x"}, {1.0, 0.0, -30.0, 0.0}},
        {2, {" 4", ""}, {1.0, 4.0, 0.0, 0.0}},
        // The recount found more subcases than there are boxes: the missing box reads 0.
        {3, {"2", "3"}, {1.0, 2.0, 3.0, 0.0}},
        // Fewer: the extra box is not read.
        {1, {"2", "3"}, {1.0, 2.0, 0.0, 0.0}},
    };
    for (const Case& c : cases) {
        Analysis a;
        a.LoadScalars.fill(0.0);
        a.LoadScalars[0] = 1.0;
        a.LoadScalars[3] = 0.0;
        a.State.SubcaseCount = c.subcases;
        ApplyScalarTexts(a, c.boxes);
        for (std::size_t i = 0; i < c.first.size(); ++i)
            EXPECT_DOUBLE_EQ(a.LoadScalars[i], c.first[i]) << c.subcases << " slot " << i;
    }

    // SUBCASE 1 and SUBCASE 5: the boxes fill slots 1 and 2; slot 5 keeps its value.
    Analysis a = Split("ENDMODEL\r\nSUBCASE 1\r\nLOAD 1 1\r\nSUBCASE 5\r\nLOAD 1 2", 1);
    a.LoadScalars = {1.0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    RecountSubcases(a);
    ApplyScalarTexts(a, {"2.5", "7"});
    EXPECT_DOUBLE_EQ(a.LoadScalars[1], 2.5);
    EXPECT_DOUBLE_EQ(a.LoadScalars[2], 7.0);
    EXPECT_DOUBLE_EQ(a.LoadScalars[5], 0.0);

    // A count beyond the ten slots never writes past them.
    Analysis many;
    many.State.SubcaseCount = 25;
    ApplyScalarTexts(many, std::vector<std::string>(25, "3"));
    EXPECT_DOUBLE_EQ(many.LoadScalars[10], 3.0);
    EXPECT_DOUBLE_EQ(many.LoadScalars[0], 1.0);
}

TEST(Results, TablesMustMatchTheModel)
{
    Analysis a;
    EXPECT_TRUE(ResultsMatchModel(a)); // nothing read, nothing to list

    ModelStore& m = a.Model;
    m.nGrids = 2;
    m.maxGridId = 2;
    m.nBeams = 1;
    m.NEQ = 3;
    m.DOFTOTAL = 6;
    m.GridIndex.Create(2);
    m.Grids.Create(2);
    m.Beams.Create(1);
    m.Quads.Create(0);
    a.System.NEQ = 3;
    a.System.GridEquations.Create(2);
    EXPECT_FALSE(ResultsMatchModel(a)); // model read, no results yet

    a.Results.SolutionVector.Create(3);
    a.Results.Reactions.Create(6);
    a.Results.BeamEndForces.Create(1);
    a.Results.QuadStresses.Create(0);
    EXPECT_TRUE(ResultsMatchModel(a));

    a.System.NEQ = 4; // the model was read again with more equations
    EXPECT_FALSE(ResultsMatchModel(a));
    a.System.NEQ = 3;
    m.nQuads = 1;
    m.Quads.Create(1);
    EXPECT_FALSE(ResultsMatchModel(a));
}

} // namespace
} // namespace tavu
