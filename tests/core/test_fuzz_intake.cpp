// Random and mutated model texts through the model step: no crash, no hang, no read
// outside a table (index checks are on in test builds), and the numbering and the profile
// keep their invariants whatever the text says.

#include "TestSupport.h"
#include "model/Diagnostics.h"
#include "model/PreScan.h"
#include "model/Reader.h"
#include "solver/Profile.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace tavu {
namespace {

using Lines = std::vector<std::string>;

class ModelFuzzer
{
public:
    // A model the reader must accept; elementLine is the index of its first BEAM record.
    Lines Clean(std::size_t& elementLine)
    {
        Lines s;
        const int n = Pick(4, 8);
        for (int id = 1; id <= n; ++id) {
            const int form = Pick(0, 9);
            s.push_back(form <= 5   ? Join({"GRID", I(id), Num(), Num(), Chance(30) ? Num() : ""})
                        : form <= 7 ? Join({"GRID", I(id), I(Pick(1, 20)), Num(), "POLAR 0"})
                                    : Join({"GRID", I(id), "EQ", I(Pick(1, n))}));
        }
        std::shuffle(s.begin(), s.end(), rng_);
        elementLine = s.size();
        for (int b = Pick(1, 6), ga = Pick(1, n); b > 0; --b, ga = Pick(1, n))
            s.push_back(
                Join({"BEAM", I(Pick(1, 9)), I(ga), I(ga % n + 1), I(Pick(1, 2)), I(Pick(1, 2)),
                      OneOf({"", "PIN", "BEND", "CURV"}), Chance(20) ? "0.25 -0.5" : ""}));
        for (int q = Pick(0, 3); q > 0; --q) {
            std::vector<int> c(static_cast<std::size_t>(n));
            std::iota(c.begin(), c.end(), 1);
            std::shuffle(c.begin(), c.end(), rng_);
            s.push_back(Join({"QUAD", I(Pick(1, 5)), I(c[0]), I(c[1]), I(c[2]),
                              Chance(30) ? "0" : I(c[3]), I(Pick(1, 2)), I(Pick(1, 2))}));
        }
        for (int p = 1; p <= 2; ++p)
            s.push_back(Join(
                {"PROP", I(p), I(Pick(1, 9)), I(Pick(1, 9)), I(Pick(0, 3)), OneOf({"", "0.01"})}));
        for (int m = 1; m <= 2; ++m)
            s.push_back(Join({"MATL", I(m), I(Pick(1, 3) * 1000), OneOf({"0", "0.3", "-0.2"}),
                              "1e-5 7.8", OneOf({"", "STRAIN", "SHEAR"})}));
        s.push_back(Join({"DOFS DEF 1 1", I(Pick(0, 1))}));
        if (Chance(30))
            s.push_back(Join({"DOFS", I(Pick(1, n)), Chance(20) ? "THRU " + I(n) : "",
                              I(Pick(1, 2)), I(Pick(0, 1)), "1"}));
        for (int r = Pick(1, 3), g = Pick(1, n); r > 0; --r, g = Pick(1, n))
            s.push_back(Join({"RACT", I(g), Chance(30) ? "THRU " + I(Pick(g, n)) : "",
                              I(Pick(-1, 1)), I(Pick(-1, 1)), I(Pick(-1, 1))}));
        for (int k = Pick(0, 2); k > 0; --k)
            s.push_back(Join({"SPRG", I(Pick(1, n)), Num(), Num(), Num()}));
        if (Chance(40)) {
            std::vector<int> order(static_cast<std::size_t>(n));
            std::iota(order.begin(), order.end(), 1);
            std::shuffle(order.begin(), order.end(), rng_);
            std::string t = "NSEQ";
            for (std::size_t k = 0; k < order.size(); ++k) {
                t += " " + I(order[k]);
                if (k == 2 && Chance(50)) {
                    s.push_back(t);
                    t = "NSEQ";
                }
            }
            s.push_back(t);
        }
        s.push_back("ENDMODEL");
        for (int l = Pick(0, 6); l > 0; --l)
            s.push_back(Join({OneOf({"LOAD", "DISP", "GRAV", "BLOAD", "QLOAD", "QTEMP", "SUBCASE"}),
                              I(Pick(1, n)), Chance(20) ? "THRU " + I(n) : "", Num(), Num()}));
        return s;
    }

