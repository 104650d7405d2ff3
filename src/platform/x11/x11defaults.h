#pragma once

#include "platform/defaults.h"

#include <QPointer>
#include <QStringList>

class QProcess;

namespace tavrin {

class Clock;

// The settings store of the X11 desktop: the user's settings as the given
// store keeps them, and as the read-only "com.apple.WindowManager" domain the
// desktop's own edge tiling, as a command prints it ("true" or "false"; off
// when the command is missing or fails), and a click on the wallpaper that
// never reveals the desktop. The command runs in the background,
// from construction on and at most every kRefreshInterval seconds after, so
// reads never wait.
class X11Defaults : public Defaults {
    Q_OBJECT
public:
    static constexpr double kRefreshInterval = 10.0;

    // GNOME's "edge-tiling" setting (fails where GNOME's settings do not exist).
    static QStringList gnomeEdgeTilingCommand();

    X11Defaults(Defaults& inner, Clock& clock, QStringList edgeTilingCommand = gnomeEdgeTilingCommand(),
                QObject* parent = nullptr);
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

    Defaults& inner_;
    Clock& clock_;
    QStringList command_;
    mutable bool edgeTiling_ = false;
    mutable double lastRefresh_ = -1e9;
    mutable QPointer<QProcess> running_;
};

} // namespace tavrin
