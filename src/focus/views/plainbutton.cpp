#include "focus/views/plainbutton.h"

#include "design/environment.h"

#include <QPainter>
#include <cmath>

namespace tavrin {

PlainButton::PlainButton(const QString& text, TTheme::Colour colour, const QFont& font, QWidget* parent)
    : QAbstractButton(parent),
      colour_(colour)
{
    setText(text);
    setFont(font);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    new EnvironmentWatcher(this);
}

void PlainButton::setFixedTextWidth(int width)
{
    width_ = width;
    updateGeometry();
}

QSize PlainButton::sizeHint() const
{
    const QFontMetricsF metrics(font());
    const int w = width_ > 0 ? width_ : int(std::ceil(metrics.horizontalAdvance(text())));
    const QMargins m = contentsMargins();
    return {w + m.left() + m.right(), int(std::ceil(metrics.height())) + m.top() + m.bottom()};
}

void PlainButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QColor c = Environment::theme(this).colour(colour_);
    if (isDown() || !isEnabled())
        c.setAlphaF(c.alphaF() * (isEnabled() ? 0.6f : 0.4f));
    painter.setPen(c);
    painter.setFont(font());
    painter.drawText(contentsRect(),
                     int(width_ > 0 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter) | Qt::TextSingleLine, text());
}

} // namespace tavrin
