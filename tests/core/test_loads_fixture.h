#pragma once
// Hand-filled model tables for the load, recovery and listing tests: the state the model
// reader and the decomposition leave behind, set up directly.

#include "common/Analysis.h"

#include <cmath>
#include <string>
#include <vector>

namespace tavu::testing {

struct HandModel
{
    Analysis a;

    // Grid ids 1..nGrids, beam ids 10, 20, ..., quad ids 100, 200, ... (ids and positions
    // differ on purpose); neq equations, dofTotal dof numbers.
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
        m.GridReal.Create(nGrids, 6);
        m.GridInt.Create(nGrids, 4);
        m.BeamReal.Create(nBeams, 13);
        m.BeamInt.Create(nBeams, 3);
        m.QuadReal.Create(nQuads, 43);
        m.QuadInt.Create(nQuads, 4);
        m.GridIndex.Create(m.maxGridId);
        m.BeamIndex.Create(m.maxBeamId);
        m.QuadIndex.Create(m.maxQuadId);
        for (int g = 1; g <= nGrids; ++g)
            m.GridIndex(g) = g;
        for (int b = 1; b <= nBeams; ++b) {
            m.BeamIndex(10 * b) = b;
            m.BeamInt(b, 0) = 10 * b;
        }
        for (int q = 1; q <= nQuads; ++q) {
            m.QuadIndex(100 * q) = q;
            m.QuadInt(q, 0) = 100 * q;
        }
        a.Results.SolutionVector.Create(neq);
        a.Results.Reactions.Create(dofTotal);
        a.Results.BeamEndForces.Create(nBeams, 6);
        a.Results.QuadStresses.Create(nQuads);
        SetLoadLines({});
    }

    void Grid(int g, double x, double y, int e1, int e2, int e3, double axisAngle = 0,
              int axisCode = 0)
    {
        ModelStore& m = a.Model;
        m.GridReal(g, 1) = x;
        m.GridReal(g, 2) = y;
        m.GridReal(g, 3) = axisAngle;
        m.GridInt(g, 1) = e1;
        m.GridInt(g, 2) = e2;
        m.GridInt(g, 3) = e3;
        m.GridInt(g, 4) = axisCode;
    }

    // A beam between grid ids ga and gb with the plain beam's coefficients of E, A, I (no
    // shear deformation, no offsets).
    void Beam(int b, int ga, int gb, double E, double A, double I, int kind = PlainBeam)
    {
        ModelStore& m = a.Model;
        m.BeamInt(b, 1) = ga;
        m.BeamInt(b, 2) = gb;
        m.BeamInt(b, 3) = kind;
        const double dx = m.GridReal(gb, 1) - m.GridReal(ga, 1);
        const double dy = m.GridReal(gb, 2) - m.GridReal(ga, 2);
        const double L = std::sqrt(dx * dx + dy * dy);
        m.BeamReal(b, 1) = A * E / L;
        m.BeamReal(b, 2) = 12 * E * I / (L * L * L);
        m.BeamReal(b, 3) = -6 * E * I / (L * L);
        m.BeamReal(b, 4) = 4 * E * I / L;
        m.BeamReal(b, 5) = L;
        m.BeamReal(b, 9) = std::atan2(dy, dx);
    }

    // The load section: line 1 is ENDMODEL, the given lines follow.
    void SetLoadLines(const std::vector<std::string>& lines)
    {
        a.Text.ModelLines = {"", "ENDMODEL"};
        for (const auto& l : lines)
            a.Text.ModelLines.push_back(l);
        a.Text.LineCount = static_cast<int>(a.Text.ModelLines.size()) - 1;
        a.State.EndModelLine = 1;
    }
};

} // namespace tavu::testing
