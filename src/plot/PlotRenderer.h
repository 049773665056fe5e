#pragma once
// Paints the plot's picture with QPainter: the window's drawing surface, its copies and
// saved pictures, and the image files of tavu-solve use the same code.

#include "results/PlotGeometry.h"

#include <QImage>
#include <QRectF>

class QPainter;

namespace tavu::plot {

// Maps the world window onto the surface rectangle (y up) and paints the picture: white
// background, fills, the model, the deformed shape, strokes, texts, then the legend in
// the upper left corner and the colour bar at the right edge.
void PaintPlot(QPainter& painter, const QRectF& surface, const PlotPicture& picture,
               const WorldWindow& window);

// Paints a view of the model onto the surface within the world window; the symbols take
// their size from the surface.
void PaintView(QPainter& painter, const QRectF& surface, const PlotModel& model,
               PlotOptions options, const WorldWindow& window);

// A picture painted onto a white image of the given size showing the world window.
QImage RenderPlotImage(const PlotPicture& picture, const WorldWindow& window, QSize size);

} // namespace tavu::plot
