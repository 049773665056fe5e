// The decomposition kernels and the back substitution against a dense reference on random
// symmetric positive definite profile matrices, and the failures of the decomposition.

#include "TestSupport.h"
#include "common/Numbers.h"
#include "loads/Loads.h"
#include "solver/Factor.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <vector>

namespace tavu {
namespace {

using namespace testing;

std::vector<FactorKernel> KernelsToTest()
{
    std::vector<FactorKernel> k{FactorKernel::Reference, FactorKernel::Portable};
    if (FactorKernelAvailable(FactorKernel::Avx2))
        k.push_back(FactorKernel::Avx2);
    return k;
}

// A system store with column tops tops[j] (j = 1..n) holding k.
Analysis Stored(const std::vector<long long>& tops, const Dense& k)
{
    Analysis a;
    MakeStore(a, tops);
    FillStore(a, k);
    return a;
}

FactorResult Factor(Analysis& a, FactorKernel kernel)
{
    StiffnessProfile& p = a.System.Store;
    return FactorProfile(p.KValues, p.DiagPos, a.System.NEQ, PivotRatioLimit, kernel);
}

// A random, diagonally dominant matrix inside the profile (its factors stay inside it).
Dense RandomSpd(const std::vector<long long>& tops, std::mt19937& rng)
{
    const std::size_t n = tops.size() - 1;
    std::uniform_real_distribution<double> d(-1, 1);
    Dense k(n + 1, std::vector<double>(n + 1, 0.0));
    for (std::size_t j = 1; j <= n; ++j)
        for (auto i = static_cast<std::size_t>(tops[j]); i < j; ++i)
            k[i][j] = k[j][i] = d(rng);
    for (std::size_t i = 1; i <= n; ++i)
        for (std::size_t j = 1; j <= n; ++j)
            k[i][i] += std::fabs(k[i][j]) + (i == j ? 0.5 : 0.0);
    return k;
}

// Columns of the given height, or of random heights up to it.
std::vector<long long> Tops(int n, int height, std::mt19937* rng = nullptr)
{
    std::vector<long long> t(n + 1, 1);
    for (int j = 1; j <= n; ++j)
        t[j] = j + 1 -
               (rng ? std::uniform_int_distribution<int>(1, std::min(j, height))(*rng)
                    : std::min(j, height));
    return t;
}

TEST(FactorProfile, AgreesWithDenseReferenceOnRandomSpdProfilesAndSolves)
{
    std::mt19937 rng(12345);
    std::vector<std::vector<long long>> profiles = {
        {0, 1}, Tops(11, 1), Tops(23, 100), Tops(90, 30, &rng), Tops(70, 70, &rng)};
    // Bands that give the fast kernels' tiles every remainder size; every eighth column full
    // among short ones; tops that jump down and up.
    for (int band : {4, 6, 7, 8, 9, 10, 13, 14, 18, 32})
        profiles.push_back(Tops(57 + 3 * band, band));
    std::vector<long long> mixed(81, 1), stairs(58, 1);
    for (int j = 1; j <= 80; ++j)
        mixed[j] = j % 8 == 5 ? 1 : std::max(1, j - 2 - (j % 3));
    for (int j = 1; j <= 57; ++j)
        stairs[j] = std::max(1, (j - 1) / 6 * 6 - 5);
    profiles.insert(profiles.end(), {mixed, stairs});
    for (std::size_t pc = 0; pc < profiles.size(); ++pc) {
        const Dense k = RandomSpd(profiles[pc], rng);
        Dense l;
        std::vector<double> d, f(k.size());
        double minRatio = 1;
        DenseFactor(k, l, d, minRatio);
        for (double& v : f)
            v = std::uniform_real_distribution<double>(-100, 100)(rng);
        for (FactorKernel kernel : KernelsToTest()) {
            SCOPED_TRACE("profile " + std::to_string(pc) + " / " + FactorKernelName(kernel));
            Analysis a = Stored(profiles[pc], k);
            const int n = a.System.NEQ;
            const FactorResult r = Factor(a, kernel);
            ASSERT_TRUE(r.ok) << "failed at " << r.equation;
            EXPECT_NEAR(r.minRatio, minRatio, 1e-12);
            EXPECT_EQ(a.System.Store.KValues(1), 0.0) << "the spare position is the caller's";
            // Column j holds D(j) and row j of L: L(j, i) in the place of K(i, j).
            for (int j = 1; j <= n; ++j) {
                ASSERT_NEAR(StoredK(a, j, j), d[j], 1e-12 * d[j]) << "D " << j;
                for (auto i = static_cast<int>(profiles[pc][j]); i < j; ++i)
                    ASSERT_NEAR(StoredK(a, i, j), l[j][i], 1e-12) << "L " << j << "," << i;
            }
            // The back substitution with these factors solves K u = f.
            a.Results.SolutionVector.Create(n);
            for (int e = 1; e <= n; ++e)
                a.Results.SolutionVector(e) = f[e];
            BackSubstitute(a);
            for (int i = 1; i <= n; ++i) {
                double ku = 0;
                for (int j = 1; j <= n; ++j)
                    ku += k[i][j] * a.Results.SolutionVector(j);
                ASSERT_NEAR(ku, f[i], 1e-9 * (1 + std::fabs(f[i]))) << "row " << i;
            }
        }
    }
}

TEST(FactorProfile, SmallMatricesGiveTheTextbookValuesAndFailures)
{
    // failAt 0: the minimum ratio and the factors KValues(2..); else the failing ratio or
    // diagonal (NaN: any value that is not finite).
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<long long> two = {0, 1, 1}, apart = {0, 1, 2}, three = {0, 1, 1, 1};
    struct Case
    {
        std::vector<long long> tops;
        Dense k;
        int failAt;
        double value;
        std::vector<double> factors;
    } cases[] = {
        // clang-format off
        {{0, 1}, {{}, {0, 7}}, 0, 1, {7}},
        {two, {{}, {0, 4, 2}, {0, 2, 4}}, 0, 0.75, {4, 3, 0.5}},
        {two, {{}, {0, 1, 1}, {0, 1, 1}}, 2, 0, {}},
        {two, {{}, {0, 2, 0}, {0, 0, 0}}, 2, 0, {}},
        {two, {{}, {0, -3, 1}, {0, 1, 5}}, 1, -3, {}},
        {apart, {{}, {0, 1, 0}, {0, 0, 5.0e-13}}, 2, 5.0e-13, {}},         // alone in its column
        {apart, {{}, {0, 1, 0}, {0, 0, 1.0e-12}}, 0, 1, {1, 1e-12}},
        {two, {{}, {0, 4, 2}, {0, 2, 1.0e99}}, 0, 1, {4, 1.0e99, 0.5}},    // a penalty
        {three, {{}, {0, 2, 1, 0}, {0, 1, nan, 0}, {0, 0, 0, 3}}, 2, nan, {}},
        {three, {{}, {0, 2, 1, 0}, {0, 1, 3, 0}, {0, 0, 0, inf}}, 3, inf, {}},
        {three, {{}, {0, 2, 0, nan}, {0, 0, 3, 1}, {0, nan, 1, 3}}, 3, nan, {}},
        {three, {{}, {0, 2, inf, 0}, {0, inf, 3, 0}, {0, 0, 0, 3}}, 2, nan, {}},
        // clang-format on
    };
    for (const Case& c : cases) {
        for (FactorKernel kernel : KernelsToTest()) {
            SCOPED_TRACE(std::to_string(&c - cases) + " / " + FactorKernelName(kernel));
            Analysis a = Stored(c.tops, c.k);
            const FactorResult r = Factor(a, kernel);
            ASSERT_EQ(r.ok, c.failAt == 0);
            EXPECT_EQ(r.equation, c.failAt);
            if (r.ok)
                EXPECT_DOUBLE_EQ(r.minRatio, c.value);
            else if (std::isnan(c.value))
                EXPECT_FALSE(std::isfinite(r.value)) << r.value;
            else
                EXPECT_EQ(r.value, c.value);
            for (std::size_t p = 0; p < c.factors.size(); ++p)
                EXPECT_DOUBLE_EQ(a.System.Store.KValues(static_cast<long long>(p) + 2),
                                 c.factors[p]);
        }
    }
}

TEST(FactorProfile, FailureLeavesLaterColumnsAsTheyWere)
{
    // A zero pivot after reduction, or a negative assembled diagonal, in a banded matrix:
    // every kernel stops there, the columns before it are factored and the later columns
    // (and the unreduced failing one) keep the assembled values.
    std::mt19937 rng(4242);
    const int n = 48;
    const std::vector<long long> tops = Tops(n, 12);
    const std::pair<int, bool> cases[] = {{1, false},  {9, false},  {10, false},
                                          {17, false}, {40, false}, {10, true}};
    for (const auto& [failAt, negative] : cases) {
        Dense k = RandomSpd(tops, rng), l;
        std::vector<double> d;
        double ratio = 0;
        DenseFactor(k, l, d, ratio);
        k[failAt][failAt] = negative ? -2.5 : k[failAt][failAt] - d[failAt];
        for (FactorKernel kernel : KernelsToTest()) {
            SCOPED_TRACE(std::to_string(failAt) + (negative ? "-" : "") + FactorKernelName(kernel));
            Analysis a = Stored(tops, k);
            const Vec<double> before = a.System.Store.KValues;
            const FactorResult r = Factor(a, kernel);
            ASSERT_FALSE(r.ok);
            EXPECT_EQ(r.equation, failAt);
            EXPECT_NEAR(r.value, negative ? -2.5 : 0, 1e-12);
            for (int j = 1; j < failAt; ++j)
                EXPECT_NEAR(StoredK(a, j, j), d[j], 1e-12 * d[j]) << "column " << j;
            const StiffnessProfile& p = a.System.Store;
            for (long long at = p.DiagPos(failAt + (negative ? 0 : 1)); at < p.DiagPos(n + 1); ++at)
                ASSERT_EQ(p.KValues(at), before(at)) << at;
        }
    }
    // A broken layout is refused without touching the store.
    Analysis a = Stored({0, 1, 1, 2}, {{}, {0, 2, 1, 0}, {0, 1, 2, 1}, {0, 0, 1, 2}});
    const Vec<double> before = a.System.Store.KValues;
    a.System.Store.DiagPos(3) = 10; // column 2 now claims more rows than exist above it
    for (FactorKernel kernel : KernelsToTest()) {
        EXPECT_EQ(Factor(a, kernel).equation, 0);
        for (long long p = 0; p <= before.Last(); ++p)
            EXPECT_EQ(a.System.Store.KValues(p), before(p));
    }
}

} // namespace
} // namespace tavu
