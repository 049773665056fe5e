#pragma once
// The model and deformation plot as plain data: grid positions and global deflections
// taken from the model and the results when the plot opens, the line segments in world
// coordinates for the model and its deformed shape at a magnification, the grid-number
// labels, and the world window (y up) that fits the model onto a drawing surface.

#include "common/Analysis.h"
#include "results/BeamDiagrams.h"
#include "results/PlotPrimitives.h"
#include "results/StressContours.h"

#include <array>
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

// Text whose top-left corner stands at a point.
struct PlotLabel
{
    PlotPoint at;
    std::string text;
    Rgb colour{};
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

// What the plot can show. The model alone; its deformed shape over it; the axial force,
// shear or moment along the beams; a stress of the quads as filled contours.
enum class PlotView : int
{
    Model = 0,
    Deformed,
    Axial,
    Shear,
    Moment,
    Sx,
    Sy,
    Sxy,
    Principal,
    VonMises,
};
inline constexpr int PlotViewCount = 10;

// The word of tavu-solve's --view ("model", "deformed", "axial", ..., "vonmises") and the
// name the window's list shows.
const char* ViewWord(PlotView view);
const char* ViewTitle(PlotView view);
// The view of a word; false for a word that names none.
bool ViewFromWord(const std::string& word, PlotView& view);

// The view that shows what a result listing (kind 1..4) lists: the deformed shape for
// deflections and reactions, the moments for beam forces, the von Mises stress for quad
// stresses.
PlotView ViewOfListing(int kind);

// A beam as the plot draws it: the member's axis between its ends (moved off the grids by
// the end offsets), the diagrams along it and its deflected curve.
struct MemberPlot
{
    int beam = 0; // beam index
    PlotPoint A, B;
    BeamDiagram diagram;                    // empty unless solved
    std::vector<PlotPoint> curve;           // points of the axis, A to B
    std::vector<PlotPoint> curveDeflection; // their global deflections; empty unless solved
};

// What the supports and springs of a grid hold, for its symbol.
struct SupportMark
{
    int grid = 0;                                           // grid index
    double axisAngle = 0;                                   // of the dofs the flags are about
    bool u = false, v = false, r = false;                   // restrained or prescribed
    bool springU = false, springV = false, springR = false; // grounded springs
};

// What the plot window takes from the model and the results when it opens.
struct PlotModel
{
    int nGrids = 0;
    std::vector<PlotPoint> GridPosition;    // [1..nGrids]; entry 0 unused
    std::vector<PlotPoint> PlotDeflection;  // [1..nGrids]: global (dx, dy); 0 unless solved
    std::vector<int> GridLabel;             // [1..nGrids]: the number written at each grid
    std::vector<std::pair<int, int>> Edges; // beams, then quad sides, as grid-index pairs
    std::size_t BeamEdges = 0;              // how many of Edges are beams
    std::vector<int> EdgeBeam;              // [beam edges]: the beam index of each
    double MaxDeflection = -1.0e99;         // largest |dx| or |dy| over grids and beam curves
    double ModelSpan = 0;                   // larger side of the bounding box
    PlotBoxData PlotBox;

    bool Solved = false;
    std::vector<MemberPlot> Members;                   // beams of non-zero length
    std::vector<SupportMark> Supports;                 // grids with a support or spring
    std::vector<std::array<double, 3>> GridLoads;      // [1..nGrids]: Fx, Fy, M of LOAD records
    std::vector<PlotLabel> ElementLabels;              // beam and quad ids at their middles
    GridStressField Stresses;                          // quad corner stresses averaged at grids
    std::vector<std::array<PlotPoint, 5>> QuadCorners; // [quad index][1..4], for contours