    // Hostile changes to lines from..end: numbers replaced by small integers (ids that may
    // name nothing) or, unless numbersOnly, tokens replaced, lines dropped, repeated,
    // moved, made overlong, glued by tabs or written over by random ones.
    void Mutate(Lines& s, std::size_t from, int count, bool numbersOnly)
    {
        for (; count > 0 && from < s.size(); --count) {
            const auto at = static_cast<std::size_t>(
                Pick(static_cast<int>(from), static_cast<int>(s.size()) - 1));
            std::istringstream in(s[at]);
            Lines t{std::istream_iterator<std::string>(in), {}};
            switch (numbersOnly ? 6 : Pick(0, 7)) {
            case 0:
                s.erase(s.begin() + static_cast<std::ptrdiff_t>(at));
                break;
            case 1:
                s.insert(s.begin() + static_cast<std::ptrdiff_t>(at), s[at]);
                break;
            case 2:
                std::swap(s[at], s[static_cast<std::size_t>(
                                     Pick(static_cast<int>(from), static_cast<int>(at)))]);
                break;
            case 3:
                s[at] +=
                    OneOf({" 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21", " AND MORE",
                           " $ 1 2", std::string(static_cast<std::size_t>(Pick(100, 3000)), ',')});
                break;
            case 4:
                s[at] = "\t" + Join(t, OneOf({",", " , ", ",,", "\t", " \t "})) + "  ";
                break;
            case 5:
                for (int k = Pick(1, 14); k > 0; --k)
                    t.push_back(Token());
                s[at] = Join(Lines(t.end() - Pick(0, static_cast<int>(t.size())), t.end()));
                break;
            case 6:
                if (t.size() > 1)
                    t[static_cast<std::size_t>(Pick(1, static_cast<int>(t.size()) - 1))] =
                        I(Pick(-2, 10));
                s[at] = Join(t);
                break;
            default:
                t.insert(t.begin() + Pick(0, static_cast<int>(t.size())), Token());
                if (t.size() > 1)
                    t.erase(t.begin() + Pick(0, static_cast<int>(t.size()) - 1));
                s[at] = Join(t);
            }
        }
    }

private:
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool Chance(int percent) { return Pick(1, 100) <= percent; }
    std::string OneOf(const Lines& v)
    {
        return v[static_cast<std::size_t>(Pick(0, static_cast<int>(v.size()) - 1))];
    }
    static std::string I(int v) { return std::to_string(v); }
    std::string Num() { return Chance(50) ? I(Pick(-3, 12)) : I(Pick(-20000, 20000)) + "e-2"; }
    // Ids out of range, numbers that fit no integer, keywords in the wrong place.
    std::string Token()
    {
        return Chance(50) ? I(Pick(-2, 10))
                          : OneOf({"1e999",      "-1e300",  "10000001",  "-10000001",
                                   "2147483648", "4e9",     ".5",        "2.5",
                                   "-2.5",       "1D3",     "-",         "?",
                                   "-0",         "1e-320",  "12abc",     "0.49999999999999994",
                                   "GRID",       "BEAM",    "DOFS",      "RACT",
                                   "NSEQ",       "SUBCASE", "ENDMODEL",  "POLAR",
                                   "EQ",         "PIN",     "SHEAR",     "DEF",
                                   "THRU",       "nan",     "\xE9t\xE9", "$",
                                   "(3)"});
    }
    static std::string Join(const Lines& tokens, const std::string& sep = " ")
    {
        std::string s;
        for (const std::string& t : tokens)
            if (!t.empty())
                s += (s.empty() ? "" : sep) + t;
        return s;
    }

