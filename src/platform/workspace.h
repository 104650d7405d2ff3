#pragma once

#include "platform/runningapp.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>
#include <vector>

namespace tavrin {

// Running applications and the desktop session: launching, opening
// addresses, hiding and quitting, and the notifications about them.
class Workspace : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual std::vector<RunningApp> runningApplications() = 0;
    virtual std::optional<RunningApp> frontmostApplication() = 0;
    virtual std::optional<RunningApp> application(int pid) = 0;
    virtual int currentPid() = 0;

    // Starts an installed application (by its location); the launch happens
    // asynchronously and is announced by `applicationLaunched`. False when the
    // location names no application.
    virtual bool launchApplication(const QString& location) = 0;
    // Opens an address, with the given application or the default one.
    virtual bool openUrl(const QUrl& url, const QString& applicationLocation = {}) = 0;
    // The location of the application that opens this address, or empty.
    virtual QString applicationForUrl(const QUrl& url) = 0;
    // Where an application with this name is installed, or empty.
    virtual QString applicationLocation(const QString& name) = 0;
    // The names of the applications installed here (launchable ones, shown
    // to the user), running or not; no particular order.
    virtual QStringList installedApplicationNames() = 0;

    virtual bool hide(int pid) = 0;
    virtual bool unhide(int pid) = 0;
    virtual bool terminate(int pid) = 0;
    virtual bool activate(int pid) = 0;

    // The names of the mounted disk-image volumes (a file manager's window
    // titled so shows one).
    virtual QStringList mountedDiskImageNames() = 0;

    virtual void beep() = 0;
    // One line in the system log.
    virtual void log(const QString& line) = 0;

signals:
    void applicationActivated(const tavrin::RunningApp& app);
    void applicationLaunched(const tavrin::RunningApp& app);
    void applicationTerminated(const tavrin::RunningApp& app);
    void willSleep();
    void screensDidSleep();
    void sessionDidResignActive();
    void willTerminate();
};

} // namespace tavrin
