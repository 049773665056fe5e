#pragma once
// The plane frame beam: its 21 upper-triangle stiffness terms in global axes from the
// coefficients the model reader computed.

#include "common/Analysis.h"

#include <array>

namespace tavu {

// What the beam step reads of one beam: its coefficients and geometry.
struct BeamStiffnessInput
{
    double kA = 0, k2 = 0, k3 = 0, k4 = 0; // axial, transverse, coupling, rotational
    double length = 0;
    double angle = 0; // radians, counter-clockwise from x
    double offsetA = 0, offsetB = 0;
    // A PIN member of length > 0: fixed at end A, hinged at end B. Its one transverse mode
    // vB - vA - L rA (local axes) has the stiffness k2; k3 and k4 are 0.
    bool pinned = false;
};

// One term K(row, col) += value; rows and columns are the beam's dofs 0..5 in the order
// uA, vA, rA, uB, vB, rB.
struct BeamTerm
{
    int row = 0, col = 0;
    double value = 0;
};

// The terms in the order they are added. An axial member (k2 = k3 = k4 = 0) has only the
// 10 translation terms; count tells how many are valid.
struct BeamTerms
{
    std::array<BeamTerm, 21> terms{};
    int count = 0;
};

BeamTerms ComputeBeamTerms(const BeamStiffnessInput& in);

BeamStiffnessInput BeamInputOf(const Analysis& a, int b);

// Adds beam b's terms to the store. Returns false, adding nothing, when a term is not a
// finite number (its offsets overflow the arithmetic); the beam's diagnostic is raised.
bool AddBeamStiffness(Analysis& a, int b);

// Whether beam b is a beam-column at or near its buckling load: D = 2 - 2 cos x - x sin x
// vanishes within rounding for x = 2u beyond the zero at x = 0, or the axial load's factors
// made a coefficient infinite (the reader has stopped any other beam whose coefficients are
// not finite).
bool BeamAtBucklingLoad(const Analysis& a, int b);

} // namespace tavu
