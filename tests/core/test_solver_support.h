#pragma once
// Helpers of the solver tests: models read through the driver's first step, the assembled
// stiffness read back as a dense matrix, and hand-made stores.

#include "common/Analysis.h"
#include "driver/Driver.h"
#include "solver/StiffnessStore.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tavu::testing_solver {

using Dense = std::vector<std::vector<double>>; // 1-based, row and column 0 unused

inline std::string CrlfText(const std::vector<std::string>& lines)
{
    std::string s;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i)
            s += "\r\n";
        s += lines[i];
    }
    return s;
}

// A summary window that records what the driver does to it.
class RecordingWindow : public SummaryWindow
{
public:
    void SetTitle(const std::string& t) override { title = t; }
    void ShowText(const std::string& t) override { text = t; }
    void DisableContinue() override { continueDisabled = true; }
    void FocusContinue() override {}
    void FocusCancel() override { cancelFocused = true; }
    void TurnContinueIntoFinish() override {}
    bool AskLoadScalars(Analysis&) override { return true; }
    void Close() override {}
    void FocusEditor() override {}

    std::string title, text;
    bool continueDisabled = false;
    bool cancelFocused = false;
};

// Reads the model (step 1 of the driver); fails the test when the model has errors.
inline void ReadModelText(Analysis& a, const std::vector<std::string>& lines)
{
    SplitModelText(a, CrlfText(lines));
    RecordingWindow w;
    ASSERT_TRUE(RunModelProcessing(a, w, nullptr)) << a.Summary.ReadText;
}

// K(i, j) as stored, 0 outside the active columns.
inline double StoredK(const Analysis& a, int i, int j)
{
    if (!HasStiffnessTerm(a, i, j))
        return 0.0;
    const int col = i > j ? i : j;
    return a.Profile.KValues(a.Profile.DiagPos(col) + (i > j ? i - j : j - i));
}

inline Dense DenseK(const Analysis& a)
{
    const int n = a.Model.NEQ;
    Dense k(n + 1, std::vector<double>(n + 1, 0.0));
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j)
            k[i][j] = StoredK(a, i, j);
    return k;
}

// Grid table positions with their coordinates, axis angle, equation numbers and axis code,
// in a store whose columns have the given top rows (tops[j], j = 1..neq).
struct HandGrid
{
    double x = 0, y = 0, angle = 0;
    int u = 0, v = 0, r = 0, axisCode = 0;
};

inline void MakeGrids(Analysis& a, const std::vector<HandGrid>& grids)
{
    ModelStore& m = a.Model;
    m.nGrids = static_cast<int>(grids.size());
    m.maxGridId = m.nGrids;
    m.GridReal.Create(m.nGrids, 6);
    m.GridInt.Create(m.nGrids, 4);
    m.GridIndex.Create(m.nGrids);
    for (int i = 1; i <= m.nGrids; ++i) {
        const HandGrid& g = grids[static_cast<std::size_t>(i - 1)];
        m.GridIndex(i) = i;
        m.GridReal(i, 1) = g.x;
        m.GridReal(i, 2) = g.y;
        m.GridReal(i, 3) = g.angle;
        m.GridInt(i, 1) = g.u;
        m.GridInt(i, 2) = g.v;
        m.GridInt(i, 3) = g.r;
        m.GridInt(i, 4) = g.axisCode;
    }
}

inline void MakeStore(Analysis& a, const std::vector<long long>& tops)
{
    const int neq = static_cast<int>(tops.size()) - 1;
    a.Model.NEQ = neq;
    StiffnessProfile& p = a.Profile;
    p.DiagPos.Create(neq + 1);
    p.DiagPos(1) = 2;
    for (int j = 1; j <= neq; ++j)
        p.DiagPos(j + 1) = p.DiagPos(j) + (j - tops[static_cast<std::size_t>(j)] + 1);
    p.ProfileSize = p.DiagPos(neq + 1);
    p.KValues.Create(p.ProfileSize - 1);
}

// Fills the store from a dense symmetric matrix (terms outside the profile are dropped).
inline void FillStore(Analysis& a, const Dense& k)
{
    for (int j = 1; j <= a.Model.NEQ; ++j)
        for (int i = 1; i <= j; ++i)
            if (HasStiffnessTerm(a, i, j))
                a.Profile.KValues(a.Profile.DiagPos(j) + (j - i)) = k[i][j];
}

inline void ExpectDenseNear(const Dense& got, const Dense& want, double relTol, const char* what)
{
    ASSERT_EQ(got.size(), want.size()) << what;
    double scale = 0;
    for (const auto& row : want)
        for (double v : row)
            scale = std::max(scale, std::fabs(v));
    for (std::size_t i = 1; i < want.size(); ++i)
        for (std::size_t j = 1; j < want.size(); ++j)
            EXPECT_NEAR(got[i][j], want[i][j], relTol * scale)
                << what << " K(" << i << "," << j << ")";
}

// Dense L*D*Lt of the full symmetric matrix, with the pivot ratios.
inline void DenseFactor(Dense k, Dense& l, std::vector<double>& d, double& minRatio)
{
    const int n = static_cast<int>(k.size()) - 1;
    l.assign(n + 1, std::vector<double>(n + 1, 0.0));
    d.assign(n + 1, 0.0);
    minRatio = 1;
    for (int j = 1; j <= n; ++j) {
        double djj = k[j][j];
        for (int m = 1; m < j; ++m)
            djj -= l[j][m] * l[j][m] * d[m];
        d[j] = djj;
        if (j > 1 &&
            std::any_of(k[j].begin() + 1, k[j].begin() + j, [](double v) { return v != 0; }))
            minRatio = std::min(minRatio, djj / k[j][j]);
        l[j][j] = 1;
        for (int i = j + 1; i <= n; ++i) {
            double s = k[i][j];
            for (int m = 1; m < j; ++m)
                s -= l[i][m] * l[j][m] * d[m];
            l[i][j] = s / djj;
        }
    }
}

} // namespace tavu::testing_solver
