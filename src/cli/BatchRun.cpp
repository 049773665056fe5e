#include "BatchRun.h"

#include "common/Numbers.h"
#include "driver/Commands.h"
#include "driver/Driver.h"
#include "model/Diagnostics.h"
#include "results/BeamDiagrams.h"
#include "results/Listings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>

namespace tavu {

namespace {

// The summary window of a batch run: it records what the window would show and answers
// the scalars dialog with the values given on the command line.
class BatchWindow : public SummaryWindow
{
public:
    explicit BatchWindow(const std::vector<double>& scalars) : scalars_(scalars) {}

    void SetTitle(const std::string&) override {}
    void ShowText(const std::string&) override {}
    void DisableContinue() override { continueDisabled = true; }
    void FocusContinue() override {}
    void FocusCancel() override {}
    void TurnContinueIntoFinish() override {}
    bool AskLoadScalars(Analysis& a) override
    {
        // The values go to the subcase numbers present, in increasing order.
        const std::vector<int> numbers = SubcaseNumbers(a);
        for (std::size_t k = 0; k < numbers.size(); ++k)
            a.LoadScalars[static_cast<std::size_t>(numbers[k])] =
                k < scalars_.size() ? scalars_[k] : 1.0;
        return true;
    }
    void OutOfMemory(const std::string& text) override { outOfMemory = text; }
    void Close() override {}
    void FocusEditor() override {}

    bool continueDisabled = false;
    std::string outOfMemory;

private:
    const std::vector<double>& scalars_;
};

// Appends text with every CR LF turned into LF.
void AppendWithLf(std::string& out, const std::string& text)
{
    std::size_t start = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos;
         at = text.find("\r\n", start)) {
        out.append(text, start, at - start);
        start = at + 1; // the LF stays
    }
    out.append(text, start);
}

std::string WithLf(const std::string& text)
{
    std::string out;
    AppendWithLf(out, text);
    return out;
}

// The listings are 8-bit text (the rotation columns are headed by character 248, a
// slashed o); the report gets them as UTF-8. Appends one line and its LF.
void AppendUtf8Line(std::string& out, const std::string& line)
{
    unsigned char bits = 0; // the bytes or-ed together: no early exit, so the loop vectorizes
    for (const char c : line)
        bits |= static_cast<unsigned char>(c);
    if ((bits & 0x80) == 0) {
        out += line;
        out += '\n';
        return;
    }
    for (const char ch : line) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    out += '\n';
}

const char* const ListingTitles[] = {"", "Deflections", "Reactions", "Beam Forces",
                                     "Quad Stresses"};

// The report goes out in pieces of about this size: its memory stays the same whatever the
// size of the model.
constexpr std::size_t OutputChunk = 1 << 16;

// Text gathered into a buffer that is written out whenever it has grown past a chunk.
class ChunkedOutput
{
public:
    explicit ChunkedOutput(std::ostream& out) : out_(out) { buffer_.reserve(2 * OutputChunk); }
    ~ChunkedOutput() { Flush(); }
    ChunkedOutput(const ChunkedOutput&) = delete;
    ChunkedOutput& operator=(const ChunkedOutput&) = delete;

    std::string& Text() { return buffer_; }
    void Ready()
    {
        if (buffer_.size() >= OutputChunk)
            Flush();
    }
    void Flush()
    {
        out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
        buffer_.clear();
    }

private:
    std::ostream& out_;
    std::string buffer_;
};

} // namespace

void RunBatch(BatchRun& run, std::string modelText, const std::vector<double>& scalars,
              const StepDone& stepDone)
{
    Analysis& a = run.analysis;
    BatchWindow window(scalars);

    // A step failed when it disabled Continue or did not reach its stage; the run ends
    // there with the step's status.
    const auto failed = [&](int reached, BatchStatus status) {
        if (stepDone)
            stepDone(reached == ModelRead    ? "model"
                     : reached == Decomposed ? "decomposition"
                                             : "load cases");
        run.outOfMemory = window.outOfMemory;
        if (!window.continueDisabled && a.State.Stage == reached)
            return false;
        run.status = status;
        return true;
    };
    ResetSolution(a);
    StartStepTakingText(a, window, std::move(modelText));
    run.readText = a.Summary.ReadText;
    if (failed(ModelRead, BatchStatus::ModelError))
        return;
    ContinueStep(a, window);
    run.decompositionLog = a.Summary.LogText;
    if (failed(Decomposed, BatchStatus::DecompositionFailed))
        return;
    ContinueStep(a, window);
    // The scalars fill the dialog's boxes, one per subcase number: more are said to be unused.
    const std::size_t boxes = SubcaseNumbers(a).size();
    if (a.State.Stage == Solved && scalars.size() > boxes) {
        AddWarning(a.State.LoadWarnings, 0, Warn::ExtraScalars, static_cast<double>(scalars.size()),
                   static_cast<double>(boxes));
        AppendLine(a.Summary.LogText, a.State.LoadWarnings.back().text);
    }
    run.loadLog = a.Summary.LogText;
    if (failed(Solved, BatchStatus::SolutionFailed))
        return;
    run.status = BatchStatus::Solved;
    run.solved = true;
}

