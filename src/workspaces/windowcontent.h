#pragma once

#include "platform/registration.h"
#include "platform/taskhandle.h"
#include "windows/axwindow.h"
#include "workspaces/browsertabs.h"
#include "workspaces/saveditem.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>
#include <qcoro/qcorotask.h>
#include <vector>

namespace tavrin {

// What the application integrations read from and bring back to windows:
// browser tabs, what each window shows, cleaned web addresses. Plan requests,
// the runner and the command bar use the installed one; without one, windows
// carry their application's name only and addresses stay as they are. Main
// thread.
class WindowContent {
public:
    // What a capture for a save goes by besides its windows: the items of
    // the save it replaces (a window whose read finds nothing takes what it
    // held, see EarlierItems), and what ends its waits for applications
    // whose files are behind their windows.
    struct SaveContext {
        QList<SavedItem> earlier;
        CancelToken cancel;
    };

    virtual ~WindowContent() = default;

    // The front tabs (and, with `otherTitles`, the other tab titles) of the
    // browsers among `apps`; empty when nothing was read within `timeout`
    // seconds.
    virtual QCoro::Task<BrowserTabMap> readTabs(QSet<QString> apps, bool otherTitles, double timeout) = 0;
    // Whether a saved window of `app` comes back with its tabs: `app` is a
    // browser whose integration is switched on.
    virtual bool restoresTabs(const QString& app) = 0;
    // Opens a new window of the running browser `app` holding `urls` in
    // their order, `urls[front]` in front; true when it did (false: the
    // caller opens that address on its own).
    virtual QCoro::Task<bool> restoreTabs(QString app, QStringList urls, int front) = 0;
    // Whether restoreTabs also starts a browser that does not run, with the
    // tabs (else the browser is started first, then given them).
    virtual bool restoreStartsBrowser() { return false; }
    // How many windows browser `app`, not running now, brings back by itself
    // when it starts (it ended uncleanly and recovers its session); 0 when
    // none.
    virtual int windowsRestoredOnStart(const QString& /*app*/) { return 0; }
    // Brings the tab that `tab` designates to the front of the open window of
    // `app` titled `windowTitle`; true when it did.
    virtual QCoro::Task<bool> selectTab(QString app, QString windowTitle, QString tab) = 0;
    // The cleaned form of a web address; none when it is not one.
    virtual std::optional<QString> cleanWebAddress(const QString& address) = 0;
    // What each window shows, one item per window in order. For a save
    // (`save` given) it may wait, bounded, for applications to write what
    // their windows show.
    virtual QCoro::Task<QList<SavedItem>> capture(std::vector<AXWindow> windows,
                                                  std::optional<SaveContext> save = std::nullopt) = 0;

    // The one in use until the handle goes.
    [[nodiscard]] static Registration install(WindowContent& content);
    // The one in use; null when none is.
    static WindowContent* installed();
};

} // namespace tavrin
