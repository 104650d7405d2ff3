#include "design/tbutton.h"

#include "design/squircle.h"

#include <QPainter>
#include <cmath>

namespace tavrin {

TButton::TButton(const QString& text, TButtonStyle::Kind kind, QWidget* parent) : QAbstractButton(parent), style_(kind)
{
    setText(text);
    setFont(style_.font());
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::TabFocus);
    new EnvironmentWatcher(this);
}

void TButton::setKind(TButtonStyle::Kind kind)
{
    style_ = TButtonStyle(kind);
    updateGeometry();
    update();
}

QSize TButton::sizeHint() const
{
    const QSizeF s = style_.size(text(), !icon().isNull());
    return {int(std::ceil(s.width())), int(std::ceil(s.height()))};
}

void TButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    style_.paint(painter, rect(), text(), icon(), Environment::theme(this), isDown());
}

bool TButton::hitButton(const QPoint& pos) const
{
    return Squircle::path(rect(), TButtonStyle::kRadius).contains(QPointF(pos) + QPointF(0.5, 0.5));
}

} // namespace tavrin
