#pragma once

#include <QObject>
#include <QVariantMap>

namespace tavrin {

// Sleep and session changes from systemd-logind on the system bus, and the
// session's screen saver coming on (its ActiveChanged(true) on the session
// bus, where one runs), which counts as the session being locked. Where
// there is no bus, no logind or no screen saver, it stays silent about it.
class LogindMonitor : public QObject {
    Q_OBJECT
public:
    explicit LogindMonitor(QObject* parent = nullptr);

    bool isConnected() const { return connected_; }

signals:
    void willSleep();
    void sessionLocked();
    void sessionInactive();

private slots:
    void onPrepareForSleep(bool start);
    void onSessionProperties(const QString& interface, const QVariantMap& changed, const QStringList& invalidated);
    void onLock();
    void onScreenSaver(bool active);

private:
    void watchSession(const QString& path);
    bool connected_ = false;
};

} // namespace tavrin
