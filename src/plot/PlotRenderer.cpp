#include "plot/PlotRenderer.h"

#include "plot/QtText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QVector>

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
    for (const PlotFill& f : picture.Fills) {
        // The outline in the fill's colour closes the hairline gaps between pieces.
        painter.setPen(pen(f.colour, 0.8));
        painter.setBrush(ColourOf(f.colour));
        painter.drawPolygon(polygon(f.polygon));
    }
    painter.setBrush(Qt::NoBrush);
    for (const auto& [segments, colour] :
         {std::pair{&picture.Model, picture.ModelColour},
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
            painter.setPen(ColourOf(label.colour));
            painter.drawText(map(label.at) + QPointF(0, metrics.ascent()), FromBytes(label.text));
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

QImage RenderPlotImage(const PlotModel& model, const PlotOptions& options, QSize size)
{
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double ppx = image.logicalDpiX() > 0 ? image.logicalDpiX() : 96;
    const double ppy = image.logicalDpiY() > 0 ? image.logicalDpiY() : 96;
    const WorldWindow window = WorldWindowFor(model, image.width(), image.height(), ppx, ppy);
    PaintView(painter, QRectF(0, 0, image.width(), image.height()), model, options, window);
    return image;
}

} // namespace tavu::plot
