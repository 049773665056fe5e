#include "solver/BeamElement.h"

#include "common/Numbers.h"
#include "model/Diagnostics.h"
#include "solver/Profile.h"
#include "solver/StiffnessStore.h"
#include "solver/Transform.h"

#include <cmath>

namespace tavu {

namespace {

enum BeamDof
{
    UA = 0,
    VA = 1,
    RA = 2,
    UB = 3,
    VB = 4,
    RB = 5,
};

} // namespace

BeamTerms ComputeBeamTerms(const BeamStiffnessInput& in)
{
    BeamTerms out;
    auto add = [&out](int r, int c, double v) {
        out.terms[static_cast<std::size_t>(out.count++)] = {r, c, v};
    };
    const double c = std::cos(in.angle);
    const double s = std::sin(in.angle);
    const double kA = in.kA, k2 = in.k2, k3 = in.k3, k4 = in.k4, L = in.length;
    const double eA = in.offsetA, eB = in.offsetB;
    const double EA = kA * eA;
    const double EB = kA * eB;

    // Translations: the axial and transverse springs turned into x-y.
    const double t1 = c * c * kA + s * s * k2;
    add(UA, UA, t1);
    add(UA, UB, -t1);
    add(UB, UB, t1);
    const double t2 = s * c * (kA - k2);
    add(UA, VA, t2);
    add(UA, VB, -t2);
    add(VA, UB, -t2);
    add(UB, VB, t2);
    const double t3 = s * s * kA + c * c * k2;
    add(VA, VA, t3);
    add(VA, VB, -t3);
    add(VB, VB, t3);

    // A two-force member adds nothing to the rotations, whatever its offsets.
    if (k2 == 0 && k3 == 0 && k4 == 0)
        return out;

    // The couplings of the transverse translation with each end's rotation and the
    // rotational terms: a PIN member ties only end A's rotation, through its one mode.
    const double cA = in.pinned ? -k2 * L : k3;
    const double cB = in.pinned ? 0.0 : k3;
    const double kAA = in.pinned ? k2 * L * L : k4;
    const double kBB = in.pinned ? 0.0 : k4;
    const double kAB = in.pinned ? 0.0 : -(k4 + L * k3);

    const double t4 = EA * c - cA * s;
    add(UA, RA, -t4);
    add(UB, RA, t4);
    const double t5 = EA * s + cA * c;
    add(VA, RA, -t5);
    add(VB, RA, t5);
    const double t6 = EB * c + cB * s;
    add(UA, RB, t6);
    add(UB, RB, -t6);
    const double t7 = EB * s - cB * c;
    add(VA, RB, t7);
    add(VB, RB, -t7);
    add(RA, RB, kAB - eA * EB);
    add(RB, RB, kBB + eB * EB);
    add(RA, RA, kAA + eA * EA);
    return out;
}

BeamStiffnessInput BeamInputOf(const Analysis& a, int b)
{
    const BeamRow& beam = a.Model.Beams(b);
    BeamStiffnessInput in;
    in.kA = beam.kA;
    in.k2 = beam.k2;
    in.k3 = beam.k3;
    in.k4 = beam.k4;
    in.length = beam.length;
    in.angle = beam.angle;
    in.offsetA = beam.offsetA;
    in.offsetB = beam.offsetB;
    in.pinned = IsPinMember(beam);
    return in;
}

bool AddBeamStiffness(Analysis& a, int b)
{
    const std::array<int, 6> eq = BeamEquationList(a, b, Numbering::System);
    const BeamTerms t = ComputeBeamTerms(BeamInputOf(a, b));
    for (int k = 0; k < t.count; ++k) {
        if (!std::isfinite(t.terms[static_cast<std::size_t>(k)].value)) {
            Diagnose(a, Msg::BeamNotFinite, b, 0);
            return false;
        }
    }
    const ModelStore& m = a.Model;
    ElementTurns turns;
    turns.AddGrid(m, GridIndexOf(m, m.Beams(b).gridA), UA);
    turns.AddGrid(m, GridIndexOf(m, m.Beams(b).gridB), UB);
    if (turns.count == 0) {
        for (int k = 0; k < t.count; ++k) {
            const BeamTerm& term = t.terms[static_cast<std::size_t>(k)];
            AddStiffnessTerm(a, eq[static_cast<std::size_t>(term.row)],
                             eq[static_cast<std::size_t>(term.col)], term.value);
        }
        return true;
    }
    ElementMatrix k{};
    for (int n = 0; n < t.count; ++n) {
        const BeamTerm& term = t.terms[static_cast<std::size_t>(n)];
        const auto r = static_cast<std::size_t>(term.row), c = static_cast<std::size_t>(term.col);
        k[r][c] = k[c][r] = term.value;
    }
    TurnIntoDofAxes(k, 6, turns);
    AddElementMatrix(a, k, 6, eq.data());
    return true;
}

bool BeamAtBucklingLoad(const Analysis& a, int b)
{
    const BeamRow& beam = a.Model.Beams(b);
    if (beam.elementKind != AxialLoadBeam)
        return false;
    if (!AllFinite({beam.kA, beam.k2, beam.k3, beam.k4}))
        return true;
    const double x = 2 * beam.u;
    // D has no zero between x = 0 and the fixed-ended buckling load at x = 2 pi; near 0 it
    // is small because it behaves like x^4/12, which is not a buckling load.
    if (x <= 4 * std::atan(1.0))
        return false;
    const double cx = std::cos(x);
    const double sx = std::sin(x);
    const double d = 2 - 2 * cx - x * sx;
    const double scale = 2 + 2 * std::fabs(cx) + std::fabs(x * sx);
    return std::fabs(d) <= 1.0e-12 * scale;
}

} // namespace tavu
