#pragma once
// The rules the desktop windows apply, kept free of Qt so they can be checked without a
// display: which Solve commands are available after which event, the status bar texts,
// the default model folder, the questions about unsaved text, and the geometry of the
// windows in dialog units.

#include "common/Analysis.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavu {

// ---------------------------------------------------------------------------------------
// Enabling of the Solve menu items and the three solution buttons.

struct CommandStates
{
    bool resetSolution = false;   // "&Reset Solution"
    bool runSolution = false;     // "R&un Solution" and the "Run" button
    bool showSolution = false;    // "&Show Solution" and the "Soln" button
    bool plotDeformation = false; // "P&lot Deformation" and the "Plot" button
    bool exportResults = false;   // File, "&Export Results...": only while results exist

    bool operator==(const CommandStates&) const = default;
};

// The only events that change the states above.
enum class CommandEvent
{
    ProgramStart,
    NewModel,
    ModelFileLoaded,
    SaveAsCompleted,
    ModelProcessed, // the model reader ran in step 1 of a run (errors or not)
    TextEdited,
    EditorFocusGained, // acts only when the model is solved
    ResetSolution,
    ModelSolved, // the load step of a run ended with results
};

// The states after an event; stage is the Stage at the time of the event.
CommandStates NextCommandStates(CommandStates current, CommandEvent event, int stage);

// ---------------------------------------------------------------------------------------
// Status bar.

// A model path cut at its last "/": the folder with its trailing "/" and the file name.
struct ModelPathParts
{
    std::string folder;
    std::string fileName; // ModelFileName
};
ModelPathParts SplitModelPath(std::string_view modelPath);

// Part 1: the file name alone when the file lies in the model folder itself, otherwise
// the whole path; empty for an untitled text.
std::string FileStatusText(std::string_view modelPath, std::string_view modelFolder);

// Part 2 while the model is read: "Process" and the line number.
std::string ReadProgressText(int line);

// Part 3: " 2 of  3" for the caret on the second of three lines of the text (file lines, as
// the messages number them, however the editor wraps them); empty for a single line.
std::string LineStatusText(int caretLine, int lineCount);

// Right edges of the three status bar parts for a client width w (in any unit). The
// second part, where the reader's progress shows, lies between the other two.
std::array<int, 3> StatusPartEdges(int w);

// ---------------------------------------------------------------------------------------
// Main window title, menus and the editor's commands.

inline constexpr const char* MainTitle = "2D Finite Element Program";

// "plate.tav[*] - 2D Finite Element Program", "Untitled[*] - ..." for a text without a file;
// the window shows its modified marker where "[*]" stands.
std::string MainWindowTitle(std::string_view fileName);

inline constexpr const char* EditMenuText = "&Edit";
inline constexpr const char* ViewMenuText = "&View";
inline constexpr const char* RecentFilesMenuText = "Recent &Files";
inline constexpr const char* WrapLinesText = "&Wrap Lines";

enum class EditCommand
{
    Undo,
    Redo,
    Cut,
    Copy,
    Paste,
    SelectAll,
    Find,
    FindNext,
    Replace,
    GoToLine,
};
inline constexpr std::size_t EditCommandCount = 10;
struct EditCommandItem
{
    const char* name; // object name of the action
    const char* text;
    bool separatorAfter;
};
inline constexpr std::array<EditCommandItem, EditCommandCount> EditCommandItems{{
    {"actionUndo", "&Undo", false},
    {"actionRedo", "&Redo", true},
    {"actionCut", "Cu&t", false},
    {"actionCopy", "&Copy", false},
    {"actionPaste", "&Paste", false},
    {"actionSelectAll", "Select &All", true},
    {"actionFind", "&Find...", false},
    {"actionFindNext", "Find &Next", false},
    {"actionReplace", "R&eplace...", false},
    {"actionGoToLine", "&Go to Line...", false},
}};

// What the editor's commands depend on.
struct EditorFacts
{
    bool undoAvailable = false;
    bool redoAvailable = false;
    bool selection = false;
    bool clipboardHasText = false;
    bool textEmpty = true;
    bool searchText = false; // something to find again
};
// Which edit commands can be chosen, by EditCommand.
std::array<bool, EditCommandCount> EditCommandStates(const EditorFacts& facts);

