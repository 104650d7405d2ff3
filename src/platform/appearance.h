#pragma once

#include <QColor>
#include <QObject>

namespace tavrin {

enum class ColorScheme { light, dark };

// How the desktop wants applications to look: the colour scheme, whether
// motion should be reduced, the user's accent colour, and whether the window
// system can blur what lies behind a translucent window. Each value announces
// its changes; signals are emitted on the main thread and only on a change.
class Appearance : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual ColorScheme colorScheme() const = 0;
    virtual bool reduceMotion() const = 0;
    // The desktop's accent colour, opaque sRGB.
    virtual QColor accentColor() const = 0;
    // Whether the desktop may blur what lies behind a translucent window.
    // A window has that blur only once it has asked the window system for
    // it and the window system offers it; without it, surfaces that would
    // be frosted glass must be drawn opaque.
    virtual bool blurAvailable() const = 0;
    // Whether the desktop's windows carry three round buttons at the leading
    // end of their title bars (the simulated desktop's do); miniature windows
    // draw them only then. Fixed for the life of a desktop.
    virtual bool titleBarButtons() const { return false; }

signals:
    void colorSchemeChanged(tavrin::ColorScheme scheme);
    void reduceMotionChanged(bool reduce);
    void accentColorChanged(const QColor& color);
    void blurAvailableChanged(bool available);
};

} // namespace tavrin
