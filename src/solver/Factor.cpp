#include "solver/Factor.h"

#include "solver/FactorKernels.h"

#include <cmath>
#include <vector>

namespace tavu {

namespace {

bool CpuHasAvx2()
{
#if TAVU_HAVE_AVX2_KERNEL
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    }();
    return has;
#else
    return false;
#endif
}

// The store layout the kernels rely on: diagPos(1) = 2, every column 1 .. j rows high,
// and all columns inside kv.
bool LayoutValid(const Vec<double>& kv, const Vec<long long>& dp, int neq, long long& maxHeight)
{
    maxHeight = 0;
    if (neq < 0 || !dp.Has(neq + 1) || dp(1) != 2)
        return false;
    for (int j = 1; j <= neq; ++j) {
        const long long h = dp(j + 1) - dp(j);
        if (h < 1 || h > j)
            return false;
        if (h > maxHeight)
            maxHeight = h;
    }
    return dp(neq + 1) - 1 <= kv.Last();
}

bool Passes(double value, double limit)
{
    return std::isfinite(value) && value >= limit;
}

// The column loop as the algorithm is usually written: row by row inner products, then
// the pivot with the nearest row first.
FactorResult FactorReference(double* kv, const long long* dp, int neq, double limit)
{
    FactorResult res;
    for (int n = 1; n <= neq; ++n) {
        const long long kn = dp[n];
        const long long h = dp[n + 1] - kn;
        const long long t = n - h + 1;
        const double d0 = kv[kn];
        if (!(std::isfinite(d0) && d0 > 0)) {
            res.ok = false;
            res.equation = n;
            res.value = d0;
            return res;
        }
        // g(i, n) at kv[kn + n - i]; L(i, i - l) at kv[dp[i] + l].
        for (long long i = t + 1; i < n; ++i) {
            const long long hi = dp[i + 1] - dp[i];
            const long long lmax = (i - t) < (hi - 1) ? (i - t) : (hi - 1);
            double& g = kv[kn + n - i];
            for (long long l = 1; l <= lmax; ++l)
                g -= kv[dp[i] + l] * kv[kn + n - i + l];
        }
        double tested = d0;
        if (h >= 2) {
            for (long long k = n - 1; k >= t; --k) {
                double& g = kv[kn + n - k];
                const double c = g / kv[dp[k]];
                kv[kn] -= c * g;
                g = c;
            }
            tested = kv[kn] / d0;
            if (tested < res.minRatio)
                res.minRatio = tested;
        }
        if (!Passes(tested, limit)) {
            res.ok = false;
            res.equation = n;
            res.value = tested;
            return res;
        }
    }
    return res;
}

} // namespace

bool FactorKernelAvailable(FactorKernel kernel)
{
    return kernel != FactorKernel::Avx2 || CpuHasAvx2();
}

FactorKernel ResolveFactorKernel(FactorKernel kernel)
{
    if (kernel == FactorKernel::Auto)
        return CpuHasAvx2() ? FactorKernel::Avx2 : FactorKernel::Portable;
    if (kernel == FactorKernel::Avx2 && !CpuHasAvx2())
        return FactorKernel::Portable;
    return kernel;
}

const char* FactorKernelName(FactorKernel kernel)
{
    switch (kernel) {
    case FactorKernel::Auto:
        return "auto";
    case FactorKernel::Reference:
        return "reference";
    case FactorKernel::Portable:
        return "portable";
    case FactorKernel::Avx2:
        return "avx2";
    }
    return "?";
}

FactorResult FactorProfile(Vec<double>& kv, const Vec<long long>& diagPos, int neq, double limit,
                           FactorKernel kernel)
{
    long long maxHeight = 0;
    if (!LayoutValid(kv, diagPos, neq, maxHeight)) {
        FactorResult bad;
        bad.ok = false;
        bad.value = std::nan("");
        return bad;
    }
    if (neq == 0)
        return FactorResult{};
    double* k = kv.Data();
    const long long* dp = diagPos.Data();
    kernel = ResolveFactorKernel(kernel);
    if (kernel == FactorKernel::Reference)
        return FactorReference(k, dp, neq, limit);

    int width = factor_portable::BlockWidth();
#if TAVU_HAVE_AVX2_KERNEL
    if (kernel == FactorKernel::Avx2)
        width = factor_avx2::BlockWidth();
#endif
    const std::size_t scratch = static_cast<std::size_t>(maxHeight + width) * width;
    std::vector<double> x(scratch), y(scratch), d(static_cast<std::size_t>(neq) + 1),
        invD(static_cast<std::size_t>(neq) + 1);
#if TAVU_HAVE_AVX2_KERNEL
    if (kernel == FactorKernel::Avx2)
        return factor_avx2::Factor(k, dp, neq, limit, x.data(), y.data(), d.data(), invD.data());
#endif
    return factor_portable::Factor(k, dp, neq, limit, x.data(), y.data(), d.data(), invD.data());
}

double FactorMultiplyAdds(const Vec<long long>& dp, int neq)
{
    // Column n with top t: for each row i in t+1 .. n-1 an inner product of
    // min(i - t, h(i) - 1) terms, then h(n) - 1 terms for the pivot.
    double total = 0;
    for (int n = 1; n <= neq; ++n) {
        const long long h = dp(n + 1) - dp(n);
        const long long t = n - h + 1;
        for (long long i = t + 1; i < n; ++i) {
            const long long hi = dp(i + 1) - dp(i);
            total += static_cast<double>((i - t) < (hi - 1) ? (i - t) : (hi - 1));
        }
        total += static_cast<double>(h - 1);
    }
    return total;
}

} // namespace tavu
