#pragma once
// Filled stress contours of the quads as data: the listing's corner stresses averaged at
// each grid, interpolated over each quad (bilinearly) and triangle (linearly), cut into
// bands of equal width between the smallest and the largest grid value.
//
// A quad whose stresses the recovery turned into polar axes (radial, tangential, shear)
// keeps them: grid values are averaged over the quads of the same axes only.

#include "common/Analysis.h"
#include "results/Listings.h"
#include "results/PlotPrimitives.h"

#include <array>
#include <vector>

namespace tavu {

// The quantity a contour shows: the columns of the Quad stresses listing.
enum class StressQuantity : int
{
    Sx = 0,
    Sy,
    Sxy,
    Principal,
    VonMises,
};

double StressValueOf(const StressState& s, StressQuantity quantity);

// The stresses at the corners of every quad, each the average of the listing's corner
// values of the quads (of the same axes) that meet at that corner's grid.
struct GridStressField
{
    std::vector<std::array<StressState, 5>> corner; // [quad index][1..n]
    std::vector<int> corners;                       // [quad index]: n, 0 without results
    std::vector<std::array<PlotPoint, 5>> position; // [quad index][1..n]: corner grids
    std::vector<bool> polar;                        // [quad index]: stresses in polar axes
    bool anyPolar = false;
};
GridStressField AverageAtGrids(const Analysis& a);

// Bands of equal width from min to max; a field of one value has a single band.
inline constexpr int ContourBandCount = 12;
struct ContourScale
{
    double min = 0, max = 0;
    int bands = 1;
};

// A polygon of the filled contour, in one band.
struct ContourPiece
{
    std::vector<PlotPoint> polygon;
    int band = 0;
};

struct ContourPicture
{
    ContourScale scale;
    std::vector<ContourPiece> pieces;
};

// The contour of a quantity over the undeformed quads; empty without results. Each quad
// is divided into subdivisions x subdivisions cells, each cell into two triangles.
ContourPicture BuildContours(const GridStressField& field, StressQuantity quantity,
                             int subdivisions = 4);

// The band a value lies in (values outside the scale go to the end bands).
int BandOf(const ContourScale& scale, double value);

// The colour of a band: blue for the smallest values through cyan, green and yellow to
// red for the largest.
Rgb BandColour(int band, int bands);

} // namespace tavu
