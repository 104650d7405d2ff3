#pragma once

#include "platform/defaults.h"

#include <QPointer>

class QProcess;

namespace tavrin {

class Clock;

// The settings store of the X11 desktop: the user's settings as the given
// store keeps them, and as the read-only "com.apple.WindowManager" domain the
// desktop's own edge tiling — GNOME's "edge-tiling" where GNOME's settings
// exist, else off. GNOME's value is read in the background and refreshed at
// most every kRefreshInterval seconds, so reads never wait.
class X11Defaults : public Defaults {
    Q_OBJECT
public:
    static constexpr double kRefreshInterval = 10.0;

    X11Defaults(Defaults& inner, Clock& clock, QObject* parent = nullptr);
    ~X11Defaults() override;

    std::optional<QVariant> value(const QString& key) const override;
    void setValue(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;
    QStringList keys() const override;
    std::optional<QVariant> foreignValue(const QString& domain, const QString& key) const override;
    QString saveProblem() const override;

    // The command that prints GNOME's setting (for tests); read at once.
    void setEdgeTilingCommand(const QStringList& command);
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
