#include "driver/Commands.h"

#include "common/Numbers.h"
#include "driver/Driver.h"
#include "model/Diagnostics.h"
#include "model/Tokenizer.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tavu {

namespace {

// The Solve items and the three solution buttons.
CommandStates NextSolveStates(CommandStates s, CommandEvent event, int stage)
{
    switch (event) {
    case CommandEvent::ProgramStart:
    case CommandEvent::NewModel:
        return CommandStates{};
    case CommandEvent::ModelFileLoaded:
        s.runSolution = true;
        s.showSolution = false;
        s.plotDeformation = false;
        break;
    case CommandEvent::SaveAsCompleted:
        s.runSolution = true;
        break;
    case CommandEvent::ModelProcessed:
        s.resetSolution = true;
        s.plotDeformation = true;
        break;
    case CommandEvent::TextEdited:
        s.showSolution = false;
        s.plotDeformation = false;
        break;
    case CommandEvent::EditorFocusGained:
    case CommandEvent::ModelSolved:
        if (stage > Decomposed) {
            s.showSolution = true;
            s.plotDeformation = true;
        }
        break;
    case CommandEvent::ResetSolution:
        s.resetSolution = false;
        s.showSolution = false;
        s.plotDeformation = false;
        break;
    }
    return s;
}

} // namespace

CommandStates NextCommandStates(CommandStates s, CommandEvent event, int stage)
{
    s = NextSolveStates(s, event, stage);
    // Results can be exported exactly while they can be shown.
    s.exportResults = s.showSolution;
    return s;
}

ModelPathParts SplitModelPath(std::string_view modelPath)
{
    const std::size_t slash = modelPath.rfind('/');
    if (slash == std::string_view::npos)
        return {std::string(), std::string(modelPath)};
    return {std::string(modelPath.substr(0, slash + 1)), std::string(modelPath.substr(slash + 1))};
}

std::string FileStatusText(std::string_view modelPath, std::string_view modelFolder)
{
    if (modelPath.empty())
        return std::string();
    ModelPathParts parts = SplitModelPath(modelPath);
    if (parts.folder == modelFolder)
        return parts.fileName;
    return std::string(modelPath);
}

std::string ReadProgressText(int line)
{
    return "Process" + NumberText(line);
}

std::string LineStatusText(int caretLine, int lineCount)
{
    if (lineCount <= 1)
        return std::string();
    return NumberText(caretLine) + " of " + NumberText(lineCount);
}

std::array<int, 3> StatusPartEdges(int w)
{
    // The file name takes the left 60 %, the reader's progress the next 20 %, the caret
    // line the rest.
    return {w * 6 / 10, w * 8 / 10, w};
}

std::string MainWindowTitle(std::string_view fileName)
{
    return std::string(fileName.empty() ? "Untitled" : fileName) + "[*] - " + MainTitle;
}

std::array<bool, EditCommandCount> EditCommandStates(const EditorFacts& f)
{
    std::array<bool, EditCommandCount> on{};
    auto set = [&on](EditCommand c, bool state) { on[static_cast<std::size_t>(c)] = state; };
    set(EditCommand::Undo, f.undoAvailable);
    set(EditCommand::Redo, f.redoAvailable);
    set(EditCommand::Cut, f.selection);
    set(EditCommand::Copy, f.selection);
    set(EditCommand::Paste, f.clipboardHasText);
    set(EditCommand::SelectAll, !f.textEmpty);
    set(EditCommand::Find, true);
    set(EditCommand::FindNext, f.searchText && !f.textEmpty);
    set(EditCommand::Replace, true);
    set(EditCommand::GoToLine, !f.textEmpty);
    return on;
}

std::string CannotFindText(std::string_view what)
{
    return "Cannot find \"" + std::string(what) + "\"";
}

std::string GoToLineLabel(int lineCount)
{
    return "Line number (1 - " + std::to_string(std::max(1, lineCount)) + "):";
}

