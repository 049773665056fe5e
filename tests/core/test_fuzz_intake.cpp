// Random and mutated model texts through the whole model-processing step: no crash, no
// hang, no read outside a table (index checks are on in test builds), and the numbering
// and the profile keep their invariants whatever the text says.

#include "TestSupport.h"
#include "model/Diagnostics.h"
#include "model/PreScan.h"
#include "model/Reader.h"
#include "solver/Profile.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace tavu {
namespace {

using testing::CrlfText;

class ModelFuzzer
{
public:
    explicit ModelFuzzer(std::uint64_t seed) : rng_(seed) {}

    std::vector<std::string> Next()
    {
        std::vector<std::string> lines;
        const int draw = Pick(1, 100);
        mode_ = draw <= 35 ? Mode::Clean : draw <= 60 ? Mode::Mild : Mode::Wild;
        clean_ = mode_ != Mode::Wild;
        if (mode_ == Mode::Wild && Chance(15)) {
            const int n = Pick(1, 30);
            for (int i = 0; i < n; ++i)
                lines.push_back(RandomLine());
        } else {
            lines = BaseModel();
        }
        const int mutations = mode_ == Mode::Wild ? Pick(0, 5) : 0;
        for (int i = 0; i < mutations; ++i)
            Mutate(lines);
        return lines;
    }

    // The last model was generated without any hostile choice.
    bool LastWasClean() const { return mode_ == Mode::Clean; }

private:
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool Chance(int percent) { return Pick(1, 100) <= percent; }
    // A choice that breaks the model; never taken for a clean one.
    bool Hostile(int percent) { return !clean_ && Chance(percent); }
    template <class T> const T& OneOf(const std::vector<T>& v)
    {
        return v[static_cast<std::size_t>(Pick(0, static_cast<int>(v.size()) - 1))];
    }

    std::string Num(double v)
    {
        std::string s = std::to_string(v);
        while (s.find('.') != std::string::npos && (s.back() == '0' || s.back() == '.'))
            s.pop_back();
        return s;
    }

    // A number token: mostly ordinary, sometimes hostile.
    std::string NumberToken()
    {
        // clang-format off
        static const std::vector<std::string> odd = {
            "1e999", "-1e999", "1e300", "-1e300", "10000001", "-10000001", "2147483648",
            "-2147483649", "4e9", ".5", "-.5", "2.5", "1D3", "-", "?", "0", "-0", "1e-320",
            "12abc", "1e", "--3", "0.49999999999999994", "3.5", "-2.5", "1e15", "9e9999999999"};
        // clang-format on
        if (Hostile(15))
            return OneOf(odd);
        if (Chance(50))
            return std::to_string(Pick(-3, 12));
        return Num(Pick(-20000, 20000) / 100.0);
    }

    std::string Token()
    {
        static const std::vector<std::string> words = {
            "GRID",  "BEAM",     "QUAD",      "PROP",  "MATL",     "DOFS",  "RACT",     "SPRG",
            "NSEQ",  "ENDMODEL", "SUBCASE",   "LOAD",  "DISP",     "GRAV",  "BLOAD",    "BINIT",
            "BTEMP", "QLOAD",    "QTEMP",     "grid",  "EndModel", "POLAR", "EQ",       "PIN",
            "BEND",  "CURV",     "STRAIN",    "SHEAR", "DEF",      "THRU",  "thru",     "inf",
            "nan",   "X",        "\xE9t\xE9", "+4",    "#",        "$",     "$ remark", "",
            "\t",    "GRID\t1",  "(3)",       "*"};
        return Chance(35) ? OneOf(words) : NumberToken();
    }

    std::string Separator()
    {
        static const std::vector<std::string> seps = {" ",   " ",  " ",  ",",  ", ",
                                                      " , ", "  ", ",,", "\t", " \t "};
        // A tab is no separator: it glues two fields into one.
        const std::string& sep = OneOf(seps);
        return clean_ && sep.find('\t') != std::string::npos ? std::string(" ") : sep;
    }

    std::string Join(const std::vector<std::string>& tokens)
    {
        std::string s;
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            if (i)
                s += Separator();
            s += tokens[i];
        }
        return s;
    }

    std::string RandomLine()
    {
        std::vector<std::string> tokens;
        const int n = Pick(0, 14);
        for (int i = 0; i < n; ++i)
            tokens.push_back(Token());
        return Join(tokens);
    }

