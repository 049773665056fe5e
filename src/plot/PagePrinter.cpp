#include "plot/PagePrinter.h"

#include "plot/QtText.h"
#include "plot/WindowSupport.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <cmath>

namespace tavu::plot {

QFont PrintFont()
{
    // The columns of the listings need a fixed pitch, whichever face the system offers.
    return FixedPitchFont(PrintFontPoints);
}

int LinesPerPage(const QPaintDevice& device, const QFont& font)
{
    const QFontMetricsF metrics(font, &device);
    const double lineHeight = metrics.lineSpacing();
    if (!(lineHeight > 0))
        return 1;
    return std::max(1, static_cast<int>(std::floor(device.height() / lineHeight)));
}

bool PaintPages(QPainter& painter, QPagedPaintDevice& device, const PrintJob& job,
                const QFont& font, bool& deviceHasPage)
{
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QFontMetricsF metrics(font, &device);
    const double lineHeight = metrics.lineSpacing();
    for (const PrintedPage& page : job.Pages) {
        if (deviceHasPage && !device.newPage())
            return false;
        deviceHasPage = true;
        double baseline = metrics.ascent();
        for (const std::string& line : page.Lines) {
            if (!line.empty())
                painter.drawText(QPointF(0, baseline), FromBytes(line));
            baseline += lineHeight;
        }
    }
    return true;
}

} // namespace tavu::plot
