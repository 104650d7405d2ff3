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
// desktop's own edge tiling, as a command prints it ("true" or "false"; off
// when the command is missing or fails), and a click on the wallpaper that
// never reveals the desktop. The command runs in the background, so reads
// never wait: once at construction, and after that only when the file the
// desktop keeps its settings in has changed, at most every kRefreshInterval
// seconds (a read asks it once a second; a process started that often would
// cost more than all else the idle program does).
class X11Defaults : public Defaults {
    Q_OBJECT
public:
    static constexpr double kRefreshInterval = 10.0;

    // GNOME's "edge-tiling" setting (fails where GNOME's settings do not exist).
    static QStringList gnomeEdgeTilingCommand();
    // The file GNOME's settings are written to (dconf's user database).
    static QString gnomeSettingsFile();

    X11Defaults(Defaults& inner, Clock& clock, QStringList edgeTilingCommand = gnomeEdgeTilingCommand(),
                QString settingsFile = gnomeSettingsFile(), QObject* parent = nullptr);
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
    void stopRefresh();

    // The settings file's size and time of change; empty when it is missing.
    QString settingsStamp() const;

    Defaults& inner_;
    Clock& clock_;
    QStringList command_;
    QString settingsFile_;
    mutable bool edgeTiling_ = false;
    mutable double lastRefresh_ = -1e9;
    mutable std::optional<QString> refreshedStamp_; // the file as it was when the command last ran
    mutable QPointer<QProcess> running_;
};

} // namespace tavrin