    // A grid id of the model: mostly valid, sometimes not.
    std::string GridRef(int nGrids)
    {
        if (Hostile(8))
            return NumberToken();
        return std::to_string(Pick(Hostile(5) ? -1 : 1, nGrids + (Hostile(5) ? 2 : 0)));
    }

    std::vector<std::string> BaseModel()
    {
        std::vector<std::string> lines;
        const int nGrids = clean_ ? Pick(4, 8) : Pick(1, 8);
        std::vector<std::string> grids;
        for (int id = 1; id <= nGrids; ++id) {
            const int form = Pick(0, 9);
            if (form <= 5)
                grids.push_back(Join({"GRID", std::to_string(id), Num(Pick(-50, 50)),
                                      Num(Pick(-50, 50)), Chance(30) ? Num(Pick(-90, 90)) : ""}));
            else if (form <= 7)
                grids.push_back(
                    Join({"GRID", std::to_string(id), Num(Pick(1, 20)), Num(Pick(0, 359)), "POLAR",
                          clean_       ? "0"
                          : Chance(50) ? GridRef(nGrids)
                                       : "",
                          Chance(30) ? Num(Pick(0, 90)) : ""}));
            else
                grids.push_back(Join({"GRID", std::to_string(id), "EQ", GridRef(nGrids)}));
        }
        if (Chance(30))
            std::shuffle(grids.begin(), grids.end(), rng_);
        lines.insert(lines.end(), grids.begin(), grids.end());

        static const std::vector<std::string> beamOptions = {"", "", "PIN", "BEND", "CURV", "X"};
        const int nBeams = Pick(clean_ ? 1 : 0, 6);
        for (int b = 0; b < nBeams; ++b) {
            const int ga = Pick(1, nGrids);
            lines.push_back(Join({"BEAM", std::to_string(Pick(1, 9)),
                                  clean_ ? std::to_string(ga) : GridRef(nGrids),
                                  clean_ ? std::to_string(ga % nGrids + 1) : GridRef(nGrids),
                                  std::to_string(clean_ ? Pick(1, 2) : Pick(0, 3)),
                                  std::to_string(clean_ ? Pick(1, 2) : Pick(0, 2)),
                                  OneOf(beamOptions), Chance(20) ? Num(Pick(-2, 2) / 4.0) : "",
                                  Chance(20) ? Num(Pick(-2, 2) / 4.0) : ""}));
        }
        const int nQuads = Pick(0, 3);
        for (int q = 0; q < nQuads; ++q) {
            std::vector<int> corners(static_cast<std::size_t>(nGrids));
            for (int i = 0; i < nGrids; ++i)
                corners[static_cast<std::size_t>(i)] = i + 1;
            std::shuffle(corners.begin(), corners.end(), rng_);
            const auto corner = [&](int k) {
                return clean_ ? std::to_string(corners[static_cast<std::size_t>(k)])
                              : GridRef(nGrids);
            };
            lines.push_back(Join({"QUAD", std::to_string(Pick(1, 5)), corner(0), corner(1),
                                  corner(2), Chance(30) ? "0" : corner(3),
                                  std::to_string(clean_ ? Pick(1, 2) : Pick(0, 3)),
                                  std::to_string(clean_ ? Pick(1, 2) : Pick(0, 2))}));
        }
        const int nProps = clean_ ? 2 : Pick(0, 3);
        for (int p = 0; p < nProps; ++p)
            lines.push_back(Join({"PROP", std::to_string(clean_ ? p + 1 : Pick(0, 3)),
                                  Num(Pick(clean_ ? 1 : 0, 10)), Num(Pick(clean_ ? 1 : 0, 10)),
                                  Num(Pick(0, 3)), Num(Pick(0, 2) * 0.01)}));
        static const std::vector<std::string> matlOptions = {"", "", "STRAIN", "SHEAR"};
        const int nMatls = clean_ ? 2 : Pick(0, 2);
        for (int m = 0; m < nMatls; ++m)
            lines.push_back(Join({"MATL", std::to_string(clean_ ? m + 1 : Pick(0, 2)),
                                  Num(Pick(clean_ ? 1 : 0, 3) * 1000), Num(Pick(-2, 4) / 10.0),
                                  "1e-5", "7.8", OneOf(matlOptions)}));

        // Mild models are clean up to here and hostile in their constraint records.
        const bool elementsClean = clean_;
        clean_ = mode_ == Mode::Clean;
        if (clean_)
            lines.push_back(Join({"DOFS", "DEF", "1", "1", std::to_string(Pick(0, 1))}));
        else if (Chance(60))
            lines.push_back(Join({"DOFS", "DEF", std::to_string(Pick(0, 2)),
                                  std::to_string(Pick(0, 1)), std::to_string(Pick(0, 1))}));
        if (Chance(30))
            lines.push_back(Join({"DOFS", GridRef(nGrids), std::to_string(Pick(clean_ ? 1 : -1, 2)),
                                  std::to_string(Pick(0, 1)), std::to_string(Pick(0, 1))}));
        if (Chance(20))
            lines.push_back(Join({"DOFS", GridRef(nGrids), "THRU", GridRef(nGrids), "1", "1",
                                  std::to_string(Pick(0, 1))}));
        const int nRact = clean_ ? Pick(1, 3) : Pick(0, 3);
        for (int r = 0; r < nRact; ++r) {
            const int first = Pick(1, nGrids);
            std::vector<std::string> t = {"RACT", clean_ ? std::to_string(first) : GridRef(nGrids)};
            if (Chance(30)) {
                t.push_back("THRU");
                t.push_back(Hostile(10) ? "10000000"
                            : clean_    ? std::to_string(Pick(first, nGrids))
                                        : GridRef(nGrids));
            }
            for (int j = 0; j < 3; ++j)
                t.push_back(Hostile(10) ? NumberToken() : std::to_string(Pick(-1, 1)));
            lines.push_back(Join(t));
        }
        const int nSprg = Pick(0, 2);
        for (int s = 0; s < nSprg; ++s)
            lines.push_back(Join({"SPRG", GridRef(nGrids), Hostile(20) ? "THRU" : "",
                                  Num(Pick(0, 100)), Num(Pick(0, 100)), Num(Pick(0, 100))}));
        if (Chance(clean_ ? 30 : 50)) {
            std::vector<int> order(static_cast<std::size_t>(nGrids));
            for (int i = 0; i < nGrids; ++i)
                order[static_cast<std::size_t>(i)] = i + 1;
            std::shuffle(order.begin(), order.end(), rng_);
            if (Hostile(20))
                order.push_back(Pick(-1, nGrids + 1));
            if (Hostile(20) && !order.empty())
                order.pop_back();
            if (Hostile(20) && order.size() > 1)
                order[0] = order[1];
            std::vector<std::string> t = {"NSEQ"};
            for (int g : order) {
                t.push_back(std::to_string(g));
                if (t.size() == 4 && Chance(50)) {
                    lines.push_back(Join(t));
                    t = {Hostile(20) ? "DOFS" : "NSEQ"};
                }
            }
            lines.push_back(Join(t));
        }
        clean_ = elementsClean;
        lines.push_back(Hostile(3) ? "ENDMOD" : "ENDMODEL");

        static const std::vector<std::string> loads = {"LOAD",  "DISP",  "GRAV",  "BLOAD",  "BINIT",
                                                       "BTEMP", "QLOAD", "QTEMP", "SUBCASE"};
        const int nLoads = Pick(0, 6);
        for (int l = 0; l < nLoads; ++l) {
            std::vector<std::string> t = {OneOf(loads), GridRef(nGrids)};
            if (Chance(20)) {
                t.push_back("THRU");
                t.push_back(GridRef(nGrids));
            }
            const int n = Pick(0, 5);
            for (int k = 0; k < n; ++k)
                t.push_back(NumberToken());
            lines.push_back(Join(t));
        }
        return lines;
    }

