#include "model/BeamCoefficients.h"

#include "common/Numbers.h"
#include "model/Diagnostics.h"

#include <cmath>

namespace tavu {

AxialLoadFactorValues AxialLoadFactors(double u)
{
    const double x = 2.0 * u;
    // Below this the factors are 1 to the last digit, and the series' x^4 would underflow.
    if (std::fabs(x) < 1.0e-60)
        return {};
    double D = 0; // 2 - 2 cos x - x sin x
    double S = 0; // sin x - x cos x
    if (std::fabs(x) < 1.0) {
        // Both vanish like x^4 and x^3: summing their series avoids the cancellation of
        // the closed forms, which leaves only noise for small axial loads.
        const double x2 = x * x;
        double t = x2 * x2 / 24.0; // x^(2m) / (2m)!, m = 2
        double s = x2 * x / 6.0;   // x^(2n+1) / (2n+1)!, n = 1
        double sign = 1.0;
        for (int k = 2; k < 14; ++k) {
            D += sign * (2.0 * k - 2.0) * t;
            S += sign * (2.0 * k - 2.0) * s; // the term of n = k - 1: 2n = 2k - 2
            t *= x2 / ((2.0 * k + 1.0) * (2.0 * k + 2.0));
            s *= x2 / ((2.0 * k) * (2.0 * k + 1.0));
            sign = -sign;
        }
    } else {
        D = 2.0 - 2.0 * std::cos(x) - x * std::sin(x);
        S = std::sin(x) - x * std::cos(x);
    }
    const double half = std::sin(0.5 * x);
    AxialLoadFactorValues f;
    f.F1 = 2.0 * u * u * u * std::sin(x) / (3.0 * D);
    f.F2 = 2.0 * u * u * (2.0 * half * half) / (3.0 * D); // 1 - cos x = 2 sin^2(x/2)
    f.F3 = u * S / (2.0 * D);
    return f;
}

BeamCoefficientValues BeamCoefficientsOf(int kind, double L, const PropRow& p, double E)
{
    BeamCoefficientValues v;
    v.kind = kind;
    const double I = p.inertia;
    const double EI = E * I;
    v.kA = p.area * E / L;
    v.phi = p.shearTerm != 0 ? 12.0 * I / (L * L * p.shearTerm) : 0.0;
    switch (kind) {
    case PinBeam:
        // Fixed at A, hinged at B: the transverse stiffness of the member's one mode
        // vB - vA - L rA, whose coupling to A's rotation the beam step adds.
        v.k2 = 3.0 * EI / (L * L * L * (1.0 + v.phi / 4.0));
        v.k3 = 0;
        v.k4 = 0;
        break;
    case BendBeam:
        v.k2 = 0;
        v.k3 = 0;
        v.k4 = EI / L;
        break;
    default: // plain and CURV
        v.k2 = 12.0 * EI / (L * L * L * (1.0 + v.phi));
        v.k3 = -v.k2 * L / 2.0;
        v.k4 = v.k2 * L * L * (4.0 + v.phi) / 12.0;
        break;
    }
    if (p.axialLoad > 0 && I > 0) {
        v.u = (L / 2.0) * std::sqrt(p.axialLoad / EI);
        const AxialLoadFactorValues f = AxialLoadFactors(v.u);
        v.k2 *= f.F1;
        v.k3 *= f.F2;
        v.k4 *= f.F3;
        v.kind = AxialLoadBeam;
        v.axialLoad = p.axialLoad;
    }
    return v;
}

namespace {

bool CoefficientsFinite(const BeamCoefficientValues& v)
{
    return AllFinite({v.kA, v.k2, v.k3, v.k4, v.phi, v.u});
}

// Whether coefficients that are not finite are due to the axial load's factors alone, at
// D = 0: the beam is then at its buckling load, which the assembly reports. With u^3
// finite the factors' numerators are, so only D can have made them infinite. Otherwise the
// length or the section, material and load overflow the arithmetic.
bool OnlyAxialLoadNotFinite(const BeamCoefficientValues& v, int kind, double L, const PropRow& p,
                            double E)
{
    if (v.kind != AxialLoadBeam || !std::isfinite(v.u * v.u * v.u))
        return false;
    PropRow unloaded = p;
    unloaded.axialLoad = 0;
    return CoefficientsFinite(BeamCoefficientsOf(kind, L, unloaded, E));
}

} // namespace

void ComputeBeamCoefficients(Analysis& a, int b, const ReaderTables& t)
{
    BeamRow& beam = a.Model.Beams(b);
    beam.elementKind = beam.kind;
    const double L = beam.length;
    const bool propFound = t.PropTable.Has(beam.propId);

    if (L == 0) {
        // Two coincident grids: springs along and across grid A's axes and on the
        // relative rotation, straight from the PROP record.
        if (!propFound) {
            Diagnose(a, Msg::BeamPropMissing, b, 0);
            return;
        }
        const PropRow& p = t.PropTable(beam.propId);
        beam.kA = p.area;
        beam.k2 = p.inertia;
        beam.k3 = 0;
        beam.k4 = p.shearTerm;
        return;
    }

    const bool matlFound = t.MatlTable.Has(beam.matlId);
    const PropRow p = propFound ? t.PropTable(beam.propId) : PropRow();
    const MatlRow m = matlFound ? t.MatlTable(beam.matlId) : MatlRow();
    if (!propFound || (p.area == 0 && p.inertia == 0))
        Diagnose(a, Msg::BeamPropMissing, b, 0);
    if (!matlFound || m.modulus == 0)
        Diagnose(a, Msg::BeamMatlMissing, b, 0);
    if (!propFound || !matlFound)
        return;

    // The beam-column's stability functions are those of a member fixed at both ends.
    if (beam.kind == PinBeam && p.axialLoad > 0 && p.inertia > 0) {
        Diagnose(a, Msg::PinBeamAxialLoad, beam.id, 0);
        return;
    }

    beam.expansion = m.expansion;
    beam.density = m.density;
    const BeamCoefficientValues v = BeamCoefficientsOf(beam.kind, L, p, m.modulus);
    if (!(AllFinite({L, beam.angle}) && CoefficientsFinite(v)) &&
        !OnlyAxialLoadNotFinite(v, beam.kind, L, p, m.modulus))
        Diagnose(a, Msg::BeamNotFinite, b, 0);
    beam.kA = v.kA;
    beam.k2 = v.k2;
    beam.k3 = v.k3;
    beam.k4 = v.k4;
    beam.phi = v.phi;
    beam.elementKind = v.kind;
    if (v.kind == AxialLoadBeam) {
        beam.axialLoad = v.axialLoad;
        beam.u = v.u;
    }
}

} // namespace tavu
