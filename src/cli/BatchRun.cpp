#include "BatchRun.h"

#include "common/Numbers.h"
#include "driver/Commands.h"
#include "driver/Driver.h"
#include "model/Diagnostics.h"
#include "results/Listings.h"

#include <algorithm>
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

// Writes text with every CR LF turned into LF.
void WriteWithLf(std::ostream& out, const std::string& text)
{
    std::size_t start = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos;
         at = text.find("\r\n", start)) {
        out.write(text.data() + start, static_cast<std::streamsize>(at - start));
        start = at + 1; // the LF stays
    }
    out.write(text.data() + start, static_cast<std::streamsize>(text.size() - start));
}

std::string WithLf(const std::string& text)
{
    std::ostringstream out;
    WriteWithLf(out, text);
    return out.str();
}

// The listings are 8-bit text (the rotation columns are headed by character 248, a
// slashed o); the report gets them as UTF-8. Writes one line and its LF.
void WriteUtf8Line(std::ostream& out, const std::string& line)
{
    if (std::all_of(line.begin(), line.end(), [](char c) { return (c & 0x80) == 0; })) {
        out.write(line.data(), static_cast<std::streamsize>(line.size())).put('\n');
        return;
    }
    for (const char ch : line) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out.put(ch);
        } else {
            out.put(static_cast<char>(0xC0 | (c >> 6)));
            out.put(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    out.put('\n');
}

const char* const ListingTitles[] = {"", "Deflections", "Reactions", "Beam Forces",
                                     "Quad Stresses"};

nlohmann::json Number(double x)
{
    if (!std::isfinite(x))
        return nullptr;
    return x;
}

nlohmann::json Triple(const std::array<double, 3>& v)
{
    return nlohmann::json::array({Number(v[0]), Number(v[1]), Number(v[2])});
}

} // namespace