    void Mutate(std::vector<std::string>& lines)
    {
        const std::size_t n = lines.size();
        const std::size_t at =
            n == 0 ? 0 : static_cast<std::size_t>(Pick(0, static_cast<int>(n) - 1));
        switch (Pick(0, 9)) {
        case 0: // a token replaced
            if (n > 0) {
                std::string& line = lines[at];
                std::size_t pos =
                    line.empty() ? 0
                                 : static_cast<std::size_t>(Pick(0, static_cast<int>(line.size())));
                std::size_t end = line.find(' ', pos);
                line.replace(pos, end == std::string::npos ? std::string::npos : end - pos,
                             Token());
            }
            break;
        case 1:
            if (n > 0)
                lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
            break;
        case 2:
            if (n > 0)
                lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), lines[at]);
            break;
        case 3:
            if (n > 1)
                std::swap(lines[at],
                          lines[static_cast<std::size_t>(Pick(0, static_cast<int>(n) - 1))]);
            break;
        case 4:
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), RandomLine());
            break;
        case 5: // overlong: too many numbers or words
            if (n > 0)
                lines[at] += Chance(50) ? " 1 2 3 4 5 6 7 8 9 10 11" : " AND MORE";
            break;
        case 6:
            if (n > 0)
                lines[at] += Chance(50) ? " $ remark 1 2 3" : "$";
            break;
        case 7: // a very long line
            if (n > 0)
                lines[at] +=
                    std::string(static_cast<std::size_t>(Pick(100, 5000)), Chance(50) ? ' ' : ',');
            break;
        case 8: // blanks and tabs around and inside
            if (n > 0)
                lines[at] = (Chance(50) ? "   " : "\t") + lines[at] + (Chance(50) ? "   " : "\t");
            break;
        default: // a number changed in place
            if (n > 0) {
                std::string& line = lines[at];
                for (char& c : line)
                    if (c >= '0' && c <= '9' && Chance(20))
                        c = static_cast<char>('0' + Pick(0, 9));
            }
            break;
        }
    }

    enum class Mode
    {
        Clean, // a model the reader must accept
        Mild,  // clean elements, hostile constraint records
        Wild,  // hostile anywhere, then mutated
    };
    std::mt19937_64 rng_;
    Mode mode_ = Mode::Clean;
    bool clean_ = false; // hostile choices are off for the part being generated
};

