#pragma once
// Paints printed pages (results/PrintLayout) on a printer or a PDF writer: one text
// line after the other in the fixed-pitch print font, a new page between two pages.

#include "results/PrintLayout.h"

#include <QFont>

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;

namespace tavu::plot {

// The system's fixed-pitch font at 10 points.
QFont PrintFont();

// Whole text lines of the font that fit the device's printable height (at least 1).
int LinesPerPage(const QPaintDevice& device, const QFont& font);

// Paints the job's pages with a painter that is active on the device. The device's
// first page is used for the first page painted; every later page starts with
// newPage(). Returns false when the device cannot start a new page.
bool PaintPages(QPainter& painter, QPagedPaintDevice& device, const PrintJob& job,
                const QFont& font, bool& deviceHasPage);

} // namespace tavu::plot
