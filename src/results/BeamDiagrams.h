#pragma once
// Axial force, shear and moment along a beam, and its deflected shape, as data.
//
// Sign convention: that of the Beam Forces listing. The member's axes run x from end A to
// end B and y to the left of A->B; at a section x the values are the force and moment
// that the part towards B exerts on the part towards A: N along x (positive in tension),
// V along y, M counter-clockwise (positive when the fibre on the right of A->B is
// stretched). At x = 0 they are the listing's end-A forces, at x = L its end-B forces.
//
// Between the ends they follow from the equilibrium of the member: the end-A forces and
// the distributed load (BLOAD trapezoid and gravity) integrated along x, so N is linear, V
// quadratic and M cubic. Initial deformations and temperatures act only through the end
// forces. A beam-column adds the moment of its axial load on the deflected shape; what its
// shortened fixed-end moments leave of the closure at B is spread linearly, so both ends
// always show the listing's values. A curved member's axial force and shear turn from the
// directions of the arc at A to those at B.

#include "common/Analysis.h"

#include <array>
#include <vector>

namespace tavu {

// The three diagrams, as they index BeamDiagram's arrays.
enum DiagramQuantity : int
{
    DiagramN = 0,
    DiagramV = 1,
    DiagramM = 2,
};

// What the diagrams and the deflected shape of one beam come from, in its axes.
struct MemberState
{
    int kind = PlainBeam;  // the element kind: PinBeam means a hinge at B
    double L = 0;          // length between the axis ends
    BeamForces ends{};     // the listing's end forces
    BeamSpanLoad load;     // distributed load, gravity included
    double P = 0;          // axial compressive load of a beam-column
    double EI = 0, EA = 0; // for the shape between the ends; 0 when not known
    // Displacements of the axis ends along x and y, and the rotations of the end grids.
    double uA = 0, vA = 0, rA = 0, uB = 0, vB = 0, rB = 0;
    // A curved member: the turn of the listing's end forces at A and B (beam angle minus
    // the grid's axis angle).
    double arcA = 0, arcB = 0;
};

// The unit vector to the left of the line from the beam's grid A to its grid B, along
// which its end offsets are measured; (0, 0) when the grids coincide or are undefined.
std::array<double, 2> OffsetDirection(const ModelStore& m, const BeamRow& beam);

// The state of beam index b from the model, the load set and the results (displacements
// and end forces only when solved).
MemberState MemberStateOf(const Analysis& a, int b);

struct DiagramExtreme
{
    double min = 0, minAt = 0; // smallest value and its x (the first such x)
    double max = 0, maxAt = 0;
};

struct BeamDiagram
{
    std::vector<double> x;                    // stations from A, ascending: 0 .. L
    std::array<std::vector<double>, 3> value; // N, V, M at the stations
    std::array<DiagramExtreme, 3> extreme;    // of N, V, M
};

// Equal intervals of the stations; the diagram adds the points where V or M is extreme.
inline constexpr int DiagramIntervals = 32;

// The ordinates at the stations and their extremes. A beam of length 0 has the two
// stations x = 0 with its end-A and end-B values.
BeamDiagram ComputeBeamDiagram(const MemberState& s, int intervals = DiagramIntervals);

// The deflection at x along the member axis, in its axes: the cubic through the end
// displacements and rotations (the rotation at a PIN member's end B is free: no moment
// there), plus the shape of the distributed load with the ends held; axially linear plus
// the held shape of the axial load. A member without bending stiffness (no EI, or BEND)
// stays straight.
struct LocalDeflection
{
    double u = 0, v = 0;
};
LocalDeflection MemberDeflection(const MemberState& s, double x);

} // namespace tavu
