#pragma once
// The solution driver: the step machine that turns the model text into results in three
// steps paced by the summary window, and the rules by which edits lower the stage.

#include "common/Analysis.h"

#include <optional>
#include <string>
#include <string_view>

namespace tavu {

// What the step machine needs of the summary window. The desktop implements it with the
// real window, the batch front end by printing, the tests by recording.
class SummaryWindow
{
public:
    virtual ~SummaryWindow() = default;
    virtual void SetTitle(const std::string& title) = 0;
    virtual void ShowText(const std::string& text) = 0; // the summary text box
    virtual void DisableContinue() = 0;
    virtual void FocusContinue() = 0;
    virtual void FocusCancel() = 0;
    // Continue reads "Finish" and Cancel shrinks to zero size.
    virtual void TurnContinueIntoFinish() = 0;
    // The modal load case scalars dialog: true on OK (LoadScalars 1..n set), false on
    // Cancel.
    virtual bool AskLoadScalars(Analysis& a) = 0;
    // A step ran out of memory and has shown text ("Not enough memory for ...") as its
    // report; a front end may tell the user more loudly.
    virtual void OutOfMemory(const std::string& text) { (void)text; }
    virtual void Close() = 0;
    // Keyboard focus back to the main window's editor.
    virtual void FocusEditor() = 0;
};

// What the main window learns from a run.
class DriverEvents
{
public:
    virtual ~DriverEvents() = default;
    // The model reader ran (whether or not it found errors): "&Reset Solution",
    // "P&lot Deformation" and the Plot button become available.
    virtual void ModelReaderRan() {}
    // The load step ended with results: "&Show Solution" and "P&lot Deformation" become
    // available.
    virtual void ModelSolved() {}
};

// The step titles.
inline constexpr const char* TitleProcessing = "Processing Model Data";
inline constexpr const char* TitleDecomposing = "Performing Decomposition";
inline constexpr const char* TitleDecomposingContinue = "Perform Decomposition";
inline constexpr const char* TitleLoadCases = "Running Load Cases";

// The window title shows at most this many characters.
inline constexpr std::size_t MaxTitleLength = 31;

// Largest number of subcases the scalars and the dialog have room for.
inline constexpr int MaxSubcases = 10;

// Rebuilds ModelLines from the editor text (lines cut at CR LF, LF or CR alone, trimmed of
// blanks; a UTF-8 byte-order mark at the start skipped), counts the SUBCASE records and
// clears LinesStale.
void SplitModelText(Analysis& a, std::string_view editorText);
// The same with the text handed over: the analysis keeps it as the one buffer its lines
// are cut from, without a copy.
void TakeModelText(Analysis& a, std::string&& editorText);

// The three steps, each run to its end. They return true when the step succeeded. A step
// that runs out of memory releases what it built, shows its "Not enough memory for ..."
// text (also added to FatalText) and fails; Stage keeps its value, except that a failed
// load step leaves no results: Stage is then Decomposed.
bool RunModelProcessing(Analysis& a, SummaryWindow& w, DriverEvents* events);
bool RunDecomposition(Analysis& a, SummaryWindow& w);
bool RunLoadCases(Analysis& a, SummaryWindow& w);

// The summary window is being created ("R&un Solution"): runs the step chosen by Stage.
// The keyboard focus stays in the window, on Continue.
void StartStep(Analysis& a, SummaryWindow& w, std::string_view editorText,
               DriverEvents* events = nullptr);
// The same with the text handed over (TakeModelText), for a front end that has no editor.
void StartStepTakingText(Analysis& a, SummaryWindow& w, std::string&& editorText,
                         DriverEvents* events = nullptr);

// Continue: runs the next step, the focus staying on Continue (on Cancel after a failed
// decomposition), so that Enter goes on with the run; or closes the window at Stage 0 or
// 3 ("Finish") and puts the focus back in the editor.
void ContinueStep(Analysis& a, SummaryWindow& w, DriverEvents* events = nullptr);

// Cancel: closes the window; Stage keeps its value.
void CancelStep(Analysis& a, SummaryWindow& w);

// Every change of the editor text. changeLine is the text line (1-based, counted as in
// ModelLines) at which the change begins: a change at or above the ENDMODEL line sends
// the model back to step 1, one below it keeps the decomposition.
void MarkTextEdited(Analysis& a, int changeLine);

// "&Reset Solution", New, and a model file loaded: the next run starts at step 1.
void ResetSolution(Analysis& a);

// "auto", "skyline", "sparse": the names of the factorization setting (tavu-solve's
// --solver, the JSON report's "solver", the desktop program's saved setting).
const char* SolverName(SolverPath path);
std::optional<SolverPath> ParseSolver(std::string_view name);

// The model's editor text with every line ending made CR LF (files with LF-only line
// ends read the same as CR LF files).
std::string NormalizeLineEnds(std::string_view text);

} // namespace tavu
