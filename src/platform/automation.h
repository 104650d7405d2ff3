#pragma once

#include "platform/axelement.h"
#include "platform/geometry.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

namespace tavrin {

// The application an integration asks about, by every name the desktop may
// know it by.
struct AutomationTarget {
    QString app;             // the name its windows are reported under (and scripts use)
    QString bundleId;        // the identifier consent is asked for; may be empty
    QStringList names;       // other names its windows may be reported under here
    QStringList desktopIds;  // the desktop entries it is installed as, in preference order
    QStringList executables; // the programs it runs as, by file name
    QString profiles;        // a browser's folder of profiles, under the home folder; empty for others
};

// Whether `url` may be kept for a browser and given to one: an http or https
// address with a host, without spaces or control characters (nothing a
// browser could take for a switch or a local file).
inline bool isBrowserAddress(const QString& url)
{
    for (const QChar c : url)
        if (c.unicode() <= 0x20 || c.unicode() == 0x7f)
            return false;
    const QUrl address(url, QUrl::StrictMode);
    return address.isValid() && !address.host().isEmpty()
           && (address.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0
               || address.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0);
}

// One tab of a browser window.
struct BrowserTab {
    QString title;
    QString url;
    bool operator==(const BrowserTab&) const = default;
};

// One window of a browser: its tabs in order and which is in front.
struct BrowserWindow {
    QList<BrowserTab> tabs;
    int front = 0; // an index into tabs
    // Where the browser last wrote the window was: its outer frame in screen
    // pixels, when its answer says.
    std::optional<Rect> bounds;
    // How recently the browser says the window was in use among its others:
    // 0 the last one; -1 when it does not say.
    int lastUsed = -1;
    // The window on screen it was paired with, where the browser's own
    // answer does not say which window it is (empty and invalid otherwise):
    // its title and its element.
    QString windowTitle;
    AXElement window;

    const BrowserTab* frontTab() const { return front >= 0 && front < tabs.size() ? &tabs[front] : nullptr; }
    bool operator==(const BrowserWindow&) const = default;
};

// One window of a terminal or a file manager: its title, and the folder it
// is in or, where the application tells only that, its terminal device;
// `window` is the window on screen, where the answer says which it is (then
// windows of one title are told apart).
struct FolderWindow {
    QString title;
    QString folder;
    QString device;
    AXElement window = {};
    bool operator==(const FolderWindow&) const = default;
};

// Asking other applications what their windows show and having them open or
// bring back pages. Each call says what is wanted; `script` is the text that
// asks for it where applications are scripted (a desktop that does not
// script them answers from the applications' own files and processes and
// leaves it unread). May be called from any thread; a call blocks until the
// application has answered, at most `timeLimit` seconds (past it the call
// counts as unanswered).
class Automation {
public:
    // The statuses of a consent check.
    static constexpr int kAllowed = 0;
    static constexpr int kNotRunning = -600;
    static constexpr int kNotPermitted = -1743;
    static constexpr int kWouldRequireConsent = -1744;

    virtual ~Automation() = default;

    // Whether applications are scripted here, under the user's consent per
    // application. False: no consent exists and none is needed.
    virtual bool scriptsApplications() const = 0;

    // The windows of a browser with their tabs, in the browser's order; none
    // when it did not answer.
    virtual std::optional<QList<BrowserWindow>> browserWindows(const AutomationTarget& app, const QString& script,
                                                               double timeLimit) = 0;
    // Where browserWindows answers from a file the browser writes now and
    // then: when it last wrote it, and within how many seconds of a change
    // it writes it at the latest. None where the answer is the browser's
    // live state (scripts), or no such file is being written.
    struct SessionWrite {
        QDateTime at;
        double within = 0;
        // The browser marks its private windows in their titles: every
        // other window is in its file once written, a window missing from
        // it is late, never private.
        bool marksPrivate = false;
    };
    virtual std::optional<SessionWrite> sessionWrite(const AutomationTarget&) { return std::nullopt; }
    // Opens a new window of a browser holding `urls` in their order, with
    // `urls[front]` in front; whether it was done.
    virtual bool openWindow(const AutomationTarget& app, const QStringList& urls, int front, const QString& script,
                            double timeLimit) = 0;
    // Brings tab `tab` of window `window` (both counted from 1, windows in
    // the order browserWindows gives them) to the front; whether it was done.
    virtual bool selectTab(const AutomationTarget& app, int window, int tab, const QString& script,
                           double timeLimit) = 0;
    // How many windows the browser, not running now, brings back by itself
    // when it next starts (it ended uncleanly and recovers its last
    // session); 0 when it brings back none, or cannot be told.
    virtual int windowsRestoredOnStart(const AutomationTarget&) { return 0; }
    // The folder of each window of a terminal or a file manager; none when it
    // did not answer.
    virtual std::optional<QList<FolderWindow>> windowFolders(const AutomationTarget& app, const QString& script,
                                                             double timeLimit) = 0;

    // Whether this process may script the application with this bundle
    // identifier: one of the statuses above, or another error status. With
    // `ask`, the system may ask the user first.
    virtual int permission(const QString& bundleId, bool ask) = 0;
};

} // namespace tavrin
