#include "solver/SparseSolver.h"

#include "solver/Profile.h"
#include "solver/Transform.h"

#include <algorithm>
#include <cholmod.h>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <new>
#include <thread>

namespace tavu {

namespace {

// The view CHOLMOD needs of a compressed matrix (the arrays stay ours). With values
// false it is a pattern, enough for the analysis.
cholmod_sparse ViewOf(CompressedColumns& m, bool values)
{
    cholmod_sparse v{};
    v.nrow = v.ncol = static_cast<std::size_t>(m.Columns());
    v.nzmax = m.RowIndex.size();
    v.p = m.ColStart.data();
    v.i = m.RowIndex.data();
    v.x = values ? m.Values.data() : nullptr;
    v.stype = 1; // the upper triangle of a symmetric matrix
    v.itype = CHOLMOD_LONG;
    v.xtype = values ? CHOLMOD_REAL : CHOLMOD_PATTERN;
    v.dtype = CHOLMOD_DOUBLE;
    v.sorted = 1;
    v.packed = 1;
    return v;
}

// The diagonal of column j (0-based): the last entry, since the rows ascend and every
// column holds its diagonal.
double& Diagonal(CompressedColumns& m, std::size_t j)
{
    return m.Values[static_cast<std::size_t>(m.ColStart[j + 1] - 1)];
}

// Sets the thread count of OpenMP and of the BLAS that CHOLMOD calls, where the libraries
// loaded offer the calls (OpenMP's environment alone is not enough: CHOLMOD's parallel
// regions only follow OMP_NUM_THREADS when OMP_THREAD_LIMIT is set as well).
void SetLibraryThreads(int threads)
{
    using SetThreads = void (*)(int);
    for (const char* name : {"omp_set_num_threads", "openblas_set_num_threads"})
        if (void* f = dlsym(RTLD_DEFAULT, name))
            reinterpret_cast<SetThreads>(f)(threads);
}

} // namespace

struct SparseSystem::Cholmod
{
    cholmod_common c{};
    cholmod_factor* L = nullptr;

