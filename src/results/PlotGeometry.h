#pragma once
// The model and deformation plot as plain data: grid positions and global deflections
// taken from the model and the results when the plot opens, the line segments in world
// coordinates for the model and its deformed shape at a magnification, the grid-number
// labels, and the world window (y up) that fits the model onto a drawing surface.

#include "common/Analysis.h"

#include <string>
#include <utility>
#include <vector>

namespace tavu {

// The scroll bar's range: magnification 0..MaxMagnification.
inline constexpr int MaxMagnification = 20;
inline constexpr int MagnificationPageStep = 2;

// The model's bounding box is enlarged by 30 %: half-widths of 0.65 times its size
// (a single-precision constant).
inline constexpr double PlotBoxFactor = static_cast<double>(0.65f);

// At full magnification the largest deflection is drawn as this part of the model span.
inline constexpr double FullDeformation = 0.1;

struct PlotPoint
{
    double x = 0;
    double y = 0;
};

struct PlotSegment
{
    PlotPoint from;
    PlotPoint to;
};

// Text whose top-left corner stands at a point.
struct PlotLabel
{
    PlotPoint at;
    std::string text;
};

// The part of the world shown on the surface: x from Left (left edge) to Right, y from
// Bottom (lower edge) to Top.
struct WorldWindow
{
    double Left = -1;
    double Right = 1;
    double Bottom = -1;
    double Top = 1;
};

// Centre and half-widths of the enlarged bounding box.
struct PlotBoxData
{
    double cx = 0;
    double cy = 0;
    double halfWidth = 0;
    double halfHeight = 0;
};

// What the plot window takes from the model and the results when it opens.
struct PlotModel
{
    int nGrids = 0;
    std::vector<PlotPoint> GridPosition;    // [1..nGrids]; entry 0 unused
    std::vector<PlotPoint> PlotDeflection;  // [1..nGrids]: global (dx, dy); 0 unless solved
    std::vector<int> GridLabel;             // [1..nGrids]: the number written at each grid
    std::vector<std::pair<int, int>> Edges; // beams, then quad sides, as grid-index pairs
    double MaxDeflection = -1.0e99;         // largest |dx| or |dy| over all grids
    double ModelSpan = 0;                   // larger side of the bounding box
    PlotBoxData PlotBox;

    // Nothing is drawn: no grids, all grids at one point, or no finite extent.
    bool Empty() const;
    // The deformed shape exists: a solution with some non-zero finite deflection.
    bool HasDeformation() const;
};

// The deflection of grid index g in global axes: u and v are turned from the grid's dof
// axes when it has an axis angle. Zero for a dof without an equation.
PlotPoint GlobalDeflection(const Analysis& a, int g);

// Reads grid positions, the elements' lines and, when Stage is Solved, the deflections.
// Elements that name an undefined grid draw only their sides between defined grids.
PlotModel BuildPlotModel(const Analysis& a);

// The scale s of the deformed shape: ModelSpan * 0.1 * magnification / 20.
double DeformationScale(const PlotModel& m, int magnification);

struct PlotPicture
{
    std::vector<PlotSegment> Model;
    std::vector<PlotSegment> Deformed; // empty without a deformation
    std::vector<PlotLabel> Labels;     // empty unless grid numbers are shown
};

// The picture at a magnification (clamped to 0..20): each grid of the deformed shape is
// moved by its deflection * s / MaxDeflection. Segments with a non-finite end are left
// out.
PlotPicture DrawPlot(const PlotModel& m, int magnification, bool showGridNumbers);

// The world window for a surface of width x height pixels at ppx, ppy pixels per inch:
// the whole plot box is shown and the model keeps its proportions.
WorldWindow WorldWindowFor(const PlotModel& m, double width, double height, double ppx, double ppy);

// What the user did with the scroll bar.
enum class ScrollAction
{
    LineRight,
    LineLeft,
    PageRight,
    PageLeft,
    ThumbTrack,
    ThumbPosition,
    Other,
};

// The magnification after a scroll action: a line step moves by one within 0..20, the
// thumb sets it; any other action keeps it.
int MagnificationAfterScroll(int magnification, ScrollAction action, int thumbPosition);

// The picture as an SVG document of width x height pixels: white background, black
// lines, grid numbers as text.
std::string PlotSvg(const PlotPicture& picture, const WorldWindow& window, int width, int height);

} // namespace tavu
