#include "solver/Transform.h"

#include "common/Numbers.h"
#include "solver/Solver.h"
#include "solver/StiffnessStore.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tavu {

std::vector<int> HeldInTurnedAxes(const ModelStore& m)
{
    std::vector<int> held;
    for (int i = 1; i <= m.nGrids; ++i) {
        const GridRow& g = m.Grids(i);
        if (g.axisCode != EliminateU && g.axisCode != EliminateV)
            continue;
        const int e = g.equation[g.axisCode == EliminateU ? DofU : DofV];
        if (e >= 1 && e <= m.NEQ)
            held.push_back(e);
    }
    return held;
}

int NumberSystemEquations(const ModelStore& m, const std::vector<int>& held,
                          Vec<DofEquations>& equations)
{
    const int neq0 = std::max(m.NEQ, 0);
    equations.Create(m.nGrids);
    for (int i = 1; i <= m.nGrids; ++i)
        equations(i) = m.Grids(i).equation;
    if (held.empty())
        return neq0;

    // systemOf(1..NEQ0): the system's number of each model equation.
    std::vector<int> systemOf(static_cast<std::size_t>(neq0) + 1, 0);
    for (std::size_t k = 0; k < held.size(); ++k)
        systemOf[static_cast<std::size_t>(held[k])] = neq0 - static_cast<int>(k);
    int next = 0;
    for (int e = 1; e <= neq0; ++e)
        if (systemOf[static_cast<std::size_t>(e)] == 0)
            systemOf[static_cast<std::size_t>(e)] = ++next;

    for (int i = 1; i <= m.nGrids; ++i)
        for (int d = 1; d <= 3; ++d) {
            int& e = equations(i)[static_cast<std::size_t>(d)];
            const int ae = std::abs(e);
            if (ae >= 1 && ae <= neq0)
                e = e > 0 ? systemOf[static_cast<std::size_t>(ae)]
                          : -systemOf[static_cast<std::size_t>(ae)];
        }
    return next;
}

void ReduceProfile(const StiffnessProfile& model, int neq0, const std::vector<int>& held,
                   StiffnessProfile& out)
{
    out.MaxActiveColumn = model.MaxActiveColumn;
    out.RmsActiveColumn = model.RmsActiveColumn;
    if (held.empty()) {
        out.DiagPos = model.DiagPos;
        out.ProfileSize = model.ProfileSize;
        return;
    }
    // heldUpTo[e]: the held equations among 1..e of the model's numbering.
    std::vector<int> heldUpTo(static_cast<std::size_t>(neq0) + 1, 0);
    for (int e : held)
        heldUpTo[static_cast<std::size_t>(e)] = 1;
    for (std::size_t e = 1; e < heldUpTo.size(); ++e)
        heldUpTo[e] += heldUpTo[e - 1];

    const int neq = neq0 - static_cast<int>(held.size());
    Vec<long long>& diag = out.DiagPos;
    diag.Create(neq + 1);
    diag(1) = 2;
    int j = 0; // the system's column
    for (int col = 1; col <= neq0; ++col) {
        const std::size_t c = static_cast<std::size_t>(col);
        if (heldUpTo[c] != heldUpTo[c - 1])
            continue;
        const long long height = model.DiagPos(col + 1) - model.DiagPos(col);
        const long long top = col - height + 1;
        const long long heldRows = heldUpTo[c - 1] - heldUpTo[static_cast<std::size_t>(top) - 1];
        ++j;
        diag(j + 1) = diag(j) + height - heldRows;
    }
    out.ProfileSize = diag(neq + 1);
}

void ElementTurns::AddGrid(const ModelStore& m, int g, int slot)
{
    if (!m.Grids.Has(g) || m.Grids(g).axisCode <= 0)
        return;
    const double angle = m.Grids(g).axisAngle;
    pairs[static_cast<std::size_t>(count++)] = {slot, std::cos(angle), std::sin(angle)};
}

void TurnIntoDofAxes(ElementMatrix& k, int n, const ElementTurns& t)
{
    for (int p = 0; p < t.count; ++p) {
        const ElementTurns::Pair& pair = t.pairs[static_cast<std::size_t>(p)];
        const std::size_t u = static_cast<std::size_t>(pair.slot), v = u + 1;
        const double c = pair.c, s = pair.s;
        for (std::size_t j = 0; j < static_cast<std::size_t>(n); ++j) { // rows u and v
            const double x = k[u][j], y = k[v][j];
            k[u][j] = c * x + s * y;
            k[v][j] = c * y - s * x;
        }
        for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) { // then the columns
            const double x = k[i][u], y = k[i][v];
            k[i][u] = c * x + s * y;
            k[i][v] = c * y - s * x;
        }
    }
}

void AddElementMatrix(Analysis& a, const ElementMatrix& k, int n, const int* eq)
{
    for (int i = 0; i < n; ++i)
        for (int j = i; j < n; ++j)
            AddStiffnessTerm(a, eq[i], eq[j],
                             k[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)]);
}

void RotateAndEliminate(Analysis& a)
{
    const ModelStore& m = a.Model;
    EquationSystem& sys = a.System;
    if (a.State.TransformFlag == 1) {
        AppendLine(a.Summary.LogText, "Rotating and eliminating dofs");
        if (a.Progress)
            a.Progress->ShowProgressText(a.Summary.LogText);
    }
    // The penalty replaces whatever the elements and springs put on the diagonal.
    for (int i = 1; i <= m.nGrids; ++i)
        for (int d = 1; d <= 3; ++d) {
            const int e = SystemEquation(sys, i, d);
            if (e < 0 && -e <= sys.NEQ)
                SetStiffnessDiagonal(a, -e, PenaltyStiffness);
        }
}

} // namespace tavu
