#include "gui/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

QPixmap Draw(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    // Rounded tile.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x5f, 0x9f));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    // Signal arcs above the antenna.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xff, 0xd2, 0x4a), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(14, 6, 36, 36), 45 * 16, 90 * 16);
    p.drawArc(QRectF(22, 14, 20, 20), 45 * 16, 90 * 16);
    // The antenna dome and the pole.
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    QPainterPath dome;
    dome.moveTo(18, 38);
    dome.cubicTo(18, 26, 46, 26, 46, 38);
    dome.closeSubpath();
    p.drawPath(dome);
    p.drawRect(QRectF(16, 38, 32, 5));
    p.drawRect(QRectF(30, 43, 4, 17));
    return pixmap;
}

} // namespace

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(Draw(size));
    return icon;
}
