#pragma once
// The beam's coefficient step: its property and material become four stiffness
// coefficients (axial kA, transverse k2, coupling k3, rotational k4), with the options of
// its kind (PIN, BEND, axial load) applied. The beam's stiffness, load and force steps
// read them from its row.

#include "common/Analysis.h"
#include "model/ReaderTables.h"

namespace tavu {

struct BeamCoefficientValues
{
    double kA = 0, k2 = 0, k3 = 0, k4 = 0;
    double phi = 0;       // shear deformation parameter 12 I / (As L^2), 0 without As
    double axialLoad = 0; // P, for an axial-load beam only
    double u = 0;         // stability parameter (L/2) sqrt(P / EI), axial-load beam only
    int kind = PlainBeam; // AxialLoadBeam when the axial load applies, else as given
};

// The coefficients of a beam of length L > 0 and the given kind with section p and
// modulus E. A PIN beam's k3 and k4 are 0: k2 is the stiffness of its one transverse mode.
BeamCoefficientValues BeamCoefficientsOf(int kind, double L, const PropRow& p, double E);

// The factors of k2, k3 and k4 for a beam under axial compression with stability
// parameter u: 1 at u = 0, falling to 0 (k2) as u approaches pi. Accurate for small u.
struct AxialLoadFactorValues
{
    double F1 = 1, F2 = 1, F3 = 1;
};
AxialLoadFactorValues AxialLoadFactors(double u);

// Coefficient step for beam b, after the beam pass has set its length and angle: its
// coefficients, the material's expansion coefficient and density, and for an axial-load
// beam P, u and the element kind. A beam of length 0 is a set of springs with the raw PROP
// values. Missing PROP or MATL, or a length or coefficients that are not finite numbers
// (other than through an axial load at its buckling value): the beam's diagnostics.
void ComputeBeamCoefficients(Analysis& a, int b, const ReaderTables& t);

} // namespace tavu
