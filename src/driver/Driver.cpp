#include "driver/Driver.h"

#include "common/Numbers.h"
#include "loads/Loads.h"
#include "model/Diagnostics.h"
#include "model/PreScan.h"
#include "model/Reader.h"
#include "model/Tokenizer.h"
#include "results/FiniteResults.h"
#include "solver/Profile.h"
#include "solver/Solver.h"

#include <algorithm>
#include <new>

namespace tavu {

namespace {

void SetTitle(SummaryWindow& w, const std::string& title)
{
    w.SetTitle(title.substr(0, MaxTitleLength));
}

// A step that cannot go on: the log or report is shown and only Cancel remains.
void StopStep(SummaryWindow& w, const std::string& text)
{
    w.ShowText(text);
    w.DisableContinue();
}

enum class Step
{
    Model,
    Decomposition,
    LoadCases,
};

Step StepAt(int stage)
{
    return stage == ModelPending ? Step::Model
           : stage == ModelRead  ? Step::Decomposition
                                 : Step::LoadCases;
}

// A load step that fails leaves no results, not even those of an earlier run: the model
// stays decomposed.
void ReleaseLoadCase(Analysis& a)
{
    a.Loads = LoadSet();
    a.Results = ResultSet();
    a.State.Stage = Decomposed;
}

// Releases what a step builds when it runs out of memory and gives its message. Stage goes
// back to where the step found it, or to Decomposed when a load step has lost the results.
Msg ReleaseStep(Analysis& a, Step step, int stage)
{
    a.State.Stage = stage;
    switch (step) {
    case Step::Model:
        a.Model = ModelStore();
        a.Profile = StiffnessProfile();
        return Msg::NoMemoryForModel;
    case Step::Decomposition:
        a.System = EquationSystem();
        return Msg::NoMemoryForStiffness;
    default:
        ReleaseLoadCase(a);
        return Msg::NoMemoryForLoadCase;
    }
}

// Runs body(), a step or its start. An allocation failure anywhere in it ends the step:
// what the step built is released, and its "Not enough memory" text becomes its report
// and a diagnostic.
template <class Body> bool Guarded(Analysis& a, SummaryWindow& w, Step step, Body body)
{
    const int stage = a.State.Stage;
    Msg message = Msg::NoMemoryForModel;
    try {
        return body();
    } catch (const std::bad_alloc&) {
        message = ReleaseStep(a, step, stage);
    }
    std::string& report = step == Step::Model ? a.Summary.ReadText : a.Summary.LogText;
    report = DiagnosticMessage(message, 0, 0);
    AddDiagnosticText(a, report, 0);
    StopStep(w, report);
    w.OutOfMemory(report);
    return false;
}

} // namespace

namespace {

// Cuts text, which the analysis keeps as the buffer of its lines, into ModelLines.
void CutModelText(Analysis& a, std::string&& text)
{
    ModelText& t = a.Text;
    t.Reset(std::move(text));
    a.State.SubcaseCount = 0;

    const std::string_view editorText = t.Buffer();
    t.Reserve(static_cast<std::size_t>(std::count(editorText.begin(), editorText.end(), '\n')) + 1);
    // A byte-order mark says the text is UTF-8; it is no part of the first record.
    std::size_t start = editorText.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    for (;;) {
        // CR LF, LF and CR alone all end a line.
        const std::size_t end = editorText.find_first_of("\r\n", start);
        std::string_view segment = editorText.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        while (!segment.empty() && segment.front() == ' ')
            segment.remove_prefix(1);
        while (!segment.empty() && segment.back() == ' ')
            segment.remove_suffix(1);
        if (StartsWithSubcase(segment))
            ++a.State.SubcaseCount;
        t.AddLine(static_cast<std::size_t>(segment.data() - editorText.data()), segment.size());
        if (end == std::string_view::npos)
            break;
        start = end + (editorText.substr(end, 2) == "\r\n" ? 2 : 1);
    }
    a.State.LinesStale = false; // only once the lines are complete

    if (a.State.SubcaseCount > MaxSubcases)
        Diagnose(a, Msg::TooManySubcases, MaxSubcases, 0);
}

} // namespace

void SplitModelText(Analysis& a, std::string_view editorText)
{
    CutModelText(a, std::string(editorText));
}

void TakeModelText(Analysis& a, std::string&& editorText)
{
    CutModelText(a, std::move(editorText));
}

namespace {

bool ModelStep(Analysis& a, SummaryWindow& w, DriverEvents* events)
{
    SetTitle(w, TitleProcessing);
    PreScanModel(a);
    // The pre-scan empties FatalText, so a subcase count found too large when the lines
    // were split is raised again here: the run must not reach the scalars dialog.
    if (a.State.SubcaseCount > MaxSubcases)
        Diagnose(a, Msg::TooManySubcases, MaxSubcases, 0);
    if (!a.State.FatalText.empty()) {
        a.Summary.ReadText = a.State.FatalText + CRLF + "Fatal error... Done processing model";
        StopStep(w, a.Summary.ReadText);
        return false;
    }

    long long stiffnessCount = 0;
    if (ReadModel(a) && BuildProfile(a))
        stiffnessCount = a.Profile.ProfileSize - 2;
    ComposeReadText(a, stiffnessCount);
    w.ShowText(a.Summary.ReadText);
    if (events)
        events->ModelReaderRan();
    if (!a.State.FatalText.empty()) {
        w.DisableContinue();
        return false;
    }
    a.State.Stage = ModelRead;
    return true;
}

bool DecompositionStep(Analysis& a, SummaryWindow& w)
{
    // Every diagnostic is fatal to the run: a quad that failed its orientation check
    // leaves the model incomplete, so the decomposition does not start.
    if (!AssembleStiffness(a)) {
        StopStep(w, a.Summary.LogText);
        return false;
    }
    if (a.State.TransformFlag != 0)
        RotateAndEliminate(a);
    const DecompositionOutcome outcome = Decompose(a);
    w.ShowText(a.Summary.LogText);
    if (!outcome.ok) {
        w.DisableContinue();
        w.FocusCancel();
        return false;
    }
    a.State.Stage = Decomposed;
    return true;
}

// The message of results that are not finite, into FatalText and the log.
void ReportNonFiniteResult(Analysis& a, const NonFiniteResult& bad)
{
    const std::size_t from = a.State.FatalText.size();
    switch (bad.where) {
    case NonFiniteResult::Grid:
        Diagnose(a, Msg::SolutionNotFiniteAtGrid, bad.index, 0);
        break;
    case NonFiniteResult::Beam:
        Diagnose(a, Msg::SolutionNotFiniteAtBeam, bad.index, 0);
        break;
    case NonFiniteResult::Quad:
        Diagnose(a, Msg::SolutionNotFiniteAtQuad, bad.index, 0);
        break;
    default:
        Diagnose(a, Msg::ErrorMeasureNotFinite, 0, 0);
        break;
    }
    CopyDiagnosticsToLog(a, from);
}

bool LoadCaseStep(Analysis& a, SummaryWindow& w)
{
    SetTitle(w, TitleLoadCases);
    // The load section may have been edited since the model was read.
    if (a.State.SubcaseCount > MaxSubcases) {
        a.Summary.LogText = DiagnosticMessage(Msg::TooManySubcases, MaxSubcases, 0);
        StopStep(w, a.Summary.LogText);
        return false;
    }
    if (a.State.SubcaseCount > 0 && !w.AskLoadScalars(a)) {
        // Cancel in the scalars dialog ends the step: nothing is solved.
        w.Close();
        w.FocusEditor();
        return false;
    }
    // From here on the results of an earlier run are gone: a failure leaves the model
    // decomposed and without results.
    bool solved = ReadLoads(a);
    if (solved) {
        BackSubstitute(a);
        RecoverResults(a);
        const NonFiniteResult bad = FirstNonFiniteResult(a);
        solved = bad.where == NonFiniteResult::None;
        if (!solved)
            ReportNonFiniteResult(a, bad);
    }
    if (!solved) {
        ReleaseLoadCase(a);
        StopStep(w, a.Summary.LogText);
        w.FocusCancel();
        return false;
    }
    ReportErrorMeasure(a);
    a.State.Stage = Solved;
    w.ShowText(a.Summary.LogText);
    w.TurnContinueIntoFinish();
    return true;
}

void RunLoadStep(Analysis& a, SummaryWindow& w, DriverEvents* events)
{
    if (RunLoadCases(a, w) && events)
        events->ModelSolved();
}

} // namespace

bool RunModelProcessing(Analysis& a, SummaryWindow& w, DriverEvents* events)
{
    return Guarded(a, w, Step::Model, [&] { return ModelStep(a, w, events); });
}

bool RunDecomposition(Analysis& a, SummaryWindow& w)
{
    return Guarded(a, w, Step::Decomposition, [&] { return DecompositionStep(a, w); });
}

bool RunLoadCases(Analysis& a, SummaryWindow& w)
{
    return Guarded(a, w, Step::LoadCases, [&] { return LoadCaseStep(a, w); });
}

namespace {

// The step chosen by Stage, after split() has cut the editor text when the lines are stale.
template <class Split>
void StartStepAfter(Analysis& a, SummaryWindow& w, DriverEvents* events, Split split)
{
    // Cutting the lines belongs to the step that runs: a text too large for the memory ends
    // it there.
    if (a.State.LinesStale && !Guarded(a, w, StepAt(a.State.Stage), [&] {
            split();
            return true;
        })) {
        w.FocusContinue();
        return;
    }
    switch (a.State.Stage) {
    case ModelPending:
        RunModelProcessing(a, w, events);
        break;
    case ModelRead:
        SetTitle(w, TitleDecomposing);
        RunDecomposition(a, w);
        break;
    default:
        RunLoadStep(a, w, events);
        break;
    }
    w.FocusContinue();
}

} // namespace

void StartStep(Analysis& a, SummaryWindow& w, std::string_view editorText, DriverEvents* events)
{
    StartStepAfter(a, w, events, [&] { SplitModelText(a, editorText); });
}

void StartStepTakingText(Analysis& a, SummaryWindow& w, std::string&& editorText,
                         DriverEvents* events)
{
    StartStepAfter(a, w, events, [&] { TakeModelText(a, std::move(editorText)); });
}

void ContinueStep(Analysis& a, SummaryWindow& w, DriverEvents* events)
{
    switch (a.State.Stage) {
    case ModelRead:
        SetTitle(w, TitleDecomposingContinue);
        RunDecomposition(a, w);
        break;
    case Decomposed:
        RunLoadStep(a, w, events);
        break;
    default:
        w.Close();
        w.FocusEditor();
        return;
    }
    w.FocusContinue();
}

void CancelStep(Analysis&, SummaryWindow& w)
{
    w.Close();
    w.FocusEditor();
}

void MarkTextEdited(Analysis& a, int changeLine)
{
    a.State.LinesStale = true;
    if (changeLine <= a.State.EndModelLine)
        a.State.Stage = ModelPending;
    else if (a.State.Stage >= Decomposed)
        a.State.Stage = Decomposed;
}

void ResetSolution(Analysis& a)
{
    a.State.Stage = ModelPending;
    a.State.LinesStale = true;
}

const char* SolverName(SolverPath path)
{
    switch (path) {
    case SolverPath::Skyline:
        return "skyline";
    case SolverPath::Sparse:
        return "sparse";
    default:
        return "auto";
    }
}

std::optional<SolverPath> ParseSolver(std::string_view name)
{
    for (SolverPath p : {SolverPath::Auto, SolverPath::Skyline, SolverPath::Sparse})
        if (name == SolverName(p))
            return p;
    return std::nullopt;
}

std::string NormalizeLineEnds(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n' && (i == 0 || text[i - 1] != '\r'))
            out += '\r';
        out += c;
    }
    return out;
}

} // namespace tavu
