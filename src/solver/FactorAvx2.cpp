// The blocked kernel with 256-bit vectors and fused multiply-adds (eight columns per
// block). Only this file's functions carry the target attribute; the dispatcher calls
// them when the processor reports AVX2 and FMA, so the library itself needs no -march.

#include "solver/FactorKernels.h"

#include <cmath>

#if TAVU_HAVE_AVX2_KERNEL

#include <immintrin.h>

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,fma"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,fma")
#endif

namespace tavu::factor_avx2 {

struct Ops
{
    static constexpr int W = 8;
    struct Row
    {
        __m256d lo, hi;
    };
    static inline Row Load(const double* p) { return {_mm256_loadu_pd(p), _mm256_loadu_pd(p + 4)}; }
    static inline void Store(double* p, const Row& r)
    {
        _mm256_storeu_pd(p, r.lo);
        _mm256_storeu_pd(p + 4, r.hi);
    }
    static inline Row Bcast(const double* p)
    {
        const __m256d b = _mm256_broadcast_sd(p);
        return {b, b};
    }
    static inline Row Fnma(const Row& v, const Row& b, const Row& x)
    {
        return {_mm256_fnmadd_pd(b.lo, x.lo, v.lo), _mm256_fnmadd_pd(b.hi, x.hi, v.hi)};
    }
    static inline Row Mul(const Row& a, const Row& b)
    {
        return {_mm256_mul_pd(a.lo, b.lo), _mm256_mul_pd(a.hi, b.hi)};
    }
};

constexpr int BlockRowTile = 4;
constexpr int TileRows = 6;

#include "solver/FactorKernel.inl"

int BlockWidth()
{
    return W;
}

FactorResult Factor(double* kv, const long long* dp, int neq, double limit, double* x, double* y,
                    double* d, double* invD)
{
    return FactorBlocked(KernelArgs{kv, dp, neq, limit, x, y, d, invD});
}

} // namespace tavu::factor_avx2

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#endif
