#include "focus/views/calendartoggle.h"

#include "design/designfont.h"
#include "design/environment.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace tavrin {

namespace {
constexpr qreal kBox = 14;
constexpr qreal kDot = 8;
constexpr qreal kGap = 6;
const QFont& titleFont()
{
    static const QFont font = DesignFont::system(12.5);
    return font;
}
const QFont& accountFont()
{
    static const QFont font = DesignFont::system(11.5);
    return font;
}
} // namespace

CalendarToggle::CalendarToggle(const CalendarInfo& calendar, QWidget* parent)
    : QAbstractButton(parent),
      calendar_(calendar)
{
    setCheckable(true);
    setText(calendar.title);
    setAccessibleName(calendar.title);
    setFocusPolicy(Qt::TabFocus);
    new EnvironmentWatcher(this);
}

QSize CalendarToggle::sizeHint() const
{
    const qreal width = kBox + kGap + kDot + kGap + QFontMetricsF(titleFont()).horizontalAdvance(calendar_.title) + kGap
                        + QFontMetricsF(accountFont()).horizontalAdvance(calendar_.accountTitle);
    return {int(std::ceil(width)), int(std::ceil(std::max(kBox, QFontMetricsF(titleFont()).height())))};
}

void CalendarToggle::paintEvent(QPaintEvent*)
{
    const TTheme t = Environment::theme(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal mid = height() / 2.0;
    const QRectF box(0.5, mid - kBox / 2, kBox - 1, kBox - 1);
    QPainterPath rounded;
    rounded.addRoundedRect(box, 3.5, 3.5);
    if (isChecked()) {
        painter.fillPath(rounded, t.accent);
        painter.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath tick;
        tick.moveTo(box.left() + 3.2, box.center().y() + 0.2);
        tick.lineTo(box.left() + 5.8, box.bottom() - 3.4);
        tick.lineTo(box.right() - 3, box.top() + 3.4);
        painter.drawPath(tick);
    } else {
        painter.fillPath(rounded, t.winBG);
        painter.setPen(QPen(t.muted, 1));
        painter.drawPath(rounded);
    }
    qreal x = kBox + kGap;
    painter.setPen(Qt::NoPen);
    painter.setBrush(calendar_.colour);
    painter.drawEllipse(QRectF(x, mid - kDot / 2, kDot, kDot));
    x += kDot + kGap;
    painter.setFont(titleFont());
    painter.setPen(t.ink);
    const qreal titleWidth = QFontMetricsF(titleFont()).horizontalAdvance(calendar_.title);
    painter.drawText(QRectF(x, 0, titleWidth + 1, height()), Qt::AlignLeft | Qt::AlignVCenter, calendar_.title);
    x += titleWidth + kGap;
    painter.setFont(accountFont());
    painter.setPen(t.muted);
    painter.drawText(QRectF(x, 0, width() - x, height()), Qt::AlignLeft | Qt::AlignVCenter, calendar_.accountTitle);
}

} // namespace tavrin
