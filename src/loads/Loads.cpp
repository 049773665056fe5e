#include "loads/Loads.h"

#include "common/Numbers.h"
#include "loads/ElementLoads.h"
#include "loads/LoadAssembly.h"
#include "model/Diagnostics.h"
#include "model/Keywords.h"
#include "model/PreScan.h"
#include "model/Tokenizer.h"
#include "solver/SparseSolver.h"
#include "solver/Transform.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace tavu {

namespace {

// Load records read up to 10 numbers and 2 words, like the pre-scan.
constexpr int LoadMaxNumbers = 10;
constexpr int LoadMaxWords = 2;

// The number fields of one load record after THRU has been taken out: N(1..10), and how
// many the record gave.
struct LoadFields
{
    std::array<double, LoadMaxNumbers + 2> n{};
    int count = 0;
    double N(int i) const
    {
        return i >= 1 && i <= LoadMaxNumbers ? n[static_cast<std::size_t>(i)] : 0;
    }
};

// Calls apply(index) for the item of every id first..last that names one, in id order, and
// returns how many it found. A range costs by the items in it, not by its span.
template <class Apply>
long long ForEachItem(const IdRows<int>& index, long long first, long long last, Apply apply)
{
    long long found = 0;
    index.ForEachRow(std::max(first, 1LL), last, [&](long long, int row) {
        if (row == 0)
            return;
        ++found;
        apply(row);
    });
    return found;
}

// LOAD and DISP: the three components, given in the grid's own axes, turned into the
// axes of its equations and scaled.
std::array<double, 3> GridComponents(const ModelStore& m, int g, const LoadFields& f, double s)
{
    double c = 1.0, sn = 0.0;
    if (m.Grids(g).axisCode <= 0) {
        const double gamma = m.Grids(g).axisAngle;
        c = std::cos(gamma);
        sn = std::sin(gamma);
    }
    return {(f.N(2) * c - f.N(3) * sn) * s, (f.N(2) * sn + f.N(3) * c) * s, f.N(4) * s};
}

// What a record found of the ids it names: how many items, and for QLOAD whether some
// quad lacks the edge.
struct Applied
{
    long long found = 0;
    bool edgeMissing = false;
};

// Calls dofLoad(equation number, load) for dofs 1..3 of every grid of the range, with the
// record's components turned as the grid's dofs need them. Returns the grids found.
template <class DofLoad>
long long ForEachGridDof(const Analysis& a, long long first, long long last, const LoadFields& f,
                         double s, DofLoad dofLoad)
{
    const ModelStore& m = a.Model;
    return ForEachItem(m.GridIndex, first, last, [&](int g) {
        const auto p = GridComponents(m, g, f, s);
        for (int k = 1; k <= 3; ++k)
            dofLoad(SystemEquation(a.System, g, k), p[static_cast<std::size_t>(k - 1)]);
    });
}

Applied ApplyLoad(Analysis& a, long long first, long long last, const LoadFields& f, double s)
{
    // Kept in x-y for the plot's load arrows.
    ForEachItem(a.Model.GridIndex, first, last, [&](int g) {
        const double gamma = a.Model.Grids(g).axisAngle;
        const double c = std::cos(gamma), sn = std::sin(gamma);
        std::array<double, 3>& load = a.Loads.GridLoads(g);
        load[0] += (f.N(2) * c - f.N(3) * sn) * s;
        load[1] += (f.N(2) * sn + f.N(3) * c) * s;
        load[2] += f.N(4) * s;
    });
    return {ForEachGridDof(a, first, last, f, s,
                           [&](long long e, double load) { AddLoadToDof(a, e, load); })};
}

Applied ApplyDisp(Analysis& a, long long first, long long last, const LoadFields& f, double s)
{
    return {ForEachGridDof(a, first, last, f, s, [&](long long e, double load) {
        // Only penalty-held dofs move; their equation holds 1.0E+99 on its diagonal.
        if (e < 0 && -e <= a.System.NEQ)
            a.Results.SolutionVector(-e) = load * PenaltyStiffness;
    })};
}

Applied ApplyBeamRecord(Analysis& a, Keyword kw, long long first, long long last,
                        const LoadFields& f, double s)
{
    const ModelStore& m = a.Model;
    Applied applied;
    applied.found = ForEachItem(m.BeamIndex, first, last, [&](int b) {
        BeamLoadRow& load = a.Loads.BeamLoads(b);
        if (kw == Keyword::Bload) {
            const double wA = f.N(2);
            const double wB = f.count == 2 ? wA : f.N(3);
            load.qA += wA * s;
            load.qB += wB * s;
        } else if (kw == Keyword::Binit) {
            load.elongation += f.N(2) * s;
            load.deflection += f.N(3) * s;
            load.rotation += f.N(4) * s;
        } else { // BTEMP
            const BeamRow& beam = m.Beams(b);
            const double L = beam.length;
            const double t = beam.expansion * s * L;
            load.elongation += t * f.N(2);
            // A gradient G bends the beam to the curvature alpha*G: end B lags by
            // alpha*G*L^2/2 and turns by alpha*G*L against end A.
            load.deflection -= t * f.N(3) * L / 2;
            load.rotation -= t * f.N(3);
        }
    });
    return applied;
}

Applied ApplyQuadRecord(Analysis& a, Keyword kw, long long first, long long last,
                        const LoadFields& f, double s)
{
    const ModelStore& m = a.Model;
    Applied applied;
    applied.found = ForEachItem(m.QuadIndex, first, last, [&](int q) {
        QuadLoadRow& load = a.Loads.QuadLoads(q);
        if (kw == Keyword::Qload) {
            const int edge = RoundToInt(f.N(2));
            if (edge < 1 || edge > 4 || (edge == 4 && IsTriangle(m.Quads(q)))) {
                applied.edgeMissing = true;
                return;
            }
            const double p1 = f.N(3);
            const double p2 = f.count == 3 ? p1 : f.N(4);
            load.pressureStart[static_cast<std::size_t>(edge)] += p1 * s;
            load.pressureEnd[static_cast<std::size_t>(edge)] += p2 * s;
        } else { // QTEMP
            std::array<double, 5> t{0, f.N(2), f.N(3), f.N(4), f.N(5)};
            if (IsTriangle(m.Quads(q)))
                t[4] = t[3];
            for (int k = 1; k <= 4; ++k)
                load.temperature[static_cast<std::size_t>(k)] +=
                    (f.count == 2 ? f.N(2) : t[static_cast<std::size_t>(k)]) * s;
        }
    });
    return applied;
}

// A diagnostic of the load step: into FatalText and, since the load step shows only its
// log, into the log too (a record's message with its echoed line).
void Report(Analysis& a, Msg code, int first, int second)
{
    const std::size_t from = a.State.FatalText.size();
    Diagnose(a, code, first, second);
    CopyDiagnosticsToLog(a, from);
}

// The load case and the results, all re-created zero, so that a repeated run starts from
// the same state as the first.
void StartLoadCase(Analysis& a)
{
    const ModelStore& m = a.Model;
    const int neq = a.System.NEQ;
    ResultSet& r = a.Results;
    r = ResultSet();
    r.SolutionVector.Create(neq);
    r.Reactions.Create(std::max({m.DOFTOTAL, neq, 0}));
    r.BeamEndForces.Create(m.nBeams);
    r.QuadStresses.Create(m.nQuads);
    LoadSet& loads = a.Loads;
    loads = LoadSet();
    loads.BeamLoads.Create(m.nBeams);
    loads.QuadLoads.Create(m.nQuads);
    loads.FixedEndForces.Create(m.nBeams);
    loads.SpanLoads.Create(m.nBeams);
    loads.GridLoads.Create(m.nGrids);
    loads.InitialStress.Create(m.nQuads);
}

// The ids a load record names: first..last, one id without THRU.
struct IdRange
{
    long long first = 0, last = 0;
    bool thru = false;
};

// The number fields of a load record and the ids it names, with THRU taken out of the
// fields. The ends of a range are clipped to the largest id a model may give, with a
// warning, so that no range runs without bound.
LoadFields FieldsOf(const Record& rec, IdRange& ids, std::vector<Warning>& warnings, int line)
{
    LoadFields f;
    f.count = std::min(rec.nNumbers, LoadMaxNumbers);
    for (int i = 1; i <= LoadMaxNumbers; ++i)
        f.n[static_cast<std::size_t>(i)] = rec.N(i);
    ids.thru = OptionOf(rec.Word[2]) == Option::Thru;
    // An id beyond any table names nothing; it is kept as given (as far as a long long
    // holds it) for the message that says so.
    const auto id = [](double v) {
        return std::isnan(v) ? 0LL
                             : static_cast<long long>(std::nearbyint(std::clamp(v, -1e18, 1e18)));
    };
    if (!ids.thru) {
        ids.first = ids.last = id(f.N(1));
        return f;
    }
    const double cap = MaxModelId;
    const double first = std::clamp(f.N(1), -cap, cap), last = std::clamp(f.N(2), -cap, cap);
    if (first != f.N(1) || last != f.N(2))
        AddWarning(warnings, line, Warn::RangeClipped, first, last);
    ids.first = id(first);
    ids.last = id(last);
    for (int i = 2; i <= 6; ++i)
        f.n[static_cast<std::size_t>(i)] = f.n[static_cast<std::size_t>(i + 1)];
    f.count = std::max(f.count - 1, 0);
    return f;
}

// The first number field of a load record that holds a load value (the fields before it
// are ids or the edge of a QLOAD).
int FirstValueField(Keyword kw)
{
    return kw == Keyword::Grav ? 1 : kw == Keyword::Qload ? 3 : 2;
}

// Whether the load values of a record, scaled by their subcase's scalar (and a prescribed
// displacement by the penalty diagonal that holds it), are finite.
bool ValuesFinite(Keyword kw, const LoadFields& f, double s)
{
    const double scale = kw == Keyword::Disp ? s * PenaltyStiffness : s;
    for (int i = FirstValueField(kw); i <= LoadMaxNumbers; ++i)
        if (!std::isfinite(f.N(i) * scale))
            return false;
    return true;
}

// Applies a load record to the ids it names and says what it did not find.
void ApplyLoadRecord(Analysis& a, Keyword kw, const IdRange& ids, const LoadFields& f, double s,
                     int line)
{
    std::vector<Warning>& warnings = a.State.LoadWarnings;
    const long long first = ids.first, last = ids.last;
    if (kw == Keyword::Grav) {
        // Added once for each id of the range, as every other record is applied.
        const long long times = ids.thru ? std::max(last - first + 1, 0LL) : 1;
        if (times > 0) {
            a.Loads.Gravity[0] += f.N(1) * s * static_cast<double>(times);
            a.Loads.Gravity[1] += f.N(2) * s * static_cast<double>(times);
        }
        if (ids.thru)
            AddWarning(warnings, line, Warn::GravityThru, static_cast<double>(times));
        return;
    }
    if (kw == Keyword::Qload) {
        const int edge = RoundToInt(f.N(2));
        if (edge < 1 || edge > 4) {
            AddWarning(warnings, line, Warn::NotFound, std::nearbyint(f.N(2)), 0, "Edge");
            return;
        }
    }
    Applied applied;
    const char* noun = "grid";
    if (kw == Keyword::Load) {
        applied = ApplyLoad(a, first, last, f, s);
    } else if (kw == Keyword::Disp) {
        applied = ApplyDisp(a, first, last, f, s);
    } else if (kw == Keyword::Bload || kw == Keyword::Binit || kw == Keyword::Btemp) {
        applied = ApplyBeamRecord(a, kw, first, last, f, s);
        noun = "beam";
    } else {
        applied = ApplyQuadRecord(a, kw, first, last, f, s);
        noun = "quad";
    }
    WarnAboutIds(warnings, line, noun, ids.thru, first, last, applied.found);
    if (applied.edgeMissing) // edge 4 of a triangle
        AddWarning(warnings, line, Warn::NotFound, std::nearbyint(f.N(2)), 0, "Edge");
}

// Whether the scalars dialog asked for the scalar of subcase k: it has a box for every
// subcase number from 1 to 10 present, and runs when the text has SUBCASE records.
bool ScalarAsked(const Analysis& a, int k)
{
    return k >= 1 && k < static_cast<int>(a.LoadScalars.size()) && a.State.SubcaseCount > 0;
}

// The scalar of subcase k; 0 for a number outside the subcases there can be.
double ScalarOf(const Analysis& a, int k)
{
    return k >= 0 && k < static_cast<int>(a.LoadScalars.size())
               ? a.LoadScalars[static_cast<std::size_t>(k)]
               : 0.0;
}

// Shows the warnings from `from` on in the log, each under its echoed line.
void LogWarnings(Analysis& a, std::size_t from)
{
    const std::vector<Warning>& warnings = a.State.LoadWarnings;
    if (from >= warnings.size())
        return;
    std::string lines = WarningLines(a, std::span(warnings).subspan(from));
    lines.resize(lines.size() - 2); // AppendLine puts the line end before each line
    AppendLine(a.Summary.LogText, lines);
}

// One line of the load section: read, applied with the scalar of its subcase, and said
// what it could not use. False when its load values are not finite (reported, the record
// left out).
bool ReadLoadLine(Analysis& a, Record& rec, int line)
{
    LoadSet& loads = a.Loads;
    std::vector<Warning>& warnings = a.State.LoadWarnings;
    const std::string_view recordText = RecordText(ModelLine(a, line));
    if (recordText.empty())
        return true;
    SplitFields(recordText, LoadMaxNumbers, LoadMaxWords, rec);
    if (rec.nWords < 0)
        Report(a, Msg::BadRecord, 0, line);
    WarnAboutFields(warnings, line, rec);

    const Keyword kw = KeywordOf(rec.Word[1]);
    if (!IsLoadKeyword(kw)) {
        AddWarning(warnings, line, Warn::NotLoadRecord);
        return true;
    }
    if (!TakesOption(kw, OptionOf(rec.Word[2])))
        AddWarning(warnings, line, Warn::UnknownOption, 0, 0, rec.Word[2]);
    if (kw == Keyword::Subcase) {
        loads.CurrentSubcase = RoundToInt(rec.N(1));
        // Its loads are left out by a 0 the user gave, or else said to be.
        if (ScalarOf(a, loads.CurrentSubcase) == 0 && !ScalarAsked(a, loads.CurrentSubcase))
            AddWarning(warnings, line, Warn::SubcaseWithoutScalar, std::nearbyint(rec.N(1)));
        return true;
    }
    const double s = ScalarOf(a, loads.CurrentSubcase);
    if (s == 0)
        return true;
    IdRange ids;
    const LoadFields f = FieldsOf(rec, ids, warnings, line);
    if (!ValuesFinite(kw, f, s)) {
        Report(a, Msg::NumberTooLarge, 0, line);
        return false;
    }
    ApplyLoadRecord(a, kw, ids, f, s, line);
    return true;
}

} // namespace

