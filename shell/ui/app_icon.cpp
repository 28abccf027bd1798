#include "shell/ui/app_icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace shell::ui {

QPixmap AppIconPixmap(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QLinearGradient g(0, 0, 0, s);
    g.setColorAt(0, QColor(0x2e, 0x8b, 0x57));
    g.setColorAt(1, QColor(0x10, 0x4e, 0x2c));
    p.setPen(QPen(QColor(0x0b, 0x3a, 0x20), s / 32));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(s * 0.04, s * 0.04, s * 0.92, s * 0.92), s * 0.18, s * 0.18);
    // Two arrows passing each other: money going out and coming back.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xd7, 0x00));
    QPainterPath right;
    right.moveTo(s * 0.18, s * 0.32);
    right.lineTo(s * 0.60, s * 0.32);
    right.lineTo(s * 0.60, s * 0.20);
    right.lineTo(s * 0.84, s * 0.40);
    right.lineTo(s * 0.60, s * 0.60);
    right.lineTo(s * 0.60, s * 0.48);
    right.lineTo(s * 0.18, s * 0.48);
    right.closeSubpath();
    p.drawPath(right);
    p.setBrush(Qt::white);
    QPainterPath left;
    left.moveTo(s * 0.82, s * 0.60);
    left.lineTo(s * 0.40, s * 0.60);
    left.lineTo(s * 0.40, s * 0.50);
    left.lineTo(s * 0.16, s * 0.68);
    left.lineTo(s * 0.40, s * 0.86);
    left.lineTo(s * 0.40, s * 0.76);
    left.lineTo(s * 0.82, s * 0.76);
    left.closeSubpath();
    p.drawPath(left);
    return pm;
}

QIcon AppIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addPixmap(AppIconPixmap(size));
    return icon;
}

} // namespace shell::ui
