#include "snapping/keydisplay.h"

#include "design/frames.h"
#include "design/squircle.h"
#include "snapping/hudmetrics.h"

#include <QPainter>

namespace tavrin {

namespace {
Spring spring() { return Spring(KeyDisplay::kSpringResponse, KeyDisplay::kSpringDamping); }
} // namespace

KeyDisplay::KeyDisplay(bool dim, QWidget* parent)
    : DesignWidget(parent),
      dim_(dim),
      springs_{spring(), spring(), spring(), spring()},
      frames_(new Frames(this, [this] { frame(); }))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void KeyDisplay::setUnit(const std::optional<UnitRect>& unit)
{
    if (unit == unit_)
        return;
    const bool glide = unit && unit_ && isVisible() && frames_->start();
    const double now = Frames::now();
    unit_ = unit;
    if (unit) {
        const double to[4] = {unit->x, unit->y, unit->w, unit->h};
        for (std::size_t i = 0; i < springs_.size(); ++i) {
            if (glide)
                springs_[i].animate(to[i], now);
            else
                springs_[i].jump(to[i]);
        }
    }
    if (!glide)
        frames_->stop();
    update();
}

UnitRect KeyDisplay::shownUnit(double now) const
{
    return {springs_[0].value(now), springs_[1].value(now), springs_[2].value(now), springs_[3].value(now)};
}

std::optional<QRectF> KeyDisplay::drawnZone() const
{
    if (!unit_)
        return std::nullopt;
    return zoneRect(shownUnit(Frames::now()), QSizeF(size()));
}

QRectF KeyDisplay::zoneRect(const UnitRect& unit, const QSizeF& size) { return hud::zoneIn(unit, size, kZoneInset); }

void KeyDisplay::frame()
{
    const double now = Frames::now();
    bool moving = false;
    for (const Spring& s : springs_)
        moving = moving || s.running(now);
    if (!moving || !isVisible())
        frames_->stop();
    update();
}

void KeyDisplay::paintEvent(QPaintEvent*)
{
    const TTheme theme = t();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(QPointF(0, 0), QSizeF(size()));
    // The screen is as dark in both schemes.
    Squircle::fill(painter, bounds, kRadius, QColor(0, 0, 0, qRound(0.22 * 255)));
    Squircle::hairline(painter, bounds, kRadius, theme.line);
    if (const auto zone = drawnZone()) {
        QColor fill = theme.accent;
        if (dim_)
            fill.setAlphaF(0.45f);
        Squircle::fill(painter, *zone, kZoneRadius, fill);
    }
}

} // namespace tavrin
