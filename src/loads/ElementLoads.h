#pragma once
// Equivalent nodal loads of beams and quads: distributed loads, gravity, initial beam
// deformations, temperatures and edge pressures.

#include "common/Analysis.h"

#include <array>

namespace tavu {

// What a beam's fixed-end forces depend on (local axes: 1 from A to B, 2 turned 90 degrees
// counter-clockwise).
struct BeamLoadInput
{
    int kind = PlainBeam;
    double L = 0, phi = 0;                 // length, shear deformation parameter
    double kA = 0, k2 = 0, k3 = 0, k4 = 0; // stiffness coefficients
    double u = 0;                          // stability parameter of a beam-column
    double pa = 0;                         // axial load per unit length
    double qA = 0, qB = 0;                 // transverse load per unit length at A and B
    double delta = 0, w = 0, r0 = 0;       // initial elongation, deflection, rotation of B
};

// The fixed-end forces: axial, shear, moment at A, then at B.
BeamForces BeamFixedEndForces(const BeamLoadInput& in);

// Natural coordinates of integration point p = 1..4: (-a,-a), (-a,+a), (+a,-a), (+a,+a).
double IntegrationPointXi(int p);
double IntegrationPointEta(int p);

// The bilinear shape function of corner k = 1..4 at integration point p.
double QuadShapeValue(int k, int p);

// From the beam's loads and gravity: its fixed-end forces (kept in the load set) and the six
// nodal loads in the grids' dof axes. Returns false, adding no load, when they are not all
// finite numbers; the beam's load diagnostic is raised.
bool BeamLoadVector(Analysis& a, int b);

// From the quad's edge pressures, corner temperatures and gravity: the nodal loads in the
// grids' dof axes, and the initial-stress terms of a temperature load in the load set.
// Returns false, adding no load, when a pressure acts on an edge of zero length or the
// loads are not all finite numbers; the quad's diagnostic is raised.
bool QuadLoadVector(Analysis& a, int q);

} // namespace tavu
