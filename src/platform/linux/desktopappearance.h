#pragma once

#include "platform/appearance.h"

#include <QVariant>
#include <optional>

class QDBusVariant;
class QDBusMessage;

namespace tavrin {

// The real desktop's appearance. The colour scheme and accent come from the
// desktop portal's settings (org.freedesktop.appearance) when a portal
// answers, else from the application palette (a dark window colour means a
// dark scheme; the highlight colour is the accent). Reduce motion follows the
// desktop's animation switch when one is readable (GNOME's enable-animations,
// KDE's animation speed), else it is off. Behind-window blur may exist only
// on X11 with KWin compositing, the one window manager here known to blur
// behind translucent windows that ask for it; on X11 without a compositor
// there is none. Each window still asks for it, where the compositor
// announces it, before its glass is drawn see-through.
//
// Every D-Bus read is asynchronous: the palette answers at once and the
// portal's answer, when it comes, replaces it.
class DesktopAppearance : public Appearance {
    Q_OBJECT
public:
    explicit DesktopAppearance(QObject* parent = nullptr);

    ColorScheme colorScheme() const override { return scheme_; }
    bool reduceMotion() const override { return reduceMotion_; }
    QColor accentColor() const override { return accent_; }
    bool blurAvailable() const override { return blur_; }

    // The portal's "color-scheme": 1 prefers dark, 2 prefers light, anything
    // else (0 is "no preference") says nothing.
    static std::optional<ColorScheme> schemeFromPortal(const QVariant& value);
    // The portal's "accent-color": three channels from 0 to 1; a channel
    // outside that range means no accent is set.
    static std::optional<QColor> accentFromPortal(const QVariant& value);
    // Reduce motion from a desktop setting: GNOME's "enable-animations"
    // (false reduces) or KDE's "AnimationDurationFactor" (0 reduces).
    static std::optional<bool> reduceMotionFromSetting(const QString& nameSpace, const QString& key,
                                                       const QVariant& value);
    // A palette whose window colour is dark belongs to a dark scheme.
    static ColorScheme schemeFromWindowColor(const QColor& window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void portalSettingChanged(const QString& nameSpace, const QString& key, const QDBusVariant& value);
    void compositingToggled(bool active);

private:
    void readPortal(const QString& nameSpace, const QString& key);
    void readCompositing();
    void applySetting(const QString& nameSpace, const QString& key, const QVariant& value);
    void recompute();

    std::optional<ColorScheme> portalScheme_;
    std::optional<QColor> portalAccent_;
    std::optional<bool> settingReduceMotion_;
    bool compositing_ = false;

    ColorScheme scheme_ = ColorScheme::light;
    bool reduceMotion_ = false;
    QColor accent_;
    bool blur_ = false;
};

} // namespace tavrin