// The model step as the driver runs it, keeping what each stage returned.
struct StepOutcome
{
    bool scanned = false;  // the pre-scan (and the subcase count) found nothing fatal
    bool read = false;     // the passes after the record pass ran
    bool profiled = false; // the profile was built within its limit
};

StepOutcome RunStages(Analysis& a, const std::string& text)
{
    StepOutcome out;
    SplitModelText(a, text);
    PreScanModel(a);
    if (a.State.SubcaseCount > 10)
        Diagnose(a, Msg::TooManySubcases, 10, 0);
    if (!a.State.FatalText.empty()) {
        a.Summary.ReadText = a.State.FatalText + "\r\nFatal error... Done processing model";
        return out;
    }
    out.scanned = true;
    out.read = ReadModel(a);
    out.profiled = out.read && BuildProfile(a);
    ComposeReadText(a, out.profiled ? a.Profile.ProfileSize - 2 : 0);
    return out;
}

// Invariants of a numbered model and its profile; returns the first one broken.
std::string CheckNumbered(const Analysis& a, const StepOutcome& out)
{
    const ModelStore& m = a.Model;
    const int neq = m.NEQ;
    if (neq < 0 || neq > m.DOFTOTAL)
        return "NEQ outside 0..DOFTOTAL";
    std::vector<int> used(static_cast<std::size_t>(m.DOFTOTAL) + 1, 0);
    for (int i = 1; i <= m.nGrids; ++i) {
        for (int j = 1; j <= 3; ++j) {
            const int e = m.Grids(i).equation[static_cast<std::size_t>(j)];
            if (e < -neq || e > m.DOFTOTAL)
                return "equation number outside -NEQ..DOFTOTAL";
            if (e != 0 && used[static_cast<std::size_t>(std::abs(e))]++)
                return "equation number used twice";
        }
        const int axis = m.Grids(i).axisCode;
        if (axis < -1 || axis > 3)
            return "axis code out of range";
    }
    for (int e = 1; e <= neq; ++e)
        if (!used[static_cast<std::size_t>(e)])
            return "an equation without a dof";
    if (!out.profiled)
        return "";

    const StiffnessProfile& p = a.Profile;
    if (p.DiagPos.Last() != neq + 1 || p.DiagPos(1) != 2)
        return "DiagPos badly sized";
    int maxHeight = 0;
    for (int j = 1; j <= neq; ++j) {
        const long long h = p.DiagPos(j + 1) - p.DiagPos(j);
        if (h < 1 || h > j)
            return "column height outside 1..j";
        maxHeight = std::max(maxHeight, static_cast<int>(h));
    }
    if (p.ProfileSize != p.DiagPos(neq + 1) || p.MaxActiveColumn != maxHeight)
        return "profile statistics";
    if (p.RmsActiveColumn > maxHeight || (neq > 0 && p.RmsActiveColumn < 1))
        return "rms column outside 1..max";
    // Every pair of equations an element couples lies inside the profile.
    const auto covers = [&](const int* list, int count) {
        for (int x = 0; x < count; ++x)
            for (int y = 0; y < count; ++y) {
                const int lo = list[x], hi = list[y];
                if (lo >= 1 && hi <= neq && lo <= hi &&
                    hi - (p.DiagPos(hi + 1) - p.DiagPos(hi)) + 1 > lo)
                    return false;
            }
        return true;
    };
    for (int b = 1; b <= m.nBeams; ++b)
        if (!covers(BeamEquationList(a, b).data(), 6))
            return "beam outside the profile";
    for (int q = 1; q <= m.nQuads; ++q)
        if (!covers(QuadEquationList(a, q).data(), 8))
            return "quad outside the profile";
    for (int i = 1; i <= m.nGrids; ++i) {
        if (m.Grids(i).spring[1] == 0 && m.Grids(i).spring[2] == 0 && m.Grids(i).axisCode <= 0)
            continue;
        const int pair[2] = {std::abs(m.Grids(i).equation[1]), std::abs(m.Grids(i).equation[2])};
        if (!covers(pair, 2))
            return "a grid's u, v pair outside the profile";
    }
    return "";
}

