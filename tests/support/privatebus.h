#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace tavrin {

// A session bus of the test's own: a dbus-daemon started for it and ended
// with it. `address()` is empty, and `problem()` says why, when no daemon
// could be started.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    QString address() const { return address_; }
    QString problem() const { return problem_; }
    // A new connection to the bus under this name.
    QDBusConnection connect(const QString& name);

private:
    QProcess daemon_;
    QString address_;
    QString problem_;
    QStringList connections_;
};

} // namespace tavrin
