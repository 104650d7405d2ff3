#include "design/wallpaper.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace tavrin {

Wallpaper::Wallpaper(QWidget* parent) : DesignWidget(parent) {}

Wallpaper::Colours Wallpaper::colours(ColorScheme scheme)
{
    if (scheme == ColorScheme::dark)
        return {QColor(21, 24, 28),
                QColor(16, 18, 22),
                {{{0.12, 0.18}, 260, QColor(29, 58, 52)},
                 {{0.88, 0.08}, 240, QColor(59, 46, 34)},
                 {{0.72, 0.96}, 260, QColor(31, 44, 70)}}};
    return {QColor(223, 228, 230),
            QColor(214, 219, 225),
            {{{0.12, 0.18}, 260, QColor(196, 214, 204)},
             {{0.88, 0.08}, 240, QColor(234, 216, 192)},
             {{0.72, 0.96}, 260, QColor(182, 197, 217)}}};
}

void Wallpaper::paint(QPainter& painter, const QRectF& rect, ColorScheme scheme)
{
    if (rect.isEmpty())
        return;
    const Colours c = colours(scheme);
    QLinearGradient base(rect.topLeft(), rect.bottomRight());
    base.setColorAt(0, c.from);
    base.setColorAt(1, c.to);
    painter.fillRect(rect, base);
    for (const Glow& g : c.glows) {
        const QPointF centre(rect.left() + g.centre.x() * rect.width(), rect.top() + g.centre.y() * rect.height());
        QRadialGradient glow(centre, g.radius);
        QColor clear = g.colour;
        clear.setAlpha(0); // fades to the same colour, not through black
        glow.setColorAt(0, g.colour);
        glow.setColorAt(1, clear);
        painter.fillRect(rect, glow);
    }
}

void Wallpaper::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(painter, rect(), scheme());
}

} // namespace tavrin
