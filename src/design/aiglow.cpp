#include "design/aiglow.h"

#include "design/squircle.h"
#include "platform/clock.h"

#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <cmath>

namespace tavrin {

AIGlow::AIGlow(Intensity intensity, qreal cornerRadius, QWidget* content, QWidget* parent)
    : Surface(parent),
      intensity_(intensity),
      turning_(intensity == Intensity::off ? Intensity::idle : intensity),
      cornerRadius_(cornerRadius),
      presence_(intensity == Intensity::off ? 0 : 1),
      halo_(haloOpacity(turning_)),
      frames_(new Frames(this, [this] { frame(); }))
{
    if (content)
        setContent(content);
}

double AIGlow::period(Intensity intensity) { return intensity == Intensity::working ? 2.4 : 6.0; }

qreal AIGlow::haloOpacity(Intensity intensity)
{
    switch (intensity) {
    case Intensity::off: return 0;
    case Intensity::idle: return 0.35;
    case Intensity::working: return 0.5;
    }
    return 0;
}

qreal AIGlow::angle(double date, Intensity intensity, bool reduceMotion)
{
    if (reduceMotion || !std::isfinite(date))
        return 0;
    const double p = period(intensity);
    double phase = std::fmod(date, p);
    if (phase < 0)
        phase += p;
    return phase / p * 360.0 * 0.017453292519943295;
}

// Fades run with reduce motion too: only the turning stops.
bool AIGlow::canAnimate() const { return Environment::clock() && isVisible(); }

void AIGlow::setIntensity(Intensity intensity)
{
    if (intensity == intensity_)
        return;
    intensity_ = intensity;
    if (intensity != Intensity::off)
        turning_ = intensity;
    const double duration = canAnimate() ? kFadeDuration : 0;
    const double now = Frames::now();
    presence_.animate(intensity == Intensity::off ? 0 : 1, duration, Tween::Curve::easeInOut, now);
    halo_.animate(haloOpacity(turning_), duration, Tween::Curve::easeInOut, now);
    refreshFrames();
    update();
    emit intensityChanged(intensity);
}

void AIGlow::setCornerRadius(qreal radius)
{
    cornerRadius_ = radius;
    update();
}

bool AIGlow::isAnimating() const { return frames_->isRunning(); }

void AIGlow::refreshFrames()
{
    const double now = Frames::now();
    const bool fading = presence_.running(now) || halo_.running(now);
    const bool turning = intensity_ != Intensity::off && !Environment::reduceMotion();
    const bool run = Environment::clock() && isVisible() && (fading || turning);
    if (!run) {
        frames_->stop();
        // Whatever was fading ends where it was going.
        presence_.jump(presence_.target());
        halo_.jump(halo_.target());
        return;
    }
    frames_->setInterval(!fading && intensity_ == Intensity::idle ? kIdleFrameInterval : Frames::kInterval);
    frames_->start();
}

void AIGlow::frame()
{
    update(frameRegion());
    const double now = Frames::now();
    if (!presence_.running(now) && !halo_.running(now))
        refreshFrames();
}

QList<QRectF> AIGlow::coveredRects() const
{
    if (!coversShapeOpaquely())
        return {};
    // Two rectangles that lie wholly inside the rounded shape.
    const QRectF shape = shapeRect();
    const qreal corner = Squircle::kCornerReach * Squircle::effectiveRadius(shape, cornerRadius_) + 1;
    return {shape.adjusted(corner, 1, -corner, -1), shape.adjusted(1, corner, -1, -corner)};
}

QRegion AIGlow::frameRegion() const
{
    // Everything but what the content covers: the band with halo and ring.
    // The covered middle is the rounded shape less a pixel at its edge,
    // where the shape's antialiased rim lets the glow show through.
    const QRectF drawn = renderer_.drawnBounds(shapeRect());
    const QRegion glow = drawn.isEmpty() ? QRegion(rect()) : QRegion(drawn.toAlignedRect()) & rect();
    if (!coversShapeOpaquely())
        return glow;
    const QRectF inner = shapeRect().adjusted(1, 1, -1, -1);
    if (inner.isEmpty())
        return glow;
    if (interior_.shape != inner || interior_.radius != cornerRadius_) {
        const qreal radius = std::max<qreal>(0, cornerRadius_ - 1);
        interior_ = {inner, cornerRadius_,
                     QRegion(Squircle::path(inner, radius).toFillPolygon().toPolygon()).intersected(inner.toRect())};
    }
    return glow - interior_.region;
}

void AIGlow::paintEvent(QPaintEvent* event)
{
    const double now = Frames::now();
    const qreal presence = presence_.value(now);
    if (presence <= 0)
        return;
    const Clock* clock = Environment::clock();
    const qreal turn = angle(clock ? clock->now() : 0, turning_, Environment::reduceMotion());
    const QList<QRectF> covered = coveredRects();
    QPainter painter(this);
    renderer_.paint(painter, shapeRect(), cornerRadius_, turn, halo_.value(now), presence, covered, event->region());
}

void AIGlow::showEvent(QShowEvent* event)
{
    Surface::showEvent(event);
    refreshFrames();
}

void AIGlow::hideEvent(QHideEvent* event)
{
    Surface::hideEvent(event);
    refreshFrames();
}

void AIGlow::environmentChanged()
{
    refreshFrames();
    update();
}

} // namespace tavrin
