#include "design/aiglow.h"

#include "design/shadowcache.h"
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
    band_ = new GlowBand([this](QPainter& painter, const QRegion& region) { paintBand(painter, region); }, this);
    band_->hide();
}

double AIGlow::period(Intensity intensity) { return intensity == Intensity::working ? 2.4 : 6.0; }

double AIGlow::frameInterval(Intensity intensity)
{
    return intensity == Intensity::working ? Frames::kInterval : period(intensity) * kIdleStepDegrees / 360.0;
}

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

qreal AIGlow::shownAngle(double date, Intensity intensity, bool reduceMotion)
{
    const qreal exact = angle(date, intensity, reduceMotion);
    if (intensity == Intensity::working)
        return exact;
    // The nearest step, so that a frame a little early or late shows the
    // step it was meant for.
    constexpr qreal step = kIdleStepDegrees * 0.017453292519943295;
    const qreal steps = std::round(exact / step);
    return steps >= 360.0 / kIdleStepDegrees ? 0 : steps * step;
}

qreal AIGlow::currentAngle() const
{
    const Clock* clock = Environment::clock();
    return shownAngle(clock ? clock->now() : 0, turning_, Environment::reduceMotion());
}

// Fades run with reduce motion too: only the turning stops.
bool AIGlow::canAnimate() const { return Environment::clock() && onScreen(); }

bool AIGlow::onScreen() const { return isVisible() && !unexposed_; }

void AIGlow::watchWindow()
{
    QWindow* handle = window()->windowHandle();
    if (handle == watched_)
        return;
    if (watched_)
        watched_->removeEventFilter(this);
    watched_ = handle;
    unexposed_ = false;
    if (handle)
        handle->installEventFilter(this);
}

bool AIGlow::eventFilter(QObject* watched, QEvent* event)
{
    // Exposure changes after the event: look once it is handled.
    if (watched == watched_ && event->type() == QEvent::Expose)
        QMetaObject::invokeMethod(
            this,
            [this] {
                unexposed_ = watched_ && !watched_->isExposed();
                refreshFrames();
            },
            Qt::QueuedConnection);
    return Surface::eventFilter(watched, event);
}

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
    contentChanged();
}

bool AIGlow::isAnimating() const { return frames_->isRunning(); }

void AIGlow::setClearBehind(bool clear)
{
    clearBehind_ = clear;
    refreshBand();
}

void AIGlow::contentChanged()
{
    ++coverKey_;
    refreshBand();
    update();
}

void AIGlow::refreshFrames()
{
    const double now = Frames::now();
    const bool fading = presence_.running(now) || halo_.running(now);
    const bool turning = intensity_ != Intensity::off && !Environment::reduceMotion();
    const bool run = canAnimate() && (fading || turning);
    // An idle turn comes round to the same steps: their frames are kept
    // while it turns unfaded, and let go once it stops or works.
    renderer_.keepFrames(run && !fading && intensity_ == Intensity::idle ? int(360 / kIdleStepDegrees) : 0);
    if (!run) {
        frames_->stop();
        // Whatever was fading ends where it was going.
        presence_.jump(presence_.target());
        halo_.jump(halo_.target());
        refreshBand();
        return;
    }
    // Fades run at every display frame; an idle turn only as often as it
    // moves a step.
    frames_->setInterval(fading ? Frames::kInterval : frameInterval(intensity_));
    frames_->start();
    refreshBand();
}

void AIGlow::frame()
{
    const double now = Frames::now();
    const bool fading = presence_.running(now) || halo_.running(now);
    // After a fade: on at the turn's own pace, or stop (with its end drawn).
    const bool fadeEnded = !fading && frames_->interval() == Frames::kInterval;
    if (fadeEnded)
        refreshFrames();
    // A frame that would show the step already shown draws nothing.
    else if (!fading && currentAngle() == drawnAngle_)
        return;
    if (band_->isVisible() && shapeRect() == bandShape_) {
        // Outside the paint: the content draws into an image of its own.
        takeCover(devicePixelRatioF());
        band_->update(bandRegion_);
    } else if (band_->isVisible())
        refreshBand(); // the shape moved: the band follows, and shows anew
    else
        update(frameRegion());
}