void RunBatch(BatchRun& run, const std::string& modelText, const std::vector<double>& scalars,
              const StepDone& stepDone)
{
    Analysis& a = run.analysis;
    BatchWindow window(scalars);
    const std::string text = NormalizeLineEnds(modelText);

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
    StartStep(a, window, text);
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
    WriteWithLf(out, run.readText);
    out << "\n";
    for (const std::string* log : {&run.decompositionLog, &run.loadLog}) {
        if (log->empty())
            continue;
        WriteWithLf(out, *log);
        out << "\n";
    }
    if (!run.solved)
        return;
    for (int kind = DeflectionsKind; kind <= QuadStressesKind; ++kind) {
        out << "\n" << ListingTitles[kind] << "\n";
        WriteResultLines(run.analysis, kind, false,
                         [&out](const std::string& line) { WriteUtf8Line(out, line); });
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

// A JSON object written member by member, laid out exactly as nlohmann::json::dump(2)
// lays out the whole object, so that the long arrays of results go out one element at a
// time and no tree of the whole report is built. Members come in the order dump() gives
// them: keys sorted.
class JsonObjectWriter
{
public:
    explicit JsonObjectWriter(std::ostream& out) : out_(out) { out_ << "{"; }

    void Member(const std::string& key, const nlohmann::json& value)
    {
        Key(key);
        Value(value, 1);
    }

    // An array member: each(add) calls add(element) for every element in order.
    template <class Each> void ArrayMember(const std::string& key, Each each)
    {
        Key(key);
        bool empty = true;
        each([&](const nlohmann::json& element) {
            out_ << (empty ? "[\n" : ",\n") << "    ";
            Value(element, 2);
            empty = false;
        });
        out_ << (empty ? "[]" : "\n  ]");
    }

    void End() { out_ << (lastKey_.empty() ? "}" : "\n}"); }

private:
    void Key(const std::string& key)
    {
        TAVU_ASSERT(lastKey_ < key);
        out_ << (lastKey_.empty() ? "\n" : ",\n") << "  " << nlohmann::json(key).dump() << ": ";
        lastKey_ = key;
    }

    // A value at nesting depth `depth`: the line breaks of its own layout are indented by
    // two blanks a level. Echoed model lines may hold bytes that are not UTF-8: they are
    // replaced rather than stopping the report.
    void Value(const nlohmann::json& value, int depth)
    {
        const std::string text =
            value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
        const std::string indent(static_cast<std::size_t>(2 * depth), ' ');
        std::size_t start = 0;
        for (std::size_t at = text.find('\n'); at != std::string::npos;
             at = text.find('\n', start)) {
            out_.write(text.data() + start, static_cast<std::streamsize>(at + 1 - start));
            out_ << indent;
            start = at + 1;
        }
        out_.write(text.data() + start, static_cast<std::streamsize>(text.size() - start));
    }

    std::ostream& out_;
    std::string lastKey_;
};

using JsonAdd = std::function<void(const nlohmann::json&)>;

void GridResults(const Analysis& a, const JsonAdd& add)
{
    ForEachResultItem(a, DeflectionsKind, [&](int id) {
        std::array<double, 3> disp{}, reaction{};
        DeflectionValues(a, id, disp);
        nlohmann::json g;
        g["id"] = id;
        g["disp"] = Triple(disp);
        g["reaction"] = ReactionValues(a, id, reaction) ? Triple(reaction) : nullptr;
        add(g);
    });
}

void BeamResults(const Analysis& a, const JsonAdd& add)
{
    const ModelStore& m = a.Model;
    for (int b = 1; b <= m.nBeams; ++b) {
        const BeamForces& f = a.Results.BeamEndForces(b);
        const BeamRow& beam = m.Beams(b);
        nlohmann::json e;
        e["id"] = beam.id;
        e["grids"] = {beam.gridA, beam.gridB};
        e["end_a"] = Triple({f[AxialA], f[ShearA], f[MomentA]});
        e["end_b"] = Triple({f[AxialB], f[ShearB], f[MomentB]});
        add(e);
    }
}

// Per quad: the corner stresses of the listing, then the stresses at the integration
// points (-a,-a), (-a,+a), (+a,-a), (+a,+a).
void QuadResults(const Analysis& a, const JsonAdd& add)
{
    const ModelStore& m = a.Model;
    for (int q = 1; q <= m.nQuads; ++q) {
        const QuadRow& quad = m.Quads(q);
        nlohmann::json e;
        e["id"] = quad.id;
        e["grids"] = {quad.grid[1], quad.grid[2], quad.grid[3], quad.grid[4]};
        std::array<StressState, 5> corner{};
        const int n = QuadCornerStresses(a, q, corner);
        nlohmann::json corners = nlohmann::json::array();
        for (std::size_t k = 1; k <= static_cast<std::size_t>(n); ++k) {
            const StressState& c = corner[k];
            corners.push_back(nlohmann::json::array({Number(c.sx), Number(c.sy), Number(c.sxy),
                                                     Number(c.principal), Number(c.vonMises)}));
        }
        e["corners"] = corners;
        nlohmann::json stress = nlohmann::json::array();
        for (int p = 1; p <= 4; ++p)
            stress.push_back(Triple({a.Results.QuadStresses(q, StressX, p),
                                     a.Results.QuadStresses(q, StressY, p),
                                     a.Results.QuadStresses(q, StressXY, p)}));
        e["stress"] = stress;
        add(e);
    }
}

} // namespace

void WriteBatchJson(std::ostream& out, const BatchRun& run)
{
    const Analysis& a = run.analysis;
    // The results of a run that did not solve are empty arrays.
    const auto results = [&run, &a](void (*list)(const Analysis&, const JsonAdd&)) {
        return [&run, &a, list](const JsonAdd& add) {
            if (run.solved)
                list(a, add);
        };
    };
    JsonObjectWriter j(out);
    j.ArrayMember("beams", results(BeamResults));
    j.Member("decomposition_log", WithLf(run.decompositionLog));
    j.Member("diagnostics", DiagnosticLines(a));
    j.Member("error_measure",
             run.solved ? Number(a.Results.ErrorMeasure) : nlohmann::json(nullptr));
    j.ArrayMember("grids", results(GridResults));
    j.Member("load_log", WithLf(run.loadLog));
    // The equations in force: the system's once the decomposition step has built it.
    j.Member("neq", a.System.built ? a.System.NEQ : a.Model.NEQ);
    j.ArrayMember("quads", results(QuadResults));
    j.Member("read_text", WithLf(run.readText));
    // The factorization the decomposition step took; null when it did not run.
    j.Member("solver",
             a.System.built ? nlohmann::json(SolverName(a.System.Path)) : nlohmann::json(nullptr));
    j.Member("status", StatusName(run.status));
    j.ArrayMember("warnings", [&a](const JsonAdd& add) {
        for (const auto* list : {&a.State.ReadWarnings, &a.State.LoadWarnings})
            for (const Warning& w : *list)
                add(nlohmann::json{{"line", w.line}, {"text", w.text}});
    });
    j.End();
    out << "\n";
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
