#include "commandbar/clearrow.h"

#include "design/appicons.h"
#include "design/apptile.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPainterPath>

namespace tavrin {

namespace {
constexpr qreal kSymbol = 13;
} // namespace

ClearRow::ClearRow(const PlannedClear& clear, QWidget* parent) : ListRow(parent), clear_(clear)
{
    setAccessibleName(clear.app + QStringLiteral(", ") + detail());
}

QString ClearRow::detail() const
{
    // A hidden window shows its title first, as a kept window's row does. A
    // quit ends the whole application, and its warning keeps the room.
    QString what = explanation(clear_.action);
    if (clear_.action == ClearAction::quit || clear_.title.isEmpty())
        return what;
    return clear_.title + QStringLiteral(" · ") + what;
}

QString ClearRow::explanation(ClearAction action)
{
    return action == ClearAction::quit
               ? QCoreApplication::translate("ClearRow", "Quits · it asks about anything unsaved · Undo reopens it")
               : QCoreApplication::translate("ClearRow", "Hides · Undo shows it again");
}

QSize ClearRow::sizeHint() const { return naturalSize(clear_.app, detail(), kSymbol); }

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
    painter.save();
    painter.setOpacity(0.6);
    AppTile::paint(painter, tileRect(), clear_.app, AppIcons::shared().lookup(clear_.app));
    painter.restore();

    const QRectF in = inner();
    const QRectF symbol(in.right() - kSymbol, in.center().y() - kSymbol / 2, kSymbol, kSymbol);
    paintSymbol(painter, symbol, clear_.action, theme.muted);
    paintTexts(painter, symbol.left(), clear_.app, detail(),
               clear_.action == ClearAction::quit ? amber() : theme.muted);
}

} // namespace tavrin