TEST(FuzzIntake, RandomAndMutatedModelsKeepTheInvariants)
{
    ModelFuzzer fuzzer(0x5EED1234ABCDULL);
    int succeeded = 0, readOnly = 0, preScanFailed = 0;
    for (int iteration = 0; iteration < 4000; ++iteration) {
        const std::vector<std::string> lines = fuzzer.Next();
        const std::string text = CrlfText(lines);
        SCOPED_TRACE("model " + std::to_string(iteration) + ":\n" + text);

        Analysis a;
        const StepOutcome out = RunStages(a, text);
        const ModelStore& m = a.Model;
        const std::string& report = a.Summary.ReadText;
        ASSERT_TRUE(report.size() >= 21 &&
                    report.compare(report.size() - 21, 21, "Done processing model") == 0);
        ASSERT_LE(m.nGrids, m.Grids.Last());
        ASSERT_LE(m.nBeams, m.Beams.Last());
        ASSERT_LE(m.nQuads, m.Quads.Last());
        ASSERT_LE(m.maxGridId, MaxModelId);
        ASSERT_TRUE(a.State.FatalText.empty() ||
                    a.State.FatalText.compare(a.State.FatalText.size() - 2, 2, "\r\n") == 0);

        if (fuzzer.LastWasClean()) {
            ASSERT_EQ(a.State.FatalText, "");
        }
        if (!out.scanned) {
            ++preScanFailed;
            ASSERT_EQ(report, a.State.FatalText + "\r\nFatal error... Done processing model");
            ASSERT_EQ(a.State.Stage, ModelPending);
            continue;
        }
        ASSERT_EQ(report.rfind("Number of grids:    ", 0), 0u);
        ASSERT_EQ(a.State.Stage == ModelRead, a.State.FatalText.empty());
        if (!out.read) {
            ASSERT_EQ(m.NEQ, 0);
            ASSERT_FALSE(a.State.FatalText.empty());
            ++readOnly;
            continue;
        }
        ASSERT_EQ(CheckNumbered(a, out), "");
        if (a.State.FatalText.empty())
            ++succeeded;

        // Every tenth model: the driver gives the same report, and a second run over the
        // same text gives the same result as the first.
        if (iteration % 10 == 0) {
            Analysis viaDriver;
            ASSERT_EQ(testing::ProcessModel(viaDriver, lines), a.State.FatalText.empty());
            ASSERT_EQ(viaDriver.Summary.ReadText, report);
            RunStages(viaDriver, text);
            ASSERT_EQ(viaDriver.Summary.ReadText, report);
            ASSERT_EQ(viaDriver.State.FatalText, a.State.FatalText);
        }
    }
    // The generator reaches every outcome often enough to matter.
    EXPECT_GT(succeeded, 200);
    EXPECT_GT(readOnly, 200);
    EXPECT_GT(preScanFailed, 200);
}

} // namespace
} // namespace tavu
