// Random and mutated model texts through the model step: no crash, no read outside a table
// (index checks are on in test builds), and the numbering and the profile keep their
// invariants whatever the text says.

#include "TestSupport.h"
#include "model/Diagnostics.h"
#include "model/PreScan.h"
#include "model/Reader.h"
#include "solver/Profile.h"

#include <algorithm>
#include <gtest/gtest.h>
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
    // A model the reader must accept; elementLine is the index of its first element record.
    Lines Clean(std::size_t& elementLine)
    {
        const int n = Pick(4, 8);
        Lines s, order;
        for (int id = 1; id <= n; ++id) {
            // A copy names a lower id, on any line: copies form chains but never a loop.
            s.push_back("GRID " + I(id) +
                        OneOf({" " + Num() + " " + Num(), " 1 2 -30", " 5 " + Num() + " POLAR",
                               id > 1 ? " EQ " + I(Pick(1, id - 1)) : " 0 0"}));
            order.push_back(I(id));
        }
        std::shuffle(s.begin(), s.end(), rng_);
        std::shuffle(order.begin(), order.end(), rng_);
        elementLine = s.size();
        for (int b = Pick(1, 6), g = Pick(1, n); b > 0; --b, g = Pick(1, n)) {
            // PROP 2 has an axial load, which a PIN beam refuses.
            const std::string option = OneOf({"", " PIN", " BEND", " CURV", " 0.25 -0.5"});
            s.push_back("BEAM " + I(b) + " " + I(g) + " " + I(g % n + 1) +
                        (option == " PIN" ? " 1 " + I(Pick(1, 2)) : Ids()) + option);
        }
        for (int q = Pick(0, 3), g = Pick(1, n); q > 0; --q, g = Pick(1, n))
            s.push_back("QUAD " + I(q) + " " + I(g) + " " + I(g % n + 1) + " " +
                        I((g + 1) % n + 1) + OneOf({" 0", " " + I((g + 2) % n + 1)}) + Ids());
        s.insert(s.end(), {"PROP 1 2 3", "PROP 2 1 4 0.5 0.02", "MATL 1 1000 0.3 1e-5",
                           "MATL 2 2000 -0.2 1e-5 7.8 STRAIN", "DOFS DEF 1 1 " + I(Pick(0, 1)),
                           OneOf({"", "DOFS " + Grid(n) + " 1 0 1", "DOFS 1 THRU 2 1 1 1"})});
        for (int r = Pick(1, 3), g = Pick(1, n); r > 0; --r, g = Pick(1, n))
            s.push_back("RACT " + I(g) + OneOf({"", " THRU " + I(Pick(g, n))}) + " " + Code() +
                        " " + Code() + " " + Code());
        s.push_back(OneOf({"", "SPRG " + Grid(n) + " " + Num() + " " + Num()}));
        if (Pick(0, 1)) { // a list may go on over several records
            s.insert(s.end(), {"NSEQ " + order[0], "NSEQ " + order[1] + " " + order[2], "NSEQ"});
            for (std::size_t k = 3; k < order.size(); ++k)
                s.back() += " " + order[k];
        }
        s.push_back("ENDMODEL");
        for (int l = Pick(0, 6); l > 0; --l)
            s.push_back(OneOf({"LOAD ", "DISP ", "BLOAD ", "QTEMP ", "SUBCASE "}) + Grid(n) +
                        OneOf({"", " THRU " + I(n)}) + " " + Num() + " " + Num());
        return s;
    }

    // Hostile changes to lines from..end: numbers replaced by small integers (ids that may
    // name nothing), and unless numbersOnly also tokens replaced, lines dropped, repeated,
    // moved, made overlong, glued by tabs or written over.
    void Mutate(Lines& s, std::size_t from, int count, bool numbersOnly)
    {
        for (; count > 0 && from < s.size(); --count) {
            const auto line = s.begin() + Pick(static_cast<int>(from), Last(s));
            std::istringstream in(*line);
            Lines t{std::istream_iterator<std::string>(in), {}};
            const auto token = [&](int first) -> std::string& {
                return t[static_cast<std::size_t>(Pick(std::min(first, Last(t)), Last(t)))];
            };
            const int op = numbersOnly ? 0 : Pick(0, 7);
            if (op <= 1 && !t.empty())
                token(1 - op) = op == 0 ? I(Pick(-2, 10)) : Token();
            if (op == 2)
                for (t.clear(); Pick(0, 12) > 0;)
                    t.push_back(Token());
            if (op <= 2)
                *line = Join(t, " ");
            else if (op == 3)
                *line = "\t" + Join(t, OneOf({",", " , ", ",,", "\t", " \t "})) + "  ";
            else if (op == 4)
                *line += OneOf({" 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21",
                                " AND MORE", " $ 1 2", std::string(3000, ',')});
            else if (op == 5)
                std::iter_swap(line, s.begin() + Pick(static_cast<int>(from), Last(s)));
            else if (op == 6)
                s.insert(line, *line);
            else
                s.erase(line);
        }
    }

