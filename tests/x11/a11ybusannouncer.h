#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace tavrin {

// Answers "where is the accessibility bus?" on a session bus, as a desktop's
// accessibility launcher does, with the address of a bus the test started.
//
// Qt looks for the accessibility bus this way only: when the address comes
// from AT_SPI_BUS_ADDRESS instead, its bridge is told it is enabled before it
// listens, and never publishes the program's objects.
class A11yBusAnnouncer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.a11y.Bus")

public:
    // Registers on `session`; `registered()` says whether it could.
    A11yBusAnnouncer(QDBusConnection session, QString accessibilityBus);
    ~A11yBusAnnouncer() override;

    bool registered() const { return registered_; }

public slots:
    Q_SCRIPTABLE QString GetAddress() const { return address_; }

private:
    QDBusConnection session_;
    QString address_;
    bool registered_ = false;
};

} // namespace tavrin
