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
#include <vector>

namespace tavu {

namespace {

enum class GridForm
{
    Cartesian,
    Polar,  // about the grid `ref` (0: the origin)
    Equate, // a copy of grid `ref`
};

// Where a grid's position comes from (per grid index), and its record's line.
struct GridSource
{
    int id = 0;
    int line = 0;
    GridForm form = GridForm::Cartesian;
    int ref = 0;
    bool badLine = false; // the line already has its "Bad record"
};

struct ReaderWork
{
    ReaderTables tables;
    std::vector<GridSource> grids; // (0..rows of GridInt)
    int firstConstraintLine = 0;
};

// A diagnostic of the record pass with the line it belongs to: they are issued in line
// order once the pass knows the number of grids.
struct PendingDiagnostic
{
    int line;
    int code;
    int first;
    int second;
};

int LastLine(const Analysis& a)
{
    return std::min(a.Text.LineCount, static_cast<int>(a.Text.ModelLines.size()) - 1);
}

// The record pass: counts and stores GRID, BEAM, QUAD, PROP and MATL records up to
// ENDMODEL, checks the order of the constraint records. True when it raised nothing.
bool RecordPass(Analysis& a, ReaderWork& w)
{
    ModelStore& m = a.Model;
    m.nGrids = m.nBeams = m.nQuads = 0;
    w.tables.PropTable.Create(m.maxPropId);
    w.tables.MatlTable.Create(m.maxMatlId);
    w.grids.assign(static_cast<std::size_t>(std::max(m.GridInt.LastRow(), 0)) + 1, GridSource());
    w.firstConstraintLine = 0;

    std::vector<PendingDiagnostic> pending;
    bool dofsSeen = false, restraintsSeen = false, endFound = false;
    Record rec;
    const int lastLine = LastLine(a);
    for (int ln = 1; ln <= lastLine; ++ln) {
        if (a.Progress)
            a.Progress->ShowReadProgress(ln);
        const std::string_view text = RecordText(a.Text.ModelLines[static_cast<std::size_t>(ln)]);
        if (text.empty())
            continue;
        SplitFields(text, 20, 2, rec);

        bool lineBad = false; // at most one "Bad record" per line
        const auto raise = [&](int code, int first, int second) {
            pending.push_back({ln, code, first, second});
        };
        const auto bad = [&] {
            if (!lineBad)
                raise(8, 0, ln);
            lineBad = true;
        };
        if (rec.nWords < 1)
            bad();

        const Keyword kw = KeywordOf(rec.Word[1]);
        const Option opt = OptionOf(rec.Word[2]);
        const int id = RoundToInt(rec.N(1));

        switch (kw) {
        case Keyword::Grid: {
            if (m.nGrids >= m.GridInt.LastRow()) { // more GRID records than the pre-scan saw
                bad();
                break;
            }
            const int n = ++m.nGrids;
            GridSource& src = w.grids[static_cast<std::size_t>(n)];
            src.id = id;
            src.line = ln;
            if (id < 1 || id > m.maxGridId) {
                bad();
            } else {
                if (m.GridIndex(id) != 0)
                    raise(7, id, ln);
                m.GridIndex(id) = n;
            }
            if (rec.nNumbers < 2)
                bad();
            src.badLine = lineBad;
            m.GridReal(n, 1) = rec.N(2);
            m.GridReal(n, 2) = rec.N(3);
            m.GridInt(n, 4) = 0;
            if (opt == Option::Polar) {
                m.GridInt(n, 4) = -1;
                src.form = GridForm::Polar;
                src.ref = RoundToInt(rec.N(4));
                m.GridReal(n, 3) = DEG * (rec.nNumbers == 5 ? rec.N(5) : rec.N(3));
            } else if (opt == Option::Eq) {
                src.form = GridForm::Equate;
                src.ref = RoundToInt(rec.N(2));
            } else {
                m.GridReal(n, 3) = DEG * rec.N(4);
            }
            break;
        }
        case Keyword::Beam: {
            if (m.nBeams >= m.BeamInt.LastRow()) {
                bad();
                break;
            }
            const int b = ++m.nBeams;
            if (id >= 1 && id <= m.maxBeamId)
                m.BeamIndex(id) = b;
            if (rec.nNumbers < 3)
                bad();
            if (rec.N(3) == rec.N(2))
                raise(7, id, ln);
            if (opt == Option::Pin)
                m.BeamInt(b, 3) = PinBeam;
            else if (opt == Option::Bend)
                m.BeamInt(b, 3) = BendBeam;
            else if (opt == Option::Curv)
                m.BeamInt(b, 3) = CurvBeam;
            m.BeamInt(b, 0) = id;
            m.BeamInt(b, 1) = RoundToInt(rec.N(2));
            m.BeamInt(b, 2) = RoundToInt(rec.N(3));
            m.BeamReal(b, 1) = rec.N(4);
            m.BeamReal(b, 2) = rec.N(5);
            m.BeamReal(b, 10) = rec.N(6);
            m.BeamReal(b, 11) = rec.N(7);
            const int far = RoundToInt(std::max(rec.N(2), rec.N(3)));
            if (m.nGrids < far)
                raise(9, far, id);
            break;
        }
        case Keyword::Quad: {
            if (m.nQuads >= m.QuadInt.LastRow()) {
                bad();
                break;
            }
            const int q = ++m.nQuads;
            if (id >= 1 && id <= m.maxQuadId)
                m.QuadIndex(id) = q;
            if (rec.nNumbers < 4)
                bad();
            static constexpr int pairs[6][2] = {{3, 2}, {4, 2}, {5, 2}, {4, 3}, {5, 3}, {5, 4}};
            for (const auto& p : pairs)
                if (rec.N(p[0]) == rec.N(p[1]))
                    raise(7, id, ln);
            m.QuadInt(q, 0) = id;
            for (int k = 1; k <= 4; ++k)
                m.QuadInt(q, k) = RoundToInt(rec.N(k + 1));
            if (m.QuadInt(q, 4) == 0)
                m.QuadInt(q, 4) = m.QuadInt(q, 3);
            m.QuadReal(q, 1) = rec.N(6);
            m.QuadReal(q, 2) = rec.N(7);
            break;
        }
        case Keyword::Prop:
            if (rec.nNumbers < 2)
                bad();
            if (!w.tables.PropTable.Has(id))
                raise(5, id, ln);
            else
                w.tables.PropTable(id) = {rec.N(2), rec.N(3), rec.N(4), rec.N(5)};
            break;
        case Keyword::Matl:
            if (rec.nNumbers < 2)
                bad();
            if (!w.tables.MatlTable.Has(id)) {
                raise(6, id, ln);
            } else {
                const MaterialMode mode = opt == Option::Strain  ? MaterialMode::PlaneStrain
                                          : opt == Option::Shear ? MaterialMode::ShearPanel
                                                                 : MaterialMode::PlaneStress;
                w.tables.MatlTable(id) = {rec.N(2), rec.N(3), rec.N(4), rec.N(5), mode};
            }
            break;
        default:
            if (w.firstConstraintLine == 0)
                w.firstConstraintLine = ln;
            if (kw == Keyword::Dofs && opt == Option::Def) {
                if (dofsSeen || restraintsSeen)
                    raise(17, ln, 0);
                dofsSeen = true;
            } else if (kw == Keyword::Dofs) {
                dofsSeen = true;
                if (restraintsSeen)
                    raise(17, ln, 0);
            } else if (kw == Keyword::Ract || kw == Keyword::Sprg) {
                if (!dofsSeen)
                    raise(17, ln, 0);
                restraintsSeen = true;
            } else if (kw == Keyword::Nseq) {
            } else if (kw == Keyword::EndModel) {
                if (!restraintsSeen)
                    raise(19, 0, 0);
                a.State.EndModelLine = ln;
                endFound = true;
            } else {
                bad();
            }
            break;
        }
        if (endFound)
            break;
    }
    if (!endFound)
        pending.push_back({lastLine + 1, 28, 0, 0});

    // Grid ids must be exactly 1..nGrids: now that the count is known, an id above it is
    // a bad record on its own line.
    for (int n = 1; n <= m.nGrids; ++n) {
        const GridSource& src = w.grids[static_cast<std::size_t>(n)];
        if (!src.badLine && src.id > m.nGrids)
            pending.push_back({src.line, 8, 0, src.line});
    }
    std::stable_sort(
        pending.begin(), pending.end(),
        [](const PendingDiagnostic& x, const PendingDiagnostic& y) { return x.line < y.line; });
    for (const PendingDiagnostic& d : pending)
        Diagnose(a, d.code, d.first, d.second);

    if (m.nQuads + m.nBeams != 0 && m.maxPropId == 0)
        Diagnose(a, 15, 0, 0);
    if (m.nQuads + m.nBeams != 0 && m.maxMatlId == 0)
        Diagnose(a, 16, 0, 0);
    return a.State.FatalText.empty();
}

// Resolves POLAR and EQ grids in the order of their GRID lines.
void GridPass(Analysis& a, const ReaderWork& w)
{
    ModelStore& m = a.Model;
    for (int i = 1; i <= m.nGrids; ++i) {
        const GridSource& src = w.grids[static_cast<std::size_t>(i)];
        if (src.form == GridForm::Polar) {
            const int c = src.ref;
            const int ci = GridIndexOf(m, c); // 0 for the origin
            if (c < 0 || c > m.maxGridId || (c > 0 && ci == 0)) {
                Diagnose(a, 2, c, src.line);
                continue;
            }
            const GridSource& center = w.grids[static_cast<std::size_t>(ci)];
            if (c > 0 && center.form == GridForm::Polar && center.ref > 0)
                Diagnose(a, 3, c, src.line);
            const double r = m.GridReal(i, 1);
            const double angle = DEG * m.GridReal(i, 2);
            m.GridReal(i, 1) = m.GridReal(ci, 1) + r * std::cos(angle);
            m.GridReal(i, 2) = m.GridReal(ci, 2) + r * std::sin(angle);
        } else if (src.form == GridForm::Equate) {
            const int ei = GridIndexOf(m, src.ref);
            if (ei == 0) {
                Diagnose(a, 1, src.ref, src.line);
                continue;
            }
            for (int s = 1; s <= 3; ++s)
                m.GridReal(i, s) = m.GridReal(ei, s);
        }
    }
}

// Lengths, angles and coefficients of the beams.
void BeamPass(Analysis& a, const ReaderWork& w)
{
    ModelStore& m = a.Model;
    for (int b = 1; b <= m.nBeams; ++b) {
        const int idA = m.BeamInt(b, 1);
        const int idB = m.BeamInt(b, 2);
        const int ia = GridIndexOf(m, idA);
        const int ib = GridIndexOf(m, idB);
        if (ia == 0)
            Diagnose(a, 9, idA, m.BeamInt(b, 0));
        if (ib == 0)
            Diagnose(a, 9, idB, m.BeamInt(b, 0));
        if (ia == 0 && ib == 0)
            continue; // nothing to measure: the run stops with the two reports

        const double dx = m.GridReal(ib, 1) - m.GridReal(ia, 1);
        const double dy = m.GridReal(ib, 2) - m.GridReal(ia, 2);
        const double L0 = std::sqrt(dx * dx + dy * dy);
        double theta = AngleOf(dy, dx);
        double L = 0;
        if (L0 != 0) {
            // The offsets move the ends sideways; the beam runs between the moved ends.
            const double e = m.BeamReal(b, 11) - m.BeamReal(b, 10);
            theta += std::atan(e / L0);
            L = std::sqrt(L0 * L0 + e * e);
        } else {
            theta = m.GridReal(ia, 3);
        }
        m.BeamReal(b, 5) = L;
        m.BeamReal(b, 9) = theta;
        ComputeBeamCoefficients(a, b, w.tables);
    }
}

// Corner checks and material constants of the quads.
void QuadPass(Analysis& a, const ReaderWork& w)
{
    ModelStore& m = a.Model;
    for (int q = 1; q <= m.nQuads; ++q) {
        for (int k = 1; k <= 4; ++k) {
            if (k == 4 && m.QuadInt(q, 4) == m.QuadInt(q, 3))
                continue; // a triangle's fourth corner is its third
            if (GridIndexOf(m, m.QuadInt(q, k)) == 0)
                Diagnose(a, 10, m.QuadInt(q, k), m.QuadInt(q, 0));
        }
        const int p = RoundToInt(m.QuadReal(q, 1));
        const int mt = RoundToInt(m.QuadReal(q, 2));
        const bool propFound = w.tables.PropTable.Has(p);
        const bool matlFound = w.tables.MatlTable.Has(mt);
        if (!propFound || w.tables.PropTable(p).area == 0)
            Diagnose(a, 13, q, 0);
        if (!matlFound || w.tables.MatlTable(mt).modulus == 0)
            Diagnose(a, 14, q, 0);
        if (!propFound || !matlFound)
            continue;

        const MatlRow& mat = w.tables.MatlTable(mt);
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
        m.QuadReal(q, 1) = alpha;
        m.QuadReal(q, 2) = mat.density;
        m.QuadReal(q, 3) = w.tables.PropTable(p).area;
        m.QuadReal(q, 4) = Eq;
        m.QuadReal(q, 5) = nuq;
        m.QuadReal(q, 6) = G;
    }
}

} // namespace

bool ReadModel(Analysis& a)
{
    a.Model.NEQ = 0;
    a.Model.DOFTOTAL = 0;
    ReaderWork w;
    if (!RecordPass(a, w))
        return false;
    GridPass(a, w);
    BeamPass(a, w);
    QuadPass(a, w);
    ReadConstraintsAndNumber(a, w.firstConstraintLine);
    return true;
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
    t += CRLF;
    t += "Done processing model";
    a.Summary.ReadText = std::move(t);
    if (a.State.FatalText.empty())
        a.State.Stage = ModelRead;
}

} // namespace tavu
