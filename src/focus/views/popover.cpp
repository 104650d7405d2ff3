#include "focus/views/popover.h"

#include "design/environment.h"
#include "design/openwhileactive.h"
#include "design/windowtranslucency.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace tavrin {

Popover::Popover(QWidget* content, QWidget* anchor)
    : QWidget(anchor->window(), OpenWhileActive::kFlags | Qt::NoDropShadowWindowHint),
      content_(content),
      anchor_(anchor)
{
    // Owned by the anchor's window, not the anchor: style sheets set on the
    // widgets between them would restyle the editor's fields. It takes the
    // anchor's theme instead, and goes with the anchor.
    connect(anchor, &QObject::destroyed, this, &QObject::deleteLater);
    new EnvironmentWatcher(anchor, [this] { followAnchor(); });
    followAnchor();
    setAttribute(Qt::WA_TranslucentBackground);
    OpenWhileActive::install(this);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(content_);
    WindowTranslucency::install(this);
}

QPainterPath Popover::bubble(const QSizeF& window, Edge edge, qreal arrowX)
{
    const qreal arrow = kArrowHeight;
    QRectF body(kMargin, kMargin, window.width() - 2 * kMargin, window.height() - 2 * kMargin);
    if (edge == Edge::bottom)
        body.setBottom(body.bottom() - arrow);
    else
        body.setTop(body.top() + arrow);
    QPainterPath path;
    path.addRoundedRect(body, kRadius, kRadius);
    const qreal x =
        std::clamp(arrowX, body.left() + kRadius + kArrowWidth / 2, body.right() - kRadius - kArrowWidth / 2);
    QPainterPath tip;
    if (edge == Edge::bottom) {
        tip.moveTo(x - kArrowWidth / 2, body.bottom() - 1);
        tip.lineTo(x, body.bottom() + arrow);
        tip.lineTo(x + kArrowWidth / 2, body.bottom() - 1);
    } else {
        tip.moveTo(x - kArrowWidth / 2, body.top() + 1);
        tip.lineTo(x, body.top() - arrow);
        tip.lineTo(x + kArrowWidth / 2, body.top() + 1);
    }
    tip.closeSubpath();
    return path.united(tip);
}

void Popover::followAnchor()
{
    if (!anchor_)
        return;
    Environment::setTheme(this, Environment::theme(anchor_));
    Environment::setColorScheme(this, Environment::colorScheme(anchor_));
}

void Popover::open()
{
    // The anchor may have moved into another window since the popover was
    // made (a view is built before it is placed).
    if (anchor_ && parentWidget() != anchor_->window())
        setParent(anchor_->window(), windowFlags());
    followAnchor();
    place();
    OpenWhileActive::open(this);
}

void Popover::place()
{
    if (!anchor_)
        return;
    // The margins make room for the arrow on the side it points from.
    const int arrow = int(kArrowHeight);
    const QRect anchorRect(anchor_->mapToGlobal(QPoint(0, 0)), anchor_->size());
    const QScreen* screen = anchor_->screen() ? anchor_->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    layout()->setContentsMargins(kMargin, kMargin + arrow, kMargin, kMargin + arrow);
    layout()->activate();
    const QSize size = sizeHint();
    const bool roomAbove = area.isNull() || anchorRect.top() - size.height() + kMargin >= area.top();
    edge_ = roomAbove ? Edge::bottom : Edge::top;
    if (edge_ == Edge::bottom)
        layout()->setContentsMargins(kMargin, kMargin, kMargin, kMargin + arrow);
    else
        layout()->setContentsMargins(kMargin, kMargin + arrow, kMargin, kMargin);
    layout()->activate();
    resize(sizeHint());
    int x = anchorRect.center().x() - width() / 2;
    if (!area.isNull())
        x = std::clamp(x, area.left(), std::max(area.left(), area.right() - width()));
    const int y = edge_ == Edge::bottom ? anchorRect.top() - height() + kMargin : anchorRect.bottom() - kMargin;
    move(x, y);
    arrowX_ = anchorRect.center().x() - x;
    update();
}

void Popover::paintEvent(QPaintEvent*)
{
    const TTheme t = Environment::theme(this);
    const bool dark = Environment::colorScheme(this) == ColorScheme::dark;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath shape = bubble(size(), edge_, arrowX_);
    // A soft shadow where the window blends with what is behind it.
    if (Environment::translucentWindow(this))
        for (int i = 1; i <= 4; ++i) {
            QPainterPathStroker stroker;
            stroker.setWidth(i * 3);
            painter.fillPath(stroker.createStroke(shape).united(shape).translated(0, 2),
                             QColor(0, 0, 0, dark ? 22 : 10));
        }
    QColor fill = dark ? t.winTB : t.winBG;
    fill.setAlpha(255);
    painter.fillPath(shape, fill);
    painter.setPen(QPen(dark ? t.line : t.winLine, 1));
    painter.drawPath(shape);
}

void Popover::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    emit closed();
}

} // namespace tavrin
