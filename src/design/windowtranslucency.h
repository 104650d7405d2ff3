#pragma once

#include <QObject>

class QBitmap;
class QImage;
class QWidget;

namespace tavrin {

// Floating panels are translucent windows: a card with a shadow or a glow
// around it. Where nothing blends translucent windows with what lies behind
// them (an X11 session without a compositor) their clear parts would show
// black; there the window is cut to its visible shape instead, recomputed
// whenever it is shown or resized.
class WindowTranslucency : public QObject {
    Q_OBJECT
public:
    // Watches `window` (a top-level, translucent widget) for as long as it lives.
    static void install(QWidget* window);

    // Whether translucent windows blend with what is behind them here.
    static bool compositing();

    // The part of a rendered window that stays: pixels at least half opaque.
    static QBitmap visibleShape(const QImage& rendered);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit WindowTranslucency(QWidget* window);
    void fitMask();

    QWidget* window_;
    bool pending_ = false;
};

} // namespace tavrin
