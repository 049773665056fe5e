#include "model/Reader.h"

#include "common/Numbers.h"
#include "model/BeamCoefficients.h"
#include "model/Diagnostics.h"
#include "model/Keywords.h"
#include "model/Numbering.h"
#include "model/ReaderTables.h"
#include "model/Tokenizer.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

namespace tavu {

namespace {

enum class GridForm
{
    Cartesian,
    Polar,  // about the grid `ref` (0: the origin)
    Equate, // a copy of grid `ref`
};

// Where a grid's position comes from (per grid index), and its record's line. x and y
// start as the record's first two numbers and become the position once the grid pass has
// resolved the grid.
struct GridSource
{
    int id = 0;
    int line = 0;
    GridForm form = GridForm::Cartesian;
    int ref = 0;
    bool badLine = false; // the line already has its "Bad record"
    double x = 0, y = 0;
};

// A diagnostic of the record pass with the line it belongs to: they are issued in line
// order once the pass knows the number of grids.
struct PendingDiagnostic
{
    int line;
    Msg code;
    int first;
    int second;
};

struct ReaderWork
{
    ReaderTables tables;
    std::vector<GridSource> grids; // (0..rows of Grids)
    int firstConstraintLine = 0;
    std::vector<PendingDiagnostic> pending;
    bool dofsSeen = false, restraintsSeen = false, endFound = false;
};

int LastLine(const Analysis& a)
{
    return a.Text.LineCount;
}

// One record of the record pass: its fields and how it reports.
struct RecordContext
{
    ReaderWork& w;
    const Record& rec;
    int line;
    bool lineBad = false; // at most one "Bad record" per line

