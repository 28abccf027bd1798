#include "shell/ui/app_icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace shell::ui {
namespace {

// The two arrows' corners, x and y in turn, as fractions of the icon's side.
constexpr qreal kArrows[2][14] = {
    {0.18, 0.32, 0.60, 0.32, 0.60, 0.20, 0.84, 0.40, 0.60, 0.60, 0.60, 0.48, 0.18, 0.48},
    {0.82, 0.60, 0.40, 0.60, 0.40, 0.50, 0.16, 0.68, 0.40, 0.86, 0.40, 0.76, 0.82, 0.76}};

// A closed outline through the corners, scaled to `side`.
QPainterPath arrow(qreal side, const qreal (&corners)[14])
{
    QPainterPath path(QPointF(side * corners[0], side * corners[1]));
    for (int i = 2; i < 14; i += 2)
        path.lineTo(side * corners[i], side * corners[i + 1]);
    path.closeSubpath();
    return path;
}

} // namespace

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
    const QColor colours[] = {QColor(0xff, 0xd7, 0x00), Qt::white};
    for (int i = 0; i < 2; ++i) {
        p.setBrush(colours[i]);
        p.drawPath(arrow(s, kArrows[i]));
    }
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
