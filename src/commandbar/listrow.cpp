#include "commandbar/listrow.h"

#include "design/designfont.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace tavrin {

ListRow::ListRow(QWidget* parent) : DesignWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QFont ListRow::titleFont() { return DesignFont::system(13.5, QFont::Medium); }
QFont ListRow::detailFont() { return DesignFont::system(12); }

QSize ListRow::naturalSize(const QString& title, const QString& detail, qreal trailingWidth)
{
    const QFontMetricsF tm(titleFont()), dm(detailFont());
    const qreal texts = std::max(tm.horizontalAdvance(title), dm.horizontalAdvance(detail));
    const qreal height = std::max(kTile, tm.height() + 1 + dm.height()) + 2 * kPadY;
    return {int(std::ceil(2 * kPadX + kTile + kSpacing + texts + kMinSpacer + trailingWidth)), int(std::ceil(height))};
}

QRectF ListRow::inner() const { return QRectF(rect()).adjusted(kPadX, kPadY, -kPadX, -kPadY); }

QRectF ListRow::tileRect() const
{
    const QRectF in = inner();
    return {in.left(), in.center().y() - kTile / 2, kTile, kTile};
}

void ListRow::paintTexts(QPainter& painter, qreal right, const QString& title, const QString& detail,
                         const QColor& detailColour) const
{
    const QRectF in = inner();
    const qreal left = tileRect().right() + kSpacing;
    const qreal width = std::max<qreal>(0, right - kMinSpacer - left);
    const QFontMetricsF tm(titleFont()), dm(detailFont());
    const qreal top = in.center().y() - (tm.height() + 1 + dm.height()) / 2;
    painter.setFont(titleFont());
    painter.setPen(t().ink);
    painter.drawText(QRectF(left, top, width, tm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     tm.elidedText(title, Qt::ElideRight, width));
    painter.setFont(detailFont());
    painter.setPen(detailColour);
    painter.drawText(QRectF(left, top + tm.height() + 1, width, dm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     dm.elidedText(detail, Qt::ElideRight, width));
}

} // namespace tavrin
