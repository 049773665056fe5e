// Times the decomposition stage on large generated models: assembly, decomposition and
// back substitution separately, and the decomposition side by side with LAPACK's banded
// Cholesky (dpbtrf) on the same matrix in band storage, median of three runs each
// (--runs=N for more). Then the sparse path of the step (assembly with its analysis, the
// decomposition) beside CHOLMOD alone on the same compressed matrix (cholmod_l_analyze and
// cholmod_l_factorize with their defaults, one thread), and the path the automatic choice
// takes. Times are the processor time of the thread; wall-clock times are shown in
// brackets. --all-kernels also times the reference and the portable kernels;
// --sparse-only leaves out the skyline and dpbtrf (for plates whose profile is too big).
//
//   solver_bench [--all-kernels] [--sparse-only] [--frame] [--runs=N] [SHORTxLONG ...]
//   (default plates: 60x600 100x1000 300x300; --frame adds a 200-storey, 30-bay frame)

#include "ModelGenerators.h"
#include "common/Analysis.h"
#include "common/Numbers.h"
#include "driver/Driver.h"
#include "loads/Loads.h"
#include "solver/BlasThreads.h"
#include "solver/Factor.h"
#include "solver/Solver.h"
#include "solver/SparseSolver.h"

#include <algorithm>
#include <cholmod.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <lapacke.h>
#include <string>
#include <vector>

extern "C" void openblas_set_num_threads(int);

