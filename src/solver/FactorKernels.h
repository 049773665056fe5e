#pragma once
// The kernels behind FactorProfile. Each factors the store with scratch handed in:
// x and y of (maxHeight + BlockWidth()) * BlockWidth() doubles, d and invD of neq + 1.

#include "solver/Factor.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TAVU_HAVE_AVX2_KERNEL 1
#else
#define TAVU_HAVE_AVX2_KERNEL 0
#endif

namespace tavu {

namespace factor_portable {
int BlockWidth();
FactorResult Factor(double* kv, const long long* dp, int neq, double limit, double* x, double* y,
                    double* d, double* invD);
} // namespace factor_portable

#if TAVU_HAVE_AVX2_KERNEL
namespace factor_avx2 {
int BlockWidth();
FactorResult Factor(double* kv, const long long* dp, int neq, double limit, double* x, double* y,
                    double* d, double* invD);
} // namespace factor_avx2
#endif

} // namespace tavu
