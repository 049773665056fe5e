// The decomposition kernels against a dense reference on random symmetric positive
// definite profile matrices, and their failure behaviour.

#include "TestSupport.h"
#include "common/Numbers.h"
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

// A store with the given top rows (tops[j] for j = 1..neq, tops[0] unused).
struct Store
{
    int neq = 0;
    std::vector<long long> tops;
    Vec<long long> diagPos;
    Vec<double> kv;

    explicit Store(const std::vector<long long>& t) : neq(static_cast<int>(t.size()) - 1), tops(t)
    {
        diagPos.Create(neq + 1);
        diagPos(1) = 2;
        for (int j = 1; j <= neq; ++j)
            diagPos(j + 1) = diagPos(j) + (j - tops[static_cast<std::size_t>(j)] + 1);
        kv.Create(diagPos(neq + 1) - 1);
    }
    long long Top(int j) const { return tops[static_cast<std::size_t>(j)]; }
    bool Holds(int i, int j) const { return i <= j && i >= Top(j); }
    double& At(int i, int j) { return kv(diagPos(j) + (j - i)); } // i <= j inside the profile
    void Fill(const Dense& k)
    {
        for (int j = 1; j <= neq; ++j)
            for (int i = static_cast<int>(Top(j)); i <= j; ++i)
                At(i, j) = k[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
    }
};

// K = L0 * D0 * L0t with L0 unit lower triangular inside the profile: the profile keeps K
// inside it, and L0, D0 are the exact factors.
struct Generated
{
    Dense k, l;
    std::vector<double> d;
};

Generated Generate(const std::vector<long long>& tops, std::mt19937& rng, double spread)
{
    const int n = static_cast<int>(tops.size()) - 1;
    std::uniform_real_distribution<double> off(-0.6, 0.6), piv(1.0, 1.0 + spread);
    Generated g;
    g.k.assign(n + 1, std::vector<double>(n + 1, 0.0));
    g.l = g.k;
    g.d.assign(n + 1, 0.0);
    for (int i = 1; i <= n; ++i) {
        g.d[i] = piv(rng);
        g.l[i][i] = 1;
        for (long long j = tops[i]; j < i; ++j)
            g.l[i][j] = off(rng) / std::sqrt(static_cast<double>(i - tops[i] + 1));
    }
    for (int i = 1; i <= n; ++i)
        for (int j = i; j <= n; ++j) {
            double s = 0;
            for (int m = 1; m <= i; ++m)
                s += g.l[i][m] * g.d[m] * g.l[j][m];
            g.k[i][j] = g.k[j][i] = s;
        }
    return g;
}

std::vector<long long> BandTops(int n, int halfBand)
{
    std::vector<long long> t(n + 1, 1);
    for (int j = 1; j <= n; ++j)
        t[j] = std::max(1, j - halfBand);
    return t;
}

std::vector<long long> RandomTops(int n, int maxHeight, std::mt19937& rng)
{
    std::vector<long long> t(n + 1, 1);
    for (int j = 1; j <= n; ++j) {
        std::uniform_int_distribution<int> h(1, std::min(j, maxHeight));
        t[j] = j - h(rng) + 1;
    }
    return t;
}

struct ProfileCase
{
    const char* name;
    std::vector<long long> tops;
};

std::vector<ProfileCase> Profiles()
{
    std::mt19937 rng(12345);
    std::vector<ProfileCase> c;
    c.push_back({"one equation", {0, 1}});
    c.push_back({"diagonal only", std::vector<long long>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}});
    c.push_back({"full columns", BandTops(23, 100)});
    // Bands that give the fast kernels' tiles every remainder size.
    for (int band : {3, 5, 6, 7, 8, 9, 12, 13, 17, 31})
        c.push_back({"band", BandTops(60 + 3 * band, band)});
    c.push_back({"random heights", RandomTops(90, 30, rng)});
    c.push_back({"random tall", RandomTops(70, 70, rng)});
    // Every eighth column full among short ones, and tops that jump down and up.
    std::vector<long long> mixed(81, 1);
    for (int j = 1; j <= 80; ++j)
        mixed[j] = j % 8 == 5 ? 1 : std::max(1, j - 2 - (j % 3));
    c.push_back({"mixed", mixed});
    std::vector<long long> stairs(58, 1);
    for (int j = 1; j <= 57; ++j)
        stairs[j] = std::max(1, (j - 1) / 6 * 6 - 5);
    c.push_back({"stairs", stairs});
    return c;
}