    std::mt19937_64 rng_{0x5EED1234ABCDULL};
};

// What the model step must keep whatever the text; returns the first broken invariant.
std::string BrokenInvariant(const Analysis& a, bool read, bool profiled)
{
    const ModelStore& m = a.Model;
    const std::string& fatal = a.State.FatalText;
    if (!fatal.empty() && fatal.substr(fatal.size() - 2) != "\r\n")
        return "diagnostics not ended by CR LF";
    if ((a.State.Stage == ModelRead) != fatal.empty())
        return "stage does not follow the diagnostics";
    if (m.nGrids > m.Grids.Last() || m.nBeams > m.Beams.Last() || m.nQuads > m.Quads.Last())
        return "counts beyond the tables";
    if (!read)
        return m.NEQ == 0 && !fatal.empty() ? "" : "numbered after a failed record pass";

    const int neq = m.NEQ;
    if (neq < 0 || neq > m.DOFTOTAL)
        return "NEQ outside 0..DOFTOTAL";
    std::vector<int> used(static_cast<std::size_t>(m.DOFTOTAL) + 1, 0);
    for (int i = 1; i <= m.nGrids; ++i) {
        for (int j = 1; j <= 3; ++j) {
            const int e = m.Grids(i).equation[static_cast<std::size_t>(j)];
            if (e < -neq || e > m.DOFTOTAL ||
                (e != 0 && used[static_cast<std::size_t>(std::abs(e))]++))
                return "equation number outside -NEQ..DOFTOTAL or used twice";
        }
        if (m.Grids(i).axisCode < PolarAxes || m.Grids(i).axisCode > TurnOnly)
            return "axis code out of range";
    }
    if (std::count(used.begin() + 1, used.begin() + neq + 1, 0) != 0)
        return "an equation without a dof";
    if (!profiled)
        return "";

    const StiffnessProfile& p = a.Profile;
    const auto top = [&](int j) { return j + 1 - (p.DiagPos(j + 1) - p.DiagPos(j)); };
    long long maxHeight = 0;
    for (int j = 1; j <= neq; ++j) {
        if (top(j) < 1 || top(j) > j)
            return "column height outside 1..j";
        maxHeight = std::max(maxHeight, j + 1 - top(j));
    }
    if (p.DiagPos(1) != 2 || p.ProfileSize != p.DiagPos(neq + 1) ||
        p.MaxActiveColumn != maxHeight || p.RmsActiveColumn > maxHeight ||
        (neq > 0 && p.RmsActiveColumn < 1))
        return "profile statistics";
    // Every pair of equations an element or a grid's springs couple lies in the profile.
    const auto covers = [&](const int* list, int count) {
        for (int x = 0; x < count; ++x)
            for (int y = 0; y < count; ++y)
                if (list[x] >= 1 && list[y] <= neq && list[x] < list[y] && top(list[y]) > list[x])
                    return false;
        return true;
    };
    for (int b = 1; b <= m.nBeams; ++b)
        if (!covers(BeamEquationList(a, b).data(), 6))
            return "beam outside the profile";
    for (int q = 1; q <= m.nQuads; ++q)
        if (!covers(QuadEquationList(a, q).data(), 8))
            return "quad outside the profile";
    for (int i = 1; i <= m.nGrids; ++i) {
        const GridRow& g = m.Grids(i);
        const int pair[2] = {std::abs(g.equation[1]), std::abs(g.equation[2])};
        if ((g.spring[1] != 0 || g.spring[2] != 0 || g.axisCode > 0) && !covers(pair, 2))
            return "a grid's u, v pair outside the profile";
    }
    return "";
}

TEST(FuzzIntake, RandomAndMutatedModelsKeepTheInvariants)
{
    ModelFuzzer fuzzer;
    int outcomes[4] = {}; // pre-scan failed, record pass failed, later pass failed, read
    for (int i = 0; i < 3000; ++i) {
        // Clean models, then hostile numbers after the grids, then hostile anything.
        std::size_t elementLine = 0;
        Lines lines = fuzzer.Clean(elementLine);
        fuzzer.Mutate(lines,
                      i % 3 == 0   ? lines.size()
                      : i % 3 == 1 ? elementLine
                                   : 0,
                      1 + i % 6, i % 3 == 1);
        const std::string text = testing::CrlfText(lines);
        SCOPED_TRACE("model " + std::to_string(i) + ":\n" + text);

        Analysis a;
        SplitModelText(a, text);
        PreScanModel(a);
        if (a.State.SubcaseCount > 10)
            Diagnose(a, Msg::TooManySubcases, 10, 0);
        std::string report = a.State.FatalText + "\r\nFatal error... Done processing model";
        int outcome = 0;
        if (a.State.FatalText.empty()) {
            const bool read = ReadModel(a);
            const bool profiled = read && BuildProfile(a);
            ComposeReadText(a, profiled ? a.Profile.ProfileSize - 2 : 0);
            report = a.Summary.ReadText;
            outcome = !read ? 1 : a.State.FatalText.empty() ? 3 : 2;
            ASSERT_EQ(BrokenInvariant(a, read, profiled), "");
        } else {
            ASSERT_EQ(a.Model.Grids.Last() + a.Model.GridIndex.Last(), 0); // no table sized
        }
        if (i % 3 == 0)
            ASSERT_EQ(a.State.FatalText, ""); // a clean model
        ++outcomes[outcome];

        // The driver's run of the step gives the same report, and so does a second run.
        if (i % 10 == 0) {
            Analysis viaDriver;
            ASSERT_EQ(testing::ProcessModel(viaDriver, lines), outcome == 3);
            ASSERT_EQ(viaDriver.Summary.ReadText, report);
            testing::ProcessModel(viaDriver, lines);
            ASSERT_EQ(viaDriver.Summary.ReadText, report);
        }
    }
    // The generator reaches every outcome often enough to matter.
    for (int k = 0; k < 4; ++k)
        EXPECT_GT(outcomes[k], 100) << "outcome " << k << ": " << outcomes[0] << " " << outcomes[1]
                                    << " " << outcomes[2] << " " << outcomes[3];
}

} // namespace
} // namespace tavu
