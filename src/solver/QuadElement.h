#pragma once
// The isoparametric bilinear membrane quad (and its collapsed triangle), integrated with
// 2 x 2 Gauss points.

#include "common/Analysis.h"
#include "common/Numbers.h"

#include <array>

namespace tavu {

// Natural coordinates of corners 1..4 (entry 0 unused).
inline constexpr std::array<double, 5> QuadXi{0, -1, 1, 1, -1};
inline constexpr std::array<double, 5> QuadEta{0, -1, -1, 1, 1};

// Gauss point coordinate of index 1 or 2.
inline constexpr double GaussPoint(int g)
{
    return g == 1 ? -GaussPointValue : GaussPointValue;
}

// The upper-triangular factor C of the material matrix (C^T C = D): C11, C12, C22, C33 in
// entries 1..4.
std::array<double, 5> QuadMaterialFactor(double E, double nu, double G);

// Fills QuadStrain (C times the strain matrix) at Gauss point (gi, gj) of quad q from the
// corner coordinates and QuadFactor; returns the Jacobian determinant.
double ComputeQuadStrainMatrix(Analysis& a, int gi, int gj, int q);

// The same for given corner coordinates (x[k], y[k], k = 1..4; corner 4 equal to corner 3
// for a triangle); strain is rows 1..3 by columns 1..8.
double QuadStrainAt(const std::array<double, 5>& x, const std::array<double, 5>& y, bool triangle,
                    const std::array<double, 5>& factor, double xi, double eta,
                    std::array<std::array<double, 9>, 4>& strain);

// Whether quad q is a triangle: its third and fourth grid ids are equal.
bool QuadIsTriangle(const Analysis& a, int q);

// Adds quad q's stiffness to the store and keeps its material factor and packed element
// stiffness in the system's QuadMatrices(q). Returns false when the Jacobian is not
// positive at a Gauss point (diagnostic 21 raised) or when the material factor or a term
// is not a finite number (the quad's stiffness diagnostic raised).
bool AddQuadStiffness(Analysis& a, int q);

} // namespace tavu
