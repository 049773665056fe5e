#include "loads/Loads.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace tavu {
namespace {

using Dense = std::vector<std::vector<double>>;

// Puts the L*D*Lt factors of a dense symmetric matrix into the active-column store, with
// column heights given: each column n holds rows top(n)..n. The factorisation is done
// densely here, as a reference independent of the solver's.
void FactorIntoStore(Analysis& a, const Dense& K, const std::vector<int>& top)
{
    const int n = static_cast<int>(K.size()) - 1;
    Dense L(n + 1, std::vector<double>(n + 1, 0.0));
    std::vector<double> d(n + 1, 0.0);
    for (int j = 1; j <= n; ++j) {
        double dj = K[j][j];
        for (int k = 1; k < j; ++k)
            dj -= L[j][k] * L[j][k] * d[k];
        d[j] = dj;
        for (int i = j + 1; i <= n; ++i) {
            double v = K[i][j];
            for (int k = 1; k < j; ++k)
                v -= L[i][k] * L[j][k] * d[k];
            L[i][j] = v / dj;
        }
    }
    a.System.NEQ = n;
    a.System.Store.DiagPos.Create(n + 1);
    a.System.Store.DiagPos(1) = 2;
    for (int j = 1; j <= n; ++j)
        a.System.Store.DiagPos(j + 1) = a.System.Store.DiagPos(j) + (j - top[j] + 1);
    a.System.Store.ProfileSize = a.System.Store.DiagPos(n + 1);
    a.System.Store.KValues.Create(a.System.Store.ProfileSize - 1);
    for (int j = 1; j <= n; ++j) {
        a.System.Store.KValues(a.System.Store.DiagPos(j)) = d[j];
        for (int m = 1; m <= j - top[j]; ++m)
            a.System.Store.KValues(a.System.Store.DiagPos(j) + m) = L[j][j - m];
    }
}

TEST(BackSubstitute, MatchesADenseReferenceOnRandomProfiles)
{
    std::mt19937 rng(12345);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    for (int trial = 0; trial < 40; ++trial) {
        const int n = 1 + trial % 17;
        // Random column tops give a random skyline; K is SPD inside it.
        std::vector<int> top(n + 1, 1);
        for (int j = 2; j <= n; ++j)
            top[j] = 1 + static_cast<int>(rng() % static_cast<unsigned>(j));
        Dense K(n + 1, std::vector<double>(n + 1, 0.0));
        for (int j = 1; j <= n; ++j)
            for (int i = top[j]; i < j; ++i)
                K[i][j] = K[j][i] = value(rng);
        for (int i = 1; i <= n; ++i) {
            double rowSum = 0;
            for (int j = 1; j <= n; ++j)
                rowSum += std::fabs(K[i][j]);
            K[i][i] = rowSum + 0.5 + std::fabs(value(rng));
        }
        // Fill-in of L stays inside the skyline: row n of L starts at the top of column n.
        Analysis a;
        FactorIntoStore(a, K, top);
        std::vector<double> f(n + 1);
        a.Results.SolutionVector.Create(n);
        for (int i = 1; i <= n; ++i)
            a.Results.SolutionVector(i) = f[i] = value(rng) * 100;
        BackSubstitute(a);
        for (int i = 1; i <= n; ++i) {
            double Ku = 0;
            for (int j = 1; j <= n; ++j)
                Ku += K[i][j] * a.Results.SolutionVector(j);
            EXPECT_NEAR(Ku, f[i], 1e-10 * (1 + std::fabs(f[i]))) << "trial " << trial;
        }
    }
}

TEST(BackSubstitute, APenaltyEquationSolvesToItsEnforcedValue)
{
    // Equation 1 is held by the penalty 1.0E+99 and coupled to equation 2.
    Dense K = {{}, {0, 1.0e99, -50}, {0, -50, 100}};
    Analysis a;
    FactorIntoStore(a, K, {0, 1, 1});
    a.Results.SolutionVector.Create(2);
    a.Results.SolutionVector(1) = 0.01 * 1.0e99;
    a.Results.SolutionVector(2) = 0;
    BackSubstitute(a);
    EXPECT_DOUBLE_EQ(a.Results.SolutionVector(1), 0.01);
    EXPECT_DOUBLE_EQ(a.Results.SolutionVector(2), 0.005);
}

TEST(BackSubstitute, NoEquationsOnlyWritesTheLogLine)
{
    Analysis a;
    a.Results.SolutionVector.Create(0);
    BackSubstitute(a);
    EXPECT_EQ(a.Summary.LogText, "\r\nRunning back substitution");
}

} // namespace
} // namespace tavu