    Cholmod()
    {
        static const int threads = [] {
            const int n = SparseSolverThreads();
            SetLibraryThreads(n);
            return n;
        }();
        cholmod_l_start(&c);
        c.print = 0; // failures are reported by status, never printed
        c.supernodal = CHOLMOD_SUPERNODAL;
        (void)threads;
    }
    ~Cholmod()
    {
        if (L)
            cholmod_l_free_factor(&L, &c);
        cholmod_l_finish(&c);
    }
};

SparseSystem::SparseSystem() : chol_(std::make_unique<Cholmod>())
{
}
SparseSystem::~SparseSystem() = default;

void SparseSystem::Add(long long i, long long j, double value)
{
    const int n = assembled.Columns();
    if (i > j)
        std::swap(i, j);
    if (i < 1 || j > n)
        return;
    const auto first =
        assembled.RowIndex.begin() + assembled.ColStart[static_cast<std::size_t>(j - 1)];
    const auto last = assembled.RowIndex.begin() + assembled.ColStart[static_cast<std::size_t>(j)];
    const auto at = std::lower_bound(first, last, i - 1);
    if (at != last && *at == i - 1)
        assembled.Values[static_cast<std::size_t>(at - assembled.RowIndex.begin())] += value;
}

bool SparseSystem::Analyse()
{
    Cholmod& ch = *chol_;
    if (ch.L)
        cholmod_l_free_factor(&ch.L, &ch.c);
    cholmod_sparse A = ViewOf(reduced, false);
    ch.L = cholmod_l_analyze(&A, &ch.c);
    if (!ch.L || ch.c.status < CHOLMOD_OK)
        return false;
    flops = ch.c.fl;
    return true;
}

SparseFactorResult SparseSystem::Factor(double limit)
{
    Cholmod& ch = *chol_;
    SparseFactorResult res;
    const std::size_t n = static_cast<std::size_t>(reduced.Columns());
    if (n == 0)
        return res;
    cholmod_sparse A = ViewOf(reduced, true);
    cholmod_l_factorize(&A, ch.L, &ch.c);
    if (ch.c.status < CHOLMOD_OK || !ch.L->is_super) {
        // Out of memory (or an inconsistent analysis): nothing of the factor is valid.
        res.ok = false;
        res.equation = 0;
        res.value = std::nan("");
        return res;
    }
    const std::size_t minor =
        ch.c.status == CHOLMOD_NOT_POSDEF ? static_cast<std::size_t>(ch.L->minor) : n;

    const auto* perm = static_cast<const std::int64_t*>(ch.L->Perm);
    std::vector<std::size_t> position(n);
    for (std::size_t k = 0; k < n; ++k)
        position[static_cast<std::size_t>(perm[k])] = k;

    // An equation is coupled to earlier ones (in the factor's order) when K has a term
    // with one of them: only then is it reduced, and its pivot ratio counts.
    std::vector<char> coupled(n, 0);
    for (std::size_t j = 0; j < n; ++j)
        for (auto p = reduced.ColStart[j]; p < reduced.ColStart[j + 1] - 1; ++p) {
            const std::size_t r =
                static_cast<std::size_t>(reduced.RowIndex[static_cast<std::size_t>(p)]);
            coupled[std::max(position[r], position[j])] = 1;
        }

    // The pivots d_k = L(k, k)^2 of the valid columns, walking the supernodes.
    const auto* super = static_cast<const std::int64_t*>(ch.L->super);
    const auto* pi = static_cast<const std::int64_t*>(ch.L->pi);
    const auto* px = static_cast<const std::int64_t*>(ch.L->px);
    const auto* ls = static_cast<const std::int64_t*>(ch.L->s);
    const auto* lx = static_cast<const double*>(ch.L->x);
    std::vector<double> pivot(n, 0.0);
    const std::size_t nsuper = ch.L->nsuper;
    for (std::size_t s = 0; s < nsuper; ++s) {
        const auto k1 = static_cast<std::size_t>(super[s]),
                   k2 = static_cast<std::size_t>(super[s + 1]);
        const auto nsrow = static_cast<std::size_t>(pi[s + 1] - pi[s]);
        for (std::size_t k = k1; k < k2 && k < minor; ++k) {
            const double l = lx[static_cast<std::size_t>(px[s]) + (k - k1) * (nsrow + 1)];
            pivot[k] = l * l;
        }
        // The failing column: its pivot is what is left of the diagonal after the terms of
        // the valid columns in its row.
        if (minor < n && k1 < minor) {
            for (std::size_t r = 0; r < nsrow; ++r) {
                if (static_cast<std::size_t>(ls[static_cast<std::size_t>(pi[s]) + r]) != minor)
                    continue;
                for (std::size_t k = k1; k < k2 && k < minor; ++k) {
                    const double l = lx[static_cast<std::size_t>(px[s]) + (k - k1) * nsrow + r];
                    pivot[minor] -= l * l;
                }
            }
        }
    }

    // The equations in the factor's order, each tested as the store's decomposition tests
    // it: the unreduced diagonal first, then the pivot ratio (the diagonal itself for an
    // equation coupled to no earlier one). CHOLMOD stops at a pivot that is not positive.
    auto fail = [&](std::size_t j, double value) {
        res.ok = false;
        res.equation = static_cast<int>(j) + 1;
        res.value = value;
        return res;
    };
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t j = static_cast<std::size_t>(perm[k]);
        const double d0 = Diagonal(reduced, j);
        if (!(std::isfinite(d0) && d0 > 0))
            return fail(j, d0);
        if (k == minor)
            return fail(j, coupled[k] ? (d0 + pivot[k]) / d0 : d0);
        const double tested = coupled[k] ? pivot[k] / d0 : d0;
        if (coupled[k])
            res.minRatio = std::min(res.minRatio, tested);
        if (!(std::isfinite(tested) && tested >= limit))
            return fail(j, tested);
    }
    return res;
}

SparseFactorSize SparseSystem::Size() const
{
    SparseFactorSize z;
    const Cholmod& ch = *chol_;
    if (!ch.L)
        return z;
    const auto* count = static_cast<const std::int64_t*>(ch.L->ColCount);
    long double sumSquares = 0;
    const std::size_t n = ch.L->n;
    for (std::size_t k = 0; k < n; ++k) {
        const auto c = count[k];
        z.nonzeros += static_cast<double>(c);
        z.maxColumn = std::max(z.maxColumn, static_cast<int>(c));
        sumSquares += static_cast<long double>(c) * static_cast<long double>(c);
    }
    if (n > 0)
        z.rmsColumn = static_cast<int>(std::nearbyint(std::sqrt(sumSquares / n)));
    return z;
}

