#include "solver/Solver.h"

#include "common/Numbers.h"
#include "model/Diagnostics.h"
#include "solver/BeamElement.h"
#include "solver/Factor.h"
#include "solver/Memory.h"
#include "solver/Profile.h"
#include "solver/QuadElement.h"
#include "solver/RigidBody.h"
#include "solver/SparseSolver.h"
#include "solver/StiffnessStore.h"
#include "solver/Transform.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <new>

namespace tavu {

namespace {

void ShowLog(Analysis& a, const std::string& text)
{
    if (a.Progress)
        a.Progress->ShowProgressText(text);
}

// Grounded springs act along the grid's dof axes: into x-y terms for a grid whose equations
// are in x-y, on the diagonal for one whose equations are turned into those axes. A
// penalty-restrained dof takes its terms at its absolute equation number.
void AddGroundedSprings(Analysis& a)
{
    const ModelStore& m = a.Model;
    for (int i = 1; i <= m.nGrids; ++i) {
        const GridRow& g = m.Grids(i);
        const double kx = g.spring[DofU];
        const double ky = g.spring[DofV];
        const double kr = g.spring[DofR];
        if (kx != 0 || ky != 0) {
            const double angle = g.axisCode > 0 ? 0.0 : g.axisAngle;
            const double c = std::cos(angle);
            const double s = std::sin(angle);
            const int eu = std::abs(SystemEquation(a.System, i, DofU));
            const int ev = std::abs(SystemEquation(a.System, i, DofV));
            AddStiffnessTerm(a, eu, eu, c * c * kx + s * s * ky);
            AddStiffnessTerm(a, ev, ev, s * s * kx + c * c * ky);
            AddStiffnessTerm(a, ev, eu, s * c * (kx - ky));
        }
        if (kr != 0) {
            const int er = std::abs(SystemEquation(a.System, i, DofR));
            AddStiffnessTerm(a, er, er, kr);
        }
    }
}

// The grid (table position) and dof of equation n: the first grid in table order whose
// equation for the dof is n or -n.
void GridDofOf(const Analysis& a, int n, int& grid, int& dof)
{
    for (int i = 1; i <= a.Model.nGrids; ++i)
        for (int d = 1; d <= 3; ++d)
            if (std::abs(SystemEquation(a.System, i, d)) == n) {
                grid = i;
                dof = d;
                return;
            }
    grid = 0;
    dof = 0;
}

// Below this many predicted multiply-adds of the active-column factorization the choice
// is not worth the sparse analysis: the store's decomposition takes a few milliseconds.
// Nor is it below this many an equation: the store's factorization (near 2·10¹⁰ a second)
// then costs less than the sparse path's pattern and analysis alone (about a microsecond
// an equation), as on long strips: a 4-quad-wide strip of 10 million equations spent 8 s
// on the analysis, and then factored its store in a twentieth of a second.
constexpr double SkylineAlwaysBelow = 2.0e7;
constexpr double SkylineAlwaysBelowPerEquation = 2.0e4;

// Lays out the sparse system when the setting asks for it or, with the automatic choice,
// when its factor is predicted to cost less than the system's store (laid out already)
// or the model's store does not fit in the memory available. False when the path that
// must be taken has no memory.
bool ChoosePath(Analysis& a)
{
    EquationSystem& s = a.System;
    s.Path = SolverPath::Skyline;
    s.Sparse.reset();
    const SolverPath want = a.SolverChoice;
    const bool storeFits = StoreFits(a.Profile);
    if (want == SolverPath::Skyline)
        return storeFits;
    if (want == SolverPath::Auto && storeFits &&
        SkylineFactorCost(s.Store, s.NEQ) <
            std::max(SkylineAlwaysBelow, SkylineAlwaysBelowPerEquation * s.NEQ))
        return true;
    std::unique_ptr<SparseSystem> sparse = LayOutSparseSystem(a);
    if (!sparse)
        return want != SolverPath::Sparse && storeFits;
    if (want == SolverPath::Sparse || !storeFits || SparseIsCheaper(*sparse, s.Store, s.NEQ)) {
        s.Sparse = std::move(sparse);
        s.Path = SolverPath::Sparse;
    }
    return true;
}

// The system starts from the model's numbering and profile, with an empty store, every
// time the step runs: a repeated run (the decomposition failed, Stage is still 1) meets
// nothing of the earlier one. Each table is created afresh in the memory it already has;
// the store of the path not taken is emptied. The dofs held in turned axes get no
// equation: the system's numbering and store follow from the model's without them. A
// store too large for the memory (also a sparse layout asked for and not possible) throws
// std::bad_alloc, which ends the step.
void StartSystem(Analysis& a)
{
    const ModelStore& m = a.Model;
    EquationSystem& s = a.System;
    s.built = true;
    const std::vector<int> held = HeldInTurnedAxes(m);
    s.NEQ = NumberSystemEquations(m, held, s.GridEquations);
    s.Store.KValues.Clear();
    ReduceProfile(a.Profile, std::max(m.NEQ, 0), held, s.Store);
    if (!ChoosePath(a))
        throw std::bad_alloc();
    const bool sparse = s.Sparse != nullptr;
    if (sparse)
        s.Store.DiagPos = Vec<long long>();
    const long long last = s.Store.ProfileSize - 1;
    s.QuadMatrices.Create(m.nQuads);
    if (sparse)
        s.Sparse->matrix.Values.assign(s.Sparse->matrix.RowIndex.size(), 0.0);
    else
        s.Store.KValues.Create(last < 1 ? 1 : last);
}

} // namespace

bool AssembleStiffness(Analysis& a)
{
    const ModelStore& m = a.Model;
    // Stage 1 means the model was read without a diagnostic: anything left here belongs to
    // an earlier attempt at this step and would otherwise be reported, and stop it, again.
    ClearDiagnostics(a);

    StartSystem(a);

    for (int b = 1; b <= m.nBeams; ++b) {
        if (a.Progress)
            a.Progress->ShowProgressText("Processing beam: " + NumberText(b));
        // A beam-column at its buckling load has no finite stiffness: name it and stop.
        if (BeamAtBucklingLoad(a, b)) {
            AddDiagnosticText(a, "Beam" + NumberText(b) + " axial load at or near buckling load",
                              m.Beams(b).line);
            continue;
        }
        AddBeamStiffness(a, b); // a beam whose terms overflow names itself and stops the step
    }
    std::string beamText;
    if (m.nBeams > 0)
        beamText = "Processing beam: " + NumberText(m.nBeams);
    if (!a.State.FatalText.empty())
        beamText += CRLF + a.State.FatalText;
    if (m.nBeams > 0)
        beamText += std::string(CRLF) + "Done processing beams";

    const std::size_t fatalBeforeQuads = a.State.FatalText.size();
    std::string quadText;
    for (int q = 1; q <= m.nQuads; ++q) {
        quadText = "Processing Quad: " + NumberText(q);
        if (a.Progress)
            a.Progress->ShowProgressText(beamText.empty() ? quadText : beamText + CRLF + quadText);
        AddQuadStiffness(a, q);
    }
    if (a.State.FatalText.size() > fatalBeforeQuads)
        quadText += CRLF + a.State.FatalText.substr(fatalBeforeQuads);
    if (m.nQuads > 0)
        quadText += std::string(CRLF) + "Done processing quads";

    if (m.nSprgRecords > 0)
        AddGroundedSprings(a);

    if (m.nBeams > 0 && m.nQuads > 0)
        beamText += CRLF;
    a.Summary.LogText = beamText + quadText;
    ShowLog(a, a.Summary.LogText);
    return a.State.FatalText.empty();
}

namespace {

// The failure lines of an equation whose pivot failed, and the rigid-body count.
DecompositionOutcome Failed(Analysis& a, int equation, double value)
{
    std::string& log = a.Summary.LogText;
    int grid = 0, dof = 0;
    GridDofOf(a, equation, grid, dof);
    log += CRLF;
    AppendLine(log, "STOP - stiffness matrix not positive definite");
    AppendLine(log, "Nonpositive pivot at grid" + NumberText(grid) + ", dof" + NumberText(dof));
    AppendLine(log, "Pivot ratio =" + NumberText(value, 4));
    ShowLog(a, log);
    CheckRigidBodyModes(a);
    return {false, equation, value};
}

DecompositionOutcome Succeeded(Analysis& a, double minRatio)
{
    std::string& log = a.Summary.LogText;
    log += CRLF;
    AppendLine(log, "Minimum pivot ratio = " + NumberText(minRatio, 5));
    ShowLog(a, log);
    return {true, 0, 0};
}

// What the BLAS under the sparse factorization takes for its buffers on its first call,
// for each of its threads.
constexpr double BlasBufferBytes = 160.0 * 1024 * 1024;

// The sparse path: the same log, with the factor's size and column counts in place of
// the profile's, and each equation named through the fill-reducing order.
DecompositionOutcome DecomposeSparse(Analysis& a)
{
    SparseSystem& s = *a.System.Sparse;
    const SparseFactorSize z = s.Size();
    std::string& log = a.Summary.LogText;
    log += CRLF;
    AppendLine(log, "Number of equations =" + NumberText(a.System.NEQ));
    AppendLine(log, "Size of factor =" + NumberText(z.nonzeros));
    AppendLine(log, "Maximum factor column =" + NumberText(z.maxColumn));
    AppendLine(log, "RMS factor column =" + NumberText(z.rmsColumn));
    ShowLog(a, log);

    // The factor and the BLAS's buffer beside it must fit (a buffer for each thread): a
    // BLAS that cannot get a buffer does not fail, it waits for ever. A factor that did not
    // fit is reported in the log and as a diagnostic, with the amounts when they are known.
    const auto noMemory = [&a, &log](std::string detail) {
        const std::string text = "Not enough memory for the factor" + detail;
        log += CRLF;
        AppendLine(log, text);
        ShowLog(a, log);
        AddDiagnosticText(a, text, 0);
        return DecompositionOutcome{false, 0, std::nan("")};
    };
    // As many BLAS threads as asked for whose buffers fit beside the factor.
    const long long available = AvailableMemory();
    int threads = SparseSolverThreads();
    while (threads > 1 && available >= 0 &&
           z.bytes + BlasBufferBytes * threads > static_cast<double>(available))
        --threads;
    const double needed = z.bytes + BlasBufferBytes * threads;
    if (available >= 0 && needed > static_cast<double>(available))
        return noMemory(" (" + NeededMemoryText(static_cast<long long>(needed)) + " needed, " +
                        AvailableMemoryText(available) + " available)");

    const SparseFactorResult r = s.Factor(PivotRatioLimit, threads);
    if (r.ok)
        return Succeeded(a, r.minRatio);
    if (r.equation == 0)
        return noMemory("");
    return Failed(a, r.equation, r.value);
}

} // namespace

DecompositionOutcome Decompose(Analysis& a)
{
    if (a.System.Sparse)
        return DecomposeSparse(a);
    const int neq = a.System.NEQ;
    StiffnessProfile& p = a.System.Store;
    std::string& log = a.Summary.LogText;
    const long long size = p.DiagPos.Has(neq + 1) ? p.DiagPos(neq + 1) - 2 : 0;
    log += CRLF;
    AppendLine(log, "Number of equations =" + NumberText(neq));
    AppendLine(log, "Size of stiffness =" + NumberText(static_cast<double>(size)));
    AppendLine(log, "Maximum active column =" + NumberText(p.MaxActiveColumn));
    AppendLine(log, "RMS active column =" + NumberText(p.RmsActiveColumn));
    ShowLog(a, log);

    const FactorResult r = FactorProfile(p.KValues, p.DiagPos, neq, PivotRatioLimit);
    if (!r.ok)
        return Failed(a, r.equation, r.value);
    p.KValues(1) = r.minRatio;
    return Succeeded(a, r.minRatio);
}

} // namespace tavu