int ExitStatusOf(const BatchRun& run)
{
    switch (run.status) {
    case BatchStatus::Solved:
        return ExitSolved;
    case BatchStatus::DecompositionFailed:
        return ExitDecompositionFailed;
    case BatchStatus::SolutionFailed:
        return ExitSolutionFailed;
    default:
        return ExitModelError;
    }
}

void WriteBatchText(std::ostream& out, const BatchRun& run)
{
    ChunkedOutput chunks(out);
    std::string& text = chunks.Text();
    AppendWithLf(text, run.readText);
    text += '\n';
    for (const std::string* log : {&run.decompositionLog, &run.loadLog}) {
        if (log->empty())
            continue;
        AppendWithLf(text, *log);
        text += '\n';
    }
    if (!run.solved)
        return;
    for (int kind = DeflectionsKind; kind <= QuadStressesKind; ++kind) {
        text += '\n';
        text += ListingTitles[kind];
        text += '\n';
        WriteResultLines(run.analysis, kind, false, [&chunks, &text](const std::string& line) {
            AppendUtf8Line(text, line);
            chunks.Ready();
        });
    }
}

std::string BatchText(const BatchRun& run)
{
    std::ostringstream out;
    WriteBatchText(out, run);
    return out.str();
}

namespace {

const char* StatusName(BatchStatus status)
{
    switch (status) {
    case BatchStatus::Solved:
        return "solved";
    case BatchStatus::DecompositionFailed:
        return "decomposition_failed";
    case BatchStatus::SolutionFailed:
        return "solution_failed";
    default:
        return "model_error";
    }
}

// One entry per line of FatalText.
nlohmann::json DiagnosticLines(const Analysis& a)
{
    nlohmann::json diagnostics = nlohmann::json::array();
    const std::string fatal = WithLf(a.State.FatalText);
    std::size_t start = 0;
    while (start < fatal.size()) {
        std::size_t end = fatal.find('\n', start);
        if (end == std::string::npos)
            end = fatal.size();
        diagnostics.push_back(fatal.substr(start, end - start));
        start = end + 1;
    }
    return diagnostics;
}

// The indent of nesting depth `depth`: two blanks a level, as nlohmann::json::dump(2).
void Indent(std::string& out, int depth)
{
    out.append(static_cast<std::size_t>(2 * depth), ' ');
}

// A value of nlohmann::json at nesting depth `depth`: the line breaks of its own layout are
// indented by two blanks a level. Echoed model lines may hold bytes that are not UTF-8:
// they are replaced rather than stopping the report.
void AppendJson(std::string& out, const nlohmann::json& value, int depth)
{
    const std::string text = value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    std::size_t start = 0;
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', start)) {
        out.append(text, start, at + 1 - start);
        Indent(out, depth);
        start = at + 1;
    }
    out.append(text, start);
}

void AppendInt(std::string& out, int n)
{
    char buf[16];
    out.append(buf, std::to_chars(buf, buf + sizeof buf, n).ptr);
}

// A JSON array or object at nesting depth `depth`, laid out as dump(2) lays it out: each
// element or member on a line of its own, indented one level deeper; "[]" or "{}" when
// empty. Object members must come with their keys sorted, as dump() gives them.
class JsonNest
{
public:
    JsonNest(std::string& out, int depth, char open) : out_(out), depth_(depth), open_(open) {}

    // Starts the next array element.
    std::string& Element()
    {
        Separate();
        return out_;
    }
    // Starts the next object member.
    std::string& Key(const char* key)
    {
        Separate();
        out_ += '"';
        out_ += key;
        out_ += "\": ";
        return out_;
    }
    void Close()
    {
        if (count_ == 0) {
            out_ += open_;
        } else {
            out_ += '\n';
            Indent(out_, depth_);
        }
        out_ += open_ == '[' ? ']' : '}';
    }

private:
    void Separate()
    {
        if (count_++ == 0)
            out_ += open_;
        else
            out_ += ',';
        out_ += '\n';
        Indent(out_, depth_ + 1);
    }