std::vector<int> MessageLinks(const Analysis& a, std::string_view shown)
{
    // Each list's messages stand in the text in its order, among other lines: a cursor per
    // list finds them one after the other. The model step's warnings are shown only in its
    // report, those of the load step only in the log.
    struct Cursor
    {
        const std::vector<Warning>& messages;
        std::size_t next = 0;
    };
    std::array<Cursor, 2> lists{
        {{a.State.FatalLines},
         {shown == a.Summary.ReadText ? a.State.ReadWarnings : a.State.LoadWarnings}}};
    std::vector<int> links;
    std::string_view previous;
    std::size_t start = 0;
    while (start <= shown.size()) {
        std::size_t end = shown.find('\n', start);
        if (end == std::string_view::npos)
            end = shown.size();
        std::string_view text = shown.substr(start, end - start);
        if (text.ends_with('\r'))
            text.remove_suffix(1);
        int line = 0;
        for (Cursor& c : lists) {
            if (c.next < c.messages.size() && c.messages[c.next].text == text) {
                line = c.messages[c.next++].line;
                break;
            }
        }
        if (line > 0 && !links.empty() && links.back() == 0 && previous == ModelLine(a, line))
            links.back() = line;
        links.push_back(line);
        previous = text;
        start = end + 1;
    }
    return links;
}

std::vector<std::string> WithRecentFile(std::vector<std::string> files, std::string_view path)
{
    files = WithoutRecentFile(std::move(files), path);
    files.insert(files.begin(), std::string(path));
    if (files.size() > MaxRecentFiles)
        files.resize(MaxRecentFiles);
    return files;
}

std::vector<std::string> WithoutRecentFile(std::vector<std::string> files, std::string_view path)
{
    std::erase(files, path);
    return files;
}

std::string RecentFileItemText(std::size_t index, std::string_view path)
{
    std::string text = "&" + std::to_string(index + 1) + " ";
    for (const char c : path) {
        if (c == '&')
            text += '&';
        text += c;
    }
    return text;
}

bool IsModelFileName(std::string_view name)
{
    if (name.size() < 4)
        return false;
    std::string_view ext = name.substr(name.size() - 4);
    return ext[0] == '.' && WordIs(ext.substr(1), "TAV");
}

namespace {

std::string WithSlash(std::string_view dir)
{
    std::string s(dir);
    if (s.empty() || s.back() != '/')
        s += '/';
    return s;
}

} // namespace

std::string ChooseModelFolder(std::string_view currentDir, bool currentDirHoldsModels,
                              std::string_view dataDir, std::string_view fallbackDir)
{
    if (currentDirHoldsModels)
        return WithSlash(currentDir);
    std::string base = WithSlash(dataDir.empty() ? fallbackDir : dataDir);
    return base + "vrxSoftware/TAVU/";
}

std::string CommandLinePath(const std::vector<std::string>& arguments)
{
    std::string text;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0)
            text += ' ';
        text += arguments[i];
    }
    text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    const std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

LineEndStyle DetectLineEnds(std::string_view fileText)
{
    LineEndStyle style;
    style.lfOnly = fileText.find('\r') == std::string_view::npos &&
                   fileText.find('\n') != std::string_view::npos;
    style.finalLineEnd = !fileText.empty() && (fileText.back() == '\n' || fileText.back() == '\r');
    return style;
}

std::string ModelFileText(std::string_view editorText, LineEndStyle style)
{
    const std::string_view lineEnd = style.lfOnly ? "\n" : CRLF;
    std::string out;
    out.reserve(editorText.size() + editorText.size() / 32 + 2);
    for (const char c : editorText) {
        if (c == '\n')
            out += lineEnd;
        else
            out += c;
    }
    if (style.finalLineEnd)
        out += lineEnd;
    return out;
}

