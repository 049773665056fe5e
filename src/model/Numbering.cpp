#include "model/Numbering.h"

#include "common/Numbers.h"
#include "model/Diagnostics.h"
#include "model/Keywords.h"
#include "model/Tokenizer.h"

#include <algorithm>
#include <vector>

namespace tavu {

namespace {

// Dof codes while the constraints are read (GridInt slots 1..3).
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

} // namespace

void ReadConstraintsAndNumber(Analysis& a, int firstLine)
{
    ModelStore& m = a.Model;
    const int n = m.nGrids;
    int D[4] = {0, Free, Free, Free}; // default flags of dof 1..3
    long long dofTotal = 3LL * m.maxGridId;
    Vec<int> sequence(n); // GridSequence(1..n): grid ids in numbering order
    for (int k = 1; k <= n; ++k)
        sequence(k) = k;
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= 3; ++j)
            m.GridInt(i, j) = D[j];

    bool restraintApplied = false;
    bool sequenceGiven = false;
    bool sequenceReported = false;
    long long count = 0; // grids named so far by an unfinished NSEQ list

    Record rec;
    const int lastLine = std::min(
        {a.State.EndModelLine, a.Text.LineCount, static_cast<int>(a.Text.ModelLines.size()) - 1});
    for (int ln = std::max(firstLine, 1); ln <= lastLine; ++ln) {
        const std::string_view text = RecordText(a.Text.ModelLines[static_cast<std::size_t>(ln)]);
        if (text.empty())
            continue;
        SplitFields(text, 20, 2, rec);
        if (rec.nWords < 0)
            Diagnose(a, 8, 0, ln);
        const Keyword kw = KeywordOf(rec.Word[1]);
        const Option opt = OptionOf(rec.Word[2]);

        if (kw == Keyword::EndModel) {
            if (count != 0) {
                Diagnose(a, 18, 0, 0);
                sequenceReported = true;
            }
            count = 0;
            break;
        }

        // An unfinished list takes the numbers of every record, whatever its keyword.
        if (kw == Keyword::Nseq || count != 0) {
            sequenceGiven = true;
            for (int k = 1; k <= rec.nNumbers; ++k) {
                const long long pos = count + k;
                if (pos <= n)
                    sequence(pos) = RoundToInt(rec.N(k));
            }
            count += rec.nNumbers;
            if (count == n)
                count = 0;
            continue;
        }

        if (kw == Keyword::Dofs && opt == Option::Def) {
            for (int j = 1; j <= 3; ++j)
                D[j] = DofFlag(rec.N(j));
            dofTotal = static_cast<long long>(D[1] + D[2] + D[3]) * n;
            for (int i = 1; i <= n; ++i)
                for (int j = 1; j <= 3; ++j)
                    m.GridInt(i, j) = D[j];
            continue;
        }

        const bool thru = opt == Option::Thru;
        const int g1 = RoundToInt(rec.N(1));
        const int g2 = thru ? RoundToInt(rec.N(2)) : g1;
        const int v0 = thru ? 2 : 1; // the values w1..w3 are numbers v0+1..v0+3
        const bool constraint = kw == Keyword::Dofs || kw == Keyword::Ract || kw == Keyword::Sprg;

        // Each end of a range that names no grid is reported once; a constraint record
        // also reports grid numbers below 1, which would otherwise be passed over.
        const auto missing = [&](int g) { return g > n || (constraint && g < 1); };
        if (missing(g1))
            Diagnose(a, 4, g1, ln);
        if (thru && missing(g2))
            Diagnose(a, 4, g2, ln);
        if (!constraint)
            continue;

        const int lo = std::max(g1, 1);
        const int hi = std::min(g2, n); // grid ids are exactly 1..nGrids
        for (int g = lo; g <= hi; ++g) {
            const int ix = GridIndexOf(m, g);
            if (ix == 0)
                continue;
            for (int j = 1; j <= 3; ++j) {
                const double w = rec.N(v0 + j);
                int& code = m.GridInt(ix, j);
                if (kw == Keyword::Dofs) {
                    const int f = DofFlag(w);
                    dofTotal += f - code;
                    code = f;
                } else if (code != Absent) {
                    restraintApplied = true;
                    if (kw == Keyword::Ract) {
                        if (w == 1)
                            code = Restrained;
                        else if (w == 0)
                            code = Free;
                        else if (w < 0)
                            code = Prescribed;
                    } else {
                        m.GridReal(ix, 3 + j) = w;
                    }
                }
            }
        }
    }

    if (!restraintApplied)
        Diagnose(a, 19, 0, 0);

    // A list that repeats a grid or names no grid would number some grid twice and leave
    // another with its codes: it is reported, and the grids are numbered in id order.
    if (sequenceGiven && !sequenceReported && !IsPermutation(sequence, n)) {
        Diagnose(a, 18, 0, 0);
        sequenceReported = true;
    }
    if (sequenceReported)
        for (int k = 1; k <= n; ++k)
            sequence(k) = k;

    // Grids with turned axes whose dof 1 or 2 is held in those axes: the held dof is made
    // a free global dof here and eliminated after the turn.
    for (int g = 1; g <= n; ++g) {
        const int ix = GridIndexOf(m, g);
        if (ix == 0)
            continue;
        int& c1 = m.GridInt(ix, 1);
        int& c2 = m.GridInt(ix, 2);
        if (c1 == Prescribed || c2 == Prescribed || m.GridInt(ix, 3) == Prescribed)
            a.State.TransformFlag = 2;
        if (m.GridReal(ix, 3) == 0)
            continue;
        const bool uHeld = c1 == Absent || c1 == Restrained;
        const bool vHeld = c2 == Absent || c2 == Restrained;
        if (uHeld && !vHeld) {
            if (c1 == Absent)
                ++dofTotal;
            c1 = Free;
            m.GridInt(ix, 4) = 1;
            a.State.TransformFlag = 1;
        } else if (vHeld && !uHeld) {
            if (c2 == Absent)
                ++dofTotal;
            c2 = Free;
            m.GridInt(ix, 4) = 2;
            a.State.TransformFlag = 1;
        } else if ((c1 == Prescribed) != (c2 == Prescribed)) {
            m.GridInt(ix, 4) = 3;
            a.State.TransformFlag = 1;
        }
    }

    // Free and prescribed dofs count up from 1 in sequence order, restrained dofs count
    // down from DOFTOTAL. DOFTOTAL is never below the number of present dofs, so the two
    // ranges cannot meet.
    int neq = 0;
    long long top = dofTotal + 1;
    for (int k = 1; k <= n; ++k) {
        const int ix = GridIndexOf(m, sequence(k));
        if (ix == 0)
            continue;
        for (int j = 1; j <= 3; ++j) {
            int& slot = m.GridInt(ix, j);
            if (slot == Restrained) {
                slot = static_cast<int>(--top);
            } else if (slot != Absent) {
                ++neq;
                slot *= neq;
            }
        }
    }
    m.NEQ = neq;
    m.DOFTOTAL = static_cast<int>(dofTotal);
}

} // namespace tavu
