#pragma once

#include "design/designwidget.h"
#include "design/frames.h"
#include "design/tween.h"
#include "windows/unitrect.h"

#include <QList>

class QPainter;

namespace tavrin {

// One display in miniature at its aspect ratio: the wallpaper, and a small
// `MiniWindow` for each window at its unit rectangle, less `gap` on every
// side, clipped to a rounded rectangle with a hairline. The preview fits the
// space it is given, centred, keeping its aspect. A settled picture (no fade
// running) is kept, shared by previews of the same size and items, and drawn
// again only when something it shows changes.
class DisplayPreview : public DesignWidget {
    Q_OBJECT
public:
    struct Item {
        QString id; // identity as items come and go
        QString app;
        UnitRect rect; // the window's place as fractions of the display
        friend bool operator==(const Item&, const Item&) = default;
    };

    static constexpr qreal kMinimumSide = 4;
    static constexpr double kFadeDuration = 0.35;

    DisplayPreview(qreal aspect, const QList<Item>& items, qreal gap, qreal radius, QWidget* parent = nullptr);

    qreal aspect() const { return aspect_; }
    void setAspect(qreal aspect);
    QList<Item> items() const { return items_; }
    // With `animated`, items that come or go fade in or out (0.35 s, unless
    // motion is reduced); those that stay take their new place at once.
    void setItems(const QList<Item>& items, bool animated = false);
    qreal gap() const { return gap_; }
    void setGap(qreal gap);
    qreal radius() const { return radius_; }
    void setRadius(qreal radius);

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

    // The preview's rectangle in `bounds`: the largest of `aspect` that fits,
    // centred. A missing or invalid aspect counts as 1.6.
    static QRectF fitted(const QRectF& bounds, qreal aspect);
    // An item's window frame in a preview of width W and height H.
    static QRectF itemFrame(const UnitRect& unit, qreal width, qreal height, qreal gap);
    static void paint(QPainter& painter, const QRectF& bounds, qreal aspect, const QList<Item>& items,
                      const QList<qreal>& opacities, qreal gap, qreal radius, ColorScheme scheme, const TTheme& t);

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Shown {
        Item item;
        Tween opacity;
    };
    void frame();
    // Names everything a settled picture of these items depends on.
    QString pictureKey(const QList<Item>& items, qreal scale, const TTheme& theme) const;

    qreal aspect_;
    QList<Item> items_;
    QList<Shown> shown_; // the items drawn, with those fading out
    qreal gap_;
    qreal radius_;
    Frames* frames_;
};

} // namespace tavrin
