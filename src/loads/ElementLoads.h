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

// The fixed-end forces [1..6]: axial, shear, moment at A, then at B.
std::array<double, 7> BeamFixedEndForces(const BeamLoadInput& in);

// Natural coordinates of integration point p = 1..4: (-a,-a), (-a,+a), (+a,-a), (+a,+a).
double IntegrationPointXi(int p);
double IntegrationPointEta(int p);

// The bilinear shape function of corner k = 1..4 at integration point p.
double QuadShapeValue(int k, int p);

// Reads the load data that ReadLoads left in BeamEndForces(b, 1..6) and Gravity, leaves
// the fixed-end forces there and adds the six nodal loads in the grids' dof axes.
void BeamLoadVector(Analysis& a, int b);

// Consumes the edge pressures and corner temperatures that ReadLoads left in
// QuadStresses(q, ., .), adds the nodal loads (with gravity) in the grids' dof axes and
// leaves the initial-stress terms of a temperature load (or zeros) behind.
void QuadLoadVector(Analysis& a, int q);

} // namespace tavu
