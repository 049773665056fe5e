#include "model/Numbering.h"

#include "common/Numbers.h"
#include "model/Diagnostics.h"
#include "model/Keywords.h"
#include "model/Tokenizer.h"

#include <algorithm>
#include <array>
#include <vector>

namespace tavu {

namespace {

// Dof codes while the constraints are read, before the equations are numbered.
constexpr int Absent = 0;
constexpr int Free = 1;
constexpr int Restrained = -9;
constexpr int Prescribed = -1;

// A DOFS flag: any nonzero value makes the dof present, so a code is only ever 0 or 1
// and no equation number is scaled by it.
int DofFlag(double v)
{
    return RoundToInt(v) != 0 ? Free : Absent;
}

// True when sequence(1..n) names every grid id 1..n exactly once.
bool IsPermutation(const Vec<int>& sequence, int n)
{
    std::vector<char> seen(static_cast<std::size_t>(n) + 1, 0);
    for (int k = 1; k <= n; ++k) {
        const int g = sequence(k);
        if (g < 1 || g > n || seen[static_cast<std::size_t>(g)])
            return false;
        seen[static_cast<std::size_t>(g)] = 1;
    }
    return true;
}

// What the constraint records build up before the equations are numbered.
struct ConstraintState
{
    Vec<DofEquations> codes; // (0..nGrids): Absent, Free, Restrained or Prescribed
    std::array<int, 4> defaults{0, Free, Free, Free}; // flags of dof 1..3 (DOFS DEF)
    long long dofTotal = 0;
    Vec<int> sequence; // (1..nGrids): grid ids in numbering order
    bool restraintApplied = false;
    bool sequenceGiven = false;
    bool sequenceReported = false;
    long long count = 0; // grids named so far by an unfinished NSEQ list
};

void SetAllCodes(ConstraintState& c, int n)
{
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= 3; ++j)
            c.codes(i)[static_cast<std::size_t>(j)] = c.defaults[static_cast<std::size_t>(j)];
}

// An NSEQ list, or a record taken into an unfinished one: its numbers are grid ids.
void TakeSequenceNumbers(ConstraintState& c, const Record& rec, int n)
{
    c.sequenceGiven = true;
    for (int k = 1; k <= rec.nNumbers; ++k) {
        const long long pos = c.count + k;
        if (pos <= n)
            c.sequence(pos) = RoundToInt(rec.N(k));
    }
    c.count += rec.nNumbers;
    if (c.count == n)
        c.count = 0;
}

// A DOFS, RACT or SPRG record on the grids first..last (ids are exactly 1..nGrids); the
// values w1..w3 are the record's numbers v0+1..v0+3.
void ApplyConstraint(ModelStore& m, ConstraintState& c, Keyword kw, const Record& rec, int first,
                     int last, int v0)
{
    const int lo = std::max(first, 1);
    const int hi = std::min(last, m.nGrids);
    for (int g = lo; g <= hi; ++g) {
        const int ix = GridIndexOf(m, g);
        if (ix == 0)
            continue;
        for (int j = 1; j <= 3; ++j) {
            const double w = rec.N(v0 + j);
            int& code = c.codes(ix)[static_cast<std::size_t>(j)];
            if (kw == Keyword::Dofs) {
                const int f = DofFlag(w);
                c.dofTotal += f - code;
                code = f;
            } else if (code != Absent) {
                c.restraintApplied = true;
                if (kw == Keyword::Ract) {
                    if (w == 1)
                        code = Restrained;
                    else if (w == 0)
                        code = Free;
                    else if (w < 0)
                        code = Prescribed;
                } else {
                    m.Grids(ix).spring[static_cast<std::size_t>(j)] = w;
                }
            }
        }
    }
}

// Reads the constraint records from firstLine up to ENDMODEL.
void ReadConstraintRecords(Analysis& a, int firstLine, ConstraintState& c)
{
    ModelStore& m = a.Model;
    const int n = m.nGrids;
    Record rec;
    const int lastLine = std::min(a.State.EndModelLine, a.Text.LineCount);
    for (int ln = std::max(firstLine, 1); ln <= lastLine; ++ln) {
        const std::string_view text = RecordText(a.Text.Line(ln));
        if (text.empty())
            continue;
        SplitFields(text, 20, 2, rec);
        if (rec.nWords < 0)
            Diagnose(a, Msg::BadRecord, 0, ln);
        const Keyword kw = KeywordOf(rec.Word[1]);
        const Option opt = OptionOf(rec.Word[2]);

        if (kw == Keyword::EndModel) {
            if (c.count != 0) {
                Diagnose(a, Msg::Resequence, 0, 0);
                c.sequenceReported = true;
            }
            c.count = 0;
            break;
        }

        // An unfinished list takes the numbers of every record, whatever its keyword.
        if (kw == Keyword::Nseq || c.count != 0) {
            TakeSequenceNumbers(c, rec, n);
            continue;
        }

        if (kw == Keyword::Dofs && opt == Option::Def) {
            for (int j = 1; j <= 3; ++j)
                c.defaults[static_cast<std::size_t>(j)] = DofFlag(rec.N(j));
            c.dofTotal = static_cast<long long>(c.defaults[1] + c.defaults[2] + c.defaults[3]) * n;
            SetAllCodes(c, n);
            continue;
        }

        const bool thru = opt == Option::Thru;
        const int g1 = RoundToInt(rec.N(1));
        const int g2 = thru ? RoundToInt(rec.N(2)) : g1;
        const bool constraint = kw == Keyword::Dofs || kw == Keyword::Ract || kw == Keyword::Sprg;

        // Each end of a range above the last grid is reported once. Grid numbers below 1
        // name no grid either: the record acts on the grids there are, and says so.
        const bool above = g1 > n || (thru && g2 > n);
        if (g1 > n)
            Diagnose(a, Msg::GridNumberMissing, g1, ln);
        if (thru && g2 > n)
            Diagnose(a, Msg::GridNumberMissing, g2, ln);
        if (!constraint)
            continue;
        if (!above) {
            const long long found = std::max(0, std::min(g2, n) - std::max(g1, 1) + 1);
            WarnAboutIds(a.State.ReadWarnings, ln, "grid", thru, g1, g2, found);
        }
        ApplyConstraint(m, c, kw, rec, g1, g2, thru ? 2 : 1);
    }
}

// Grids with turned axes whose dof 1 or 2 is held in those axes: the held dof is made a
// free global dof here, which the system of the decomposition leaves out. Sets the axis
// codes.
void PrepareTurnedGrids(Analysis& a, ConstraintState& c)
{
    ModelStore& m = a.Model;
    for (int g = 1; g <= m.nGrids; ++g) {
        const int ix = GridIndexOf(m, g);
        if (ix == 0)
            continue;
        GridRow& grid = m.Grids(ix);
        int& c1 = c.codes(ix)[1];
        int& c2 = c.codes(ix)[2];
        if (c1 == Prescribed || c2 == Prescribed || c.codes(ix)[3] == Prescribed)
            a.State.TransformFlag = 2;
        if (grid.axisAngle == 0)
            continue;
        const bool uHeld = c1 == Absent || c1 == Restrained;
        const bool vHeld = c2 == Absent || c2 == Restrained;
        if (uHeld && !vHeld) {
            if (c1 == Absent)
                ++c.dofTotal;
            c1 = Free;
            grid.axisCode = EliminateU;
            a.State.TransformFlag = 1;
        } else if (vHeld && !uHeld) {
            if (c2 == Absent)
                ++c.dofTotal;
            c2 = Free;
            grid.axisCode = EliminateV;
            a.State.TransformFlag = 1;
        } else if ((c1 == Prescribed) != (c2 == Prescribed)) {
            grid.axisCode = TurnOnly;
            a.State.TransformFlag = 1;
        }
    }
}

// Free and prescribed dofs count up from 1 in sequence order, restrained dofs count down
// from DOFTOTAL. DOFTOTAL is never below the number of present dofs, so the two ranges
// cannot meet.
void NumberEquations(ModelStore& m, const ConstraintState& c)
{
    int neq = 0;
    long long top = c.dofTotal + 1;
    for (int k = 1; k <= m.nGrids; ++k) {
        const int ix = GridIndexOf(m, c.sequence(k));
        if (ix == 0)
            continue;
        for (int j = 1; j <= 3; ++j) {
            const std::size_t jj = static_cast<std::size_t>(j);
            const int code = c.codes(ix)[jj];
            int& e = m.Grids(ix).equation[jj];
            if (code == Restrained) {
                e = static_cast<int>(--top);
            } else if (code != Absent) {
                ++neq;
                e = code * neq;
            }
        }
    }
    m.NEQ = neq;
    m.DOFTOTAL = static_cast<int>(c.dofTotal);
}

} // namespace

void ReadConstraintsAndNumber(Analysis& a, int firstLine)
{
    ModelStore& m = a.Model;
    const int n = m.nGrids;
    ConstraintState c;
    c.codes.Create(n);
    // Grid ids are exactly 1..nGrids here; a GRID record after ENDMODEL may have raised
    // maxGridId, but it names no grid and must not size the dof numbering.
    c.dofTotal = 3LL * n;
    c.sequence.Create(n);
    for (int k = 1; k <= n; ++k)
        c.sequence(k) = k;
    SetAllCodes(c, n);

    ReadConstraintRecords(a, firstLine, c);
    if (!c.restraintApplied)
        Diagnose(a, Msg::NoConstraints, 0, 0);

    // A list that repeats a grid or names no grid would number some grid twice and leave
    // another with its codes: it is reported, and the grids are numbered in id order.
    if (c.sequenceGiven && !c.sequenceReported && !IsPermutation(c.sequence, n)) {
        Diagnose(a, Msg::Resequence, 0, 0);
        c.sequenceReported = true;
    }
    if (c.sequenceReported)
        for (int k = 1; k <= n; ++k)
            c.sequence(k) = k;

    PrepareTurnedGrids(a, c);
    NumberEquations(m, c);
}

} // namespace tavu
