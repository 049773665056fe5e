#pragma once
// tavu-solve's picture and paper output: the plot as an image file and the printed
// result listings as a PDF, painted by the same code as the plot window and the print
// commands. Qt-free header, so the batch front end stays plain C++.

#include <memory>
#include <string>

namespace tavu {
struct Analysis;
struct PlotModel;
struct PlotOptions;
struct WorldWindow;
} // namespace tavu

namespace tavu::plot {

// The Qt application object that painting and fonts need in a batch run. It uses the
// offscreen platform unless QT_QPA_PLATFORM chooses another.
class BatchGui
{
public:
    BatchGui();
    ~BatchGui();
    BatchGui(const BatchGui&) = delete;
    BatchGui& operator=(const BatchGui&) = delete;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Pixels of the written plot.
inline constexpr int PlotImageSize = 800;

// True for a path ending in ".png" or ".svg" (any letter case).
bool IsPlotFileName(const std::string& path);

// True for a path ending in ".pdf" (any letter case).
bool IsPdfFileName(const std::string& path);

// Writes the picture of a view (its --view word; empty for the deformed shape) at full
// magnification, with the supports and loads: PNG or SVG by the path's extension. A model
// without results is drawn alone. False with a reason on failure.
bool WritePlotFile(const Analysis& a, const std::string& path, const std::string& view,
                   std::string& error);

// Saves a view as it shows on a surface of width x height pixels within the world window:
// PNG or SVG of that size, or PDF (the picture on an A4 page in landscape), by the path's
// extension. False with a reason on failure; nothing is left of a file not written whole.
bool SavePlotPicture(const PlotModel& model, const PlotOptions& options, const WorldWindow& window,
                     int width, int height, const std::string& path, std::string& error);

// True for a path ending in ".png", ".svg" or ".pdf" (any letter case).
bool IsPictureFileName(const std::string& path);

// Writes the result listings as printed pages (Deflections, Reactions, Beam Forces,
// Quad Stresses with corner values; a listing without lines is left out), each listing
// starting on a new page with its own page numbers. False with a reason on failure.
bool WriteListingsPdf(const Analysis& a, const std::string& modelFileName, const std::string& path,
                      std::string& error);

} // namespace tavu::plot
