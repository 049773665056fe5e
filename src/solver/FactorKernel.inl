// The blocked active-column L*D*Lt kernel. Included inside a namespace that defines
//   struct Ops  { static constexpr int W; using Row; Load, Store, Bcast, Fnma, Mul,
//                 LoadColumns4, StoreColumns4 }
//   constexpr int TileRows, BlockRowTile;
// where a Row holds W doubles (one row of W consecutive target columns) and
// Fnma(v, b, x) = v - b * x lane by lane. LoadColumns4(col, r, x, stride) copies rows
// r .. r+3 of the four columns col[g] (col[g][-r] is row r) into x[k * stride + g], k the
// row's offset from r; StoreColumns4 copies them back.
//
// A block of W consecutive columns n0 .. n0+W-1 is copied into a small row-major scratch X
// (rows T .. n0+W-1, T the lowest top row of the block, zeros above each column's top), so
// that one row of the block is one Row:
//  1. rows T+1 .. n0-1 (equations already factored) are reduced in tiles of TileRows rows:
//     X[s] -= sum over r < s of L(s, r) * X[r], the multipliers L(s, r) taken from column s
//     of the store and broadcast against whole rows of X;
//  2. the multipliers of the block's rows above n0 are Y[r] = X[r] / d_r (a product with
//     the reciprocal pivot), and the block's own rows n0+g get
//     X[n0+g] -= sum over r < n0 of Y[r][g] * X[r] (for lane g this is the pivot's
//     reduction by the earlier equations);
//  3. the small triangle of the block is finished column by column in the order of the
//     equations, each with its diagonal check, pivot and ratio check;
//  4. the finished columns are written back into the store. When an equation fails, the
//     columns after it are not written back: they stay as they were assembled.

// The including file includes <cmath> first.

