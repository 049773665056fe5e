// The blocked kernel in plain C++ (four columns per block), for processors without the
// vector extensions of the fast path.

#include "solver/FactorKernels.h"

#include <cmath>

namespace tavu::factor_portable {

struct Ops
{
    static constexpr int W = 4;
    struct Row
    {
        double v[4];
    };
    static Row Load(const double* p) { return {{p[0], p[1], p[2], p[3]}}; }
    static void Store(double* p, const Row& r)
    {
        for (int k = 0; k < 4; ++k)
            p[k] = r.v[k];
    }
    static Row Bcast(const double* p) { return {{*p, *p, *p, *p}}; }
    static Row Fnma(const Row& v, const Row& b, const Row& x)
    {
        Row r;
        for (int k = 0; k < 4; ++k)
            r.v[k] = v.v[k] - b.v[k] * x.v[k];
        return r;
    }
    static void LoadColumns4(const double* const* col, long long r, double* x, long long stride)
    {
        for (int k = 0; k < 4; ++k)
            for (int g = 0; g < 4; ++g)
                x[k * stride + g] = col[g][-(r + k)];
    }
    static void StoreColumns4(double* const* col, long long r, const double* x, long long stride)
    {
        for (int k = 0; k < 4; ++k)
            for (int g = 0; g < 4; ++g)
                col[g][-(r + k)] = x[k * stride + g];
    }
    static Row Mul(const Row& a, const Row& b)
    {
        Row r;
        for (int k = 0; k < 4; ++k)
            r.v[k] = a.v[k] * b.v[k];
        return r;
    }
};

constexpr int BlockRowTile = 4;
constexpr int TileRows = 4;

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

} // namespace tavu::factor_portable
