#pragma once

#include "design/frames.h"
#include "design/glowband.h"
#include "design/glowrenderer.h"
#include "design/surface.h"
#include "design/tween.h"

#include <QPointer>
#include <QWindow>

namespace tavrin {

// The planner glow around a content view: a slowly turning rainbow ring with
// a soft halo behind it. `idle` turns once every 6 seconds, `working` every
// 2.4 seconds and shines brighter; `off` draws nothing. The turn follows the
// wall clock, so every glow on screen shows the same rotation and a glow
// shown again goes on where the clock is. With reduce motion on the glow is
// drawn once, unturned.
//
// Frames run only while its window is shown and exposed: 60 a second while
// it works or fades; an idle turn moves in steps of `kIdleStepDegrees`, a
// frame for each step (6 a second), since a soft rainbow turning that
// slowly shows little difference between finer steps and an open bar that
// waits should cost next to nothing: on X11 each frame pays for a trip to
// the X server and a clear of the band in Qt's pool threads besides its
// drawing. Each frame is drawn in one go from the
// glow's pixels worked out once for its size (`GlowRenderer`); the idle
// turn's steps come round every 6 seconds, so their frames are kept as they
// are first drawn and a later frame is a copy. Changes of intensity fade
// over 0.35 seconds. The glow takes no clicks.
//
// It reaches about 43 points beyond the shape (`GlowRenderer::reach`): give
// the view outsets, or put it in a host with that margin.
//
// Where nothing is drawn behind the glow (`setClearBehind`: it is all a
// translucent window holds) and its content covers the shape opaquely (glass
// without a blur behind it), the frames repaint only the band around the
// shape, and that as a widget of its own (`GlowBand`) that lays what the
// content draws there over the glow, so that nothing of the content is drawn
// again for a frame.
// What the content draws in the band (its edge, a shadow) is taken once for
// each size and look of the glow and its content; a content that changes
// there by itself calls `contentChanged()`.
class AIGlow : public Surface {
    Q_OBJECT
    Q_PROPERTY(Intensity intensity READ intensity WRITE setIntensity NOTIFY intensityChanged)
    Q_PROPERTY(qreal cornerRadius READ cornerRadius WRITE setCornerRadius)
public:
    enum class Intensity { off, idle, working };
    Q_ENUM(Intensity)

    static constexpr double kFadeDuration = 0.35;

    explicit AIGlow(Intensity intensity, qreal cornerRadius, QWidget* content = nullptr, QWidget* parent = nullptr);

    Intensity intensity() const { return intensity_; }
    void setIntensity(Intensity intensity);
    qreal cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(qreal radius);

    // Whether frames are running (the glow turns or fades).
    bool isAnimating() const;
    // What the content draws in the band has changed.
    void contentChanged();
    // Whether nothing is drawn behind the glow (false until set).
    bool clearBehind() const { return clearBehind_; }
    void setClearBehind(bool clear);
    // The part each frame repaints: all of the view, or only the band
    // around the shape when the content covers the shape's middle (so that
    // nothing of the content is drawn again for a frame).
    QRegion frameRegion() const;

    // Degrees an idle glow turns from one frame to the next.
    static constexpr double kIdleStepDegrees = 10;
    // Seconds per turn: 2.4 working, 6 otherwise.
    static double period(Intensity intensity);
    // Seconds between the frames of a turn that does not fade: a display
    // frame while working, a step's time while idle.
    static double frameInterval(Intensity intensity);
    // The halo's opacity: 0.5 working, 0.35 idle, 0 off.
    static qreal haloOpacity(Intensity intensity);
    // The rotation in radians at a wall-clock date (seconds since 1 January
    // 2001): 0 with reduce motion.
    static qreal angle(double date, Intensity intensity, bool reduceMotion);
    // The rotation drawn at that date: `angle`, to the nearest step unless
    // working.
    static qreal shownAngle(double date, Intensity intensity, bool reduceMotion);

signals:
    void intensityChanged(tavrin::AIGlow::Intensity intensity);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void environmentChanged() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool canAnimate() const;
    // The rotation to draw now.
    qreal currentAngle() const;
    // Whether the window shows this view: shown, and not said to be
    // unexposed since (minimised, covered where the platform tells).
    bool onScreen() const;
    // Follows the exposure of the window this view is in.
    void watchWindow();
    void refreshFrames();
    void frame();
    // Parts of the shape that the content covers opaquely, if it does.
    QList<QRectF> coveredRects() const;
    // Shows the band over the content while frames run around an opaque
    // content, with its region worked out for the current shape.
    void refreshBand();
    void paintBand(QPainter& painter, const QRegion& region);
    // Takes what the content draws over the glow at this scale, unless taken.
    void takeCover(qreal scale);
    // What the content draws over the glow's pixels (`GlowRenderer::imageRect`)
    // within the band (this widget's coordinates).
    QImage contentOver(const QRectF& imageRect, const QRegion& band, qreal scale) const;

    Intensity intensity_;
    Intensity turning_; // the last intensity that was not off, for fading out
    qreal cornerRadius_;
    Tween presence_;
    Tween halo_;
    Frames* frames_;
    GlowRenderer renderer_;
    // The covered middle of the shape as pixels, for the frames' region.
    struct Interior {
        QRectF shape;
        qreal radius = -1;
        QRegion region;
    };
    mutable Interior interior_;
    GlowBand* band_ = nullptr;
    // The band's region and the shape and covered parts it was worked out
    // for; `coverKey_` names the content's drawing taken for the band.
    QRegion bandRegion_;
    QRectF bandShape_;
    QList<QRectF> bandCovered_;
    quint64 coverKey_ = 1;
    bool clearBehind_ = false;
    QPointer<QWindow> watched_;
    bool unexposed_ = false;
    qreal drawnAngle_ = -1; // the rotation last drawn
};

} // namespace tavrin
