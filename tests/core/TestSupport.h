#pragma once
// Shared helpers of the core tests: model texts from lines, the driver's steps run the way
// the summary window runs them, the assembled stiffness read back as a dense matrix, and
// hand-made tables for the steps that follow the decomposition.

#include "common/Analysis.h"
#include "driver/Driver.h"
#include "solver/StiffnessStore.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

namespace tavu::testing {

using Dense = std::vector<std::vector<double>>; // 1-based, row and column 0 unused

inline std::string CrlfText(const std::vector<std::string>& lines)
{
    std::string s;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i)
            s += "\r\n";
        s += lines[i];
    }
    return s;
}

// A summary window that records what the driver does to it.
class RecordingWindow : public SummaryWindow
{
public:
    void SetTitle(const std::string& t) override { title = t; }
    void ShowText(const std::string& t) override { text = t; }
    void DisableContinue() override { continueDisabled = true; }
    void FocusContinue() override {}
    void FocusCancel() override { cancelFocused = true; }
    void TurnContinueIntoFinish() override {}
    bool AskLoadScalars(Analysis&) override { return true; }
    void Close() override {}
    void FocusEditor() override {}

    std::string title, text;
    bool continueDisabled = false;
    bool cancelFocused = false;
};

// Splits the lines into the model text and runs model processing through the driver.
// Returns true when the step succeeded (Stage 1).
inline bool ProcessModel(Analysis& a, const std::vector<std::string>& lines)
{
    SplitModelText(a, CrlfText(lines));
    RecordingWindow w;
    return RunModelProcessing(a, w, nullptr);
}

// Reads the model (step 1 of the driver); fails the test when the model has errors.
inline void ReadModelText(Analysis& a, const std::vector<std::string>& lines)
{
    ASSERT_TRUE(ProcessModel(a, lines)) << a.Summary.ReadText;
}

// The equation numbers of the grid with this id (u, v, rotation) as numbered, or
// {-99,-99,-99} when the id names no grid.
struct Equations
{
    int u, v, r;
    bool operator==(const Equations&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const Equations& e)
{
    return os << "(" << e.u << ", " << e.v << ", " << e.r << ")";
}
inline Equations EquationsOf(const Analysis& a, int id)
{
    const int g = GridIndexOf(a.Model, id);
    if (g == 0)
        return {-99, -99, -99};
    const DofEquations& e = a.Model.Grids(g).equation;
    return {e[1], e[2], e[3]};
}

// K(i, j) as stored in the system, 0 outside the active columns.
inline double StoredK(const Analysis& a, int i, int j)
{
    if (!HasStiffnessTerm(a, i, j))
        return 0.0;
    const int col = i > j ? i : j;
    const StiffnessProfile& p = a.System.Store;
    return p.KValues(p.DiagPos(col) + (i > j ? i - j : j - i));
}

inline Dense DenseK(const Analysis& a)
{
    const int n = a.System.NEQ;
    Dense k(n + 1, std::vector<double>(n + 1, 0.0));
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j)
            k[i][j] = StoredK(a, i, j);
    return k;
}

// Grids by table position with their coordinates, axis angle, equation numbers and axis
// code; the system's equations are the same as the model's.
struct HandGrid
{
    double x = 0, y = 0, angle = 0;
    int u = 0, v = 0, r = 0, axisCode = 0;
};

inline void MakeGrids(Analysis& a, const std::vector<HandGrid>& grids)
{
    ModelStore& m = a.Model;
    m.nGrids = static_cast<int>(grids.size());
    m.maxGridId = m.nGrids;
    m.Grids.Create(m.nGrids);
    m.GridIndex.Create(m.nGrids);
    a.System.GridEquations.Create(m.nGrids);
    for (int i = 1; i <= m.nGrids; ++i) {
        const HandGrid& h = grids[static_cast<std::size_t>(i - 1)];
        m.GridIndex(i) = i;
        GridRow& g = m.Grids(i);
        g.x = h.x;
        g.y = h.y;
        g.axisAngle = h.angle;
        g.equation = {0, h.u, h.v, h.r};
        g.axisCode = h.axisCode;
        a.System.GridEquations(i) = g.equation;
    }
}

// A system store whose columns have the given top rows (tops[j], j = 1..neq).
inline void MakeStore(Analysis& a, const std::vector<long long>& tops)
{
    const int neq = static_cast<int>(tops.size()) - 1;
    a.Model.NEQ = neq;
    a.System.NEQ = neq;
    a.System.built = true;
    StiffnessProfile& p = a.System.Store;
    p.DiagPos.Create(neq + 1);
    p.DiagPos(1) = 2;
    for (int j = 1; j <= neq; ++j)
        p.DiagPos(j + 1) = p.DiagPos(j) + (j - tops[static_cast<std::size_t>(j)] + 1);
    p.ProfileSize = p.DiagPos(neq + 1);
    p.KValues.Create(p.ProfileSize - 1);
}

// Fills the store from a dense symmetric matrix (terms outside the profile are dropped).
inline void FillStore(Analysis& a, const Dense& k)
{
    StiffnessProfile& p = a.System.Store;
    for (int j = 1; j <= a.System.NEQ; ++j)
        for (int i = 1; i <= j; ++i)
            if (HasStiffnessTerm(a, i, j))
                p.KValues(p.DiagPos(j) + (j - i)) = k[i][j];
}

