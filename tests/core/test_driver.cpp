#include "TestSupport.h"
#include "driver/Commands.h"
#include "driver/Driver.h"

#include <array>
#include <gtest/gtest.h>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace tavu {
namespace {

// The shared recording window, and what the load case step and the main window learn.
class Window : public testing::RecordingWindow, public DriverEvents
{
public:
    void TurnContinueIntoFinish() override { finish = true; }
    bool AskLoadScalars(Analysis& a) override
    {
        ++scalarDialogs;
        a.LoadScalars[1] = 2.5;
        return !cancelScalars;
    }
    void Close() override { closed = true; }
    void FocusContinue() override { focus = "Continue"; }
    void FocusEditor() override { focus = "editor"; }
    void ModelReaderRan() override { ++readerRuns; }
    void ModelSolved() override { ++solvedRuns; }
    bool finish = false, closed = false, cancelScalars = false;
    int scalarDialogs = 0, readerRuns = 0, solvedRuns = 0;
    std::string focus;
};

const std::vector<std::string> Cantilever = {"GRID 1 0 0",   "GRID 2 10 0", "BEAM 1 1 2 1 1",
                                             "PROP 1 1 1",   "MATL 1 1000", "DOFS DEF 1 1 1",
                                             "RACT 1 1 1 1", "ENDMODEL",    "LOAD 2 0 -1"};

TEST(Driver, SplitsTheTextAndAnEditLowersTheStageByWhereItBegins)
{
    Analysis a;
    // CR LF, LF and CR alone end a line; a byte-order mark at the start is no part of it.
    // A text handed over is kept as it is, the one buffer the lines view.
    const std::string text =
        "\xEF\xBB\xBF  GRID 1 0 0  \r\n\tRACT 1\t\r\nline\nwith lf\rand cr\n\r\n$ a comment long "
        "enough for a buffer of its own";
    const std::vector<std::string> expected{
        "", "GRID 1 0 0", "\tRACT 1\t", "line", "with lf", "and cr", ""};
    for (bool handedOver : {false, true}) {
        std::string given = text;
        const char* const buffer = given.data();
        if (handedOver)
            TakeModelText(a, std::move(given));
        else
            SplitModelText(a, given.substr(0, given.find('$')));
        EXPECT_EQ(a.Text.LineCount, 7);
        for (int i = 0; i <= 6; ++i)
            EXPECT_EQ(a.Text.Line(i), expected[static_cast<std::size_t>(i)]) << i;
        EXPECT_EQ(a.Text.Line(7),
                  handedOver ? "$ a comment long enough for a buffer of its own" : "");
        EXPECT_EQ(a.Text.Line(8), "");
        EXPECT_EQ(a.Text.Buffer().data() == buffer, handedOver);
        EXPECT_FALSE(a.State.LinesStale);
    }
    EXPECT_EQ(NormalizeLineEnds("\na\nb\r\nc\rd\r\n"), "\r\na\r\nb\r\nc\rd\r\n");

    // stage, line of the change (ENDMODEL on line 10), stage afterwards
    const int cases[][3] = {{Solved, 11, Decomposed},
                            {Decomposed, 11, Decomposed},
                            {ModelRead, 11, ModelRead},
                            {Solved, 10, ModelPending},
                            {Decomposed, 3, ModelPending}};
    for (const auto& c : cases) {
        a.State.EndModelLine = 10;
        a.State.Stage = c[0];
        a.State.LinesStale = false;
        MarkTextEdited(a, c[1]);
        EXPECT_EQ(a.State.Stage, c[2]) << c[0] << " at line " << c[1];
        EXPECT_TRUE(a.State.LinesStale);
    }
}

TEST(Driver, StepsFollowTheStageAndResumeWhereTheyStopped)
{
    const std::string text = testing::CrlfText(Cantilever);
    Analysis a;
    Window w;
    StartStep(a, w, text, &w);
    ASSERT_EQ(a.State.Stage, ModelRead) << a.Summary.ReadText;
    EXPECT_EQ(w.title, "Processing Model Data");
    EXPECT_EQ(w.text, a.Summary.ReadText);
    ContinueStep(a, w, &w);
    EXPECT_EQ(w.title, "Perform Decomposition");
    ASSERT_EQ(a.State.Stage, Decomposed) << a.Summary.LogText;
    EXPECT_EQ(w.focus, "Continue"); // Enter goes on with the run, not into the editor
    CancelStep(a, w);
    EXPECT_TRUE(w.closed);
    EXPECT_EQ(w.focus, "editor");

    // Started again, the run goes on with the load cases; then Continue is Finish.
    Window w2;
    StartStep(a, w2, text, &w);
    EXPECT_EQ(w2.title, "Running Load Cases");
    ASSERT_EQ(a.State.Stage, Solved) << a.Summary.LogText;
    EXPECT_TRUE(w2.finish);
    EXPECT_EQ(w2.scalarDialogs, 0); // no subcases
    EXPECT_FALSE(w2.closed);
    EXPECT_EQ(std::pair(w2.focus, w.solvedRuns), std::pair(std::string("Continue"), 1));
    ContinueStep(a, w2);
    EXPECT_TRUE(w2.closed);
    EXPECT_EQ(w2.focus, "editor");

    // An edit below ENDMODEL solves again without reading or decomposing: the markers
    // that a new reading or assembly would overwrite survive.
    MarkTextEdited(a, 9);
    a.Summary.ReadText = "untouched";
    a.System.Store.KValues(1) = 12345.0;
    StartStep(a, w2, text, &w);
    EXPECT_EQ(a.State.Stage, Solved);
    EXPECT_EQ(a.Summary.ReadText, "untouched");
    EXPECT_EQ(a.System.Store.KValues(1), 12345.0);
    EXPECT_EQ(w.readerRuns, 1);

    // Reset Solution starts at step 1; from there Start goes on with "Performing".
    ResetSolution(a);
    StartStep(a, w2, text, &w);
    StartStep(a, w2, text, &w);
    EXPECT_EQ(w2.title, "Performing Decomposition");
    EXPECT_EQ(w.readerRuns, 2);

    // Errors stop the step; only a run of the reader enables Reset and Plot.
    Analysis b;
    Window wb;
    StartStep(b, wb, "RACT 1 1 1 1\r\n", &wb);
    EXPECT_EQ(wb.readerRuns, 0);
    EXPECT_TRUE(wb.continueDisabled);
    EXPECT_EQ(wb.text, "No grids found (GRID)\r\nNo elements found (BEAM, QUAD)\r\n"
                       "ENDMODEL not found\r\n\r\nFatal error... Done processing model");
    std::vector<std::string> lines = Cantilever;
    lines[2] = "BEAM 1 1 1 1 1";
    Analysis c;
    StartStep(c, wb, testing::CrlfText(lines), &wb);
    EXPECT_EQ(c.State.Stage, ModelPending);
    EXPECT_EQ(wb.readerRuns, 1);
}

TEST(Driver, TheScalarsDialogComesEveryTimeAndItsCancelEndsTheStep)
{
    std::vector<std::string> lines = Cantilever;
    lines.back() = "SUBCASE 1";
    lines.insert(lines.end(), {"LOAD 2 0 -1", "SUBCASE 2", "LOAD 2 0 -3"});
    const std::string text = testing::CrlfText(lines);
    Analysis a;
    Window w;
    StartStep(a, w, text);
    ContinueStep(a, w);
    ASSERT_EQ(a.State.Stage, Decomposed) << a.Summary.LogText;
    w.cancelScalars = true;
    const std::string logBefore = a.Summary.LogText;
    ContinueStep(a, w, &w);
    EXPECT_EQ(w.scalarDialogs, 1);
    EXPECT_TRUE(w.closed);
    EXPECT_EQ(w.solvedRuns, 0);
    EXPECT_EQ(a.State.Stage, Decomposed);
    EXPECT_EQ(a.Summary.LogText, logBefore);
    for (int run = 1; run <= 2; ++run) {
        Window again;
        StartStep(a, again, text);
        EXPECT_EQ(again.scalarDialogs, 1);
        EXPECT_EQ(a.State.Stage, Solved);
        EXPECT_EQ(a.LoadScalars[1], 2.5);
        MarkTextEdited(a, 12);
    }
}

// A load step that finds a load or a result not finite stops with the log naming it and
// drops the results it replaced; the decomposition stays for the corrected loads.
TEST(Driver, AFailedLoadStepLeavesTheModelDecomposedWithoutResults)
{
    std::vector<std::string> lines = Cantilever;
    Analysis a;
    Window w;
    for (int step = 0; step < 3; ++step)
        StartStep(a, w, testing::CrlfText(lines));
    ASSERT_EQ(a.State.Stage, Solved);
    for (const char* load : {"LOAD 2 0 1e309", "LOAD 2 0 1e308"}) {
        lines.back() = load;
        MarkTextEdited(a, 9);
        Window failed;
        StartStep(a, failed, testing::CrlfText(lines));
        EXPECT_EQ(a.State.Stage, Decomposed) << load;
        EXPECT_TRUE(failed.continueDisabled && !failed.finish);
        EXPECT_TRUE(a.Results.SolutionVector.Empty() && a.Results.BeamEndForces.Empty());
        EXPECT_EQ(failed.text, a.Summary.LogText);
        EXPECT_NE(a.State.FatalText, "");
    }
    lines.back() = "LOAD 2 0 -1";
    MarkTextEdited(a, 9);
    StartStep(a, w, testing::CrlfText(lines));
    EXPECT_EQ(a.State.Stage, Solved);
}

// A step that runs out of memory ends with its text, releases what it built and leaves a
// state from which the next run goes on. The allocation fails where the step calls out:
// the reader's and the assembly's progress, and the scalars dialog.
TEST(Driver, AStepWithoutMemoryEndsWithItsTextAndTheRunGoesOnAfterwards)
{
    struct Failing : ProgressSink
    {
        bool reading = false, assembling = false;
        void ShowReadProgress(int) override
        {
            if (reading)
                throw std::bad_alloc();
        }
        void ShowProgressText(const std::string&) override
        {
            if (assembling)
                throw std::bad_alloc();
        }
    };
    struct Recording : Window
    {
        bool scalarsFail = false;
        std::string outOfMemory;
        bool AskLoadScalars(Analysis& a) override
        {
            if (scalarsFail)
                throw std::bad_alloc();
            return Window::AskLoadScalars(a);
        }
        void OutOfMemory(const std::string& t) override { outOfMemory = t; }
    };
    std::vector<std::string> lines = Cantilever;
    lines.insert(lines.end() - 1, "SUBCASE 1");
    const std::string text = testing::CrlfText(lines);

    // Which tables hold something afterwards: the model, the system, the results.
    using Kept = std::array<bool, 3>;
    const struct
    {
        bool Failing::*progress;
        bool scalars;
        int stageBefore, stageAfter;
        const char* message;
        Kept kept;
    } cases[] = {
        {&Failing::reading,
         false,
         ModelPending,
         ModelPending,
         "Not enough memory for the model",
         {false, false, false}},
        {&Failing::assembling,
         false,
         ModelRead,
         ModelRead,
         "Not enough memory for the stiffness matrix",
         {true, false, false}},
        {nullptr,
         true,
         Solved,
         Decomposed,
         "Not enough memory for the load case",
         {true, true, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        Analysis a;
        Failing progress;
        a.Progress = &progress;
        Recording w;
        while (a.State.Stage < c.stageBefore)
            StartStep(a, w, text);
        if (c.progress)
            progress.*c.progress = true;
        w.scalarsFail = c.scalars;
        StartStep(a, w, text);
        EXPECT_EQ(a.State.Stage, c.stageAfter);
        EXPECT_EQ(w.text, c.message);
        EXPECT_EQ(w.outOfMemory, c.message);
        EXPECT_TRUE(w.continueDisabled);
        EXPECT_EQ(a.State.FatalText, std::string(c.message) + "\r\n");
        EXPECT_EQ((Kept{a.Model.nGrids > 0, a.System.built, !a.Results.SolutionVector.Empty()}),
                  c.kept);

        progress = Failing();
        w.scalarsFail = false;
        while (a.State.Stage != Solved) {
            const int stage = a.State.Stage;
            StartStep(a, w, text);
            ASSERT_GT(a.State.Stage, stage) << w.text;
        }
        EXPECT_NEAR(a.Results.SolutionVector(2), -2.5 * 1000 / 3000, 1e-12); // scalar 2.5
    }

    // The setting turned to the active-column store after the model was read: a store
    // beyond the memory available is not allocated.
    Analysis a;
    Recording w;
    a.MemoryForStiffness = 8;
    StartStep(a, w, text);
    ASSERT_EQ(a.State.Stage, ModelRead) << w.text;
    a.SolverChoice = SolverPath::Skyline;
    StartStep(a, w, text);
    EXPECT_EQ(a.State.Stage, ModelRead);
    EXPECT_EQ(w.outOfMemory, "Not enough memory for the stiffness matrix");
}

// Each diagnostic and warning about a record leads back to it, and so does the record's
// echoed line above the message; lines that name no record lead nowhere. Messages of the
// same text are told apart by their order.
TEST(Driver, MessagesLeadBackToTheirRecords)
{
    const struct
    {
        std::vector<std::string> lines;
        int steps;
        const char* links; // text line:model line, in the text the last step shows
    } cases[] = {
        {{"GRID 1 0 0", "GRID 2\t10 0", "GRID 2 20 0", "BEAM 1 1 2 1 1", "PROP 1 1 1",
          "MATL 1 1000", "DOFS DEF 1 1 1", "RACT 1 1 1 1", "ENDMODEL"},
         1,
         "8:3 9:3 12:2 13:2"},
        {{"GRID 1 0 0", "GRID 2 10 0", "GRID 3 10 10", "GRID 4 0 10", "QUAD 1 1 4 3 2 1 1",
          "PROP 1 1 1", "MATL 1 1000", "DOFS DEF 1 1 1", "RACT 1 1 1 1", "ENDMODEL"},
         2,
         "2:5"},
        {{"GRID 1 0 0", "GRID 2 10 0", "BEAM 1 1 2 1 1", "BEAM 2 1 2 1 1 x", "BEAM 3 1 2 1 1 x",
          "PROP 1 1 1", "MATL 1 1000", "DOFS DEF 1 1 1", "RACT 1 1 1 1", "ENDMODEL"},
         1,
         "8:4 9:4 10:5 11:5"},
        {{"GRID 1 0 0", "GRID 2 10 0", "BEAM 1 1 2 1 1", "BEAM 2 1 2 5 1", "PROP 1 1 1",
          "MATL 1 1000", "DOFS DEF 1 1 1", "RACT 1 1 1 1", "ENDMODEL"},
         1,
         "8:4"},
        {{"GRID 1 0 0", "GRID 2 10 0", "BEAM 1 1 2 1 1", "PROP 1 1 1", "MATL 1 1000",
          "DOFS DEF 1 1 1", "RACT 1 1 1 1", "ENDMODEL", "LOAD 7 0 1", "LOAD 2\t0 -1",
          "LOAD 2 0 -1"},
         3,
         "2:9 3:9 4:10 5:10"},
    };
    for (const auto& c : cases) {
        Analysis a;
        Window w;
        for (int step = 0; step < c.steps; ++step)
            StartStep(a, w, testing::CrlfText(c.lines));
        const std::vector<int> links = MessageLinks(a, w.text);
        std::string found;
        for (std::size_t i = 0; i < links.size(); ++i)
            if (links[i] != 0)
                found += (found.empty() ? "" : " ") + std::to_string(i + 1) + ":" +
                         std::to_string(links[i]);
        EXPECT_EQ(found, c.links) << w.text;
    }
}
} // namespace
} // namespace tavu