inline constexpr const char* FindTitle = "Find";
inline constexpr const char* ReplaceTitle = "Replace";
inline constexpr const char* FindWhatText = "Fi&nd what:";
inline constexpr const char* ReplaceWithText = "Re&place with:";
inline constexpr const char* MatchCaseText = "Match &case";
inline constexpr const char* FindNextButtonText = "&Find Next";
inline constexpr const char* ReplaceButtonText = "&Replace";
inline constexpr const char* ReplaceAllButtonText = "Replace &All";
inline constexpr const char* CloseButtonText = "Close";
inline constexpr const char* GoToLineTitle = "Go to Line";

// Cannot find "what"
std::string CannotFindText(std::string_view what);
// "Line number (1 - 40):"
std::string GoToLineLabel(int lineCount);

// ---------------------------------------------------------------------------------------
// Messages that lead to their lines: for each line of a text the summary window shows, the
// model line it leads to, or 0. A diagnostic or warning about a record leads to the record,
// and so does the record's echoed line above it.
std::vector<int> MessageLinks(const Analysis& a, std::string_view shown);

// ---------------------------------------------------------------------------------------
// Recent files: the last eight model files opened or saved under a name, newest first.

inline constexpr std::size_t MaxRecentFiles = 8;
std::vector<std::string> WithRecentFile(std::vector<std::string> files, std::string_view path);
std::vector<std::string> WithoutRecentFile(std::vector<std::string> files, std::string_view path);
// "&1 /models/plate.tav" for the first (index 0); a "&" of the path is doubled.
std::string RecentFileItemText(std::size_t index, std::string_view path);

// ---------------------------------------------------------------------------------------
// Model files.

// True for a name ending in ".tav" in any letter case.
bool IsModelFileName(std::string_view name);

// Larger model files are refused: the editor is not made for them.
inline constexpr long long MaxModelFileBytes = 256LL * 1024 * 1024;
// A batch run holds the text once, beside no editor: models of ten million equations and
// more are read up to this size.
inline constexpr long long MaxBatchModelFileBytes = 2048LL * 1024 * 1024;

// The default folder of the file dialogs: the current directory when it holds model
// files, otherwise "vrxSoftware/TAVU/" under the user's data folder (or under the
// fallback folder when the data folder is unknown). Always ends with "/".
std::string ChooseModelFolder(std::string_view currentDir, bool currentDirHoldsModels,
                              std::string_view dataDir, std::string_view fallbackDir);

// The model path given on the command line: the arguments as one text, blanks between
// them, with every double quote removed and the outer blanks trimmed.
std::string CommandLinePath(const std::vector<std::string>& arguments);

// How a model file ends its lines. A model file has CR LF line ends and one final CR LF;
// a file that uses LF alone, or has no final line end, is written back the same way.
struct LineEndStyle
{
    bool lfOnly = false;
    bool finalLineEnd = true;
    bool operator==(const LineEndStyle&) const = default;
};
LineEndStyle DetectLineEnds(std::string_view fileText);

// The file text of a model: the editor text ("\n" between lines) with the style's line
// ends.
std::string ModelFileText(std::string_view editorText, LineEndStyle style = {});

// The editor text of a model file: line ends (CR LF, LF or CR alone) made "\n" and the
// final line end dropped. Every other byte is kept.
std::string EditorTextOfFile(std::string_view fileText);

// ---------------------------------------------------------------------------------------
// Meshes in (through Gmsh), results out (for ParaView).

inline constexpr const char* ImportMeshText = "&Import Mesh...";
inline constexpr const char* ImportMeshTitle = "Import Mesh";
inline constexpr const char* MeshFileFilter = "Gmsh Files (*.geo *.msh);;All Files (*.*)";
inline constexpr const char* NoMeshImportText =
    "This build of TAVU has no mesh import: it was built without Gmsh.";
inline constexpr const char* ExportResultsText = "&Export Results...";
inline constexpr const char* ExportResultsTitle = "Export Results";
inline constexpr const char* VtuFileFilter = "VTK Files (*.vtu);;All Files (*.*)";
inline constexpr const char* VtuSuffix = "vtu";

// ---------------------------------------------------------------------------------------
// Questions about unsaved text.