inline void ExpectDenseNear(const Dense& got, const Dense& want, double relTol, const char* what)
{
    ASSERT_EQ(got.size(), want.size()) << what;
    double scale = 0;
    for (const auto& row : want)
        for (double v : row)
            scale = std::max(scale, std::fabs(v));
    for (std::size_t i = 1; i < want.size(); ++i)
        for (std::size_t j = 1; j < want.size(); ++j)
            EXPECT_NEAR(got[i][j], want[i][j], relTol * scale)
                << what << " K(" << i << "," << j << ")";
}

// Dense L*D*Lt of the full symmetric matrix, with the pivot ratios.
inline void DenseFactor(Dense k, Dense& l, std::vector<double>& d, double& minRatio)
{
    const int n = static_cast<int>(k.size()) - 1;
    l.assign(n + 1, std::vector<double>(n + 1, 0.0));
    d.assign(n + 1, 0.0);
    minRatio = 1;
    for (int j = 1; j <= n; ++j) {
        double djj = k[j][j];
        for (int m = 1; m < j; ++m)
            djj -= l[j][m] * l[j][m] * d[m];
        d[j] = djj;
        if (j > 1 &&
            std::any_of(k[j].begin() + 1, k[j].begin() + j, [](double v) { return v != 0; }))
            minRatio = std::min(minRatio, djj / k[j][j]);
        l[j][j] = 1;
        for (int i = j + 1; i <= n; ++i) {
            double s = k[i][j];
            for (int m = 1; m < j; ++m)
                s -= l[i][m] * l[j][m] * d[m];
            l[i][j] = s / djj;
        }
    }
}

// Hand-filled tables: the state the model reader and the decomposition leave behind, for
// the load, recovery and listing steps. Grid ids 1..nGrids, beam ids 10, 20, ..., quad
// ids 100, 200, ... (ids and positions differ on purpose); neq equations, dofTotal dof
// numbers; the system's equations are the grids' own.
struct HandModel
{
    Analysis a;

    HandModel(int nGrids, int nBeams, int nQuads, int neq, int dofTotal)
    {
        ModelStore& m = a.Model;
        m.nGrids = nGrids;
        m.nBeams = nBeams;
        m.nQuads = nQuads;
        m.maxGridId = nGrids;
        m.maxBeamId = 10 * nBeams;
        m.maxQuadId = 100 * nQuads;
        m.NEQ = neq;
        m.DOFTOTAL = dofTotal;
        m.Grids.Create(nGrids);
        m.Beams.Create(nBeams);
        m.Quads.Create(nQuads);
        m.GridIndex.Create(m.maxGridId);
        m.BeamIndex.Create(m.maxBeamId);
        m.QuadIndex.Create(m.maxQuadId);
        for (int g = 1; g <= nGrids; ++g)
            m.GridIndex(g) = g;
        for (int b = 1; b <= nBeams; ++b) {
            m.BeamIndex(10 * b) = b;
            m.Beams(b).id = 10 * b;
        }
        for (int q = 1; q <= nQuads; ++q) {
            m.QuadIndex(100 * q) = q;
            m.Quads(q).id = 100 * q;
        }
        a.System.built = true;
        a.System.NEQ = neq;
        a.System.GridEquations.Create(nGrids);
        a.System.QuadMatrices.Create(nQuads);
        a.Results.SolutionVector.Create(neq);
        a.Results.Reactions.Create(dofTotal);
        a.Results.BeamEndForces.Create(nBeams);
        a.Results.QuadStresses.Create(nQuads);
        a.Loads.BeamLoads.Create(nBeams);
        a.Loads.QuadLoads.Create(nQuads);
        a.Loads.FixedEndForces.Create(nBeams);
        a.Loads.InitialStress.Create(nQuads);
        SetLoadLines({});
    }

    void Grid(int g, double x, double y, int e1, int e2, int e3, double axisAngle = 0,
              int axisCode = 0)
    {
        GridRow& row = a.Model.Grids(g);
        row.x = x;
        row.y = y;
        row.axisAngle = axisAngle;
        row.equation = {0, e1, e2, e3};
        row.axisCode = axisCode;
        a.System.GridEquations(g) = row.equation;
    }

    // A beam between grid ids ga and gb with the plain beam's coefficients of E, A, I (no
    // shear deformation, no offsets).
    void Beam(int b, int ga, int gb, double E, double A, double I, int kind = PlainBeam)
    {
        ModelStore& m = a.Model;
        BeamRow& beam = m.Beams(b);
        beam.gridA = ga;
        beam.gridB = gb;
        beam.kind = kind;
        beam.elementKind = kind;
        const double dx = m.Grids(gb).x - m.Grids(ga).x;
        const double dy = m.Grids(gb).y - m.Grids(ga).y;
        const double L = std::sqrt(dx * dx + dy * dy);
        beam.kA = A * E / L;
        beam.k2 = 12 * E * I / (L * L * L);
        beam.k3 = -6 * E * I / (L * L);
        beam.k4 = 4 * E * I / L;
        beam.length = L;
        beam.angle = std::atan2(dy, dx);
    }

    // The load section: line 1 is ENDMODEL, the given lines follow.
    void SetLoadLines(const std::vector<std::string>& lines)
    {
        std::string text = "ENDMODEL";
        std::vector<std::size_t> starts{0};
        for (const auto& l : lines) {
            starts.push_back(text.size() + 1);
            text += "\n" + l;
        }
        starts.push_back(text.size() + 1);
        a.Text.Reset(std::move(text));
        for (std::size_t i = 0; i + 1 < starts.size(); ++i)
            a.Text.AddLine(starts[i], starts[i + 1] - starts[i] - 1);
        a.State.EndModelLine = 1;
    }
};

} // namespace tavu::testing
