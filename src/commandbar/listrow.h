#pragma once

#include "design/designwidget.h"

#include <QFont>

class QPainter;

namespace tavrin {

// What the preview's rows share: an icon tile, a title over a one-line
// detail, and something at the trailing edge, with the texts giving way
// when room runs short. Not clickable.
class ListRow : public DesignWidget {
    Q_OBJECT
public:
    static constexpr qreal kTile = 26;
    static constexpr qreal kPadX = 8;
    static constexpr qreal kPadY = 7;
    static constexpr qreal kSpacing = 10;
    // At least this much room between the texts and the trailing element.
    static constexpr qreal kMinSpacer = 8;

    QSize minimumSizeHint() const override { return {0, sizeHint().height()}; }

    static QFont titleFont();
    static QFont detailFont();

protected:
    explicit ListRow(QWidget* parent = nullptr);

    // The natural size for these texts and a trailing element this wide.
    static QSize naturalSize(const QString& title, const QString& detail, qreal trailingWidth);
    // The row less its padding; the tile's place in it.
    QRectF inner() const;
    QRectF tileRect() const;
    // The title and detail between the tile and `right`, cut to fit.
    void paintTexts(QPainter& painter, qreal right, const QString& title, const QString& detail,
                    const QColor& detailColour) const;
};

} // namespace tavrin
