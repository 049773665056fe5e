#pragma once
// The L*D*Lt factorization of the active-column store, in place, with the pivot-ratio
// check of every equation. A numeric routine: it reports where it failed by value, the
// caller writes the messages.

#include "common/Table.h"

namespace tavu {

// Which code factors the store. Auto picks the fast kernel the processor supports;
// the others are there so that tests and benchmarks can run each path.
enum class FactorKernel
{
    Auto,
    Reference, // the plain column loop, additions in the order of the textbook algorithm
    Portable,  // the blocked kernel in plain C++
    Avx2,      // the blocked kernel with 256-bit vectors and fused multiply-adds
};

bool FactorKernelAvailable(FactorKernel kernel);

// The kernel Auto stands for on this processor.
FactorKernel ResolveFactorKernel(FactorKernel kernel);

const char* FactorKernelName(FactorKernel kernel);

struct FactorResult
{
    bool ok = true;
    int equation = 0;    // first failing equation, when !ok
    double value = 0;    // its pivot ratio, or its unreduced diagonal when that failed
    double minRatio = 1; // smallest pivot ratio of the reduced columns
};

// Factors K = L*D*Lt in the store.
// kv (positions 1..), in/out: the stiffness by active columns, then D on the diagonals and
//   the multipliers of L above them. Equations after a failure stay unreduced; a column
//   whose unreduced diagonal failed stays as it was.
// diagPos (1..neq+1), in: column heads, diagPos(1) = 2.
// An equation fails when its diagonal is not a finite positive number, or when its pivot
// divided by that diagonal (the diagonal itself for a column of one term) is not a finite
// number at least `limit`. The store layout is checked first; a broken layout fails at
// equation 0 without touching kv.
FactorResult FactorProfile(Vec<double>& kv, const Vec<long long>& diagPos, int neq, double limit,
                           FactorKernel kernel = FactorKernel::Auto);

// Multiply-adds of the factorization of a profile (inner products and pivots).
double FactorMultiplyAdds(const Vec<long long>& diagPos, int neq);

} // namespace tavu
