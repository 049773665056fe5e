#include "solver/SparseSolver.h"

#include "solver/Profile.h"

#include <algorithm>
#include <amd.h>
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

// Sets the thread count of the BLAS that CHOLMOD calls, and one for its OpenMP regions,
// where the libraries loaded offer the calls (CHOLMOD's regions name their own count, which
// only OMP_THREAD_LIMIT caps: the programs set it at start-up). The BLAS starts a thread
// with its buffer when the count rises, so the count is set only for a factorization
// whose memory has been checked.
void SetLibraryThreads(int threads)
{
    static int current = 0;
    if (threads == current)
        return;
    current = threads;
    using SetThreads = void (*)(int);
    if (void* f = dlsym(RTLD_DEFAULT, "omp_set_num_threads"))
        reinterpret_cast<SetThreads>(f)(1);
    if (void* f = dlsym(RTLD_DEFAULT, "openblas_set_num_threads"))
        reinterpret_cast<SetThreads>(f)(threads);
}

} // namespace

struct SparseSystem::Cholmod
{
    cholmod_common c{};
    cholmod_factor* L = nullptr;

    Cholmod()
    {
        cholmod_l_start(&c);
        c.print = 0; // failures are reported by status, never printed
        c.supernodal = CHOLMOD_SUPERNODAL;
        // One ordering, which Analyse names (AMD, or the grids' order): CHOLMOD's default
        // also tries METIS, which costs twice the rest of the analysis and on plane meshes
        // saves less in the factorization than that.
        c.nmethods = 1;
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
    const int n = matrix.Columns();
    if (i > j)
        std::swap(i, j);
    if (i < 1 || j > n)
        return;
    const auto first = matrix.RowIndex.begin() + matrix.ColStart[static_cast<std::size_t>(j - 1)];
    const auto last = matrix.RowIndex.begin() + matrix.ColStart[static_cast<std::size_t>(j)];
    const auto at = std::lower_bound(first, last, i - 1);
    if (at != last && *at == i - 1)
        matrix.Values[static_cast<std::size_t>(at - matrix.RowIndex.begin())] += value;
}

void SparseSystem::SetDiagonal(long long e, double value)
{
    if (e >= 1 && e <= matrix.Columns() && !matrix.Values.empty())
        Diagonal(matrix, static_cast<std::size_t>(e - 1)) = value;
}

bool SparseSystem::Analyse(std::vector<std::int64_t>* order)
{
    Cholmod& ch = *chol_;
    if (ch.L)
        cholmod_l_free_factor(&ch.L, &ch.c);
    cholmod_sparse A = ViewOf(matrix, false);
    const bool given = order && order->size() == static_cast<std::size_t>(matrix.Columns());
    ch.c.method[0].ordering = given ? CHOLMOD_GIVEN : CHOLMOD_AMD;
    ch.L = cholmod_l_analyze_p(&A, given ? order->data() : nullptr, nullptr, 0, &ch.c);
    if (!ch.L || ch.c.status < CHOLMOD_OK)
        return false;
    flops = ch.c.fl;
    return true;
}

SparseFactorResult SparseSystem::Factor(double limit, int threads)
{
    Cholmod& ch = *chol_;
    SparseFactorResult res;
    const std::size_t n = static_cast<std::size_t>(matrix.Columns());
    if (n == 0)
        return res;
    SetLibraryThreads(std::max(threads, 1));
    cholmod_sparse A = ViewOf(matrix, true);
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
        for (auto p = matrix.ColStart[j]; p < matrix.ColStart[j + 1] - 1; ++p) {
            const std::size_t r =
                static_cast<std::size_t>(matrix.RowIndex[static_cast<std::size_t>(p)]);
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
        const double d0 = Diagonal(matrix, j);
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
    z.bytes = ch.L->is_super ? static_cast<double>(ch.L->xsize + ch.L->ssize) * 8.0 : 0.0;
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
    const std::size_t n = static_cast<std::size_t>(matrix.Columns());
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

// A fill-reducing order of the equations (0-based, in factor order), found by AMD on the
// graph of their groups: an equation that sits in the same lists as the one before it
// (another dof of the same grid) joins that one's group, since the two couple to the same
// equations. The graph is a third to a half the size of the equations' own and is ordered
// in a third of the time. AMD counts a group as one, so the order is AMD's own only when
// the groups are all of one size: where they are not (a frame along a plate's edges, 2 %
// of its grids), the factor came out 4 % larger and its work 10 % more, so the order is
// left to CHOLMOD (empty), as it is when AMD cannot (no memory).
std::vector<std::int64_t> GroupOrder(int neq, const std::vector<std::int64_t>& listStart,
                                     const std::vector<std::int64_t>& listEq,
                                     const std::vector<std::int64_t>& count,
                                     const std::vector<std::int64_t>& holder)
{
    const auto lists = [&](int e) {
        return std::pair{holder.begin() + count[static_cast<std::size_t>(e)],
                         holder.begin() + count[static_cast<std::size_t>(e) + 1]};
    };
    std::vector<std::int64_t> group(static_cast<std::size_t>(neq) + 1, 0), first{0};
    std::int64_t groups = 0;
    for (int e = 1; e <= neq; ++e) {
        const auto [b, f] = lists(e);
        bool same = false;
        if (e > 1 && b != f) {
            const auto [pb, pf] = lists(e - 1);
            same = std::equal(b, f, pb, pf);
        }
        if (!same) {
            ++groups;
            first.push_back(e);
        }
        group[static_cast<std::size_t>(e)] = groups - 1;
    }
    first.push_back(neq + 1);
    for (std::int64_t g = 1; g < groups; ++g)
        if (first[static_cast<std::size_t>(g) + 2] - first[static_cast<std::size_t>(g) + 1] !=
            first[2] - first[1])
            return {};

    // The groups' adjacency, both ways, sorted, without the diagonal.
    std::vector<std::int64_t> start{0}, adjacent;
    std::vector<std::int64_t> mark(static_cast<std::size_t>(groups), -1), row;
    for (std::int64_t g = 0; g < groups; ++g) {
        row.clear();
        mark[static_cast<std::size_t>(g)] = g;
        const auto [b, f] = lists(static_cast<int>(first[static_cast<std::size_t>(g) + 1]));
        for (auto h = b; h != f; ++h)
            for (auto p = listStart[static_cast<std::size_t>(*h)];
                 p < listStart[static_cast<std::size_t>(*h) + 1]; ++p) {
                const auto t = group[static_cast<std::size_t>(listEq[static_cast<std::size_t>(p)])];
                if (mark[static_cast<std::size_t>(t)] != g) {
                    mark[static_cast<std::size_t>(t)] = g;
                    row.push_back(t);
                }
            }
        std::sort(row.begin(), row.end());
        adjacent.insert(adjacent.end(), row.begin(), row.end());
        start.push_back(static_cast<std::int64_t>(adjacent.size()));
    }
    std::vector<std::int64_t> groupOrder(static_cast<std::size_t>(groups));
    double control[AMD_CONTROL], info[AMD_INFO];
    amd_l_defaults(control);
    const auto status =
        amd_l_order(groups, start.data(), adjacent.data(), groupOrder.data(), control, info);
    if (status != AMD_OK && status != AMD_OK_BUT_JUMBLED)
        return {};
    std::vector<std::int64_t> order;
    order.reserve(static_cast<std::size_t>(neq));
    for (const auto g : groupOrder)
        for (auto e = first[static_cast<std::size_t>(g) + 1];
             e < first[static_cast<std::size_t>(g) + 2]; ++e)
            order.push_back(e - 1);
    return order;
}

// The upper triangles of the couplings, by columns: for each equation the equations
// that share a list with it, up to itself (the diagonal always); and the order of the
// equations for the factor.
void BuildPattern(const Analysis& a, int neq, CompressedColumns& m,
                  std::vector<std::int64_t>& order)
{
    // Which lists hold each equation (compressed rows of the incidence).
    std::vector<std::int64_t> listStart{0}, listEq;
    std::vector<std::int64_t> count(static_cast<std::size_t>(neq) + 2, 0);
    ForEachCoupling(a, Numbering::System, [&](const auto& list) {
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
    order = GroupOrder(neq, listStart, listEq, count, holder);
}

} // namespace

std::unique_ptr<SparseSystem> LayOutSparseSystem(const Analysis& a)
{
    const int neq = std::max(a.System.NEQ, 0);
    try {
        auto s = std::make_unique<SparseSystem>();
        std::vector<std::int64_t> order;
        BuildPattern(a, neq, s->matrix, order);
        if (s->matrix.Columns() > 0 && !s->Analyse(&order))
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
    // (fewer) ones: on the benchmark plates 17 to 22 G/s against 2.4 to 11 G/s on one
    // core, the supernodal rate growing with the model (4 to 5 G/s near the crossing).
    // With this factor the choice falls on the faster path for slender and square plates
    // alike (bench/README.md).
    constexpr double SkylineSpeedup = 5.0;
    return s.flops >= 0 && 0.5 * s.flops < SkylineFactorCost(p, neq) / SkylineSpeedup;
}

int SparseSolverThreads()
{
    const char* env = std::getenv("TAVU_SOLVER_THREADS");
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    if (!env || !*env || std::strcmp(env, "all") == 0)
        return cores;
    const int n = std::atoi(env);
    return n >= 1 ? std::min(n, cores) : 1;
}

} // namespace tavu
