#pragma once

#include <QIcon>
#include <QRectF>

class QPainter;

namespace tavrin {

// The image the tray shows for the program: the "MenuBarIcon" image of the
// program's resources at 21 by 16 points when there is one, else an 18 by 18
// point drawing of the product mark, redrawn at whatever scale the tray
// asks for. Both are masks (template images): black shapes on clear, for the
// desktop to recolour.
class MenuBarIcon {
public:
    static constexpr QSize kResourceSize{21, 16};
    static constexpr QSize kDrawnSize{18, 18};

    // Made on first use and kept.
    static const QIcon& icon();

    // Builds the icon from the resource at `resourcePath`, or the drawn mark
    // when there is no such image.
    static QIcon make(const QString& resourcePath);

    // Draws the mark into `bounds` (an 18-point square) with `painter`;
    // false, drawing nothing, when there is no painter to draw with.
    static bool drawMark(QPainter* painter, const QRectF& bounds);
};

} // namespace tavrin
