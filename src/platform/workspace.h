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
    // Addresses with this scheme name a page of the desktop's settings;
    // `openUrl` opens the desktop's own settings there, or at their start
    // page where the desktop has no such page.
    static inline const QString kSettingsScheme = QStringLiteral("x-apple.systempreferences");
    // The settings pages known by name: where windows and edge tiling are
    // set, and the query of the page where programs are allowed to control
    // the desktop.
    static inline const QString kDesktopSettingsPage = QStringLiteral("com.apple.Desktop-Settings.extension");
    // Where the desktop's online accounts (and the calendars they bring)
    // are added; only some desktops have such a page.
    static inline const QString kOnlineAccountsPage = QStringLiteral("com.apple.Internet-Accounts-Settings.extension");
    static inline const QString kAccessibilitySettingsQuery = QStringLiteral("Privacy_Accessibility");

    using QObject::QObject;

    virtual std::vector<RunningApp> runningApplications() = 0;
    virtual std::optional<RunningApp> frontmostApplication() = 0;
    virtual std::optional<RunningApp> application(int pid) = 0;
    virtual int currentPid() = 0;

    // Starts an installed application (by its location); the launch happens
    // asynchronously and is announced by `applicationLaunched`. False when the
    // location names no application.
    virtual bool launchApplication(const QString& location) = 0;
    // The same, leaving the application in front where it is, where the
    // desktop allows that (by default it launches as above).
    virtual bool launchApplicationInBackground(const QString& location) { return launchApplication(location); }
    // Opens an address, with the given application or the default one; a
    // settings address opens the desktop's settings. False when nothing opened.
    virtual bool openUrl(const QUrl& url, const QString& applicationLocation = {}) = 0;
    // How opening a settings address went: the page opened; the desktop's
    // settings have no such page (online accounts on some desktops); or no
    // settings program of this desktop is installed (or none started).
    enum class SettingsOpening { opened, noSuchPage, noProgram };
    // Opens the desktop's own settings at the page a settings address names
    // (or at their start where the desktop has no page of its own for it).
    virtual SettingsOpening openSettings(const QUrl& address)
    {
        return openUrl(address) ? SettingsOpening::opened : SettingsOpening::noProgram;
    }
    // Where the setting a settings address names is, in the program that
    // opens it, when that program can't be told to open there: the program's
    // name and its tab ("Window Manager Tweaks", "Accessibility"). None where
    // the program opens on the setting's page.
    struct SettingsTab {
        QString program;
        QString tab;
    };
    virtual std::optional<SettingsTab> settingsTab(const QUrl&) { return std::nullopt; }
    // The location of the application that opens this address, or empty.
    virtual QString applicationForUrl(const QUrl& url) = 0;
    // Where an application with this name is installed, or empty.
    virtual QString applicationLocation(const QString& name) = 0;
    // The names of the applications installed here (launchable ones, shown
    // to the user), running or not; no particular order, possibly repeated.
    // Reads the disk on the calling thread.
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
