#include "BatchRun.h"

#include "common/Numbers.h"
#include "driver/Commands.h"
#include "driver/Driver.h"
#include "model/Diagnostics.h"
#include "results/Listings.h"

#include <cmath>
#include <cstdlib>
#include <nlohmann/json.hpp>

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

std::string WithLf(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += text[i];
    }
    return out;
}

// The listings are 8-bit text (the rotation columns are headed by character 248, a
// slashed o); standard output gets them as UTF-8.
std::string Latin1ToUtf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
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

void RunBatch(BatchRun& run, const std::string& modelText, const std::vector<double>& scalars)
{
    Analysis& a = run.analysis;
    BatchWindow window(scalars);
    const std::string text = NormalizeLineEnds(modelText);

    // A step failed when it disabled Continue or did not reach its stage; the run ends
    // there with the step's status.
    const auto failed = [&](int reached, BatchStatus status) {
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

std::string BatchText(const BatchRun& run)
{
    std::string out = WithLf(run.readText) + "\n";
    if (!run.decompositionLog.empty())
        out += WithLf(run.decompositionLog) + "\n";
    if (!run.loadLog.empty())
        out += WithLf(run.loadLog) + "\n";
    if (run.solved) {
        for (int kind = DeflectionsKind; kind <= QuadStressesKind; ++kind) {
            out += "\n";
            out += ListingTitles[kind];
            out += "\n";
            out += Latin1ToUtf8(WithLf(ResultText(run.analysis, kind, false)));
        }
    }
    return out;
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

nlohmann::json GridResults(const Analysis& a)
{
    const ModelStore& m = a.Model;
    nlohmann::json grids = nlohmann::json::array();
    for (int id = 1; id <= m.maxGridId; ++id) {
        if (GridIndexOf(m, id) == 0)
            continue;
        std::array<double, 3> disp{}, reaction{};
        DeflectionValues(a, id, disp);
        nlohmann::json g;
        g["id"] = id;
        g["disp"] = Triple(disp);
        g["reaction"] = ReactionValues(a, id, reaction) ? Triple(reaction) : nullptr;
        grids.push_back(g);
    }
    return grids;
}

nlohmann::json BeamResults(const Analysis& a)
{
    const ModelStore& m = a.Model;
    nlohmann::json beams = nlohmann::json::array();
    for (int b = 1; b <= m.nBeams; ++b) {
        const BeamForces& f = a.Results.BeamEndForces(b);
        const BeamRow& beam = m.Beams(b);
        nlohmann::json e;
        e["id"] = beam.id;
        e["grids"] = {beam.gridA, beam.gridB};
        e["end_a"] = Triple({f[AxialA], f[ShearA], f[MomentA]});
        e["end_b"] = Triple({f[AxialB], f[ShearB], f[MomentB]});
        beams.push_back(e);
    }
    return beams;
}

nlohmann::json QuadResults(const Analysis& a)
{
    const ModelStore& m = a.Model;
    nlohmann::json quads = nlohmann::json::array();
    for (int q = 1; q <= m.nQuads; ++q) {
        const QuadRow& quad = m.Quads(q);
        nlohmann::json e;
        e["id"] = quad.id;
        e["grids"] = {quad.grid[1], quad.grid[2], quad.grid[3], quad.grid[4]};
        nlohmann::json stress = nlohmann::json::array();
        for (int p = 1; p <= 4; ++p)
            stress.push_back(Triple({a.Results.QuadStresses(q, StressX, p),
                                     a.Results.QuadStresses(q, StressY, p),
                                     a.Results.QuadStresses(q, StressXY, p)}));
        e["stress"] = stress;
        quads.push_back(e);
    }
    return quads;
}

} // namespace

std::string BatchJson(const BatchRun& run)
{
    const Analysis& a = run.analysis;
    nlohmann::json j;
    j["status"] = StatusName(run.status);
    j["read_text"] = WithLf(run.readText);
    j["decomposition_log"] = WithLf(run.decompositionLog);
    j["load_log"] = WithLf(run.loadLog);
    j["diagnostics"] = DiagnosticLines(a);
    j["warnings"] = nlohmann::json::array();
    for (const auto* list : {&a.State.ReadWarnings, &a.State.LoadWarnings})
        for (const Warning& w : *list)
            j["warnings"].push_back({{"line", w.line}, {"text", w.text}});
    // The equations in force: the system's once the decomposition step has built it.
    j["neq"] = a.System.built ? a.System.NEQ : a.Model.NEQ;
    const nlohmann::json none = nlohmann::json::array();
    j["grids"] = run.solved ? GridResults(a) : none;
    j["beams"] = run.solved ? BeamResults(a) : none;
    j["quads"] = run.solved ? QuadResults(a) : none;
    j["error_measure"] = run.solved ? Number(a.Results.ErrorMeasure) : nlohmann::json(nullptr);
    // Echoed model lines may hold bytes that are not UTF-8: they are replaced rather than
    // stopping the report.
    return j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
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
