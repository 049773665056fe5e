#include "TestSupport.h"
#include "driver/Driver.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tavu {
namespace {

// A summary window that records what the driver asks of it.
class RecordingWindow : public SummaryWindow
{
public:
    void SetTitle(const std::string& t) override { titles.push_back(t); }
    void ShowText(const std::string& t) override { text = t; }
    void DisableContinue() override { continueEnabled = false; }
    void FocusContinue() override { focus = "continue"; }
    void FocusCancel() override { focus = "cancel"; }
    void TurnContinueIntoFinish() override { finish = true; }
    bool AskLoadScalars(Analysis& a) override
    {
        ++scalarDialogs;
        for (std::size_t i = 0; i < answer.size() && i + 1 < a.LoadScalars.size(); ++i)
            a.LoadScalars[i + 1] = answer[i];
        return !cancelScalars;
    }
    void Close() override { closed = true; }
    void FocusEditor() override { focus = "editor"; }

    std::vector<std::string> titles;
    std::string text;
    std::string focus;
    bool continueEnabled = true;
    bool finish = false;
    bool closed = false;
    int scalarDialogs = 0;
    bool cancelScalars = false;
    std::vector<double> answer{1.0, 1.0};
};

class CountingEvents : public DriverEvents
{
public:
    void ModelReaderRan() override { ++readerRuns; }
    int readerRuns = 0;
};

using testing::CrlfText;

const std::vector<std::string> Cantilever = {
    "$ cantilever along x, fixed at grid 1",
    "GRID 1 0 0",
    "GRID 2 10 0",
    "BEAM 1 1 2 1 1",
    "PROP 1 1 1",
    "MATL 1 1000",
    "DOFS DEF 1 1 1",
    "RACT 1 1 1 1",
    "ENDMODEL",
    "LOAD 2 0 -1",
};

TEST(SplitModelText, CutsAtCrLfAndTrimsOnlyBlanks)
{
    Analysis a;
    SplitModelText(a, "  GRID 1 0 0  \r\n\tRACT 1\t\r\nline\nwith lf\r\n");
    ASSERT_EQ(a.Text.LineCount, 4);
    EXPECT_EQ(a.Text.ModelLines[0], "");
    EXPECT_EQ(a.Text.ModelLines[1], "GRID 1 0 0");
    EXPECT_EQ(a.Text.ModelLines[2], "\tRACT 1\t");
    EXPECT_EQ(a.Text.ModelLines[3], "line\nwith lf");
    EXPECT_EQ(a.Text.ModelLines[4], "");
    EXPECT_FALSE(a.State.LinesStale);

    SplitModelText(a, "");
    EXPECT_EQ(a.Text.LineCount, 1);
}

TEST(SplitModelText, CountsSubcaseLinesWhereverTheyStand)
{
    Analysis a;
    SplitModelText(a, "SUBCASE 1\r\n  subcase2\r\nSubCase\r\nSUBCAS 3\r\nx SUBCASE");
    EXPECT_EQ(a.State.SubcaseCount, 3);
    EXPECT_TRUE(a.State.FatalText.empty());

    std::vector<std::string> many(11, "SUBCASE 1");
    SplitModelText(a, CrlfText(many));
    EXPECT_EQ(a.State.SubcaseCount, 11);
    EXPECT_EQ(a.State.FatalText, "Number of subcases exceeds maximum of 10\r\n");
}

TEST(NormalizeLineEnds, MakesEveryLineEndCrLf)
{
    EXPECT_EQ(NormalizeLineEnds("a\nb\r\nc\n"), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(NormalizeLineEnds("\n"), "\r\n");
    EXPECT_EQ(NormalizeLineEnds("a\rb"), "a\rb");
    EXPECT_EQ(NormalizeLineEnds("a\r\n\r\n"), "a\r\n\r\n");
}

TEST(MarkTextEdited, LowersTheStageByWhereTheChangeBegins)
{
    struct Case
    {
        int stage;
        int changeLine;
        int expected;
    } cases[] = {
        {Solved, 11, Decomposed},         {Decomposed, 11, Decomposed},
        {ModelRead, 11, ModelRead},       {Solved, 10, ModelPending},
        {Solved, 1, ModelPending},        {Decomposed, 3, ModelPending},
        {ModelPending, 20, ModelPending},
    };
    for (const Case& c : cases) {
        Analysis a;
        a.State.EndModelLine = 10;
        a.State.Stage = c.stage;
        a.State.LinesStale = false;
        MarkTextEdited(a, c.changeLine);
        EXPECT_EQ(a.State.Stage, c.expected) << c.stage << " at line " << c.changeLine;
        EXPECT_TRUE(a.State.LinesStale);
    }
}

TEST(Driver, RunsTheThreeStepsWithTheirTitles)
{
    Analysis a;
    RecordingWindow w;
    CountingEvents events;
    StartStep(a, w, CrlfText(Cantilever), &events);
    ASSERT_EQ(a.State.Stage, ModelRead) << a.Summary.ReadText;
    EXPECT_EQ(w.titles.back(), "Processing Model Data");
    EXPECT_EQ(events.readerRuns, 1);
    EXPECT_EQ(w.text, a.Summary.ReadText);
    EXPECT_EQ(w.focus, "continue");
    EXPECT_EQ(a.State.EndModelLine, 9);

    ContinueStep(a, w, &events);
    ASSERT_EQ(a.State.Stage, Decomposed) << a.Summary.LogText;
    EXPECT_EQ(w.titles.back(), "Perform Decomposition");
    EXPECT_EQ(w.focus, "editor");

    ContinueStep(a, w, &events);
    ASSERT_EQ(a.State.Stage, Solved) << a.Summary.LogText;
    EXPECT_EQ(w.titles.back(), "Running Load Cases");
    EXPECT_TRUE(w.finish);
    EXPECT_EQ(w.scalarDialogs, 0);
    EXPECT_TRUE(w.continueEnabled);
    EXPECT_FALSE(w.closed);

    ContinueStep(a, w, &events); // "Finish"
    EXPECT_TRUE(w.closed);
}

TEST(Driver, ResumesAtTheStepThatComesNext)
{
    Analysis a;
    const std::string text = CrlfText(Cantilever);
    {
        RecordingWindow w;
        StartStep(a, w, text);
        CancelStep(a, w);
        EXPECT_TRUE(w.closed);
        EXPECT_EQ(a.State.Stage, ModelRead);
    }
    {
        RecordingWindow w;
        StartStep(a, w, text);
        EXPECT_EQ(w.titles.back(), "Performing Decomposition");
        ASSERT_EQ(a.State.Stage, Decomposed) << a.Summary.LogText;
        ContinueStep(a, w);
        ASSERT_EQ(a.State.Stage, Solved);
    }

    // An edit of the LOAD record below ENDMODEL re-solves without reading or decomposing.
    std::vector<std::string> edited = Cantilever;
    edited.back() = "LOAD 2 0 -2";
    MarkTextEdited(a, 10);
    EXPECT_EQ(a.State.Stage, Decomposed);
    // Markers that a new model reading or assembly would overwrite.
    a.Summary.ReadText = "untouched";
    ASSERT_GE(a.System.Store.KValues.Last(), 1);
    a.System.Store.KValues(1) = 12345.0;
    {
        RecordingWindow w;
        StartStep(a, w, CrlfText(edited));
        EXPECT_EQ(w.titles.back(), "Running Load Cases");
        EXPECT_EQ(a.State.Stage, Solved);
    }
    EXPECT_EQ(a.Summary.ReadText, "untouched");
    EXPECT_EQ(a.System.Store.KValues(1), 12345.0);

    // An edit of a GRID record reads the model again.
    MarkTextEdited(a, 2);
    RecordingWindow w;
    StartStep(a, w, CrlfText(Cantilever));
    EXPECT_EQ(w.titles.back(), "Processing Model Data");
    EXPECT_EQ(a.State.Stage, ModelRead);

    // Reset Solution without an edit starts at step 1 too.
    ResetSolution(a);
    RecordingWindow w2;
    StartStep(a, w2, CrlfText(Cantilever));
    EXPECT_EQ(w2.titles.back(), "Processing Model Data");
}

TEST(Driver, APreScanErrorStopsBeforeTheReader)
{
    Analysis a;
    RecordingWindow w;
    CountingEvents events;
    StartStep(a, w, "RACT 1 1 1 1\r\n", &events);
    EXPECT_EQ(a.State.Stage, ModelPending);
    EXPECT_FALSE(w.continueEnabled);
    EXPECT_EQ(events.readerRuns, 0);
    EXPECT_EQ(a.Summary.ReadText,
              "No grids found (GRID)\r\nNo elements found (BEAM, QUAD)\r\nENDMODEL not found\r\n"
              "\r\nFatal error... Done processing model");
    EXPECT_EQ(w.text, a.Summary.ReadText);
}

TEST(Driver, AReaderErrorStillEnablesResetAndPlot)
{
    std::vector<std::string> lines = Cantilever;
    lines[3] = "BEAM 1 1 1 1 1"; // a beam from grid 1 to grid 1
    Analysis a;
    RecordingWindow w;
    CountingEvents events;
    StartStep(a, w, CrlfText(lines), &events);
    EXPECT_EQ(a.State.Stage, ModelPending);
    EXPECT_FALSE(w.continueEnabled);
    EXPECT_EQ(events.readerRuns, 1);
    EXPECT_NE(a.Summary.ReadText.find("BEAM 1 1 1 1 1\r\n... Grid 1 a duplicate\r\n"),
              std::string::npos)
        << a.Summary.ReadText;
}

TEST(Driver, TheScalarsDialogComesEveryTimeAndItsCancelEndsTheStep)
{
    std::vector<std::string> lines = Cantilever;
    lines.back() = "SUBCASE 1";
    lines.push_back("LOAD 2 0 -1");
    lines.push_back("SUBCASE 2");
    lines.push_back("LOAD 2 0 -3");
    const std::string text = CrlfText(lines);

    Analysis a;
    RecordingWindow w;
    StartStep(a, w, text);
    ContinueStep(a, w);
    ASSERT_EQ(a.State.Stage, Decomposed) << a.Summary.LogText;

    w.cancelScalars = true;
    const std::string logBefore = a.Summary.LogText;
    ContinueStep(a, w);
    EXPECT_EQ(w.scalarDialogs, 1);
    EXPECT_TRUE(w.closed);
    EXPECT_EQ(a.State.Stage, Decomposed);
    EXPECT_EQ(a.Summary.LogText, logBefore);

    RecordingWindow again;
    again.answer = {2.5, 0.0};
    StartStep(a, again, text);
    EXPECT_EQ(again.scalarDialogs, 1);
    EXPECT_EQ(a.State.Stage, Solved);
    EXPECT_EQ(a.LoadScalars[1], 2.5);
    EXPECT_EQ(a.LoadScalars[2], 0.0);

    MarkTextEdited(a, 13);
    RecordingWindow third;
    StartStep(a, third, text);
    EXPECT_EQ(third.scalarDialogs, 1);
}

} // namespace
} // namespace tavu