void AIGlow::refreshBand()
{
    if (!band_)
        return;
    // The band draws its pixels whole: only where nothing lies behind them.
    const bool wanted = clearBehind_ && frames_->isRunning() && isVisible() && content() && coversShapeOpaquely();
    if (!wanted) {
        if (!band_->isHidden())
            band_->hide();
        return;
    }
    const QRectF shape = shapeRect();
    const QList<QRectF> covered = coveredRects();
    renderer_.prepare(shape, cornerRadius_, devicePixelRatioF(), covered);
    if (shape != bandShape_ || covered != bandCovered_ || band_->geometry() != rect() || band_->isHidden()) {
        bandShape_ = shape;
        bandCovered_ = covered;
        bandRegion_ = frameRegion();
        band_->setGeometry(rect());
        band_->setMask(bandRegion_);
    }
    band_->raise();
    if (band_->isHidden())
        band_->show();
}

void AIGlow::paintBand(QPainter& painter, const QRegion& region)
{
    const double now = Frames::now();
    const qreal turn = currentAngle();
    drawnAngle_ = turn;
    takeCover(ShadowCache::deviceScale(painter));
    renderer_.paint(painter, bandShape_, cornerRadius_, turn, halo_.value(now), presence_.value(now), bandCovered_,
                    region);
}

void AIGlow::takeCover(qreal scale)
{
    renderer_.prepare(bandShape_, cornerRadius_, scale, bandCovered_);
    if (!renderer_.hasCover(coverKey_))
        renderer_.setCover(contentOver(renderer_.imageRect(bandShape_), bandRegion_, scale), coverKey_);
}

QImage AIGlow::contentOver(const QRectF& imageRect, const QRegion& band, qreal scale) const
{
    QImage image((imageRect.size() * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    QWidget* over = content();
    const QRect source = imageRect.toAlignedRect().translated(-over->pos());
    // Only the band's pixels are ever drawn from the cover: what lies wholly
    // inside the shape (most of the content) is not drawn for it.
    const QRegion drawn = band.translated(-over->pos()) & source & over->rect();
    if (!drawn.isEmpty())
        over->render(&image, drawn.boundingRect().topLeft() - source.topLeft(), drawn, QWidget::DrawChildren);
    return image;
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
    QRegion glow = drawn.isEmpty() ? QRegion(rect()) : QRegion(drawn.toAlignedRect()) & rect();
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
    // The band draws every pixel of the glow that shows; the rest lies
    // under the opaque content.
    if (band_ && band_->isVisible())
        return;
    // Drawn here the glow is drawn alone: what the content draws over it
    // follows as the content paints.
    renderer_.setCover({}, 0);
    const double now = Frames::now();
    const qreal presence = presence_.value(now);
    if (presence <= 0)
        return;
    const qreal turn = currentAngle();
    drawnAngle_ = turn;
    const QList<QRectF> covered = coveredRects();
    QPainter painter(this);
    renderer_.paint(painter, shapeRect(), cornerRadius_, turn, halo_.value(now), presence, covered, event->region());
}

void AIGlow::showEvent(QShowEvent* event)
{
    Surface::showEvent(event);
    watchWindow();
    refreshFrames();
}

void AIGlow::hideEvent(QHideEvent* event)
{
    Surface::hideEvent(event);
    refreshFrames();
}

void AIGlow::resizeEvent(QResizeEvent* event)
{
    Surface::resizeEvent(event);
    contentChanged();
}

void AIGlow::environmentChanged()
{
    ++coverKey_;
    refreshFrames();
    update();
}

} // namespace tavrin