    // Nothing is drawn: no grids, all grids at one point, or no finite extent.
    bool Empty() const;
    // The deformed shape exists: a solution with some non-zero finite deflection.
    bool HasDeformation() const;
    // The view has something to show: results, and beams or quads for its kind.
    bool Shows(PlotView view) const;
};

// The deflection of grid index g in global axes: u and v are turned from the grid's dof
// axes when it has an axis angle. Zero for a dof without an equation.
PlotPoint GlobalDeflection(const Analysis& a, int g);

// Reads grid positions, the elements' lines, supports and, when Stage is Solved, the
// deflections, beam curves and diagrams, loads and stresses. Elements that name an
// undefined grid draw only their sides between defined grids.
PlotModel BuildPlotModel(const Analysis& a);

// The scale s of the deformed shape: ModelSpan * 0.1 * magnification / 20.
double DeformationScale(const PlotModel& m, int magnification);

// How many times the deflections are magnified: s / MaxDeflection (0 without a deformation).
double MagnificationFactor(const PlotModel& m, int magnification);

// The largest ordinate of the diagrams is drawn as this part of the model span.
inline constexpr double DiagramFraction = 0.12;

struct PlotOptions
{
    PlotView view = PlotView::Deformed;
    int magnification = MaxMagnification;
    bool showGridNumbers = false;
    bool showElementNumbers = false;
    // Size of the support symbols and load arrows in world units; 0 gives 2 % of the span.
    double symbolSize = 0;
};

// A polygon filled with one colour (contour pieces, diagram areas).
struct PlotFill
{
    std::vector<PlotPoint> polygon;
    Rgb colour{};
};

// An open line through points.
struct PlotStroke
{
    std::vector<PlotPoint> points;
    Rgb colour{};
    double width = 1; // pixels
};

// The colours of a contour from its smallest (first band) to its largest value.
struct ColourBar
{
    std::string title;
    double min = 0, max = 0;
    std::vector<Rgb> bands;
};

struct PlotPicture
{
    std::vector<PlotSegment> Model;
    std::vector<PlotSegment> Deformed; // empty without a deformation
    std::vector<PlotLabel> Labels;     // empty unless grid numbers are shown
    Rgb ModelColour{};                 // black, grey under the deformed shape
    Rgb DeformedColour{};
    std::vector<PlotFill> Fills;        // painted first
    std::vector<PlotStroke> Strokes;    // diagrams' outlines, supports, loads
    std::vector<PlotLabel> ValueLabels; // extremes, element numbers, load values
    std::vector<std::string> Legend;    // lines for the upper left corner
    ColourBar Bar;                      // no bands unless a contour is shown
};

// The picture of a view. The deformed shape moves each grid by its deflection * s /
// MaxDeflection (the beams along their curves); segments with a non-finite end are left
// out. A view that has nothing to show draws the model with a note in the legend.
PlotPicture DrawPlot(const PlotModel& m, const PlotOptions& options);

// The deformed view at a magnification (clamped to 0..20), without symbols or legend.
PlotPicture DrawPlot(const PlotModel& m, int magnification, bool showGridNumbers);

// The world window for a surface of width x height pixels at ppx, ppy pixels per inch:
// the whole plot box is shown and the model keeps its proportions.
WorldWindow WorldWindowFor(const PlotModel& m, double width, double height, double ppx, double ppy);

// Zoom and pan of a view: the fitted window made factor times smaller about its centre
// moved by (panX, panY) world units.
struct ViewZoom
{
    double factor = 1;
    double panX = 0, panY = 0;
};
inline constexpr double MinZoom = 0.1, MaxZoom = 1000;

WorldWindow ZoomedWindow(const WorldWindow& fit, const ViewZoom& zoom);

// The zoom times step (within MinZoom..MaxZoom) that keeps the world point fixed where it
// is on the surface.
ViewZoom ZoomAbout(const WorldWindow& fit, const ViewZoom& zoom, double step, PlotPoint fixed);

// The size of the support symbols and load arrows in world units: SymbolPixels pixels on
// a surface widthPixels wide that shows the window.
inline constexpr double SymbolPixels = 7;
double SymbolSizeFor(const WorldWindow& window, double widthPixels);

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

// The picture as an SVG document of width x height pixels, painted as the window paints
// it: white background, fills, the model, the deformed shape, strokes, texts, the legend
// and the colour bar.
std::string PlotSvg(const PlotPicture& picture, const WorldWindow& window, int width, int height);

// The colour bar on a surface of width x height pixels: a column of cells at the right
// edge, the largest value on top, with the title and the values at its ends (texts end at
// their x, their top at y). Nothing on a surface too small or for a bar without bands.
struct BarCell
{
    double x, y, width, height;
    Rgb colour;
};
struct BarText
{
    double x, y;
    std::string text;
};
struct ColourBarLayout
{
    std::vector<BarCell> cells;
    std::vector<BarText> texts;
};
ColourBarLayout LayOutColourBar(const ColourBar& bar, double width, double height);

} // namespace tavu
