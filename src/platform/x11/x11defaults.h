#pragma once

#include "platform/defaults.h"

#include <QPointer>
#include <QStringList>
#include <optional>

class QProcess;

namespace tavrin {

class Clock;

// The settings store of the X11 desktop: the user's settings as the given
// store keeps them, and as the read-only "com.apple.WindowManager" domain the
// running desktop's own tiling by dragging windows to an edge, and a click on
// the wallpaper that never reveals the desktop. Where the desktop keeps the
// tiling setting depends on the desktop (`EdgeTilingSource`); a desktop that
// tiles but whose setting cannot be read counts as tiling, one whose window
// manager does not tile (openbox alone, …) as not. A command that prints the
// setting runs in the background, so reads never wait: once at
// construction, and after that only when the file the desktop keeps its
// settings in has changed, at most every kRefreshInterval seconds (a read
// asks it once a second; a process started that often would cost more than
// all else the idle program does).
class X11Defaults : public Defaults {
    Q_OBJECT
public:
    static constexpr double kRefreshInterval = 10.0;

    // Where a desktop keeps its edge tiling.
    struct EdgeTilingSource {
        // The desktop tiles windows dragged to an edge at all.
        bool tiles = false;
        // Prints the setting, "true" or "false"; empty: `file` is KDE's
        // kwinrc, read here.
        QStringList command;
        // Where the desktop writes its settings: read again once it changed.
        QString file;
    };
    // The source for the desktop XDG_CURRENT_DESKTOP names (`desktop`), with
    // the user's configuration under `configHome`: GNOME's and Cinnamon's
    // gsettings, KDE's kwinrc, Xfce's xfconf; none for any other.
    static EdgeTilingSource edgeTilingSource(const QString& desktop, const QString& configHome);
    // KDE's kwinrc says tiling is on: by dragging to the top or to a side,
    // each on unless set to false.
    static bool kwinTiles(const QString& kwinrc);

    // The source for the running desktop (`desktop`, as DesktopSettings
    // finds it), with the user's configuration folder.
    static EdgeTilingSource runningDesktopSource(const QString& desktop);

    X11Defaults(Defaults& inner, Clock& clock, EdgeTilingSource source, QObject* parent = nullptr);
    ~X11Defaults() override;

    std::optional<QVariant> value(const QString& key) const override;
    void setValue(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;
    QStringList keys() const override;
    void replace(const QStringList& removed, const QVariantMap& values) override;
    std::optional<QVariant> foreignValue(const QString& domain, const QString& key) const override;
    QString saveProblem() const override;

    // The desktop's edge tiling as last read.
    bool edgeTiling() const { return edgeTiling_; }

private:
    void refreshEdgeTiling() const;
    void runCommand() const;
    void stopRefresh();

    // The settings file's size and time of change; empty when it is missing.
    QString settingsStamp() const;

    Defaults& inner_;
    Clock& clock_;
    EdgeTilingSource source_;
    mutable bool edgeTiling_ = false;
    mutable double lastRefresh_ = -1e9;
    mutable std::optional<QString> refreshedStamp_; // the file as it was when the command last ran
    mutable QPointer<QProcess> running_;
};

} // namespace tavrin
