#pragma once

#include "design/ttheme.h"
#include "platform/appearance.h"

#include <QEvent>
#include <QObject>
#include <functional>
#include <optional>

class QWidget;

namespace tavrin {

class Clock;
class PanelWindows;

// The view environment: what a widget of the design system reads from the
// widgets around it and from the desktop. The theme comes from the nearest
// enclosing widget that carries one (`Themed`, or a host that wrote a
// theme), else it is the dark set. The colour scheme comes from the nearest
// widget that carries one, else from the desktop's appearance.
class Environment {
public:
    // Sent to a widget and every widget inside it when what they read here
    // may have changed.
    static QEvent::Type changeEvent();

    static TTheme theme(const QWidget* widget);
    static ColorScheme colorScheme(const QWidget* widget);

    // What a widget's window does with what lies behind it. Translucent:
    // what the widget draws translucent blends with it (false where the
    // window is cut to what it draws, as on X11 without a compositor).
    // Blur behind: the window system blurs it live (only where the window
    // asked for that and got it). A window that says nothing is translucent
    // and unblurred; `WindowTranslucency` says what each panel gets.
    static bool translucentWindow(const QWidget* widget);
    static bool blurBehind(const QWidget* widget);
    static void setWindowBackdrop(QWidget* window, bool translucent, bool blur);

    // A host writes the theme (or the colour scheme) for everything inside
    // it; none removes what it wrote.
    static void setTheme(QWidget* host, const std::optional<TTheme>& theme);
    static void setColorScheme(QWidget* host, std::optional<ColorScheme> scheme);

    // The desktop's settings, with the defaults of a desktop that says
    // nothing when no appearance service is installed.
    static Appearance* appearance();
    static bool reduceMotion();
    static bool blurAvailable();
    static QColor systemAccent();
    // The platform clock, or none when no platform is installed.
    static Clock* clock();
    // What the program asks of the window system about its own windows: the
    // installed service, else the answers of one that needs nothing asked.
    static PanelWindows& panelWindows();

    // Sends `changeEvent()` to `root` and everything inside it.
    static void notify(QWidget* root);
};

// Keeps one widget up to date with its environment: runs `onChange` (by
// default a repaint) when the desktop's appearance changes, when the widget
// moves to another parent, and when a host announces a change.
class EnvironmentWatcher : public QObject {
    Q_OBJECT
public:
    explicit EnvironmentWatcher(QWidget* widget, std::function<void()> onChange = {});

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void changed();

    QWidget* widget_;
    std::function<void()> onChange_;
};

} // namespace tavrin