    std::string& out_;
    int depth_;
    char open_;
    int count_ = 0;
};

void AppendNumbers(std::string& out, std::initializer_list<double> values, int depth)
{
    JsonNest array(out, depth, '[');
    for (double v : values)
        AppendJsonNumber(array.Element(), v);
    array.Close();
}

void AppendInts(std::string& out, std::initializer_list<int> values, int depth)
{
    JsonNest array(out, depth, '[');
    for (int v : values)
        AppendInt(array.Element(), v);
    array.Close();
}

// The objects of the report's arrays stand at this depth.
constexpr int ItemDepth = 2;

void AppendTriple(std::string& out, const std::array<double, 3>& v)
{
    AppendNumbers(out, {v[0], v[1], v[2]}, ItemDepth + 1);
}

// The object of a grid id.
void AppendGrid(std::string& out, const Analysis& a, int id)
{
    std::array<double, 3> disp{}, reaction{};
    DeflectionValues(a, id, disp);
    JsonNest g(out, ItemDepth, '{');
    AppendTriple(g.Key("disp"), disp);
    AppendInt(g.Key("id"), id);
    if (ReactionValues(a, id, reaction))
        AppendTriple(g.Key("reaction"), reaction);
    else
        g.Key("reaction") += "null";
    g.Close();
}

void AppendBeam(std::string& out, const Analysis& a, int b)
{
    const BeamForces& f = a.Results.BeamEndForces(b);
    const BeamRow& beam = a.Model.Beams(b);
    JsonNest e(out, ItemDepth, '{');
    AppendTriple(e.Key("end_a"), {f[AxialA], f[ShearA], f[MomentA]});
    AppendTriple(e.Key("end_b"), {f[AxialB], f[ShearB], f[MomentB]});
    // Along the beam, x from end A.
    const BeamDiagram d = ComputeBeamDiagram(MemberStateOf(a, b));
    JsonNest extremes(e.Key("extremes"), ItemDepth + 1, '{');
    for (const auto& [name, k] :
         {std::pair{"M", DiagramM}, std::pair{"N", DiagramN}, std::pair{"V", DiagramV}}) {
        const DiagramExtreme& x = d.extreme[static_cast<std::size_t>(k)];
        JsonNest values(extremes.Key(name), ItemDepth + 2, '{');
        AppendJsonNumber(values.Key("max"), x.max);
        AppendJsonNumber(values.Key("max_at"), x.maxAt);
        AppendJsonNumber(values.Key("min"), x.min);
        AppendJsonNumber(values.Key("min_at"), x.minAt);
        values.Close();
    }
    extremes.Close();
    AppendInts(e.Key("grids"), {beam.gridA, beam.gridB}, ItemDepth + 1);
    AppendInt(e.Key("id"), beam.id);
    e.Close();
}

// Per quad: the corner stresses of the listing, then the stresses at the integration
// points (-a,-a), (-a,+a), (+a,-a), (+a,+a).
void AppendQuad(std::string& out, const Analysis& a, int q)
{
    const QuadRow& quad = a.Model.Quads(q);
    JsonNest e(out, ItemDepth, '{');
    std::array<StressState, 5> corner{};
    const int n = QuadCornerStresses(a, q, corner);
    JsonNest corners(e.Key("corners"), ItemDepth + 1, '[');
    for (std::size_t k = 1; k <= static_cast<std::size_t>(n); ++k) {
        const StressState& c = corner[k];
        AppendNumbers(corners.Element(), {c.sx, c.sy, c.sxy, c.principal, c.vonMises},
                      ItemDepth + 2);
    }
    corners.Close();
    AppendInts(e.Key("grids"), {quad.grid[1], quad.grid[2], quad.grid[3], quad.grid[4]},
               ItemDepth + 1);
    AppendInt(e.Key("id"), quad.id);
    JsonNest stress(e.Key("stress"), ItemDepth + 1, '[');
    for (int p = 1; p <= 4; ++p)
        AppendNumbers(stress.Element(),
                      {a.Results.QuadStresses(q, StressX, p), a.Results.QuadStresses(q, StressY, p),
                       a.Results.QuadStresses(q, StressXY, p)},
                      ItemDepth + 2);
    stress.Close();
    e.Close();
}