void SparseSystem::Solve(double* u) const
{
    Cholmod& ch = *chol_;
    const std::size_t n = static_cast<std::size_t>(reduced.Columns());
    if (n == 0 || !ch.L)
        return;
    cholmod_dense b{};
    b.nrow = b.d = b.nzmax = n;
    b.ncol = 1;
    b.x = u + 1;
    b.xtype = CHOLMOD_REAL;
    b.dtype = CHOLMOD_DOUBLE;
    cholmod_dense* x = cholmod_l_solve(CHOLMOD_A, ch.L, &b, &ch.c);
    if (!x) {
        std::fill(u + 1, u + 1 + n, std::nan(""));
        return;
    }
    std::memcpy(u + 1, x->x, n * sizeof(double));
    cholmod_l_free_dense(&x, &ch.c);
}

namespace {

// The upper triangles of the couplings, by columns: for each equation the equations
// that share a list with it, up to itself (the diagonal always).
void BuildPattern(const Analysis& a, int neq, CompressedColumns& m)
{
    // Which lists hold each equation (compressed rows of the incidence).
    std::vector<std::int64_t> listStart{0}, listEq;
    std::vector<std::int64_t> count(static_cast<std::size_t>(neq) + 2, 0);
    ForEachCoupling(a, [&](const auto& list) {
        for (int e : list)
            if (e >= 1 && e <= neq) {
                listEq.push_back(e);
                ++count[static_cast<std::size_t>(e) + 1];
            }
        listStart.push_back(static_cast<std::int64_t>(listEq.size()));
    });
    for (std::size_t e = 1; e < count.size(); ++e)
        count[e] += count[e - 1];
    std::vector<std::int64_t> holder(listEq.size());
    std::vector<std::int64_t> next(count.begin(), count.end() - 1);
    for (std::size_t l = 0; l + 1 < listStart.size(); ++l)
        for (auto p = listStart[l]; p < listStart[l + 1]; ++p)
            holder[static_cast<std::size_t>(
                next[static_cast<std::size_t>(listEq[static_cast<std::size_t>(p)])]++)] =
                static_cast<std::int64_t>(l);

    m.ColStart.assign(1, 0);
    m.ColStart.reserve(static_cast<std::size_t>(neq) + 1);
    m.RowIndex.clear();
    std::vector<int> mark(static_cast<std::size_t>(neq) + 1, 0);
    std::vector<std::int64_t> rows;
    for (int j = 1; j <= neq; ++j) {
        rows.assign(1, j - 1);
        mark[static_cast<std::size_t>(j)] = j;
        for (auto h = count[static_cast<std::size_t>(j)];
             h < count[static_cast<std::size_t>(j) + 1]; ++h) {
            const auto l = static_cast<std::size_t>(holder[static_cast<std::size_t>(h)]);
            for (auto p = listStart[l]; p < listStart[l + 1]; ++p) {
                const auto e = listEq[static_cast<std::size_t>(p)];
                if (e < j && mark[static_cast<std::size_t>(e)] != j) {
                    mark[static_cast<std::size_t>(e)] = j;
                    rows.push_back(e - 1);
                }
            }
        }
        std::sort(rows.begin(), rows.end());
        m.RowIndex.insert(m.RowIndex.end(), rows.begin(), rows.end());
        m.ColStart.push_back(static_cast<std::int64_t>(m.RowIndex.size()));
    }
    m.Values.clear();
}

// The model equations the step eliminates, in its order: for each grid in table order
// whose axis code is 1 or 2, the free equation of its u or v.
std::vector<int> EliminatedEquations(const Analysis& a, int neq)
{
    std::vector<int> out;
    const ModelStore& m = a.Model;
    for (int i = 1; i <= m.nGrids; ++i) {
        const int code = m.Grids(i).axisCode;
        if (code != EliminateU && code != EliminateV)
            continue;
        const int n = m.Grids(i).equation[code == EliminateU ? DofU : DofV];
        if (n >= 1 && n <= neq)
            out.push_back(n);
    }
    return out;
}

} // namespace

