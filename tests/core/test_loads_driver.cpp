// The load step inside the solution driver: repeated runs, and runs after an edit below
// the ENDMODEL line.

#include "driver/Driver.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tavu {
namespace {

class QuietWindow : public SummaryWindow
{
public:
    void SetTitle(const std::string& t) override { title = t; }
    void ShowText(const std::string& t) override { text = t; }
    void DisableContinue() override { disabled = true; }
    void FocusContinue() override {}
    void FocusCancel() override {}
    void TurnContinueIntoFinish() override { finish = true; }
    bool AskLoadScalars(Analysis& a) override
    {
        ++dialogs;
        for (int i = 1; i <= a.State.SubcaseCount && i <= MaxSubcases; ++i)
            a.LoadScalars[static_cast<std::size_t>(i)] = 2.0;
        return true;
    }
    void Close() override {}
    void FocusEditor() override {}

    std::string title, text;
    bool disabled = false, finish = false;
    int dialogs = 0;
};

std::string Crlf(const std::vector<std::string>& lines)
{
    std::string s;
    for (std::size_t i = 0; i < lines.size(); ++i)
        s += (i ? "\r\n" : "") + lines[i];
    return s;
}

// A frame on a polar-grid spring and a heated quad, loaded by every kind of record.
std::vector<std::string> Model(const std::string& modulus, const std::string& tipLoad)
{
    return {"GRID 1 0 0",
            "GRID 2 4 0",
            "GRID 3 5 30 POLAR",
            "GRID 4 6 0",
            "GRID 5 6 1",
            "GRID 6 4 1",
            "BEAM 1 1 2 1 1",
            "BEAM 2 2 3 1 1",
            "QUAD 1 2 4 5 6 2 2",
            "PROP 1 0.01 1E-4",
            "PROP 2 0.1",
            "MATL 1 " + modulus + " 0.3 1E-5 2",
            "MATL 2 70000 0.3 2E-5",
            "DOFS DEF 1 1 1",
            "DOFS 4 THRU 6 1 1 0",
            "RACT 1 1 1 1",
            "RACT 4 1 1",
            "SPRG 3 500 200 0",
            "ENDMODEL",
            "LOAD 3 " + tipLoad + " 2",
            "GRAV 0 -9.81",
            "BLOAD 1 -3 -1",
            "BTEMP 2 20 5",
            "SUBCASE 1",
            "QTEMP 1 30",
            "QLOAD 1 2 4"};
}

void RunAll(Analysis& a, QuietWindow& w, const std::string& text)
{
    StartStep(a, w, text);
    while (!w.disabled && a.State.Stage != Solved) {
        const int before = a.State.Stage;
        ContinueStep(a, w);
        if (a.State.Stage == before)
            break;
    }
}

void ExpectSameResults(const ResultSet& x, const ResultSet& y)
{
    ASSERT_EQ(x.SolutionVector.Last(), y.SolutionVector.Last());
    for (long long e = 0; e <= x.SolutionVector.Last(); ++e)
        EXPECT_EQ(x.SolutionVector(e), y.SolutionVector(e)) << e;
    ASSERT_EQ(x.Reactions.Last(), y.Reactions.Last());
    for (long long e = 0; e <= x.Reactions.Last(); ++e)
        EXPECT_EQ(x.Reactions(e), y.Reactions(e)) << e;
    ASSERT_EQ(x.BeamEndForces.Last(), y.BeamEndForces.Last());
    for (long long b = 1; b <= x.BeamEndForces.Last(); ++b)
        EXPECT_EQ(x.BeamEndForces(b), y.BeamEndForces(b));
    ASSERT_EQ(x.QuadStresses.LastRow(), y.QuadStresses.LastRow());
    for (int q = 1; q <= x.QuadStresses.LastRow(); ++q)
        for (int c = 1; c <= 3; ++c)
            for (int p = 1; p <= 4; ++p)
                EXPECT_EQ(x.QuadStresses(q, c, p), y.QuadStresses(q, c, p));
    EXPECT_EQ(x.ErrorMeasure, y.ErrorMeasure);
}

TEST(LoadStep, ARerunRepeatsTheResultsAndAnEditBelowEndmodelOnlyResolves)
{
    Analysis a;
    QuietWindow w;
    const std::string text = Crlf(Model("2E8", "10"));
    RunAll(a, w, text);
    ASSERT_EQ(a.State.Stage, Solved) << a.Summary.ReadText << a.Summary.LogText;
    EXPECT_TRUE(w.finish);
    EXPECT_EQ(w.dialogs, 1);
    EXPECT_EQ(a.Results.ErrorMeasure, 0) << a.Summary.LogText;
    const std::string readText = a.Summary.ReadText;
    const Vec<double> factors = a.System.Store.KValues;
    const ResultSet before = a.Results;
    const std::string firstLog = a.Summary.LogText;

    // "R&un Solution" again without an edit: the load step runs once more, same results.
    QuietWindow again;
    StartStep(a, again, text);
    EXPECT_EQ(again.title, TitleLoadCases);
    EXPECT_EQ(again.dialogs, 1);
    EXPECT_EQ(a.State.Stage, Solved);
    ExpectSameResults(a.Results, before);
    EXPECT_EQ(a.Summary.LogText, firstLog);

    // A run with the tip load doubled, for comparison.
    Analysis doubled;
    QuietWindow wd;
    RunAll(doubled, wd, Crlf(Model("2E8", "20")));
    ASSERT_EQ(doubled.State.Stage, Solved);

    // The edit doubles the load (line 20). The text given to the next run also carries
    // a different modulus above ENDMODEL: were the model read again, it would show.
    MarkTextEdited(a, 20);
    EXPECT_EQ(a.State.Stage, Decomposed);
    QuietWindow w2;
    StartStep(a, w2, Crlf(Model("9E9", "20")));
    EXPECT_EQ(w2.title, TitleLoadCases);
    ASSERT_EQ(a.State.Stage, Solved);
    EXPECT_EQ(a.Summary.ReadText, readText);
    ASSERT_EQ(a.System.Store.KValues.Last(), factors.Last());
    for (long long i = 0; i <= factors.Last(); ++i)
        ASSERT_EQ(a.System.Store.KValues(i), factors(i)) << i;
    ExpectSameResults(a.Results, doubled.Results);
    EXPECT_NE(a.Results.SolutionVector(1), before.SolutionVector(1));
}

TEST(LoadStep, RecordsNamingNothingOrOutOfRangeValuesAreIgnoredSafely)
{
    // After a solved run the load section is edited; the pre-scan does not see these.
    Analysis a;
    QuietWindow w;
    auto lines = Model("2E8", "10");
    RunAll(a, w, Crlf(lines));
    ASSERT_EQ(a.State.Stage, Solved);
    const ResultSet before = a.Results;
    for (const char* hostile : {"LOAD 1e300 THRU 1e301 1",
                                "LOAD -1e300 THRU 1e301 1",
                                "LOAD 0 5 5",
                                "LOAD 99 5 5",
                                "QLOAD 1 1e10 5",
                                "QLOAD 1 -2147483649 5",
                                "QLOAD 7 2 5",
                                "QTEMP -3 5",
                                "BLOAD 3e9 1",
                                "BINIT 0 1",
                                "SUBCASE 1e20",
                                "LOAD 3 1",
                                "SUBCASE -5",
                                "LOAD 3 1",
                                "SUBCASE 11",
                                "LOAD 3 1",
                                "SUBCASE 0",
                                "DISP 1 THRU 99999999999 1",
                                "LOAD",
                                "\t",
                                "GRAV",
                                "FOO 1 2 3"})
        lines.push_back(hostile);
    MarkTextEdited(a, 27);
    QuietWindow w2;
    StartStep(a, w2, Crlf(lines));
    ASSERT_EQ(a.State.Stage, Solved);
    EXPECT_TRUE(a.State.FatalText.empty());
    ExpectSameResults(a.Results, before);
}

} // namespace
} // namespace tavu