bool ReadLoadRecords(Analysis& a)
{
    StartLoadCase(a);

    // The model was read and decomposed without diagnostics, so FatalText holds only what
    // an earlier load run (or the scalars dialog reading the same records) put there:
    // this run reports the load section afresh.
    ClearDiagnostics(a);
    a.State.LoadWarnings.clear();
    a.Summary.LogText = "Reading and processing load data";

    Record rec;
    bool finite = true;
    for (int line = a.State.EndModelLine + 1; line <= a.Text.LineCount; ++line) {
        const std::size_t warned = a.State.LoadWarnings.size();
        finite = ReadLoadLine(a, rec, line) && finite;
        LogWarnings(a, warned);
    }
    return finite;
}

bool ReadLoads(Analysis& a)
{
    if (!ReadLoadRecords(a))
        return false;
    const ModelStore& m = a.Model;
    const std::size_t from = a.State.FatalText.size();
    bool finite = true;
    for (int b = 1; b <= m.nBeams; ++b)
        finite = BeamLoadVector(a, b) && finite;
    for (int q = 1; q <= m.nQuads; ++q)
        finite = QuadLoadVector(a, q) && finite;
    CopyDiagnosticsToLog(a, from);
    return finite;
}

void BackSubstitute(Analysis& a)
{
    AppendLine(a.Summary.LogText, "Running back substitution");

    // On the sparse path the factor solves in its own order.
    const int neq = a.System.NEQ;
    if (a.System.Sparse) {
        if (neq >= 1 && a.Results.SolutionVector.Last() >= neq)
            a.System.Sparse->Solve(a.Results.SolutionVector.Data());
        return;
    }
    // DiagPos(1..NEQ+1), in: column heads; KValues, in: D and the multipliers of L;
    // SolutionVector(1..NEQ), in: loads, out: displacements.
    const Vec<long long>& diag = a.System.Store.DiagPos;
    const Vec<double>& kv = a.System.Store.KValues;
    if (neq < 1 || diag.Last() < neq + 1 || a.Results.SolutionVector.Last() < neq ||
        kv.Last() < diag(neq + 1) - 1) {
        TAVU_ASSERT(neq < 1);
        return;
    }
    double* u = a.Results.SolutionVector.Data();
    const double* k = kv.Data();

    // Forward reduction: L y = f.
    for (int n = 2; n <= neq; ++n) {
        const long long dn = diag(n);
        const long long h = diag(n + 1) - dn;
        double un = u[n];
        for (long long mm = 1; mm < h; ++mm)
            un -= k[dn + mm] * u[n - mm];
        u[n] = un;
    }
    // Diagonal scaling: z = D^-1 y.
    for (int n = 1; n <= neq; ++n)
        u[n] /= k[diag(n)];
    // Back substitution, column by column from the last: Lt u = z.
    for (int n = neq; n >= 2; --n) {
        const long long dn = diag(n);
        const long long h = diag(n + 1) - dn;
        const double un = u[n];
        for (long long mm = 1; mm < h; ++mm)
            u[n - mm] -= k[dn + mm] * un;
    }
}

} // namespace tavu
