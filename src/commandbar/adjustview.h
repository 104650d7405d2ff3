#pragma once

#include "design/designwidget.h"
#include "design/spring.h"
#include "platform/geometry.h"
#include "windows/unitrect.h"

#include <QHash>
#include <QPointer>
#include <QSizeF>
#include <QUuid>
#include <optional>
#include <vector>

namespace tavrin {

class CommandBarModel;
class ElidedLabel;
class HintLabel;
class Timer;

// The adjust overlay's view: over a dimmed display, one dashed outline per
// planned window exactly where it will be placed, labelled with its
// application and zone; dropping one outline onto another swaps the two
// windows. A bar at the top repeats the task and offers "Back" and
// "↵ Place". Return places, Tab and Escape go back; back and Tab/Escape act
// only while the model is adjusting.
//
// The view is laid out in the display's own points (`area`); when it is
// shown at another size (the simulated desktop) the outlines are scaled to
// the drawing, and the bar keeps its own size.
class AdjustView : public DesignWidget {
    Q_OBJECT
public:
    // Outlines are drawn this far inside their zone; a drag starts after the
    // pointer has moved this far.
    static constexpr double kInset = 5;
    static constexpr double kDragThreshold = 10;
    static constexpr double kBreathSeconds = 1.3;
    static constexpr double kSwapSeconds = 0.35;
    // The drop-target highlight comes and goes on a spring of this response.
    static constexpr double kTargetResponse = 0.25;
    // The bar: its glass and glow reach this far beyond it.
    static constexpr int kBarOutset = 48;
    // The bar's width for an area this many points wide: 0.86 of it, at
    // most 440.
    static double barWidth(double areaWidth);

    AdjustView(CommandBarModel& model, Size area, QWidget* parent = nullptr);
    ~AdjustView() override;

signals:
    // Tab or Escape took the model back to its preview: the bar shows again.
    void backToPreview();

public:
    // ---- Geometry, in the area's points ----
    // The zone frames: each unit rectangle placed in (0, 0, width, height)
    // with the gap, as the window manager places windows.
    static std::vector<Rect> zoneFrames(const std::vector<UnitRect>& units, Size area, double gap);
    // The dragged outline's moved centre; (0, 0) when `dragged` has no zone.
    static Point movedCentre(const std::vector<Rect>& frames, int dragged, QSizeF translation);
    // The first zone that holds the point, by index.
    static std::optional<int> zoneAt(const std::vector<Rect>& frames, Point point);
    // Where outline `dragged` dropped with `translation` swaps to: the first
    // zone holding its moved centre, when that is another zone.
    static std::optional<int> dropTarget(const std::vector<Rect>& frames, int dragged, QSizeF translation);

    std::vector<Rect> zoneFrames() const;
    std::optional<int> dragging() const { return dragging_; }
    QSizeF dragOffset() const { return dragOffset_; }
    // Whether outline `index` is highlighted as the drop target.
    bool isTarget(int index) const;
    // How far its highlight has come now, 0 to 1 (it springs in and out).
    qreal targetEmphasis(int index) const;

    // Where the display's area is drawn inside the view: all of it unless
    // set (a view wider than a small drawing, so that the bar fits).
    QRectF drawnArea() const;
    void setDrawnArea(const QRectF& drawn);

    // ---- Actions ----
    // Tab, Escape and "Back": back to the preview, only while adjusting.
    void back();
    // Return and "↵ Place": arrange without saving.
    void place();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Moving {
        Rect from;
        double start = 0;
    };

    double scale() const;
    Point toArea(QPointF widgetPoint) const;
    std::optional<int> outlineAt(Point areaPoint) const;
    void drop(int index, QSizeF translation);
    void rowsSwapped(int i, int j);
    void layoutBar();
    void frame();
    double now() const;
    qreal breath() const;
    Rect drawnFrame(int index, const Rect& zone) const;
    void paintOutline(QPainter& painter, int index, const Rect& box, bool lifted, qreal emphasis) const;
    void retarget();

    QPointer<CommandBarModel> model_;
    Size area_;
    std::optional<QRectF> drawn_;
    std::optional<int> dragging_;
    QSizeF dragOffset_;
    std::optional<int> pressed_;
    QPointF pressPoint_;
    QHash<QUuid, Moving> moving_;
    QHash<QUuid, Spring> emphasis_;
    std::optional<Rect> dropFrom_;
    double shownAt_ = 0;
    QPointer<Timer> frames_;
    QWidget* bar_ = nullptr;
    ElidedLabel* task_ = nullptr;
    HintLabel* hint_ = nullptr;
};

} // namespace tavrin
