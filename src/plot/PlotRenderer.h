#pragma once
// Paints the plot's picture with QPainter: the window's drawing surface and the image
// files of tavu-solve use the same code.

#include "results/PlotGeometry.h"

#include <QImage>
#include <QRectF>

class QPainter;

namespace tavu::plot {

// Maps the world window onto the surface rectangle (y up) and paints the picture:
// white background, the model and the deformed shape in black, the grid numbers with
// their top-left corner at the grid.
void PaintPlot(QPainter& painter, const QRectF& surface, const PlotPicture& picture,
               const WorldWindow& window);

// The model of a plot at a magnification on a white image of the given size.
QImage RenderPlotImage(const PlotModel& model, int magnification, bool showGridNumbers, QSize size);

} // namespace tavu::plot
