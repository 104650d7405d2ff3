#pragma once

#include <QObject>
#include <QVariantMap>

namespace tavrin {

// Sleep and session changes from systemd-logind on the system bus. Where
// there is no system bus or no logind, it stays silent.
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

private:
    void watchSession(const QString& path);
    bool connected_ = false;
};

} // namespace tavrin
