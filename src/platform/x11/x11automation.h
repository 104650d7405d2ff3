#pragma once

#include "platform/automation.h"

#include <QDeadlineTimer>
#include <xcb/xcb.h>

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
//   family), matched to its windows on screen by their titles, frames and
//   stacking; each names the window it was matched to.
// - A browser's new window is started through its desktop entry (else its
//   program), with web addresses only. No browser here can be told from
//   outside which tab to show, so the one to be in front is opened where
//   each shows it: a Chromium-family browser shows the first address of
//   each command, so the tabs before the front one open with
//   "--new-window" and the rest (the front one first) are added by a
//   second command; Firefox takes one address after "--new-window" and one
//   per "--new-tab" command, and shows the tab opened last, so the front
//   tab comes last. A browser that does not run is started by the first
//   command. Both add the later commands' tabs to the window the user
//   used last, which a new window becomes only once it is focused: each
//   later command waits for the new window to be the active one, then is
//   sent, and is waited for.
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
    // The newest session file of the browser's running profiles. Firefox
    // writes its file every 15 s while something changed; Chromium appends
    // a change within about 5 s (a window that was only moved much later).
    std::optional<SessionWrite> sessionWrite(const AutomationTarget& app) override;
    bool openWindow(const AutomationTarget& app, const QStringList& urls, int front, const QString& script,
                    double timeLimit) override;
    // Browsers offer no way to pick a tab from outside: never done.
    bool selectTab(const AutomationTarget& app, int window, int tab, const QString& script, double timeLimit) override;
    // Firefox's: the windows of its recovery file, where it ended uncleanly.
    int windowsRestoredOnStart(const AutomationTarget& app) override;
    std::optional<QList<FolderWindow>> windowFolders(const AutomationTarget& app, const QString& script,
                                                     double timeLimit) override;
    // Nothing asks for consent here.
    int permission(const QString& bundleId, bool ask) override;

    // The commands, to run one after the other, that open a new window of
    // the browser started by `entryCommand` (program and arguments) holding
    // the web (http and https) addresses of `urls` in their order with
    // `urls[front]` in front (where it is not a web address, the next one
    // that is, else the last); none when there is no such address.
    // `firefox`: a browser of the Firefox family, whose front tab moves to
    // the end.
    static QList<QStringList> newWindowCommands(const QStringList& entryCommand, const QStringList& urls, int front,
                                                bool firefox);
    // The folder of a browser's profiles the table names under the home
    // folder (".mozilla/firefox", ".config/chromium"), where it is here: a
    // ".config" folder under $XDG_CONFIG_HOME, Firefox's under
    // "$XDG_CONFIG_HOME/mozilla/firefox" where that holds "profiles.ini".
    static QString profilesFolder(const QString& profiles);

private:
    struct Shown {
        xcb_window_t id = 0;
        int pid = 0;
        QString title;
        Rect frame, client;
    };
    // The target's windows on screen, front to back. Main thread.
    QList<Shown> windowsOf(const AutomationTarget& app);
    // Waits, until `deadline`, for a window of the target that is not among
    // `before`; 0 when none came.
    xcb_window_t newWindow(const AutomationTarget& app, const QList<Shown>& before, const QDeadlineTimer& deadline);
    // Makes `window` the active one and waits, until `deadline`, until the
    // server says it is; whether it is.
    bool makeActive(xcb_window_t window, const QDeadlineTimer& deadline);
    bool belongs(const X11WindowInfo& window, const AutomationTarget& app);

    DesktopEntries& entries_;
    X11Windows& windows_;
    X11Workspace& workspace_;
};

} // namespace tavrin
