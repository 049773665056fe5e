#include "plot/PlotRenderer.h"

#include "plot/QtText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <QVector>

namespace tavu::plot {

void PaintPlot(QPainter& painter, const QRectF& surface, const PlotPicture& picture,
               const WorldWindow& window)
{
    painter.save();
    painter.fillRect(surface, Qt::white);
    const double sx = surface.width() / (window.Right - window.Left);
    const double sy = surface.height() / (window.Top - window.Bottom);
    auto map = [&](const PlotPoint& p) {
        return QPointF(surface.left() + (p.x - window.Left) * sx,
                       surface.top() + (window.Top - p.y) * sy);
    };

    painter.setClipRect(surface);
    QPen pen(Qt::black);
    pen.setCosmetic(true);
    pen.setWidthF(1);
    painter.setPen(pen);
    QVector<QLineF> lines;
    lines.reserve(static_cast<qsizetype>(picture.Model.size() + picture.Deformed.size()));
    for (const PlotSegment& s : picture.Model)
        lines.append(QLineF(map(s.from), map(s.to)));
    for (const PlotSegment& s : picture.Deformed)
        lines.append(QLineF(map(s.from), map(s.to)));
    painter.drawLines(lines);

    const QFontMetricsF metrics(painter.font(), painter.device());
    for (const PlotLabel& label : picture.Labels)
        painter.drawText(map(label.at) + QPointF(0, metrics.ascent()), FromBytes(label.text));
    painter.restore();
}

QImage RenderPlotImage(const PlotModel& model, int magnification, bool showGridNumbers, QSize size)
{
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double ppx = image.logicalDpiX() > 0 ? image.logicalDpiX() : 96;
    const double ppy = image.logicalDpiY() > 0 ? image.logicalDpiY() : 96;
    const WorldWindow window = WorldWindowFor(model, image.width(), image.height(), ppx, ppy);
    PaintPlot(painter, QRectF(0, 0, image.width(), image.height()),
              DrawPlot(model, magnification, showGridNumbers), window);
    return image;
}

} // namespace tavu::plot
