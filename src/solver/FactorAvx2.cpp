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
    // The 4 x 4 block of rows r .. r+3 and four columns: a column's four values lie in
    // memory from row r+3 up to row r, so the transpose gives the rows last one first.
    static inline void Transpose(__m256d& v0, __m256d& v1, __m256d& v2, __m256d& v3)
    {
        const __m256d a0 = _mm256_unpacklo_pd(v0, v1), a1 = _mm256_unpackhi_pd(v0, v1);
        const __m256d a2 = _mm256_unpacklo_pd(v2, v3), a3 = _mm256_unpackhi_pd(v2, v3);
        v0 = _mm256_permute2f128_pd(a0, a2, 0x20);
        v1 = _mm256_permute2f128_pd(a1, a3, 0x20);
        v2 = _mm256_permute2f128_pd(a0, a2, 0x31);
        v3 = _mm256_permute2f128_pd(a1, a3, 0x31);
    }
    static inline void LoadColumns4(const double* const* col, long long r, double* x,
                                    long long stride)
    {
        __m256d v0 = _mm256_loadu_pd(col[0] - r - 3), v1 = _mm256_loadu_pd(col[1] - r - 3);
        __m256d v2 = _mm256_loadu_pd(col[2] - r - 3), v3 = _mm256_loadu_pd(col[3] - r - 3);
        Transpose(v0, v1, v2, v3);
        _mm256_storeu_pd(x + 3 * stride, v0);
        _mm256_storeu_pd(x + 2 * stride, v1);
        _mm256_storeu_pd(x + stride, v2);
        _mm256_storeu_pd(x, v3);
    }
    static inline void StoreColumns4(double* const* col, long long r, const double* x,
                                     long long stride)
    {
        __m256d v0 = _mm256_loadu_pd(x + 3 * stride), v1 = _mm256_loadu_pd(x + 2 * stride);
        __m256d v2 = _mm256_loadu_pd(x + stride), v3 = _mm256_loadu_pd(x);
        Transpose(v0, v1, v2, v3);
        _mm256_storeu_pd(col[0] - r - 3, v0);
        _mm256_storeu_pd(col[1] - r - 3, v1);
        _mm256_storeu_pd(col[2] - r - 3, v2);
        _mm256_storeu_pd(col[3] - r - 3, v3);
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
