#include "plot/PlotRenderer.h"

#include "plot/QtText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QVector>
#include <algorithm>

namespace tavu::plot {

namespace {

QColor ColourOf(const Rgb& c)
{
    return QColor(c.r, c.g, c.b);
}

} // namespace

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
    auto polygon = [&](const std::vector<PlotPoint>& points) {
        QPolygonF out;
        out.reserve(static_cast<qsizetype>(points.size()));
        for (const PlotPoint& p : points)
            out.append(map(p));
        return out;
    };
    auto pen = [](const Rgb& colour, double width) {
        QPen p(ColourOf(colour));
        p.setCosmetic(true);
        p.setWidthF(width);
        p.setJoinStyle(Qt::RoundJoin);
        return p;
    };

    painter.setClipRect(surface);
    // Fills without smoothing, each outlined in its colour: no seams between the pieces.
    const bool smooth = painter.testRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const PlotFill& f : picture.Fills) {
        painter.setPen(pen(f.colour, 1));
        painter.setBrush(ColourOf(f.colour));
        painter.drawPolygon(polygon(f.polygon));
    }
    painter.setRenderHint(QPainter::Antialiasing, smooth);
    painter.setBrush(Qt::NoBrush);
    for (const auto& [segments, colour] : {std::pair{&picture.Model, picture.ModelColour},
                                           std::pair{&picture.Deformed, picture.DeformedColour}}) {
        QVector<QLineF> lines;
        lines.reserve(static_cast<qsizetype>(segments->size()));
        for (const PlotSegment& s : *segments)
            lines.append(QLineF(map(s.from), map(s.to)));
        painter.setPen(pen(colour, segments == &picture.Deformed ? 1.5 : 1));
        painter.drawLines(lines);
    }
    for (const PlotStroke& s : picture.Strokes) {
        painter.setPen(pen(s.colour, s.width));
        painter.drawPolyline(polygon(s.points));
    }

    const QFontMetricsF metrics(painter.font(), painter.device());
    for (const auto* labels : {&picture.Labels, &picture.ValueLabels})
        for (const PlotLabel& label : *labels) {
            // A text that would run off the right edge ends there.
            const QString text = FromBytes(label.text);
            QPointF at = map(label.at);
            at.setX(std::min(at.x(), surface.right() - metrics.horizontalAdvance(text) - 2));
            painter.setPen(ColourOf(label.colour));
            painter.drawText(at + QPointF(0, metrics.ascent()), text);
        }

    // The legend and the colour bar stay in place whatever the zoom.
    painter.setPen(Qt::black);
    double y = surface.top() + 4 + metrics.ascent();
    for (const std::string& line : picture.Legend) {
        painter.drawText(QPointF(surface.left() + 6, y), FromBytes(line));
        y += metrics.height();
    }
    const ColourBarLayout bar = LayOutColourBar(picture.Bar, surface.width(), surface.height());
    for (const BarCell& c : bar.cells)
        painter.fillRect(QRectF(surface.left() + c.x, surface.top() + c.y, c.width, c.height),
                         ColourOf(c.colour));
    for (const BarText& t : bar.texts) {
        const QString text = FromBytes(t.text);
        painter.drawText(QPointF(surface.left() + t.x - metrics.horizontalAdvance(text),
                                 surface.top() + t.y + metrics.ascent()),
                         text);
    }
    painter.restore();
}

void PaintView(QPainter& painter, const QRectF& surface, const PlotModel& model,
               PlotOptions options, const WorldWindow& window)
{
    options.symbolSize = SymbolSizeFor(window, surface.width());
    PaintPlot(painter, surface, DrawPlot(model, options), window);
}

QImage RenderPlotImage(const PlotPicture& picture, const WorldWindow& window, QSize size)
{
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintPlot(painter, QRectF(0, 0, image.width(), image.height()), picture, window);
    return image;
}

} // namespace tavu::plot