std::string EditorTextOfFile(std::string_view fileText)
{
    std::string out;
    out.reserve(fileText.size());
    for (std::size_t i = 0; i < fileText.size(); ++i) {
        const char c = fileText[i];
        if (c == '\r') {
            if (i + 1 < fileText.size() && fileText[i + 1] == '\n')
                ++i;
            out += '\n';
        } else {
            out += c;
        }
    }
    // The last line end belongs to the file format, not to the text.
    if (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

PromptPlan PromptFor(FileCommand command, bool untitled, bool textChanged)
{
    switch (command) {
    case FileCommand::New:
        return textChanged ? PromptPlan{true, SaveChangesQuestion, true} : PromptPlan{};
    case FileCommand::Open:
        return textChanged ? PromptPlan{true, OpenChangedQuestion, true} : PromptPlan{};
    case FileCommand::Save:
        return untitled ? PromptPlan{} : PromptPlan{true, SaveNowQuestion, false};
    }
    return PromptPlan{};
}

SaveAction SaveActionFor(FileCommand command, Answer answer, bool untitled)
{
    if (command == FileCommand::Save && untitled)
        return SaveAction::SaveAs;
    if (answer != Answer::Yes)
        return SaveAction::None;
    return untitled ? SaveAction::SaveAs : SaveAction::Save;
}

int AverageCharWidth(int widthOf52Letters)
{
    return (widthOf52Letters / 26 + 1) / 2;
}

namespace {

// a * b / c rounded to the nearest integer, halves away from zero.
int MulDivRounded(int a, int b, int c)
{
    if (c == 0)
        return 0;
    const long long p = static_cast<long long>(a) * b;
    const long long half = c / 2;
    const long long q = p >= 0 ? (p + half) / c : -((-p + half) / c);
    return static_cast<int>(q);
}

} // namespace

int DuToPixelsX(int du, int averageCharWidth)
{
    return MulDivRounded(du, averageCharWidth, 4);
}

int DuToPixelsY(int du, int charHeight)
{
    return MulDivRounded(du, charHeight, 8);
}

int PixelsToDuX(int pixels, int averageCharWidth)
{
    return MulDivRounded(pixels, 4, averageCharWidth);
}

int PixelsToDuY(int pixels, int charHeight)
{
    return MulDivRounded(pixels, 8, charHeight);
}

PixelRect FitWindow(PixelRect wanted, int minWidth, int minHeight, FrameMargins frame,
                    PixelRect available)
{
    // One axis at a time: the client's start and length, the frame before and after it,
    // the area's start and length.
    auto fit = [](int& start, int& length, int minimum, int before, int after, int areaStart,
                  int areaLength) {
        const int room = areaLength - before - after;
        length = std::max(std::min(length, room), std::max(minimum, 0));
        if (start + length + after > areaStart + areaLength)
            start = areaStart + areaLength - after - length;
        if (start - before < areaStart)
            start = areaStart + before;
    };
    fit(wanted.x, wanted.w, minWidth, frame.left, frame.right, available.x, available.w);
    fit(wanted.y, wanted.h, minHeight, frame.top, frame.bottom, available.y, available.h);
    return wanted;
}

MainWindowLayout MainLayout(int w, int h)
{
    MainWindowLayout l;
    l.strip = {0, 0, std::max(0, w), 22};
    l.editor = {10, 30, std::max(0, w - 20), std::max(0, h - 50)};
    return l;
}

ScalarsDialogLayout ScalarsLayout(int n)
{
    ScalarsDialogLayout l;
    n = std::clamp(n, 0, MaxSubcases);
    l.height = 12 * n + 60;
    for (int k = 0; k < n; ++k) {
        l.labels.push_back({5, 12 * k + 10, 40, 10});
        l.boxes.push_back({50, 12 * k + 10, 40, 10});
    }
    l.ok = {30, l.height - 45, 40, 20};
    l.cancel = {80, l.height - 45, 40, 20};
    return l;
}

std::string SubcaseLabel(int number)
{
    return "Subcase" + NumberText(number);
}

std::vector<int> SubcaseNumbers(const Analysis& a, int* records, std::vector<int>* badLines)
{
    int count = 0;
    std::array<bool, MaxSubcases + 1> present{};
    const int last = a.Text.LineCount;
    for (int i = a.State.EndModelLine + 1; i <= last; ++i) {
        const std::string_view text = RecordText(ModelLine(a, i));
        if (text.empty())
            continue;
        Record rec;
        SplitFields(text, 10, 2, rec);
        if (rec.nWords < 0 && badLines)
            badLines->push_back(i);
        if (!WordIs(rec.Word[1], "SUBCASE"))
            continue;
        ++count;
        const int number = RoundToInt(rec.N(1));
        if (number >= 1 && number <= MaxSubcases)
            present[static_cast<std::size_t>(number)] = true;
    }
    if (records)
        *records = count;
    std::vector<int> numbers;
    for (int k = 1; k <= MaxSubcases; ++k)
        if (present[static_cast<std::size_t>(k)])
            numbers.push_back(k);
    return numbers;
}

std::vector<int> RecountSubcases(Analysis& a)
{
    std::vector<int> badLines;
    std::vector<int> numbers = SubcaseNumbers(a, &a.State.SubcaseCount, &badLines);
    for (const int line : badLines)
        Diagnose(a, Msg::BadRecord, 0, line);
    return numbers;
}

std::optional<double> ScalarValue(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return std::nullopt;
    text = text.substr(first, text.find_last_not_of(" \t") + 1 - first);
    if (text.size() > 1 && text[0] == '+' && text[1] != '-')
        text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string ScalarBoxText(const Analysis& a, int number)
{
    const std::string& typed = a.TypedScalars[static_cast<std::size_t>(number)];
    return typed.empty() ? DefaultScalarText : typed;
}

std::string ScalarRefusedText(int number)
{
    return SubcaseLabel(number) + " scalar is not a finite number";
}

std::optional<std::size_t> ApplyScalarTexts(Analysis& a, const std::vector<int>& numbers,
                                            const std::vector<std::string>& boxTexts)
{
    const std::size_t n = std::min(numbers.size(), boxTexts.size());
    for (std::size_t k = 0; k < n; ++k)
        if (!ScalarValue(boxTexts[k]))
            return k;
    for (std::size_t k = 0; k < n; ++k) {
        const auto number = static_cast<std::size_t>(numbers[k]);
        a.LoadScalars[number] = *ScalarValue(boxTexts[k]);
        a.TypedScalars[number] = boxTexts[k];
    }
    return std::nullopt;
}

int ResultsWindowWidth(bool wideLayout)
{
    return wideLayout ? 385 : 270;
}

ResultsWindowLayout ResultsLayout(int width, int height)
{
    ResultsWindowLayout l;
    l.list = {5, 50, std::max(0, width - 24), std::max(0, height - 105)};
    const int y = height - 52;
    l.print = {25, y, 60, 25};
    l.copy = {100, y, 60, 25};
    l.cancel = {175, y, 60, 25};
    return l;
}

std::string ResultWhat(int kind)
{
    switch (kind) {
    case 1:
        return "displacements";
    case 2:
        return "reactions";
    case 3:
        return "beam forces";
    case 4:
        return "quad stresses";
    default:
        return std::string();
    }
}

std::string PrintResultsQuestion(int kind)
{
    return "Print these " + ResultWhat(kind) + " Now?";
}

std::string CopyResultsQuestion(int kind)
{
    return "Copy these " + ResultWhat(kind) + " to clipboard?";
}

bool ResultsMatchModel(const Analysis& a)
{
    const ModelStore& m = a.Model;
    const ResultSet& r = a.Results;
    const int neq = a.System.NEQ;
    // Rows 1..count must exist wherever a listing reads count items.
    auto covers = [](long long last, long long count) { return count <= 0 || last >= count; };
    if (neq < 0 || m.DOFTOTAL < neq)
        return false;
    return covers(m.GridIndex.Last(), m.maxGridId) && covers(m.Grids.Last(), m.nGrids) &&
           covers(a.System.GridEquations.Last(), m.nGrids) && covers(m.Beams.Last(), m.nBeams) &&
           covers(m.Quads.Last(), m.nQuads) && covers(r.SolutionVector.Last(), neq) &&
           covers(r.Reactions.Last(), m.DOFTOTAL) && covers(r.BeamEndForces.Last(), m.nBeams) &&
           covers(r.QuadStresses.LastRow(), m.nQuads);
}

int NextTabStop(int x, const std::vector<int>& stops, int defaultStep)
{
    for (int stop : stops)
        if (stop > x)
            return stop;
    const int step = std::max(1, defaultStep);
    return x + step;
}

} // namespace tavu