namespace {

using Row = Ops::Row;
constexpr int W = Ops::W;

struct KernelArgs
{
    double* kv;
    const long long* dp;
    int neq;
    double limit;
    double* X;    // (maxHeight + W) x W: the block's rows
    double* Y;    // (maxHeight + W) x W: the block's multipliers above its first row
    double* D;    // 1..neq: pivots of the factored equations
    double* invD; // 1..neq: their reciprocals
};

inline long long TopOf(const long long* dp, long long j)
{
    return j - (dp[j + 1] - dp[j]) + 1;
}

// Cache lines of the next block asked for after each tile.
constexpr int PrefetchLinesPerTile = 8;

inline void Prefetch(const char* p)
{
#if defined(__GNUC__)
    __builtin_prefetch(p, 0, 3);
#else
    (void)p;
#endif
}

// Asks for the parts of columns s0 .. s1-1 that a tile of rows s0 .. s1-1 reads (rows T up
// to s0-1), so that they come from the outer caches while the tile before works.
inline void PrefetchSources(const KernelArgs& a, long long s0, long long s1, long long T)
{
    for (long long s = s0; s < s1; ++s) {
        const long long h = a.dp[s + 1] - a.dp[s];
        const long long last = s - T < h - 1 ? s - T : h - 1;
        const char* p = reinterpret_cast<const char*>(a.kv + a.dp[s] + (s - s0 + 1));
        const char* end = reinterpret_cast<const char*>(a.kv + a.dp[s] + last);
        for (; p <= end; p += 64)
            Prefetch(p);
    }
}

// v[k] -= sum of src[k][i * step] * x[i * W] over i = 0 .. count-1, for k = 0 .. R-1. The
// rows are kept in locals so that they stay in registers through the loop.
template <int R>
inline void Reduce(const double* const* src, long long step, const double* x, long long count,
                   Row* v)
{
    Row sum[R];
    const double* p[R];
#pragma GCC unroll 8
    for (int k = 0; k < R; ++k) {
        sum[k] = v[k];
        p[k] = src[k];
    }
    for (long long i = 0; i < count; ++i) {
        const Row xv = Ops::Load(x + i * W);
#pragma GCC unroll 8
        for (int k = 0; k < R; ++k)
            sum[k] = Ops::Fnma(sum[k], Ops::Bcast(p[k] + i * step), xv);
    }
#pragma GCC unroll 8
    for (int k = 0; k < R; ++k)
        v[k] = sum[k];
}

// Reduces rows i0 .. i0+R-1 (all above the block's first column) of the block in X:
// X[s] -= sum over r in from(s) .. s-1 of L(s, r) * X[r], from(s) the lower of T and the
// top of column s.
template <int R> inline void ReduceTile(const KernelArgs& a, long long i0, long long T)
{
    double* X = a.X;
    long long lo = T;
    long long top[R], from[R];
#pragma GCC unroll 8
    for (int k = 0; k < R; ++k) {
        top[k] = TopOf(a.dp, i0 + k);
        from[k] = top[k] > T ? top[k] : T;
        if (from[k] > lo)
            lo = from[k];
    }
    if (lo > i0)
        lo = i0;

    // The rows above the tile: the stretch all R rows share, then what some reach beyond.
    Row v[R];
    const double* src[R];
#pragma GCC unroll 8
    for (int k = 0; k < R; ++k) {
        const long long s = i0 + k;
        v[k] = Ops::Load(X + (s - T) * W);
        src[k] = a.kv + a.dp[s] + (s - lo); // L(s, lo); one row down is one position up
    }
    Reduce<R>(src, -1, X + (lo - T) * W, i0 - lo, v);
    for (int k = 0; k < R; ++k) {
        if (from[k] >= lo)
            continue;
        const long long s = i0 + k;
        const double* one[1] = {a.kv + a.dp[s] + (s - from[k])};
        Reduce<1>(one, -1, X + (from[k] - T) * W, lo - from[k], &v[k]);
    }
    // The tile's own triangle, in registers: row k takes the finished rows before it.
#pragma GCC unroll 8
    for (int k = 0; k < R; ++k) {
        const long long s = i0 + k;
        const double* l = a.kv + a.dp[s] + s; // l[-r] is L(s, r)
#pragma GCC unroll 8
        for (int j = 0; j < k; ++j)
            if (i0 + j >= top[k])
                v[k] = Ops::Fnma(v[k], Ops::Bcast(l - (i0 + j)), v[j]);
        Ops::Store(X + (s - T) * W, v[k]);
    }
}

template <int R>
inline void ReduceTileUpTo(int rows, const KernelArgs& a, long long i0, long long T)
{
    if constexpr (R > 1) {
        if (rows < R) {
            ReduceTileUpTo<R - 1>(rows, a, i0, T);
            return;
        }
    }
    ReduceTile<R>(a, i0, T);
}

// X[n0+g0+k] -= sum over r in T..n0-1 of Y[r][g0+k] * X[r], k = 0 .. R-1.
template <int R> inline void ReduceBlockRows(const KernelArgs& a, long long n0, long long T, int g0)
{
    Row v[R];
    const double* src[R];
#pragma GCC unroll 8
    for (int k = 0; k < R; ++k) {
        v[k] = Ops::Load(a.X + (n0 + g0 + k - T) * W);
        src[k] = a.Y + g0 + k;
    }
    Reduce<R>(src, W, a.X, n0 - T, v);
#pragma GCC unroll 8
    for (int k = 0; k < R; ++k)
        Ops::Store(a.X + (n0 + g0 + k - T) * W, v[k]);
}

template <int R>
inline void ReduceBlockRowsUpTo(int rows, const KernelArgs& a, long long n0, long long T, int g0)
{
    if constexpr (R > 1) {
        if (rows < R) {
            ReduceBlockRowsUpTo<R - 1>(rows, a, n0, T, g0);
            return;
        }
    }
    ReduceBlockRows<R>(a, n0, T, g0);
}

// Copies lanes 0 .. lanes-1 of the block back into their columns: the multipliers of the
// rows above the block from Y, the block's own rows and the pivot from X.
inline void WriteBack(const KernelArgs& a, long long n0, long long T, int lanes)
{
    double* col[W];
    long long top[W];
    for (int g = 0; g < lanes; ++g) {
        const long long n = n0 + g;
        top[g] = TopOf(a.dp, n);
        col[g] = a.kv + a.dp[n] + n; // col[g][-r] is row r
    }
    const double* Yt = a.Y - T * W; // Yt + r * W is row r
    for (int g0 = 0; g0 < lanes; g0 += 4) {
        // Four lanes at a time, four rows at a time where all four columns hold the rows,
        // one by one elsewhere.
        long long from = n0, simdEnd = n0;
        if (g0 + 4 <= lanes) {
            from = top[g0];
            for (int g = g0 + 1; g < g0 + 4; ++g)
                from = top[g] > from ? top[g] : from;
            from = from < n0 ? from : n0;
            simdEnd = from + (n0 - from) / 4 * 4;
            for (long long r = from; r < simdEnd; r += 4)
                Ops::StoreColumns4(col + g0, r, Yt + r * W + g0, W);
        }
        for (int g = g0; g < g0 + 4 && g < lanes; ++g) {
            for (long long r = top[g]; r < from && r < n0; ++r)
                col[g][-r] = Yt[r * W + g];
            for (long long r = simdEnd > top[g] ? simdEnd : top[g]; r < n0; ++r)
                col[g][-r] = Yt[r * W + g];
        }
    }
    for (int g = 0; g < lanes; ++g) {
        const double* x = a.X + g - T * W;
        for (long long r = n0 > top[g] ? n0 : top[g]; r <= n0 + g; ++r)
            col[g][-r] = x[r * W];
    }
}

// Copies the block's columns into X (zeros elsewhere) and their diagonals into d0.
inline void ReadBlock(const KernelArgs& a, long long n0, long long T, int nc, double* d0)
{
    double* X = a.X;
    const long long rows = n0 + nc - T;
    for (long long i = 0; i < rows * W; ++i)
        X[i] = 0.0;
    const double* col[W];
    long long top[W];
    for (int g = 0; g < nc; ++g) {
        const long long n = n0 + g;
        top[g] = TopOf(a.dp, n);
        col[g] = a.kv + a.dp[n] + n; // col[g][-r] is row r
        d0[g] = col[g][-n];
    }
    double* Xt = X - T * W; // Xt + r * W is row r
    for (int g0 = 0; g0 < nc; g0 += 4) {
        long long from = n0, simdEnd = n0;
        if (g0 + 4 <= nc) {
            from = top[g0];
            for (int g = g0 + 1; g < g0 + 4; ++g)
                from = top[g] > from ? top[g] : from;
            from = from < n0 ? from : n0;
            simdEnd = from + (n0 - from) / 4 * 4;
            for (long long r = from; r < simdEnd; r += 4)
                Ops::LoadColumns4(col + g0, r, Xt + r * W + g0, W);
        }
        for (int g = g0; g < g0 + 4 && g < nc; ++g) {
            for (long long r = top[g]; r < from && r < n0; ++r)
                Xt[r * W + g] = col[g][-r];
            for (long long r = simdEnd > top[g] ? simdEnd : top[g]; r <= n0 + g; ++r)
                Xt[r * W + g] = col[g][-r];
        }
    }
}

bool PassesCheck(double value, double limit)
{
    return std::isfinite(value) && value >= limit;
}

FactorResult FactorBlocked(const KernelArgs& a)
{
    FactorResult res;
    double* X = a.X;
    double* Y = a.Y;
    for (long long n0 = 1; n0 <= a.neq; n0 += W) {
        const int nc = static_cast<int>(a.neq - n0 + 1 < W ? a.neq - n0 + 1 : W);
        long long T = n0;
        for (int g = 0; g < nc; ++g) {
            const long long top = TopOf(a.dp, n0 + g);
            if (top < T)
                T = top;
        }
        double d0[W];
        ReadBlock(a, n0, T, nc, d0);

        // The next block's columns are one stretch of the store: have it fetched from memory
        // a few lines per tile while this block works in the cache.
        const long long next = n0 + W <= a.neq + 1 ? n0 + W : a.neq + 1;
        const long long nextEnd = n0 + 2 * W <= a.neq + 1 ? n0 + 2 * W : a.neq + 1;
        const char* fetch = reinterpret_cast<const char*>(a.kv + a.dp[next]);
        const char* fetchEnd = reinterpret_cast<const char*>(a.kv + a.dp[nextEnd]);

        // 1. Rows of the equations already factored.
        for (long long i0 = T + 1; i0 < n0; i0 += TileRows) {
            const long long left = n0 - i0;
            const long long following = i0 + TileRows;
            if (following < n0)
                PrefetchSources(a, following, following + TileRows < n0 ? following + TileRows : n0,
                                T);
            ReduceTileUpTo<TileRows>(static_cast<int>(left < TileRows ? left : TileRows), a, i0, T);
            for (int k = 0; k < PrefetchLinesPerTile && fetch < fetchEnd; ++k, fetch += 64)
                Prefetch(fetch);
        }
        for (; fetch < fetchEnd; fetch += 64)
            Prefetch(fetch);

        // 2. Their multipliers, and the block's own rows reduced by them.
        for (long long r = T; r < n0; ++r) {
            const double* xr = X + (r - T) * W;
            Ops::Store(Y + (r - T) * W, Ops::Mul(Ops::Load(xr), Ops::Bcast(a.invD + r)));
        }
        if (n0 > T)
            for (int g0 = 0; g0 < nc; g0 += BlockRowTile)
                ReduceBlockRowsUpTo<BlockRowTile>(nc - g0 < BlockRowTile ? nc - g0 : BlockRowTile,
                                                  a, n0, T, g0);

        // 3. The block's triangle, one equation after the other.
        for (int g = 0; g < nc; ++g) {
            const long long n = n0 + g;
            if (!(std::isfinite(d0[g]) && d0[g] > 0)) {
                WriteBack(a, n0, T, g);
                res.ok = false;
                res.equation = static_cast<int>(n);
                res.value = d0[g];
                return res;
            }
            const long long top = TopOf(a.dp, n);
            for (int k = 1; k < g; ++k) {
                if (n0 + k < top)
                    continue;
                double s = X[(n0 + k - T) * W + g];
                for (int j = 0; j < k; ++j)
                    s -= X[(n0 + j - T) * W + k] * X[(n0 + j - T) * W + g];
                X[(n0 + k - T) * W + g] = s;
            }
            double pivot = X[(n - T) * W + g];
            for (int k = g - 1; k >= 0 && n0 + k >= top; --k) {
                double& gk = X[(n0 + k - T) * W + g];
                const double c = gk / a.D[n0 + k];
                pivot -= c * gk;
                gk = c;
            }
            X[(n - T) * W + g] = pivot;
            double tested = d0[g];
            if (top < n) {
                tested = pivot / d0[g];
                if (tested < res.minRatio)
                    res.minRatio = tested;
            }
            if (!PassesCheck(tested, a.limit)) {
                WriteBack(a, n0, T, g + 1);
                res.ok = false;
                res.equation = static_cast<int>(n);
                res.value = tested;
                return res;
            }
            a.D[n] = pivot;
            a.invD[n] = 1.0 / pivot;
        }
        WriteBack(a, n0, T, nc);
    }
    return res;
}

} // namespace
