#pragma once

#include "design/designwidget.h"

class QPainter;

namespace tavrin {

// The soft backdrop of display previews: a diagonal gradient with three
// coloured glows, in light or dark colours by the colour scheme.
class Wallpaper : public DesignWidget {
    Q_OBJECT
public:
    explicit Wallpaper(QWidget* parent = nullptr);

    struct Glow {
        QPointF centre; // unit point of the backdrop
        qreal radius;   // points, whatever the backdrop's size
        QColor colour;
    };
    struct Colours {
        QColor from;
        QColor to;
        Glow glows[3];
    };

    static Colours colours(ColorScheme scheme);
    static void paint(QPainter& painter, const QRectF& rect, ColorScheme scheme);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace tavrin