enum class Answer
{
    Yes,
    No,
    Cancel,
};

inline constexpr const char* SaveFileTitle = "Save File";
inline constexpr const char* SaveChangesQuestion =
    "File records have changed...\r\ndo you want to save them?";
inline constexpr const char* OpenChangedQuestion = "File has changed...\r\nShould it be saved?";
inline constexpr const char* SaveNowQuestion = "Save file now?";
inline constexpr const char* PrintFileTitle = "Print File";
inline constexpr const char* PrintNowQuestion = "Print the file now?";
inline constexpr const char* OpenDialogTitle = "Open File";
inline constexpr const char* SaveDialogTitle = "Save File";

// The commands that may ask before they act on unsaved text.
enum class FileCommand
{
    New,  // also Exit and closing the window; an untitled text is asked about too
    Open, // asked after a file was chosen; Cancel keeps the text and opens nothing
    Save,
};

struct PromptPlan
{
    bool ask = false;
    const char* question = nullptr;
    bool withCancel = false;
};

// Whether the command asks, and what.
PromptPlan PromptFor(FileCommand command, bool untitled, bool textChanged);

enum class SaveAction
{
    None,
    Save,   // write to the current file
    SaveAs, // ask for a name first
};

// What an answer to the command's question does. Save with an untitled text goes
// straight to Save As (no question is asked).
SaveAction SaveActionFor(FileCommand command, Answer answer, bool untitled);

// ---------------------------------------------------------------------------------------
// Dialog units and window geometry.

struct DuRect
{
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const DuRect&) const = default;
};

// A rectangle in pixels (screen coordinates for windows).
struct PixelRect
{
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const PixelRect&) const = default;
};

