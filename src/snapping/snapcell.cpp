#include "snapping/snapcell.h"

#include "design/colourmix.h"
#include "design/designfont.h"
#include "design/environment.h"
#include "design/frames.h"
#include "design/squircle.h"
#include "snapping/hudmetrics.h"
#include "windows/shortcutstore.h"

#include <QEnterEvent>
#include <QFontMetricsF>
#include <QPainter>

namespace tavrin {

namespace {
QColor faded(QColor c, qreal alpha)
{
    c.setAlphaF(float(c.alphaF() * alpha));
    return c;
}
} // namespace

SnapCell::SnapCell(SnapTarget target, ShortcutStore& shortcuts, QWidget* parent)
    : QAbstractButton(parent),
      target_(target),
      shortcuts_(shortcuts),
      frames_(new Frames(this, [this] { frame(); }))
{
    setObjectName(QStringLiteral("cell.") + name(target));
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setMinimumWidth(10);
    new EnvironmentWatcher(this);
    updateAccessibleName();
}

void SnapCell::setAspect(double aspect)
{
    if (aspect == aspect_)
        return;
    aspect_ = aspect;
    updateAccessibleName();
    update();
}

void SnapCell::setOn(bool on)
{
    if (on == on_)
        return;
    on_ = on;
    litChanged();
}

void SnapCell::enterEvent(QEnterEvent* event)
{
    hover_ = true;
    litChanged();
    QAbstractButton::enterEvent(event);
}

void SnapCell::leaveEvent(QEvent* event)
{
    hover_ = false;
    litChanged();
    QAbstractButton::leaveEvent(event);
}

void SnapCell::litChanged()
{
    const double now = Frames::now();
    const bool animate = isVisible() && frames_->start();
    lit_.animate(isLit() ? 1 : 0, animate ? kLitSeconds : 0, Tween::Curve::easeOut, now);
    if (!animate)
        frames_->stop();
    update();
}

void SnapCell::frame()
{
    if (!lit_.running(Frames::now()) || !isVisible())
        frames_->stop();
    update();
}

void SnapCell::updateAccessibleName()
{
    setAccessibleName(label(target_, aspect_) + QStringLiteral(", ") + letter(target_));
}

QString SnapCell::chipText() const
{
    const auto combo = shortcuts_.combo(ShortcutAction::snap(target_));
    return combo ? combo->key : QStringLiteral("–");
}

QChar SnapCell::letter(SnapTarget target)
{
    static const char kLetters[] = "QWEASDZXC";
    return QLatin1Char(kLetters[static_cast<int>(target)]);
}

QRectF SnapCell::zoneRect(SnapTarget target, double aspect, const QSizeF& size)
{
    return hud::zoneIn(tavrin::rect(target, aspect), size, kZoneInset);
}

void SnapCell::paintEvent(QPaintEvent*)
{
    const double now = Frames::now();
    const qreal lit = lit_.value(now);
    const TTheme t = Environment::theme(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(QPointF(0, 0), QSizeF(size()));

    Squircle::fill(painter, bounds, kRadius, mixColours(t.fill, faded(t.accent, 0.14), lit));
    Squircle::hairline(painter, bounds, kRadius, mixColours(t.line, faded(t.accent, 0.5), lit));
    Squircle::fill(painter, zoneRect(target_, aspect_, bounds.size()), kZoneRadius,
                   mixColours(faded(t.ink, 0.3), t.accent, lit));

    // The binding chip in the bottom right corner.
    const QFont font = DesignFont::system(kChipFontSize);
    const QFontMetricsF metrics(font);
    const QString chip = chipText();
    const QSizeF chipSize(metrics.horizontalAdvance(chip) + 2 * kChipPadding, metrics.height());
    const QRectF chipRect(
        QPointF(bounds.right() - kChipRight - chipSize.width(), bounds.bottom() - kChipBottom - chipSize.height()),
        chipSize);
    Squircle::fill(painter, chipRect, kChipRadius, t.fillHover);
    Squircle::hairline(painter, chipRect, kChipRadius, t.line);
    painter.setFont(font);
    painter.setPen(t.muted);
    painter.drawText(chipRect, Qt::AlignCenter | Qt::TextSingleLine, chip);
}

} // namespace tavrin
