#include "focus/views/daytoggle.h"

#include "design/designfont.h"
#include "design/environment.h"

#include <QPainter>

namespace tavrin {

DayToggle::DayToggle(const QString& letter, QWidget* parent) : QAbstractButton(parent)
{
    setText(letter);
    setCheckable(true);
    setFont(DesignFont::system(12, QFont::DemiBold));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    new EnvironmentWatcher(this);
}

void DayToggle::paintEvent(QPaintEvent*)
{
    const TTheme t = Environment::theme(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor circle = t.muted;
    circle.setAlphaF(0.15f);
    if (isChecked())
        circle = t.accent;
    if (isDown())
        circle = circle.darker(115);
    painter.setPen(Qt::NoPen);
    painter.setBrush(circle);
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    painter.setPen(isChecked() ? QColor(Qt::white) : t.ink);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter, text());
}

} // namespace tavrin