// The JSON report, laid out exactly as nlohmann::json::dump(2) lays out the whole object,
// but written member by member and the long arrays of results element by element, so that
// no tree of the report is built and its memory stays the same whatever the model's size.
// Members come in the order dump() gives them: keys sorted.
class JsonReport
{
public:
    explicit JsonReport(std::ostream& out) : chunks_(out), members_(chunks_.Text(), 0, '{') {}

    void Member(const char* key, const nlohmann::json& value)
    {
        AppendJson(Key(key), value, 1);
        chunks_.Ready();
    }
    void NumberMember(const char* key, double value) { AppendJsonNumber(Key(key), value); }

    // An array member: each(add) calls add(append) for every element, and append(out)
    // appends the element at the items' depth.
    template <class Each> void ArrayMember(const char* key, Each each)
    {
        JsonNest array(Key(key), ItemDepth - 1, '[');
        each([&](const auto& append) {
            append(array.Element());
            chunks_.Ready();
        });
        array.Close();
    }

    void End()
    {
        members_.Close();
        chunks_.Text() += '\n';
        chunks_.Flush();
    }

private:
    std::string& Key(const char* key)
    {
        TAVU_ASSERT(lastKey_ < key);
        lastKey_ = key;
        return members_.Key(key);
    }

    ChunkedOutput chunks_;
    JsonNest members_;
    std::string lastKey_;
};

} // namespace

void AppendJsonNumber(std::string& out, double x)
{
    if (!std::isfinite(x)) {
        out += "null";
        return;
    }
    if (std::signbit(x))
        out += '-';
    if (x == 0) {
        out += "0.0";
        return;
    }
    // The shortest digits, laid out as printf's %g would with a precision of 15 (plain
    // decimal from 1E-4 to below 1E+15, an integer value with ".0") and an exponent of at
    // least two digits otherwise.
    DecimalLayout layout;
    layout.zerosUpTo = 3;
    layout.zeroBeforePoint = true;
    layout.integerEnd = ".0";
    layout.exponentMark = 'e';
    layout.exponentDigits = 2;
    AppendDecimal(out, ShortestDigits(std::fabs(x)), layout);
}

void WriteBatchJson(std::ostream& out, const BatchRun& run)
{
    const Analysis& a = run.analysis;
    // The results of a run that did not solve are empty arrays.
    const auto items = [&run, &a](int kind, void (*append)(std::string&, const Analysis&, int)) {
        return [&run, &a, kind, append](const auto& add) {
            if (!run.solved)
                return;
            ForEachResultItem(
                a, kind, [&](int item) { add([&](std::string& text) { append(text, a, item); }); });
        };
    };
    JsonReport j(out);
    j.ArrayMember("beams", items(BeamForcesKind, AppendBeam));
    j.Member("decomposition_log", WithLf(run.decompositionLog));
    j.Member("diagnostics", DiagnosticLines(a));
    if (run.solved)
        j.NumberMember("error_measure", a.Results.ErrorMeasure);
    else
        j.Member("error_measure", nullptr);
    j.ArrayMember("grids", items(DeflectionsKind, AppendGrid));
    j.Member("load_log", WithLf(run.loadLog));
    // The equations in force: the system's once the decomposition step has built it.
    j.Member("neq", a.System.built ? a.System.NEQ : a.Model.NEQ);
    j.ArrayMember("quads", items(QuadStressesKind, AppendQuad));
    j.Member("read_text", WithLf(run.readText));
    // The factorization the decomposition step took; null when it did not run.
    j.Member("solver",
             a.System.built ? nlohmann::json(SolverName(a.System.Path)) : nlohmann::json(nullptr));
    j.Member("status", StatusName(run.status));
    j.ArrayMember("warnings", [&a](const auto& add) {
        for (const auto* list : {&a.State.ReadWarnings, &a.State.LoadWarnings})
            for (const Warning& w : *list)
                add([&w](std::string& text) {
                    AppendJson(text, nlohmann::json{{"line", w.line}, {"text", w.text}}, ItemDepth);
                });
    });
    j.End();
}

std::string BatchJson(const BatchRun& run)
{
    std::ostringstream out;
    WriteBatchJson(out, run);
    return out.str();
}

std::optional<std::vector<double>> ParseScalars(const std::string& list)
{
    std::vector<double> values;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(',', start);
        const std::string item =
            list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const std::optional<double> v = ScalarValue(item);
        if (!v)
            return std::nullopt;
        values.push_back(*v);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return values;
}

} // namespace tavu
