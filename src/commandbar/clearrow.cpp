#include "commandbar/clearrow.h"

#include "design/appicons.h"
#include "design/apptile.h"
#include "design/designfont.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace tavrin {

namespace {
constexpr qreal kTile = 26;
constexpr qreal kPadX = 8;
constexpr qreal kPadY = 7;
constexpr qreal kSpacing = 10;
constexpr qreal kSymbol = 13;

QFont titleFont() { return DesignFont::system(13.5, QFont::Medium); }
QFont detailFont() { return DesignFont::system(12); }
} // namespace

ClearRow::ClearRow(const PlannedClear& clear, QWidget* parent) : DesignWidget(parent), clear_(clear)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(clear.app + QStringLiteral(", ") + explanation(clear.action));
}

QString ClearRow::explanation(ClearAction action)
{
    return action == ClearAction::quit
        ? QCoreApplication::translate("ClearRow", "Quits · it asks about anything unsaved · Undo reopens it")
        : QCoreApplication::translate("ClearRow", "Hides · Undo shows it again");
}

QSize ClearRow::sizeHint() const
{
    const qreal texts = QFontMetricsF(titleFont()).height() + 1 + QFontMetricsF(detailFont()).height();
    const qreal width = std::max(QFontMetricsF(titleFont()).horizontalAdvance(clear_.app),
                                 QFontMetricsF(detailFont()).horizontalAdvance(explanation(clear_.action)));
    return {int(std::ceil(2 * kPadX + kTile + kSpacing + width + 8 + kSymbol)),
            int(std::ceil(std::max(kTile, texts) + 2 * kPadY))};
}

QSize ClearRow::minimumSizeHint() const { return {0, sizeHint().height()}; }

void ClearRow::paintSymbol(QPainter& painter, const QRectF& box, ClearAction action, const QColor& colour)
{
    painter.save();
    QPen pen(colour, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const QPointF c = box.center();
    const qreal r = box.width() / 2 - 0.8;
    if (action == ClearAction::quit) {
        painter.drawEllipse(c, r, r);
        const qreal d = r * 0.42;
        painter.drawLine(c + QPointF(-d, -d), c + QPointF(d, d));
        painter.drawLine(c + QPointF(-d, d), c + QPointF(d, -d));
    } else {
        QPainterPath eye;
        eye.moveTo(c.x() - r, c.y());
        eye.quadTo(c.x(), c.y() - r * 1.25, c.x() + r, c.y());
        eye.quadTo(c.x(), c.y() + r * 1.25, c.x() - r, c.y());
        painter.drawPath(eye);
        painter.drawEllipse(c, r * 0.3, r * 0.3);
        painter.drawLine(c + QPointF(-r * 0.8, -r * 0.8), c + QPointF(r * 0.8, r * 0.8));
    }
    painter.restore();
}

void ClearRow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const TTheme theme = t();
    const QRectF inner = QRectF(rect()).adjusted(kPadX, kPadY, -kPadX, -kPadY);
    const QRectF tile(inner.left(), inner.center().y() - kTile / 2, kTile, kTile);
    painter.save();
    painter.setOpacity(0.6);
    AppTile::paint(painter, tile, clear_.app, AppIcons::shared().lookup(clear_.app));
    painter.restore();

    const QRectF symbol(inner.right() - kSymbol, inner.center().y() - kSymbol / 2, kSymbol, kSymbol);
    paintSymbol(painter, symbol, clear_.action, theme.muted);

    const qreal textLeft = tile.right() + kSpacing;
    const qreal textWidth = std::max<qreal>(0, symbol.left() - 8 - textLeft);
    const QFontMetricsF tm(titleFont()), dm(detailFont());
    const qreal top = inner.center().y() - (tm.height() + 1 + dm.height()) / 2;
    painter.setFont(titleFont());
    painter.setPen(theme.ink);
    painter.drawText(QRectF(textLeft, top, textWidth, tm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     tm.elidedText(clear_.app, Qt::ElideRight, textWidth));
    painter.setFont(detailFont());
    painter.setPen(clear_.action == ClearAction::quit ? amber() : theme.muted);
    painter.drawText(QRectF(textLeft, top + tm.height() + 1, textWidth, dm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     dm.elidedText(explanation(clear_.action), Qt::ElideRight, textWidth));
}

} // namespace tavrin