std::unique_ptr<SparseSystem> LayOutSparseSystem(const Analysis& a)
{
    const int neq = std::max(a.Model.NEQ, 0);
    try {
        auto s = std::make_unique<SparseSystem>();
        BuildPattern(a, neq, s->assembled);
        s->eliminated = EliminatedEquations(a, neq);
        s->reducedOf.assign(static_cast<std::size_t>(neq) + 1, 0);
        for (int e : s->eliminated)
            s->reducedOf[static_cast<std::size_t>(e)] = -1;
        int next = 0;
        for (int e = 1; e <= neq; ++e)
            s->reducedOf[static_cast<std::size_t>(e)] =
                s->reducedOf[static_cast<std::size_t>(e)] < 0 ? 0 : ++next;

        // The reduced pattern: the survivors keep their order, so rows stay ascending.
        CompressedColumns& r = s->reduced;
        r.ColStart.assign(1, 0);
        r.RowIndex.clear();
        for (int j = 1; j <= neq; ++j) {
            if (s->reducedOf[static_cast<std::size_t>(j)] == 0)
                continue;
            const auto& m = s->assembled;
            for (auto p = m.ColStart[static_cast<std::size_t>(j) - 1];
                 p < m.ColStart[static_cast<std::size_t>(j)]; ++p) {
                const int row =
                    s->reducedOf[static_cast<std::size_t>(m.RowIndex[static_cast<std::size_t>(p)]) +
                                 1];
                if (row != 0)
                    r.RowIndex.push_back(row - 1);
            }
            r.ColStart.push_back(static_cast<std::int64_t>(r.RowIndex.size()));
        }
        if (r.Columns() > 0 && !s->Analyse())
            return nullptr;
        s->flops = std::max(s->flops, 0.0);
        return s;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

double SkylineFactorCost(const StiffnessProfile& p, int neq)
{
    double total = 0;
    for (int j = 1; j <= neq && p.DiagPos.Has(j + 1); ++j) {
        const double h = static_cast<double>(p.DiagPos(j + 1) - p.DiagPos(j));
        total += 0.5 * h * h;
    }
    return total;
}

bool SparseIsCheaper(const SparseSystem& s, const StiffnessProfile& p, int neq)
{
    // CHOLMOD counts two operations per multiply-add. The active-column kernel does its
    // multiply-adds several times faster than the supernodal factorization does its own
    // (fewer) ones: on the benchmark plates 16 to 20 G/s against 2 to 4 G/s on one core,
    // the supernodal rate growing with the model. With this factor the choice falls on the
    // faster path for slender and square plates alike (bench/README.md).
    constexpr double SkylineSpeedup = 6.0;
    return s.flops >= 0 && 0.5 * s.flops < SkylineFactorCost(p, neq) / SkylineSpeedup;
}

bool RotateAndEliminateSparse(Analysis& a, int& badGrid)
{
    EquationSystem& sys = a.System;
    SparseSystem& s = *sys.Sparse;
    CompressedColumns& m = s.assembled;
    const ModelStore& model = a.Model;
    const int neq0 = m.Columns();
    badGrid = 0;

    struct Turn
    {
        double c, s;
    };
    std::vector<Turn> turnAt(static_cast<std::size_t>(neq0) + 1, Turn{1, 0});
    std::vector<int> turnedGrid(static_cast<std::size_t>(neq0) + 1, 0);
    auto turn = [&](const Turn& t, std::int64_t pu, std::int64_t pv) {
        double& x = m.Values[static_cast<std::size_t>(pu)];
        double& y = m.Values[static_cast<std::size_t>(pv)];
        const double tx = t.c * x + t.s * y, ty = t.c * y - t.s * x;
        x = tx;
        y = ty;
    };
    for (int g = 1; g <= model.nGrids; ++g) {
        const GridRow& row = model.Grids(g);
        if (row.axisCode <= 0)
            continue;
        const int ju = std::abs(row.equation[DofU]);
        const int jv = ju + 1;
        badGrid = g;
        if (ju < 1 || std::abs(row.equation[DofV]) != jv || jv > neq0)
            return false;
        // Columns ju and jv hold the same rows above ju (every list that holds one of the
        // pair holds the other), then row ju of column jv and the diagonals.
        const auto cu = m.ColStart[static_cast<std::size_t>(ju - 1)];
        const auto cv = m.ColStart[static_cast<std::size_t>(jv - 1)];
        const auto hu = m.ColStart[static_cast<std::size_t>(ju)] - cu;
        if (m.ColStart[static_cast<std::size_t>(jv)] - cv != hu + 1 ||
            !std::equal(m.RowIndex.begin() + cu, m.RowIndex.begin() + cu + hu,
                        m.RowIndex.begin() + cv))
            return false;
        const Turn t{std::cos(row.axisAngle), std::sin(row.axisAngle)};
        turnAt[static_cast<std::size_t>(ju)] = t;
        turnedGrid[static_cast<std::size_t>(ju)] = g;
        for (std::int64_t k = 0; k + 1 < hu; ++k)
            turn(t, cu + k, cv + k);
        // The 2 x 2 block: rows first, then columns.
        double& kuu = m.Values[static_cast<std::size_t>(cu + hu - 1)];
        double& kuv = m.Values[static_cast<std::size_t>(cv + hu - 1)];
        double& kvv = m.Values[static_cast<std::size_t>(cv + hu)];
        const double ruu = t.c * kuu + t.s * kuv, rvu = t.c * kuv - t.s * kuu;
        const double ruv = t.c * kuv + t.s * kvv, rvv = t.c * kvv - t.s * kuv;
        kuu = t.c * ruu + t.s * ruv;
        kuv = t.c * ruv - t.s * ruu;
        kvv = t.c * rvv - t.s * rvu;
    }
    badGrid = 0;
    // Rows ju and jv of the later columns, adjacent where present.
    for (int k = 1; k <= neq0; ++k)
        for (auto p = m.ColStart[static_cast<std::size_t>(k) - 1];
             p + 1 < m.ColStart[static_cast<std::size_t>(k)]; ++p) {
            const auto ju = m.RowIndex[static_cast<std::size_t>(p)] + 1;
            if (turnedGrid[static_cast<std::size_t>(ju)] == 0 || k <= ju + 1)
                continue;
            if (m.RowIndex[static_cast<std::size_t>(p) + 1] != ju) {
                badGrid = turnedGrid[static_cast<std::size_t>(ju)];
                return false;
            }
            turn(turnAt[static_cast<std::size_t>(ju)], p, p + 1);
            ++p;
        }

    // Penalty diagonals, at the model's numbers (no eliminated dof carries a penalty).
    for (int i = 1; i <= model.nGrids; ++i)
        for (int d = 1; d <= 3; ++d) {
            const int e = SystemEquation(sys, i, d);
            if (e < 0 && -e <= neq0)
                Diagonal(m, static_cast<std::size_t>(-e - 1)) = PenaltyStiffness;
        }

    // The grids' equations as the elimination one by one leaves them: the k-th eliminated
    // dof takes the number NEQ - k + 1 of the count before it, the others close up.
    std::vector<int> eliminatedAs(static_cast<std::size_t>(neq0) + 1, 0);
    for (std::size_t k = 0; k < s.eliminated.size(); ++k)
        eliminatedAs[static_cast<std::size_t>(s.eliminated[k])] = neq0 - static_cast<int>(k);
    for (long long g = 1; g <= sys.GridEquations.Last(); ++g)
        for (int d = 1; d <= 3; ++d) {
            int& e = sys.GridEquations(g)[static_cast<std::size_t>(d)];
            const int ae = std::abs(e);
            if (ae < 1 || ae > neq0)
                continue;
            if (eliminatedAs[static_cast<std::size_t>(ae)] != 0)
                e = eliminatedAs[static_cast<std::size_t>(ae)];
            else
                e = e > 0 ? s.reducedOf[static_cast<std::size_t>(ae)]
                          : -s.reducedOf[static_cast<std::size_t>(ae)];
        }
    sys.NEQ = s.reduced.Columns();
    return true;
}

void SparseSystem::Reduce()
{
    CompressedColumns& m = assembled;
    if (m.Values.empty())
        return;
    CompressedColumns& r = reduced;
    r.Values.assign(r.RowIndex.size(), 0.0);
    std::size_t q = 0;
    for (int j = 1; j <= m.Columns(); ++j) {
        if (reducedOf[static_cast<std::size_t>(j)] == 0)
            continue;
        for (auto p = m.ColStart[static_cast<std::size_t>(j) - 1];
             p < m.ColStart[static_cast<std::size_t>(j)]; ++p)
            if (reducedOf[static_cast<std::size_t>(m.RowIndex[static_cast<std::size_t>(p)]) + 1] !=
                0)
                r.Values[q++] = m.Values[static_cast<std::size_t>(p)];
    }
    m = CompressedColumns{};
}

int SparseSolverThreads()
{
    const char* env = std::getenv("TAVU_SOLVER_THREADS");
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    if (!env || !*env)
        return 1;
    if (std::strcmp(env, "all") == 0)
        return cores;
    const int n = std::atoi(env);
    return n >= 1 ? std::min(n, cores) : 1;
}

} // namespace tavu
