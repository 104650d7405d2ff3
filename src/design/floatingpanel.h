#pragma once

#include "design/hudpanel.h"

#include <QPointer>
#include <QString>
#include <QWidget>

namespace tavrin {

// A floating panel on the desktop: a frameless, translucent tool window
// that stays above normal windows, never takes the keyboard, stays out of
// the task bar, shows on every virtual desktop and is cut to its visible
// shape where nothing blends translucent windows. It hosts one view for its
// whole life. Clicks reach the view at once (the panel does not activate the
// application first), or, for a panel made to let them through, go to the
// windows below.
class FloatingPanel : public HUDPanel {
public:
    enum class Mouse { clicks, passThrough };

    // Takes `content`; `name` names the window (for the desktop and tests).
    FloatingPanel(QWidget* content, Mouse mouse, const QString& name);
    ~FloatingPanel() override;
    FloatingPanel(const FloatingPanel&) = delete;
    FloatingPanel& operator=(const FloatingPanel&) = delete;

    QWidget* window() const { return window_; }
    QWidget* content() const { return content_; }

    bool isVisible() const override;
    Size fittingSize() override;
    Rect frame() const override;
    void setFrame(const Rect& frame) override;
    double opacity() const override;
    void setOpacity(double opacity) override;
    void orderFront(const HUDPanel* under = nullptr) override;
    void orderOut() override;

private:
    // Asks the X11 window manager to put this window right under `above`;
    // false where the session is not X11.
    bool stackUnder(QWidget& above);

    QPointer<QWidget> window_;
    QPointer<QWidget> content_;
};

} // namespace tavrin
