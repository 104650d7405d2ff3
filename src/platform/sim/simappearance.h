#pragma once

#include "platform/appearance.h"

namespace tavrin {

// The simulated desktop's appearance: every value is set by hand (a test or
// the simulator's controls) and announced when it changes.
class SimAppearance : public Appearance {
    Q_OBJECT
public:
    // The system blue of the desktop when no accent has been chosen.
    static QColor defaultAccent() { return QColor(0, 122, 255); }

    explicit SimAppearance(QObject* parent = nullptr);

    ColorScheme colorScheme() const override { return scheme_; }
    bool reduceMotion() const override { return reduceMotion_; }
    QColor accentColor() const override { return accent_; }
    bool blurAvailable() const override { return blur_; }
    bool titleBarButtons() const override { return titleBarButtons_; }

    void setColorScheme(ColorScheme scheme);
    void setReduceMotion(bool reduce);
    void setAccentColor(const QColor& color);
    void setBlurAvailable(bool available);
    // Announced to nobody: views read it when they paint.
    void setTitleBarButtons(bool buttons) { titleBarButtons_ = buttons; }

private:
    ColorScheme scheme_ = ColorScheme::dark;
    bool reduceMotion_ = false;
    QColor accent_ = defaultAccent();
    bool blur_ = false;
    bool titleBarButtons_ = true;
};

} // namespace tavrin
