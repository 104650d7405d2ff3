#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>

namespace tavrin {

// The running Tavrin on the session bus, for a second start on the same
// settings: the second `tavrin` asks it to open its menu-bar window instead
// of running beside it. The bus name carries the settings file's path, so
// that each Tavrin answers for its own settings only.
class InstanceService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "app.tavrin.Instance")
public:
    static inline const QString kObjectPath = QStringLiteral("/app/tavrin/Instance");
    static inline const QString kInterface = QStringLiteral("app.tavrin.Instance");
    // How long a second start waits for the running one's answer.
    static constexpr int kLimitMs = 5000;

    // "app.tavrin.Instance.s" and a digest of the settings file's path.
    static QString serviceName(const QString& settingsPath);

    // `openWindow` opens the menu-bar window; `options` say how this Tavrin
    // was started (`CommandLine::instanceOptions()`), `runningOn` where
    // ("the X11 desktop (:0)").
    InstanceService(std::function<void()> openWindow, QString options, QString runningOn, QObject* parent = nullptr);

    // Puts the object and the name on the bus; false, with a sentence in
    // `problem`, when the bus is not there or refuses. True with a sentence
    // when another process holds the name: this one takes it when it is
    // free.
    bool publish(QDBusConnection bus, const QString& settingsPath, QString* problem = nullptr);

    struct Answer {
        bool reached = false; // a Tavrin on these settings answered
        bool opened = false;  // it runs with the same options and opened its window
        QString runningOn;    // as it says, shown only through echoed()
        QString distrusted;   // why whoever holds the name was not asked
    };
    // Asks the Tavrin running on `settingsPath` to open its menu-bar window
    // if it runs with `options`; a process that is no Tavrin of this user
    // is not asked. Waits at most kLimitMs for each answer.
    static Answer askRunning(QDBusConnection bus, const QString& settingsPath, const QString& options);

public slots:
    Q_SCRIPTABLE QString RunningOn() const { return runningOn_; }
    // Opens the menu-bar window when `options` are this Tavrin's; false,
    // and nothing opened, otherwise.
    Q_SCRIPTABLE bool Open(const QString& options);

private:
    std::function<void()> openWindow_;
    QString options_;
    QString runningOn_;
};

} // namespace tavrin
