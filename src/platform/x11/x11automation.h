#pragma once

#include "platform/automation.h"

namespace tavrin {

class DesktopEntries;
class X11Windows;
class X11Workspace;
struct X11WindowInfo;

// Asking applications on the Linux desktop, which has no scripting of other
// applications and no consent for it: each request is answered from the
// application's own files and processes, and script texts are never read.
// An application's windows are the managed windows whose desktop entry,
// name, window class or program is one of the target's.
// - A browser's windows are its session file's windows (the Firefox family
//   when its profiles folder holds "profiles.ini", else the Chromium
//   family), matched to its windows on screen by their titles.
// - A browser's new window is started through its desktop entry (else its
//   program) with "--new-window", "--" and the web addresses, the one to be
//   in front last: no browser here can be told to bring a tab to the front.
// - A terminal's window is in the folder of its foreground shell, for a
//   terminal process that shows one window.
class X11Automation : public Automation {
public:
    X11Automation(DesktopEntries& entries, X11Windows& windows, X11Workspace& workspace)
        : entries_(entries),
          windows_(windows),
          workspace_(workspace)
    {}

    bool scriptsApplications() const override { return false; }
    std::optional<QList<BrowserWindow>> browserWindows(const AutomationTarget& app, const QString& script,
                                                       double timeLimit) override;
    bool openWindow(const AutomationTarget& app, const QStringList& urls, const QString& script,
                    double timeLimit) override;
    // Browsers offer no way to pick a tab from outside: never done.
    bool selectTab(const AutomationTarget& app, int window, int tab, const QString& script, double timeLimit) override;
    std::optional<QList<FolderWindow>> windowFolders(const AutomationTarget& app, const QString& script,
                                                     double timeLimit) override;
    // Nothing asks for consent here.
    int permission(const QString& bundleId, bool ask) override;

    // The command that opens a new window of the browser started by
    // `entryCommand` (program and arguments) holding the web (http and https)
    // addresses of `urls`, the first (the one to be in front) opened last;
    // empty when there is none.
    static QStringList newWindowCommand(const QStringList& entryCommand, const QStringList& urls);

private:
    struct Shown {
        int pid = 0;
        QString title;
    };
    // The target's windows on screen, front to back. Main thread.
    QList<Shown> windowsOf(const AutomationTarget& app);
    bool belongs(const X11WindowInfo& window, const AutomationTarget& app);

    DesktopEntries& entries_;
    X11Windows& windows_;
    X11Workspace& workspace_;
};

} // namespace tavrin