// The window frame around a client area, in pixels.
struct FrameMargins
{
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Where a window goes whose client area would be `wanted`: as large as wanted but no larger
// than the screen's available area leaves room for with the frame, never below the minimum
// client size; moved the least that puts the whole frame inside the area. A window larger
// than the area keeps its top left corner (title bar and first controls) inside it.
PixelRect FitWindow(PixelRect wanted, int minWidth, int minHeight, FrameMargins frame,
                    PixelRect available);

// The average character width of a font from the width of the 52 letters A..Z a..z.
int AverageCharWidth(int widthOf52Letters);

// Dialog units to pixels and back: a horizontal unit is a quarter of the average
// character width, a vertical unit an eighth of the character height.
int DuToPixelsX(int du, int averageCharWidth);
int DuToPixelsY(int du, int charHeight);
int PixelsToDuX(int pixels, int averageCharWidth);
int PixelsToDuY(int pixels, int charHeight);

// Window sizes below are outer sizes; the client area is smaller by the frame.
inline constexpr int FrameWidthDu = 2;
inline constexpr int FrameHeightDu = 12;

// Main window (client width w and height h).
inline constexpr int MainWindowWidthDu = 270;
inline constexpr int MainWindowHeightDu = 280;
// The smallest client that shows every toolbar button, a few editor lines and the status
// bar (the menu bar comes on top).
inline constexpr int MainMinimumWidthDu = 226;
inline constexpr int MainMinimumHeightDu = 90;
struct MainWindowLayout
{
    DuRect strip;
    DuRect editor;
};
MainWindowLayout MainLayout(int w, int h);

struct ToolbarButton
{
    const char* text;
    int x;
};
// "Open", "Save", "Print", "Run", "Soln", "Plot", "Quit": 30 x 18 at y 2.
inline constexpr std::array<ToolbarButton, 7> ToolbarButtons{{
    {"Open", 2},
    {"Save", 32},
    {"Print", 62},
    {"Run", 97},
    {"Soln", 127},
    {"Plot", 157},
    {"Quit", 192},
}};
inline constexpr int ToolbarButtonWidthDu = 30;
inline constexpr int ToolbarButtonHeightDu = 18;
inline constexpr int ToolbarButtonYDu = 2;

// Summary window.
inline constexpr int SummaryWidthDu = 240;
inline constexpr int SummaryHeightDu = 205;
inline constexpr DuRect SummaryTextRect{5, 10, 230, 135};
inline constexpr DuRect SummaryContinueRect{50, 150, 60, 30};
inline constexpr DuRect SummaryCancelRect{120, 150, 60, 30};
inline constexpr const char* SummaryInitialTitle = "Summary of Model Processing";
inline constexpr const char* FinishText = "Finish";

// Load case scalars dialog for n subcases.
inline constexpr const char* ScalarsTitle = "Load case scalars";
inline constexpr const char* DefaultScalarText = "1.0";
struct ScalarsDialogLayout
{
    int width = 150;
    int height = 0; // 12 n + 60
    std::vector<DuRect> labels;
    std::vector<DuRect> boxes;
    DuRect ok;
    DuRect cancel;
};
ScalarsDialogLayout ScalarsLayout(int n);

// "Subcase" and the number: "Subcase 1".
std::string SubcaseLabel(int number);

// The dialog's own count of the subcases: SUBCASE records after the ENDMODEL line.
// Sets SubcaseCount; a line with too many fields raises diagnostic 8. Returns the
// subcase numbers present that have a scalar (1 to 10), each once, in increasing order:
// the dialog has one box for each, and `tavu-solve --scalars` gives them in this order.
std::vector<int> RecountSubcases(Analysis& a);

// The same subcase numbers without touching the model; records and badLines, when given,
// receive the count of SUBCASE records and the lines with too many fields.
std::vector<int> SubcaseNumbers(const Analysis& a, int* records = nullptr,
                                std::vector<int>* badLines = nullptr);

// A scalar as typed: a finite number, blanks around it allowed.
std::optional<double> ScalarValue(std::string_view text);

// The text a subcase's box starts with: what was typed last for that subcase number in a
// run of this model, else "1.0".
std::string ScalarBoxText(const Analysis& a, int number);

// "Subcase 3 scalar is not a finite number"
std::string ScalarRefusedText(int number);

// OK of the dialog, with the box texts of the subcase numbers: when every text is a
// finite number, sets LoadScalars of each number, keeps the texts for the next run and
// returns nothing; otherwise changes nothing and returns the index of the first box
// refused.
std::optional<std::size_t> ApplyScalarTexts(Analysis& a, const std::vector<int>& numbers,
                                            const std::vector<std::string>& boxTexts);

// Results window.
inline constexpr const char* ResultsTitle = "Finite Element Results";
inline constexpr int ResultsCreateWidthDu = 260;
inline constexpr int ResultsCreateHeightDu = 285;
inline constexpr int ResultsOffsetDu = 20;    // right of and below the main window
inline constexpr int ResultsWideShiftDu = 60; // moved left when widened
inline constexpr std::array<int, 7> ResultTabStopsDu{5, 30, 60, 120, 180, 240, 300};
inline constexpr const char* AverageStressesText = "&Averge stresses";
int ResultsWindowWidth(bool wideLayout); // 270 or 385
struct ResultsWindowLayout
{
    DuRect list;
    DuRect print;
    DuRect copy;
    DuRect cancel;
};
ResultsWindowLayout ResultsLayout(int width, int height);

// The heading labels 700..706: x positions and widths.
inline constexpr std::array<DuRect, 7> ResultHeadingRects{{
    {5, 40, 28, 10},
    {33, 40, 27, 10},
    {60, 40, 60, 10},
    {120, 40, 60, 10},
    {180, 40, 60, 10},
    {240, 40, 60, 10},
    {300, 40, 60, 10},
}};

// "displacements", "reactions", "beam forces", "quad stresses" for kinds 1..4.
std::string ResultWhat(int kind);
inline constexpr const char* PrintResultsTitle = "Print Results";
inline constexpr const char* CopyResultsTitle = "Copy Results to Clipboard";
std::string PrintResultsQuestion(int kind);
std::string CopyResultsQuestion(int kind);

// True when the result tables were made for the model now in the store, so a listing
// reads inside them.
bool ResultsMatchModel(const Analysis& a);

// The x where text continues after a TAB at x: the first tab stop beyond x, or x plus
// one default step past the last stop.
int NextTabStop(int x, const std::vector<int>& stops, int defaultStep);

// About box.
inline constexpr const char* AboutTitle = "About TAVU";
inline constexpr const char* AboutHeadline = "2D Finite Elements";
inline constexpr const char* AboutPlatform = " for Windows";

} // namespace tavu