namespace tavu::bench {
namespace {

class SilentWindow : public SummaryWindow
{
public:
    void SetTitle(const std::string&) override {}
    void ShowText(const std::string&) override {}
    void DisableContinue() override { failed = true; }
    void FocusContinue() override {}
    void FocusCancel() override {}
    void TurnContinueIntoFinish() override {}
    bool AskLoadScalars(Analysis&) override { return true; }
    void Close() override {}
    void FocusEditor() override {}
    bool failed = false;
};

// Processor time of this thread: the machine may be shared, and a thread that waits for
// the processor should not be charged for it. Wall-clock times are reported alongside.
double CpuNow()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

double WallNow()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Times one call: processor seconds into cpu, wall-clock seconds into wall.
template <class F> auto Timed(std::vector<double>& cpu, std::vector<double>& wall, F&& f)
{
    const double c0 = CpuNow(), w0 = WallNow();
    auto result = f();
    cpu.push_back(CpuNow() - c0);
    wall.push_back(WallNow() - w0);
    return result;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The upper band of the assembled store in LAPACK's band storage: column j (0-based) holds
// A(i, j) at ab[kd + i - j + j * (kd + 1)]. Built by the benchmark for LAPACK only.
std::vector<double> BandOf(const StiffnessProfile& p, int neq, int kd)
{
    const std::size_t ld = static_cast<std::size_t>(kd) + 1;
    std::vector<double> ab(ld * static_cast<std::size_t>(neq), 0.0);
    for (int j = 1; j <= neq; ++j) {
        const long long h = p.DiagPos(j + 1) - p.DiagPos(j);
        for (long long m = 0; m < h; ++m)
            ab[static_cast<std::size_t>(kd - m) + static_cast<std::size_t>(j - 1) * ld] =
                p.KValues(p.DiagPos(j) + m);
    }
    return ab;
}

// Largest difference between our L*D*Lt and the Cholesky factor U (A = Ut*U):
// U(n, n) = sqrt(d_n), U(k, n) = L(n, k) * sqrt(d_k), relative to the column's diagonal.
double FactorDifference(const StiffnessProfile& p, int neq, const std::vector<double>& ab, int kd)
{
    const std::size_t ld = static_cast<std::size_t>(kd) + 1;
    double worst = 0;
    for (int n = 1; n <= neq; ++n) {
        const long long h = p.DiagPos(n + 1) - p.DiagPos(n);
        const double* col = &ab[static_cast<std::size_t>(n - 1) * ld];
        const double sd = std::sqrt(p.KValues(p.DiagPos(n)));
        worst = std::max(worst, std::fabs(sd - col[kd]) / col[kd]);
        for (long long m = 1; m < h; ++m) {
            const int k = static_cast<int>(n - m);
            const double u = p.KValues(p.DiagPos(n) + m) * std::sqrt(p.KValues(p.DiagPos(k)));
            worst = std::max(worst, std::fabs(u - col[kd - m]) / col[kd]);
        }
    }
    return worst;
}

struct Options
{
    bool allKernels = false;
    bool sparseOnly = false;
    bool frame = false;
    int runs = 3;
    std::vector<std::pair<int, int>> plates;
};

// The load step's back substitution with a unit load on every equation, timed runs times;
// returns the solution.
const Vec<double>& TimeBackSubstitution(Analysis& a, int runs, std::vector<double>& cpu,
                                        std::vector<double>& wall)
{
    const int neq = a.System.NEQ;
    Vec<double>& x = a.Results.SolutionVector;
    for (int run = 0; run < runs; ++run) {
        x.Create(neq);
        for (int n = 1; n <= neq; ++n)
            x(n) = 1.0;
        Timed(cpu, wall, [&] {
            BackSubstitute(a);
            return 0;
        });
    }
    return x;
}

// The skyline decomposition's processor seconds, one per run (none when not run).
struct SkylineTimes
{
    bool failed = false;
    std::vector<double> cpu;
};

SkylineTimes RunSkyline(Analysis& a, const Options& opt, double madds);
int RunSparse(Analysis& a, const Options& opt, const SkylineTimes& skyline);

int RunModel(const std::string& name, const std::string& text, const Options& opt)
{
    Analysis a;
    SilentWindow w;
    SplitModelText(a, text);
    const double t0 = WallNow();
    if (!RunModelProcessing(a, w, nullptr)) {
        std::printf("%s: model processing failed\n%s\n", name.c_str(), a.Summary.ReadText.c_str());
        return 1;
    }
    const double readTime = WallNow() - t0;
    const int neq = a.Model.NEQ;
    const int kd = a.Profile.MaxActiveColumn - 1;
    const double madds = FactorMultiplyAdds(a.Profile.DiagPos, neq);
    std::printf("\n%s: %d equations, half-bandwidth %d, %lld stored terms, %.4g multiply-adds "
                "(model read in %.2f s)\n",
                name.c_str(), neq, kd, a.Profile.ProfileSize - 2, madds, readTime);

    const SkylineTimes skyline = opt.sparseOnly ? SkylineTimes{} : RunSkyline(a, opt, madds);
    if (skyline.failed)
        return 1;
    return RunSparse(a, opt, skyline);
}

// The skyline path and dpbtrf.
SkylineTimes RunSkyline(Analysis& a, const Options& opt, double madds)
{
    const int neq = a.Model.NEQ;
    const int kd = a.Profile.MaxActiveColumn - 1;
    a.SolverChoice = SolverPath::Skyline;
    std::vector<double> cAssemble, wAssemble, cOurs, wOurs, cLapack, wLapack, cSolve, wSolve;
    std::vector<double> ab;
    double difference = 0;
    for (int run = 0; run < opt.runs; ++run) {
        if (!Timed(cAssemble, wAssemble, [&] { return AssembleStiffness(a); })) {
            std::printf("assembly failed\n%s\n", a.Summary.LogText.c_str());
            return {true, {}};
        }
        ab = BandOf(a.System.Store, neq, kd);
        const lapack_int info = Timed(cLapack, wLapack, [&] {
            return LAPACKE_dpbtrf(LAPACK_COL_MAJOR, 'U', neq, kd, ab.data(), kd + 1);
        });
        if (info != 0) {
            std::printf("dpbtrf failed: info %d\n", static_cast<int>(info));
            return {true, {}};
        }
        const DecompositionOutcome out = Timed(cOurs, wOurs, [&] { return Decompose(a); });
        if (!out.ok) {
            std::printf("decomposition failed\n%s\n", a.Summary.LogText.c_str());
            return {true, {}};
        }
        difference = std::max(difference, FactorDifference(a.System.Store, neq, ab, kd));
    }

    // Back substitution (the load step's) with a unit load on every equation, checked
    // against dpbtrs.
    const Vec<double>& x = TimeBackSubstitution(a, opt.runs, cSolve, wSolve);
    std::vector<double> b(static_cast<std::size_t>(neq), 1.0);
    LAPACKE_dpbtrs(LAPACK_COL_MAJOR, 'U', neq, kd, 1, ab.data(), kd + 1, b.data(), neq);
    double solveDiff = 0, scale = 0;
    for (int n = 1; n <= neq; ++n) {
        solveDiff = std::max(solveDiff, std::fabs(x(n) - b[n - 1]));
        scale = std::max(scale, std::fabs(b[n - 1]));
    }

    if (std::getenv("TAVU_BENCH_VERBOSE"))
        for (std::size_t k = 0; k < cOurs.size(); ++k)
            std::printf("  run %zu: decomposition %.4f s, dpbtrf %.4f s\n", k + 1, cOurs[k],
                        cLapack[k]);
    const double ours = Median(cOurs), lapack = Median(cLapack);
    std::printf(
        "  (processor seconds of this thread, median of the runs; wall-clock in brackets)\n");
    std::printf("  assembly             %8.4f s  [%8.4f]\n", Median(cAssemble), Median(wAssemble));
    std::printf("  decomposition %-6s %8.4f s  [%8.4f]  %6.2f G multiply-adds/s\n",
                FactorKernelName(ResolveFactorKernel(FactorKernel::Auto)), ours, Median(wOurs),
                madds / ours / 1e9);
    std::printf("  dpbtrf, 1 thread     %8.4f s  [%8.4f]  %6.2f G multiply-adds/s\n", lapack,
                Median(wLapack), madds / lapack / 1e9);
    std::printf("  ratio decomposition / dpbtrf  %.3f  [%.3f]   (fastest runs: %.3f)\n",
                ours / lapack, Median(wOurs) / Median(wLapack),
                *std::min_element(cOurs.begin(), cOurs.end()) /
                    *std::min_element(cLapack.begin(), cLapack.end()));
    std::printf("  back substitution    %8.4f s  [%8.4f]\n", Median(cSolve), Median(wSolve));
    std::printf("  factors agree with Cholesky to %.2e, solutions to %.2e (relative)\n", difference,
                solveDiff / scale);

    if (opt.allKernels) {
        for (FactorKernel k : {FactorKernel::Reference, FactorKernel::Portable}) {
            std::vector<double> cpu, wall;
            for (int run = 0; run < 3; ++run) {
                AssembleStiffness(a);
                Timed(cpu, wall, [&] {
                    return FactorProfile(a.System.Store.KValues, a.System.Store.DiagPos, neq,
                                         PivotRatioLimit, k);
                });
            }
            const double tk = Median(cpu);
            std::printf("  kernel %-10s    %8.4f s  [%8.4f]  %6.2f G multiply-adds/s, ratio to "
                        "dpbtrf %.3f\n",
                        FactorKernelName(k), tk, Median(wall), madds / tk / 1e9, tk / lapack);
        }
    }
    a.System.Store.KValues.Clear();
    return {false, cOurs};
}

// CHOLMOD alone on a compressed matrix: analysis and factorization, with AMD's ordering
// (the one the sparse path takes) or with CHOLMOD's defaults (AMD, and METIS too when AMD's
// factor looks costly; the cheaper is kept).
struct CholmodAlone
{
    double analyse = 0, factor = 0, wallFactor = 0, nonzeros = 0, flops = 0;
};

CholmodAlone RunCholmodAlone(CompressedColumns& m, bool defaults)
{
    CholmodAlone out;
    cholmod_common c;
    cholmod_l_start(&c);
    c.print = 0;
    if (!defaults) {
        c.nmethods = 1;
        c.method[0].ordering = CHOLMOD_AMD;
    }
    cholmod_sparse A{};
    A.nrow = A.ncol = static_cast<std::size_t>(m.Columns());
    A.nzmax = m.RowIndex.size();
    A.p = m.ColStart.data();
    A.i = m.RowIndex.data();
    A.x = m.Values.data();
    A.stype = 1;
    A.itype = CHOLMOD_LONG;
    A.xtype = CHOLMOD_REAL;
    A.dtype = CHOLMOD_DOUBLE;
    A.sorted = A.packed = 1;
    std::vector<double> cpu, wall;
    cholmod_factor* L = Timed(cpu, wall, [&] { return cholmod_l_analyze(&A, &c); });
    out.analyse = cpu.back();
    out.flops = c.fl;
    out.nonzeros = c.lnz;
    Timed(cpu, wall, [&] { return cholmod_l_factorize(&A, L, &c); });
    out.factor = cpu.back();
    out.wallFactor = wall.back();
    if (c.status != CHOLMOD_OK)
        std::printf("  CHOLMOD alone: status %d\n", c.status);
    cholmod_l_free_factor(&L, &c);
    cholmod_l_finish(&c);
    return out;
}

// The sparse path of the step, CHOLMOD alone, and the automatic choice.
int RunSparse(Analysis& a, const Options& opt, const SkylineTimes& skyline)
{
    a.SolverChoice = SolverPath::Sparse;
    std::vector<double> cAssemble, wAssemble, cOurs, wOurs, cAlone, wAlone, cAnalyse, cSolve,
        wSolve;
    CholmodAlone alone, byDefaults;
    std::vector<double> cDefaults;
    for (int run = 0; run < opt.runs; ++run) {
        if (!Timed(cAssemble, wAssemble, [&] { return AssembleStiffness(a); })) {
            std::printf("sparse assembly failed\n%s\n", a.Summary.LogText.c_str());
            return 1;
        }
        if (a.State.TransformFlag != 0)
            RotateAndEliminate(a);
        const DecompositionOutcome out = Timed(cOurs, wOurs, [&] { return Decompose(a); });
        if (!out.ok) {
            std::printf("sparse decomposition failed\n%s\n", a.Summary.LogText.c_str());
            return 1;
        }
        alone = RunCholmodAlone(a.System.Sparse->matrix, false);
        cAlone.push_back(alone.factor);
        wAlone.push_back(alone.wallFactor);
        cAnalyse.push_back(alone.analyse);
        byDefaults = RunCholmodAlone(a.System.Sparse->matrix, true);
        cDefaults.push_back(byDefaults.analyse + byDefaults.factor);
    }
    TimeBackSubstitution(a, opt.runs, cSolve, wSolve);
    const double ours = Median(cOurs), cholmod = Median(cAlone);
    std::printf("  sparse path: %.4g nonzeros in L, %.4g multiply-adds (CHOLMOD's count / 2)\n",
                alone.nonzeros, alone.flops / 2);
    std::printf(
        "  sparse assembly + analysis %8.4f s  [%8.4f]  (CHOLMOD's analysis alone %.4f s)\n",
        Median(cAssemble), Median(wAssemble), Median(cAnalyse));
    std::printf("  sparse decomposition  %8.4f s  [%8.4f]  %6.2f G multiply-adds/s\n", ours,
                Median(wOurs), alone.flops / 2 / ours / 1e9);
    std::printf("  CHOLMOD alone         %8.4f s  [%8.4f]\n", cholmod, Median(wAlone));
    std::printf("  CHOLMOD's defaults: %.4g multiply-adds, analysis %.4f s + factorization %.4f s "
                "= %.4f s (AMD: %.4f s)\n",
                byDefaults.flops / 2, byDefaults.analyse, byDefaults.factor, Median(cDefaults),
                Median(cAnalyse) + cholmod);
    std::printf("  sparse back substitution %8.4f s  [%8.4f]\n", Median(cSolve), Median(wSolve));

    // The automatic choice (its assembly includes the choice: the pattern and the analysis
    // when the profile is large), and the chosen path's decomposition against the faster of
    // the skyline and CHOLMOD alone, by medians and by the fastest runs.
    a.SolverChoice = SolverPath::Auto;
    std::vector<double> cAutoAssemble, wAutoAssemble;
    for (int run = 0; run < opt.runs; ++run)
        Timed(cAutoAssemble, wAutoAssemble, [&] { return AssembleStiffness(a); });
    const bool sparse = a.System.Path == SolverPath::Sparse;
    const std::vector<double>& chosen = sparse ? cOurs : skyline.cpu;
    if (chosen.empty()) {
        std::printf("  auto takes the %s path (skyline not timed)\n",
                    sparse ? "sparse" : "skyline");
        return 0;
    }
    auto fastest = [](const std::vector<double>& v) {
        return v.empty() ? 1e300 : *std::min_element(v.begin(), v.end());
    };
    const double best = skyline.cpu.empty() ? cholmod : std::min(Median(skyline.cpu), cholmod);
    const double bestFastest = std::min(fastest(skyline.cpu), fastest(cAlone));
    std::printf("  auto takes the %s path: decomposition %.2f x the faster of skyline and CHOLMOD "
                "alone (fastest runs %.2f x); assembly with the choice %.4f s\n",
                sparse ? "sparse" : "skyline", Median(chosen) / best, fastest(chosen) / bestFastest,
                Median(cAutoAssemble));
    return 0;
}

} // namespace
} // namespace tavu::bench

int main(int argc, char** argv)
{
    using namespace tavu::bench;
    tavu::StartBlasWithOneThread(argv);
    // One thread for the step's factorization too, so that the thread's processor time is
    // the whole of it (TAVU_SOLVER_THREADS set by the caller wins).
    setenv("TAVU_SOLVER_THREADS", "1", 0);
    openblas_set_num_threads(1);
    Options opt;
    for (int i = 1; i < argc; ++i) {
        int s = 0, l = 0;
        if (std::strcmp(argv[i], "--all-kernels") == 0)
            opt.allKernels = true;
        else if (std::strcmp(argv[i], "--sparse-only") == 0)
            opt.sparseOnly = true;
        else if (std::sscanf(argv[i], "--runs=%d", &s) == 1 && s > 0)
            opt.runs = s;
        else if (std::strcmp(argv[i], "--frame") == 0)
            opt.frame = true;
        else if (std::sscanf(argv[i], "%dx%d", &s, &l) == 2 && s > 0 && l > 0)
            opt.plates.emplace_back(s, l);
        else {
            std::fprintf(
                stderr,
                "usage: %s [--all-kernels] [--sparse-only] [--frame] [--runs=N] [SHORTxLONG ...]\n",
                argv[0]);
            return 64;
        }
    }
    if (opt.plates.empty() && !opt.frame)
        opt.plates = {{60, 600}, {100, 1000}, {300, 300}};
    int status = 0;
    for (auto [s, l] : opt.plates)
        status |= RunModel("plate " + std::to_string(s) + " x " + std::to_string(l),
                           CantileverPlateModel(s, l), opt);
    if (opt.frame)
        status |= RunModel("frame 200 storeys x 30 bays", FrameModel(200, 30), opt);
    return status;
}