TEST(FactorProfile, AgreesWithDenseReferenceOnRandomSpdProfiles)
{
    std::mt19937 rng(777);
    for (const ProfileCase& pc : Profiles()) {
        const Generated g = Generate(pc.tops, rng, 3.0);
        Dense refL;
        std::vector<double> refD;
        double refMin = 1;
        DenseFactor(g.k, refL, refD, refMin);
        for (FactorKernel kernel : KernelsToTest()) {
            Store s(pc.tops);
            s.Fill(g.k);
            const FactorResult r = FactorProfile(s.kv, s.diagPos, s.neq, PivotRatioLimit, kernel);
            SCOPED_TRACE(std::string(pc.name) + " " + std::to_string(s.neq) + " / " +
                         FactorKernelName(kernel));
            ASSERT_TRUE(r.ok) << "failed at " << r.equation;
            EXPECT_NEAR(r.minRatio, refMin, 1e-12);
            double worst = 0;
            for (int j = 1; j <= s.neq; ++j) {
                worst = std::max(worst, std::fabs(s.At(j, j) - refD[j]) / refD[j]);
                worst = std::max(worst, std::fabs(s.At(j, j) - g.d[j]) / g.d[j]);
                for (int i = static_cast<int>(s.Top(j)); i < j; ++i) {
                    // Column j holds row j of L: L(j, i) in the place of K(i, j).
                    worst = std::max(worst, std::fabs(s.At(i, j) - refL[j][i]));
                    worst = std::max(worst, std::fabs(s.At(i, j) - g.l[j][i]));
                }
            }
            EXPECT_LT(worst, 1e-11);
            EXPECT_EQ(s.kv(1), 0.0) << "the spare position is the caller's";
        }
    }
}

TEST(FactorProfile, SmallMatricesGiveTheTextbookValues)
{
    // value: the ratio of a failure (NaN: any non-finite value) or the minimum ratio.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<long long> two = {0, 1, 1}, apart = {0, 1, 2}, three = {0, 1, 1, 1};
    struct Case
    {
        const char* name;
        std::vector<long long> tops;
        Dense k; // 1-based, upper triangle used
        bool ok;
        int equation;
        double value;
        std::vector<double> factors; // kv(2..) after success
    };
    const Case cases[] = {
        {"one positive", {0, 1}, {{0, 0}, {0, 7}}, true, 0, 1, {7}},
        {"[[4,2],[2,4]]", two, {{0, 0, 0}, {0, 4, 2}, {0, 2, 4}}, true, 0, 0.75, {4, 3, 0.5}},
        {"[[1,1],[1,1]]", two, {{0, 0, 0}, {0, 1, 1}, {0, 1, 1}}, false, 2, 0, {}},
        {"zero diagonal", two, {{0, 0, 0}, {0, 2, 0}, {0, 0, 0}}, false, 2, 0, {}},
        {"negative first", two, {{0, 0, 0}, {0, -3, 1}, {0, 1, 5}}, false, 1, -3, {}},
        {"5.0E-13 alone", apart, {{0, 0, 0}, {0, 1, 0}, {0, 0, 5.0e-13}}, false, 2, 5.0e-13, {}},
        {"1.0E-12 passes", apart, {{0, 0, 0}, {0, 1, 0}, {0, 0, 1.0e-12}}, true, 0, 1, {1, 1e-12}},
        {"penalty", two, {{0, 0, 0}, {0, 4, 2}, {0, 2, 1.0e99}}, true, 0, 1, {4, 1.0e99, 0.5}},
        {"NaN diagonal",
         three,
         {{0, 0, 0, 0}, {0, 2, 1, 0}, {0, 1, nan, 0}, {0, 0, 0, 3}},
         false,
         2,
         nan,
         {}},
        {"infinite diagonal",
         three,
         {{0, 0, 0, 0}, {0, 2, 1, 0}, {0, 1, 3, 0}, {0, 0, 0, inf}},
         false,
         3,
         inf,
         {}},
        {"NaN coupling",
         three,
         {{0, 0, 0, 0}, {0, 2, 0, nan}, {0, 0, 3, 1}, {0, nan, 1, 3}},
         false,
         3,
         nan,
         {}},
        {"infinite coupling",
         three,
         {{0, 0, 0, 0}, {0, 2, inf, 0}, {0, inf, 3, 0}, {0, 0, 0, 3}},
         false,
         2,
         nan,
         {}},
    };
    for (const Case& c : cases) {
        for (FactorKernel kernel : KernelsToTest()) {
            SCOPED_TRACE(std::string(c.name) + " / " + FactorKernelName(kernel));
            Store s(c.tops);
            s.Fill(c.k);
            const FactorResult r = FactorProfile(s.kv, s.diagPos, s.neq, PivotRatioLimit, kernel);
            ASSERT_EQ(r.ok, c.ok);
            if (c.ok) {
                EXPECT_DOUBLE_EQ(r.minRatio, c.value);
                for (std::size_t p = 0; p < c.factors.size(); ++p)
                    EXPECT_DOUBLE_EQ(s.kv(static_cast<long long>(p) + 2), c.factors[p]);
                continue;
            }
            EXPECT_EQ(r.equation, c.equation);
            if (std::isnan(c.value)) {
                EXPECT_FALSE(std::isfinite(r.value)) << r.value;
            } else {
                EXPECT_EQ(r.value, c.value);
            }
        }
    }
}