private:
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    static int Last(const Lines& v) { return static_cast<int>(v.size()) - 1; }
    std::string OneOf(const Lines& v) { return v[static_cast<std::size_t>(Pick(0, Last(v)))]; }
    static std::string I(int v) { return std::to_string(v); }
    std::string Num() { return OneOf({I(Pick(-3, 12)), I(Pick(-20000, 20000)) + "e-2"}); }
    std::string Grid(int n) { return I(Pick(1, n)); }
    std::string Ids() { return " " + I(Pick(1, 2)) + " " + I(Pick(1, 2)); }
    std::string Code() { return I(Pick(-1, 1)); }
    // Ids out of range, numbers that fit no integer, words in the wrong place.
    std::string Token()
    {
        return Pick(0, 1)
                   ? I(Pick(-2, 10))
                   : OneOf({"1e999",   "-1e300",   "10000001", "2147483648", "4e9",  ".5",
                            "2.5",     "-2.5",     "1D3",      "-",          "?",    "1e-320",
                            "12abc",   "GRID",     "BEAM",     "DOFS",       "RACT", "NSEQ",
                            "SUBCASE", "ENDMODEL", "POLAR",    "EQ",         "PIN",  "SHEAR",
                            "DEF",     "THRU",     "nan",      "\xE9t\xE9",  "$"});
    }
    static std::string Join(const Lines& t, const std::string& sep)
    {
        std::string s;
        for (const std::string& token : t)
            s += (s.empty() ? "" : sep) + token;
        return s;
    }

    std::mt19937_64 rng_{0x5EED1234ABCDULL};
};

// What the numbering and the profile must keep; returns the first broken invariant.
std::string BrokenInvariant(const Analysis& a, bool profiled)
{
    const ModelStore& m = a.Model;
    const int neq = m.NEQ;
    if (neq < 0 || neq > m.DOFTOTAL)
        return "NEQ outside 0..DOFTOTAL";
    std::vector<int> used(static_cast<std::size_t>(m.DOFTOTAL) + 1, 0);
    for (int i = 1; i <= m.nGrids; ++i) {
        for (int e : m.Grids(i).equation)
            if (e < -neq || e > m.DOFTOTAL || (e && used[static_cast<std::size_t>(std::abs(e))]++))
                return "equation number outside -NEQ..DOFTOTAL or used twice";
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
        if (!covers(BeamEquationList(a, b, Numbering::Model).data(), 6))
            return "beam outside the profile";
    for (int q = 1; q <= m.nQuads; ++q)
        if (!covers(QuadEquationList(a, q, Numbering::Model).data(), 8))
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
        SCOPED_TRACE("model " + std::to_string(i) + ":\n" + testing::CrlfText(lines));

        // The step as the driver runs it, keeping what each stage returned.
        Analysis a;
        SplitModelText(a, testing::CrlfText(lines));
        PreScanModel(a);
        if (a.State.SubcaseCount > 10)
            Diagnose(a, Msg::TooManySubcases, 10, 0);
        const std::string& fatal = a.State.FatalText;
        std::string report = fatal + "\r\nFatal error... Done processing model";
        int outcome = 0;
        if (fatal.empty()) {
            const bool read = ReadModel(a);
            const bool profiled = read && BuildProfile(a);
            ComposeReadText(a, profiled ? a.Profile.ProfileSize - 2 : 0);
            report = a.Summary.ReadText;
            outcome = !read ? 1 : fatal.empty() ? 3 : 2;
            ASSERT_EQ(read ? BrokenInvariant(a, profiled) : "", "");
            ASSERT_EQ(read || a.Model.NEQ == 0, true);
        } else {
            ASSERT_EQ(a.Model.Grids.Last() + a.Model.GridIndex.Last(), 0); // no table sized
        }
        ASSERT_EQ(a.State.Stage == ModelRead, outcome == 3);
        ASSERT_TRUE(fatal.empty() == (outcome == 3) && (i % 3 || outcome == 3)); // clean: read
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
        EXPECT_GT(outcomes[k], 200) << "outcome " << k;
}

} // namespace
} // namespace tavu
