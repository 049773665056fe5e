#include "app/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tavu::app {

namespace {

QPixmap Draw(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    // A portal frame: two columns and a beam, the deformed shape in red.
    p.setPen(QPen(QColor(0, 0, 128), 3));
    p.drawLine(6, 28, 6, 8);
    p.drawLine(26, 28, 26, 8);
    p.drawLine(6, 8, 26, 8);
    p.setPen(QPen(QColor(220, 0, 0), 2));
    QPainterPath bent;
    bent.moveTo(6, 28);
    bent.cubicTo(6, 18, 9, 12, 10, 5);
    bent.cubicTo(16, 3, 24, 7, 30, 5);
    bent.cubicTo(29, 12, 26, 18, 26, 28);
    p.drawPath(bent);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(80, 80, 80));
    p.drawRect(2, 28, 8, 3);
    p.drawRect(22, 28, 8, 3);
    return pm;
}

} // namespace

QIcon AppIcon()
{
    QIcon icon;
    icon.addPixmap(Draw(16));
    icon.addPixmap(Draw(32));
    return icon;
}

} // namespace tavu::app