    void Raise(Msg code, int first, int second)
    {
        w.pending.push_back({line, code, first, second});
    }
    void Bad()
    {
        if (!lineBad)
            Raise(Msg::BadRecord, 0, line);
        lineBad = true;
    }
    int Id() const { return RoundToInt(rec.N(1)); }
};

void ReadGridRecord(ModelStore& m, RecordContext& r, Option opt)
{
    if (m.nGrids >= m.Grids.Last()) { // more GRID records than the pre-scan saw
        r.Bad();
        return;
    }
    const int n = ++m.nGrids;
    const int id = r.Id();
    GridSource& src = r.w.grids[static_cast<std::size_t>(n)];
    src.id = id;
    src.line = r.line;
    if (id < 1 || id > m.maxGridId) {
        r.Bad();
    } else {
        if (m.GridIndex(id) != 0)
            r.Raise(Msg::DuplicateGrid, id, r.line);
        m.GridIndex(id) = n;
    }
    if (r.rec.nNumbers < 2)
        r.Bad();
    src.badLine = r.lineBad;
    src.x = r.rec.N(2);
    src.y = r.rec.N(3);
    GridRow& g = m.Grids(n);
    g.line = r.line;
    if (opt == Option::Polar) {
        g.axisCode = PolarAxes;
        src.form = GridForm::Polar;
        src.ref = RoundToInt(r.rec.N(4));
        g.axisAngle = DEG * (r.rec.nNumbers == 5 ? r.rec.N(5) : r.rec.N(3));
    } else if (opt == Option::Eq) {
        src.form = GridForm::Equate;
        src.ref = RoundToInt(r.rec.N(2));
    } else {
        g.axisAngle = DEG * r.rec.N(4);
    }
}

// The next row of an element table for this record, entered in the id map; 0 (a bad
// record) when the pre-scan saw fewer such records. Element ids are positive and name one
// element each: an id below 1 is a bad record, a repeated id the diagnostic `duplicate`.
int NextElementRow(int& count, long long lastRow, IdRows<int>& index, int maxId, RecordContext& r,
                   Msg duplicate)
{
    if (count >= lastRow) {
        r.Bad();
        return 0;
    }
    const int row = ++count;
    const int id = r.Id();
    if (id < 1 || id > maxId) {
        r.Bad();
    } else {
        if (index(id) != 0)
            r.Raise(duplicate, id, r.line);
        index(id) = row;
    }
    return row;
}

void ReadBeamRecord(ModelStore& m, RecordContext& r, Option opt)
{
    const int b =
        NextElementRow(m.nBeams, m.Beams.Last(), m.BeamIndex, m.maxBeamId, r, Msg::DuplicateBeam);
    if (b == 0)
        return;
    const Record& rec = r.rec;
    const int id = r.Id();
    if (rec.nNumbers < 3)
        r.Bad();
    if (rec.N(3) == rec.N(2))
        r.Raise(Msg::DuplicateGrid, id, r.line);
    BeamRow& beam = m.Beams(b);
    beam.kind = opt == Option::Pin    ? PinBeam
                : opt == Option::Bend ? BendBeam
                : opt == Option::Curv ? CurvBeam
                                      : PlainBeam;
    beam.id = id;
    beam.line = r.line;
    beam.gridA = RoundToInt(rec.N(2));
    beam.gridB = RoundToInt(rec.N(3));
    beam.propId = RoundToInt(rec.N(4));
    beam.matlId = RoundToInt(rec.N(5));
    beam.offsetA = rec.N(6);
    beam.offsetB = rec.N(7);
    const int far = RoundToInt(std::max(rec.N(2), rec.N(3)));
    if (m.nGrids < far)
        r.Raise(Msg::BeamGridMissing, far, id);
}

void ReadQuadRecord(ModelStore& m, RecordContext& r)
{
    const int q =
        NextElementRow(m.nQuads, m.Quads.Last(), m.QuadIndex, m.maxQuadId, r, Msg::DuplicateQuad);
    if (q == 0)
        return;
    const Record& rec = r.rec;
    const int id = r.Id();
    if (rec.nNumbers < 4)
        r.Bad();
    static constexpr int pairs[6][2] = {{3, 2}, {4, 2}, {5, 2}, {4, 3}, {5, 3}, {5, 4}};
    for (const auto& p : pairs)
        if (rec.N(p[0]) == rec.N(p[1]))
            r.Raise(Msg::DuplicateGrid, id, r.line);
    QuadRow& quad = m.Quads(q);
    quad.id = id;
    quad.line = r.line;
    for (int k = 1; k <= 4; ++k)
        quad.grid[static_cast<std::size_t>(k)] = RoundToInt(rec.N(k + 1));
    if (quad.grid[4] == 0)
        quad.grid[4] = quad.grid[3];
    quad.propId = RoundToInt(rec.N(6));
    quad.matlId = RoundToInt(rec.N(7));
}

void ReadPropRecord(RecordContext& r)
{
    const Record& rec = r.rec;
    if (rec.nNumbers < 2)
        r.Bad();
    IdRows<PropRow>& props = r.w.tables.PropTable;
    if (!props.Has(r.Id()))
        r.Raise(Msg::PropIdOutOfRange, r.Id(), r.line);
    else
        props(r.Id()) = {rec.N(2), rec.N(3), rec.N(4), rec.N(5)};
}

void ReadMatlRecord(RecordContext& r, Option opt)
{
    const Record& rec = r.rec;
    if (rec.nNumbers < 2)
        r.Bad();
    IdRows<MatlRow>& matls = r.w.tables.MatlTable;
    if (!matls.Has(r.Id())) {
        r.Raise(Msg::MatlIdOutOfRange, r.Id(), r.line);
        return;
    }
    const MaterialMode mode = opt == Option::Strain  ? MaterialMode::PlaneStrain
                              : opt == Option::Shear ? MaterialMode::ShearPanel
                                                     : MaterialMode::PlaneStress;
    matls(r.Id()) = {rec.N(2), rec.N(3), rec.N(4), rec.N(5), mode};
}

// The constraint records (read later, by the numbering) must come in the order DOFS DEF,
// DOFS, then RACT and SPRG, then ENDMODEL; anything else here is a bad record.
void CheckConstraintRecord(Analysis& a, RecordContext& r, Keyword kw, Option opt)
{
    ReaderWork& w = r.w;
    if (w.firstConstraintLine == 0)
        w.firstConstraintLine = r.line;
    if (kw == Keyword::Dofs && opt == Option::Def) {
        if (w.dofsSeen || w.restraintsSeen)
            r.Raise(Msg::InputOrder, r.line, 0);
        w.dofsSeen = true;
    } else if (kw == Keyword::Dofs) {
        w.dofsSeen = true;
        if (w.restraintsSeen)
            r.Raise(Msg::InputOrder, r.line, 0);
    } else if (kw == Keyword::Ract || kw == Keyword::Sprg) {
        if (!w.dofsSeen)
            r.Raise(Msg::InputOrder, r.line, 0);
        w.restraintsSeen = true;
    } else if (kw == Keyword::Nseq) {
    } else if (kw == Keyword::EndModel) {
        if (!w.restraintsSeen)
            r.Raise(Msg::NoConstraints, 0, 0);
        a.State.EndModelLine = r.line;
        w.endFound = true;
    } else {
        r.Bad();
    }
}

// Issues diagnostics in the order of their lines.
void IssueInLineOrder(Analysis& a, std::vector<PendingDiagnostic>& pending)
{
    std::stable_sort(
        pending.begin(), pending.end(),
        [](const PendingDiagnostic& x, const PendingDiagnostic& y) { return x.line < y.line; });
    for (const PendingDiagnostic& d : pending)
        Diagnose(a, d.code, d.first, d.second);
    pending.clear();
}

// Issues the record pass's diagnostics in line order. Grid ids must be exactly 1..nGrids:
// now that the count is known, an id above it is a bad record on its own line.
void IssuePendingDiagnostics(Analysis& a, ReaderWork& w)
{
    const ModelStore& m = a.Model;
    for (int n = 1; n <= m.nGrids; ++n) {
        const GridSource& src = w.grids[static_cast<std::size_t>(n)];
        if (!src.badLine && src.id > m.nGrids)
            w.pending.push_back({src.line, Msg::BadRecord, 0, src.line});
    }
    IssueInLineOrder(a, w.pending);
}

// The record pass: counts and stores GRID, BEAM, QUAD, PROP and MATL records up to
// ENDMODEL, checks the order of the constraint records. True when it raised nothing.
bool RecordPass(Analysis& a, ReaderWork& w)
{
    ModelStore& m = a.Model;
    m.nGrids = m.nBeams = m.nQuads = 0;
    w.tables.PropTable.Create(m.maxPropId);
    w.tables.MatlTable.Create(m.maxMatlId);
    w.grids.assign(static_cast<std::size_t>(std::max<long long>(m.Grids.Last(), 0)) + 1,
                   GridSource());

    Record rec;
    const int lastLine = LastLine(a);
    for (int ln = 1; ln <= lastLine && !w.endFound; ++ln) {
        if (a.Progress)
            a.Progress->ShowReadProgress(ln);
        const std::string_view text = RecordText(a.Text.Line(ln));
        if (text.empty())
            continue;
        SplitFields(text, 20, 2, rec);
        RecordContext r{w, rec, ln};
        if (rec.nWords < 1)
            r.Bad();

        const Keyword kw = KeywordOf(rec.Word[1]);
        const Option opt = OptionOf(rec.Word[2]);
        WarnAboutFields(a.State.ReadWarnings, ln, rec);
        if (!IsLoadKeyword(kw) && !TakesOption(kw, opt)) // a load keyword is a bad record here
            AddWarning(a.State.ReadWarnings, ln, Warn::UnknownOption, 0, 0, rec.Word[2]);
        switch (kw) {
        case Keyword::Grid:
            ReadGridRecord(m, r, opt);
            break;
        case Keyword::Beam:
            ReadBeamRecord(m, r, opt);
            break;
        case Keyword::Quad:
            ReadQuadRecord(m, r);
            break;
        case Keyword::Prop:
            ReadPropRecord(r);
            break;
        case Keyword::Matl:
            ReadMatlRecord(r, opt);
            break;
        default:
            CheckConstraintRecord(a, r, kw, opt);
            break;
        }
        // A number beyond the largest double reads as infinite: no coefficient, position or
        // constraint made from it would be finite.
        if (!r.lineBad && !AllFinite(std::span(rec.Number).subspan(1, rec.nNumbers)))
            r.Raise(Msg::NumberTooLarge, 0, ln);
    }
    if (!w.endFound)
        w.pending.push_back({lastLine + 1, Msg::NoEndModel, 0, 0});
    IssuePendingDiagnostics(a, w);

    if (m.nQuads + m.nBeams != 0 && m.maxPropId == 0)
        Diagnose(a, Msg::NoPropRecord, 0, 0);
    if (m.nQuads + m.nBeams != 0 && m.maxMatlId == 0)
        Diagnose(a, Msg::NoMatlRecord, 0, 0);
    return a.State.FatalText.empty();
}

// How far a grid's position is resolved.
enum class Resolution : unsigned char
{
    Pending,
    Working, // on the chain of grids being resolved
    Done,
    Failed, // reported; the grid keeps the numbers of its record
};

// The grid index a POLAR or EQ grid takes its position from: 0 for none (a cartesian grid,
// a polar grid about the origin) and -1 when the grid named does not exist, reported here.
int SourceOf(const ModelStore& m, const GridSource& src, std::vector<PendingDiagnostic>& pending)
{
    if (src.form == GridForm::Polar) {
        const int c = src.ref;
        if (c == 0)
            return 0;
        const int ci = GridIndexOf(m, c);
        if (ci == 0)
            pending.push_back({src.line, Msg::PolarCenterMissing, c, src.line});
        return ci == 0 ? -1 : ci;
    }
    if (src.form == GridForm::Equate) {
        const int ei = GridIndexOf(m, src.ref);
        if (ei == 0)
            pending.push_back({src.line, Msg::GridEquateMissing, src.ref, src.line});
        return ei == 0 ? -1 : ei;
    }
    return 0;
}

// Resolves grid i from its source s (resolved already, or 0 for none).
void PlaceGrid(Analysis& a, ReaderWork& w, int i, int s, std::vector<PendingDiagnostic>& pending)
{
    GridSource& src = w.grids[static_cast<std::size_t>(i)];
    const GridSource& from = w.grids[static_cast<std::size_t>(s)]; // row 0: the origin
    if (src.form == GridForm::Polar) {
        if (s != 0 && from.form == GridForm::Polar && from.ref > 0)
            pending.push_back({src.line, Msg::PolarCenterNotCartesian, src.ref, src.line});
        const double r = src.x;
        const double angle = DEG * src.y;
        src.x = from.x + r * std::cos(angle);
        src.y = from.y + r * std::sin(angle);
    } else if (src.form == GridForm::Equate) {
        src.x = from.x;
        src.y = from.y;
        a.Model.Grids(i).axisAngle = a.Model.Grids(s).axisAngle;
    }
}

// Resolves POLAR and EQ grids and stores the positions. A grid is placed after the grid it
// takes its position from, wherever that stands: the chain of sources is followed without
// recursion, and a chain that comes back to one of its grids is reported.
void GridPass(Analysis& a, ReaderWork& w)
{
    ModelStore& m = a.Model;
    std::vector<Resolution> state(static_cast<std::size_t>(m.nGrids) + 1, Resolution::Pending);
    std::vector<int> source(static_cast<std::size_t>(m.nGrids) + 1, 0);
    std::vector<int> chain;
    std::vector<PendingDiagnostic> pending;
    const auto at = [](auto& v, int i) -> auto&
    {
        return v[static_cast<std::size_t>(i)];
    };
    for (int i = 1; i <= m.nGrids; ++i) {
        // Walk to a grid that is placed, failed, needs no source, or is on the chain.
        for (int j = i; j > 0 && at(state, j) == Resolution::Pending;) {
            at(state, j) = Resolution::Working;
            chain.push_back(j);
            at(source, j) = SourceOf(m, w.grids[static_cast<std::size_t>(j)], pending);
            j = at(source, j);
        }
        // Place the chain from its far end.
        for (auto k = chain.rbegin(); k != chain.rend(); ++k) {
            const int j = *k;
            const int s = at(source, j);
            const GridSource& src = w.grids[static_cast<std::size_t>(j)];
            Resolution result = Resolution::Done;
            if (s < 0 || (s > 0 && at(state, s) == Resolution::Failed)) {
                result = Resolution::Failed;
            } else if (s > 0 && at(state, s) == Resolution::Working) {
                pending.push_back({src.line, Msg::GridCircular, src.id, src.line});
                result = Resolution::Failed;
            } else {
                PlaceGrid(a, w, j, s, pending);
            }
            at(state, j) = result;
        }
        chain.clear();
    }
    IssueInLineOrder(a, pending);
    for (int i = 1; i <= m.nGrids; ++i) {
        m.Grids(i).x = w.grids[static_cast<std::size_t>(i)].x;
        m.Grids(i).y = w.grids[static_cast<std::size_t>(i)].y;
    }
}

// Lengths, angles and coefficients of the beams.
void BeamPass(Analysis& a, const ReaderWork& w)
{
    ModelStore& m = a.Model;
    for (int b = 1; b <= m.nBeams; ++b) {
        BeamRow& beam = m.Beams(b);
        const int ia = GridIndexOf(m, beam.gridA);
        const int ib = GridIndexOf(m, beam.gridB);
        if (ia == 0)
            Diagnose(a, Msg::BeamGridMissing, beam.gridA, beam.id);
        if (ib == 0)
            Diagnose(a, Msg::BeamGridMissing, beam.gridB, beam.id);
        if (ia == 0 && ib == 0)
            continue; // nothing to measure: the run stops with the two reports

        const GridRow& A = m.Grids(ia);
        const GridRow& B = m.Grids(ib);
        const double dx = B.x - A.x;
        const double dy = B.y - A.y;
        const double L0 = std::sqrt(dx * dx + dy * dy);
        double theta = AngleOf(dy, dx);
        double L = 0;
        if (L0 != 0) {
            // The offsets move the ends sideways; the beam runs between the moved ends.
            const double e = beam.offsetB - beam.offsetA;
            theta += std::atan(e / L0);
            L = std::sqrt(L0 * L0 + e * e);
        } else {
            theta = A.axisAngle;
        }
        beam.length = L;
        beam.angle = theta;
        ComputeBeamCoefficients(a, b, w.tables);
    }
}

// The quad's material as its mode gives it: plane strain turns E, nu and the expansion
// coefficient into their plane-stress equivalents, a shear panel has no direct stiffness.
void SetQuadMaterial(QuadRow& quad, const MatlRow& mat, double thickness)
{
    const double E = mat.modulus;
    const double nu = mat.poisson;
    const double G = E / (2.0 * (1.0 + nu));
    double Eq = E, nuq = nu, alpha = mat.expansion;
    if (mat.mode == MaterialMode::PlaneStrain) {
        Eq = E / (1.0 - nu * nu);
        nuq = nu / (1.0 - nu);
        alpha = mat.expansion * (1.0 + nu);
    } else if (mat.mode == MaterialMode::ShearPanel) {
        Eq = 0;
    }
    quad.expansion = alpha;
    quad.density = mat.density;
    quad.thickness = thickness;
    quad.modulus = Eq;
    quad.poisson = nuq;
    quad.shearModulus = G;
}

// Corner checks and material constants of the quads.
void QuadPass(Analysis& a, const ReaderWork& w)
{
    ModelStore& m = a.Model;
    for (int q = 1; q <= m.nQuads; ++q) {
        QuadRow& quad = m.Quads(q);
        for (int k = 1; k <= 4; ++k) {
            if (k == 4 && IsTriangle(quad))
                continue; // a triangle's fourth corner is its third
            const int g = quad.grid[static_cast<std::size_t>(k)];
            if (GridIndexOf(m, g) == 0)
                Diagnose(a, Msg::QuadGridMissing, g, quad.id);
        }
        const bool propFound = w.tables.PropTable.Has(quad.propId);
        const bool matlFound = w.tables.MatlTable.Has(quad.matlId);
        if (!propFound || w.tables.PropTable(quad.propId).area == 0)
            Diagnose(a, Msg::QuadPropMissing, q, 0);
        if (!matlFound || w.tables.MatlTable(quad.matlId).modulus == 0)
            Diagnose(a, Msg::QuadMatlMissing, q, 0);
        if (propFound && matlFound)
            SetQuadMaterial(quad, w.tables.MatlTable(quad.matlId),
                            w.tables.PropTable(quad.propId).area);
    }
}

} // namespace

bool ReadModel(Analysis& a)
{
    a.Model.NEQ = 0;
    a.Model.DOFTOTAL = 0;
    ReaderWork w;
    const bool read = RecordPass(a, w);
    if (read) {
        GridPass(a, w);
        BeamPass(a, w);
        QuadPass(a, w);
        ReadConstraintsAndNumber(a, w.firstConstraintLine);
    }
    // The constraint records were read twice: their warnings join those of the first pass.
    std::vector<Warning>& warnings = a.State.ReadWarnings;
    std::stable_sort(warnings.begin(), warnings.end(),
                     [](const Warning& x, const Warning& y) { return x.line < y.line; });
    return read;
}

void ComposeReadText(Analysis& a, long long stiffnessCount)
{
    const ModelStore& m = a.Model;
    std::string t;
    const auto line = [&t](const char* label, double value) {
        t += label;
        t += NumberText(value);
        t += CRLF;
    };
    line("Number of grids:    ", m.nGrids);
    line("Number of beams:    ", m.nBeams);
    line("Number of quads:    ", m.nQuads);
    line("Number of springs:  ", m.nSprgRecords);
    line("Number of equations:", m.NEQ);
    line("Stiffness elements :", static_cast<double>(stiffnessCount));
    // FatalText itself stays one message per line; only the report frames it.
    if (!a.State.FatalText.empty()) {
        t += CRLF;
        t += a.State.FatalText;
        t += CRLF;
    }
    if (!a.State.ReadWarnings.empty()) {
        t += CRLF;
        t += WarningLines(a, a.State.ReadWarnings);
    }
    t += CRLF;
    t += "Done processing model";
    a.Summary.ReadText = std::move(t);
    if (a.State.FatalText.empty())
        a.State.Stage = ModelRead;
}

} // namespace tavu
