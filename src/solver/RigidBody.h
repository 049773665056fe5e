#pragma once
// Counting the plane rigid-body motions the restraints leave free, for the failure
// report of the decomposition.

#include "common/Analysis.h"

#include <array>
#include <string>

namespace tavu {

using RigidBodyRow = std::array<double, 3>;
using RigidBodyBasis = std::array<RigidBodyRow, 2>;

// The displacement dof d (1..3) of grid i shows under a unit x translation, y translation
// and rotation about the origin, in the grid's own axes when it is turned.
RigidBodyRow RigidBodyRowOf(const Analysis& a, int i, int d);

// One orthogonalisation step: counts v (count r, in/out) when it is independent of the
// rows counted so far and, while r < 3, keeps its unit direction in q. v is changed.
void AddRigidBodyRow(int& r, RigidBodyRow& v, RigidBodyBasis& q);

// Number of rigid-body motions (0..3) the restraints leave free.
int FreeRigidBodyModes(const Analysis& a);

// The log line for k free motions ("3 rigid body dofs exist", "1 rigid body dof exists").
std::string RigidBodyText(int k);

// Appends the count line to LogText when the restraints leave a motion free.
void CheckRigidBodyModes(Analysis& a);

} // namespace tavu
