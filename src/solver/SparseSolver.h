#pragma once
// The sparse path of the decomposition step: the stiffness in compressed columns, put
// into a fill-reducing order and factored as L*Lt by CHOLMOD (supernodal). It takes the
// place of the active-column store for models whose profile would cost more than the
// factor; the equations, the element terms, the penalties, the pivot-ratio check and the
// failure report are the same as on the store.

#include "common/Analysis.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tavu {

// The upper triangle of K in compressed columns, 0-based: the rows of column j (equation
// j + 1), ascending, are RowIndex[ColStart[j] .. ColStart[j + 1] - 1] with their values.
struct CompressedColumns
{
    std::vector<std::int64_t> ColStart, RowIndex;
    std::vector<double> Values;
    int Columns() const { return ColStart.empty() ? 0 : static_cast<int>(ColStart.size()) - 1; }
};

// What the factorization of a compressed matrix found.
struct SparseFactorResult
{
    bool ok = true;
    int equation = 0;    // first failing equation in the factor's order (1-based number), when !ok
    double value = 0;    // its pivot ratio, or its unreduced diagonal when that failed
    double minRatio = 1; // smallest pivot ratio of the equations coupled to earlier ones
};

// Nonzeros of the factor and the statistics of its columns, for the log.
struct SparseFactorSize
{
    double nonzeros = 0; // of L, diagonal included
    double bytes = 0;    // the supernodal factor's values and row indices
    int maxColumn = 0;   // largest column of L
    int rmsColumn = 0;   // root mean square of the column counts, nearest integer
};

// The sparse path's system: the matrix in the system's numbering and CHOLMOD's analysis
// and factor of it.
class SparseSystem
{
public:
    SparseSystem();
    ~SparseSystem();
    SparseSystem(const SparseSystem&) = delete;
    SparseSystem& operator=(const SparseSystem&) = delete;

    CompressedColumns matrix; // equations 1..NEQ: assembled, then factored
    double flops = -1;        // of the factorization, from the analysis; -1 until analysed

    // Adds value to K(i, j); pairs outside the pattern are dropped.
    void Add(long long i, long long j, double value);
    // Replaces K(e, e) by value; nothing for e outside 1..NEQ.
    void SetDiagonal(long long e, double value);

    // Analyses the matrix (values not needed) in the given order of its equations (0-based,
    // a permutation), or in AMD's when there is none. False when CHOLMOD cannot.
    bool Analyse(std::vector<std::int64_t>* order = nullptr);
    // Factors the matrix with the analysis, the BLAS on the given number of threads; the
    // pivot ratios are checked against limit.
    SparseFactorResult Factor(double limit, int threads = 1);
    SparseFactorSize Size() const;
    // Solves K u = f in place, u[1..NEQ] (u[0] untouched). Needs a successful Factor.
    void Solve(double* u) const;

private:
    struct Cholmod;
    std::unique_ptr<Cholmod> chol_;
};

// Lays out the sparse system: the pattern from the element equation lists of the system's
// numbering (and the u, v pair of grids with springs or turned axes), and the analysis.
// Null when there is not enough memory or the analysis fails.
std::unique_ptr<SparseSystem> LayOutSparseSystem(const Analysis& a);

// The predicted multiply-adds of the active-column factorization: the sum of the squared
// column heights, halved.
double SkylineFactorCost(const StiffnessProfile& p, int neq);

// Whether the factor of the sparse system costs less than the profile's.
bool SparseIsCheaper(const SparseSystem& s, const StiffnessProfile& p, int neq);

// Threads for the BLAS under CHOLMOD: every core unless TAVU_SOLVER_THREADS says otherwise
// (a number; "all" is the default). CHOLMOD's own OpenMP regions always run on one.
int SparseSolverThreads();

} // namespace tavu