TEST(FactorProfile, FailureLeavesLaterColumnsAsTheyWere)
{
    // A singular equation (zero pivot after reduction) or a negative assembled diagonal in a
    // banded matrix: every kernel stops there, the columns before it are factored and the
    // later columns (and the unreduced failing one) keep the assembled values.
    std::mt19937 rng(4242);
    const int n = 48;
    const std::vector<long long> tops = BandTops(n, 11);
    struct Case
    {
        int failAt;
        bool negativeDiagonal;
    };
    for (const Case c : {Case{1, false}, Case{9, false}, Case{10, false}, Case{17, false},
                         Case{40, false}, Case{10, true}}) {
        Generated g = Generate(tops, rng, 1.0);
        if (c.negativeDiagonal) {
            g.k[c.failAt][c.failAt] = -2.5;
        } else {
            g.d[c.failAt] = 0;
            for (int i = 1; i <= n; ++i)
                for (int j = i; j <= n; ++j) {
                    double s = 0;
                    for (int m = 1; m <= i; ++m)
                        s += g.l[i][m] * g.d[m] * g.l[j][m];
                    g.k[i][j] = g.k[j][i] = s;
                }
        }
        for (FactorKernel kernel : KernelsToTest()) {
            SCOPED_TRACE("fail at " + std::to_string(c.failAt) + (c.negativeDiagonal ? "-" : "") +
                         " / " + FactorKernelName(kernel));
            Store s(tops);
            s.Fill(g.k);
            const Vec<double> before = s.kv;
            const FactorResult r = FactorProfile(s.kv, s.diagPos, s.neq, PivotRatioLimit, kernel);
            ASSERT_FALSE(r.ok);
            EXPECT_EQ(r.equation, c.failAt);
            if (c.negativeDiagonal) {
                EXPECT_EQ(r.value, -2.5);
            } else {
                EXPECT_LT(std::fabs(r.value), 1e-12);
            }
            for (int j = 1; j < c.failAt; ++j)
                EXPECT_NEAR(s.At(j, j), g.d[j], 1e-12 * g.d[j]) << "column " << j;
            const long long untouched = s.diagPos(c.failAt + (c.negativeDiagonal ? 0 : 1));
            for (long long p = untouched; p < s.diagPos(n + 1); ++p)
                ASSERT_EQ(s.kv(p), before(p)) << p;
        }
    }
}

TEST(FactorProfile, BrokenLayoutIsRefusedWithoutTouchingTheStore)
{
    Store s({0, 1, 1, 2});
    s.Fill({{0, 0, 0, 0}, {0, 2, 1, 0}, {0, 1, 2, 1}, {0, 0, 1, 2}});
    const Vec<double> before = s.kv;
    s.diagPos(3) = 10; // column 2 now claims more rows than exist above it
    for (FactorKernel kernel : KernelsToTest()) {
        const FactorResult r = FactorProfile(s.kv, s.diagPos, s.neq, PivotRatioLimit, kernel);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.equation, 0);
        for (long long p = 0; p <= s.kv.Last(); ++p)
            EXPECT_EQ(s.kv(p), before(p));
    }
}

TEST(FactorMultiplyAdds, CountsInnerProductsAndPivots)
{
    // Full 3 x 3: column 2 one pivot term; column 3 one inner-product term (row 2) and two
    // pivot terms. Band 1 of 4: one pivot term per column after the first.
    Store full({0, 1, 1, 1});
    EXPECT_EQ(FactorMultiplyAdds(full.diagPos, full.neq), 4.0);
    Store band({0, 1, 1, 2, 3});
    EXPECT_EQ(FactorMultiplyAdds(band.diagPos, band.neq), 3.0);
}

} // namespace
} // namespace tavu
