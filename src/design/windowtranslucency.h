#pragma once

#include <QObject>
#include <QRegion>

class QBitmap;
class QImage;
class QWidget;

namespace tavrin {

// Floating panels are translucent windows: a card with a shadow or a glow
// around it. This fits each such window to what the desktop does with what
// lies behind it, whenever the window is shown or resized:
//
// - Where translucent windows blend with the desktop (a compositor), the
//   window stays translucent. Its glass gets a live blur only where the
//   window system offers one (on X11, a compositor that announces
//   _KDE_NET_WM_BLUR_BEHIND_REGION): the window then asks for it behind its
//   glass, and its glass is drawn see-through; everywhere else the glass is
//   drawn opaque.
// - Where nothing blends (X11 without a compositor) the clear parts would
//   show black: the views are told to draw for a cut window, and the window
//   is cut to what it draws.
//
// Either way only the panel's card takes clicks: the margin around it for a
// glow or a shadow lets them through to what lies behind (on X11, the
// window's input shape).
class WindowTranslucency : public QObject {
    Q_OBJECT
public:
    // Watches `window` (a top-level, translucent widget) for as long as it lives.
    static void install(QWidget* window);

    // Whether translucent windows blend with what is behind them here.
    static bool compositing();
    // Whether the window system here blurs behind windows that ask for it.
    static bool blurOffered();

    // Fits `window` now for a desktop that does or does not composite.
    static void fit(QWidget* window, bool compositing);
    // Asks the window system to blur what lies behind `region` of `window`
    // (window coordinates), or withdraws the request for an empty region;
    // for windows that fit themselves. True when the window has the blur.
    static bool blurBehind(QWidget* window, const QRegion& region);

    // The part of a rendered window that stays: pixels at least half opaque.
    static QBitmap visibleShape(const QImage& rendered);
    // The part of a window that takes clicks (window coordinates): the card
    // its content comes down to (the shape of the outermost glass or glow
    // that fills it), else all of it.
    static QRegion clickRegion(const QWidget* window);
    // The window's glass, where a blur behind it is wanted (window
    // coordinates).
    static QRegion glassRegion(const QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit WindowTranslucency(QWidget* window);
    void fitLater();

    QWidget* window_;
    bool pending_ = false;
};

} // namespace tavrin
