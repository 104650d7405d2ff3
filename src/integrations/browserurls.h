#pragma once

#include "workspaces/browsertabs.h"

#include <QSet>
#include <QString>
#include <optional>
#include <qcoro/qcorotask.h>

namespace tavrin {

// The browsers whose windows can be scripted: reading each window's front
// tab (address and title) and other tab titles for plan requests, and
// bringing a window to a tab. The reads for plan requests run one at a time,
// apart from the integrations' other scripts.
class BrowserURLs {
public:
    static constexpr int kMaxOtherTitles = 30;
    static constexpr int kMaxTitleLength = 120;

    // The Chromium family: "Arc", "Google Chrome", "Brave Browser",
    // "Microsoft Edge", "Vivaldi", "Dia".
    static const QSet<QString>& chromium();
    // Safari and the Chromium family, by exact name; on Linux, the browsers
    // of the integrations table by any of their names.
    static bool isSupported(const QString& app);

    // The windows of the supported browsers among `apps` (with their other
    // tabs' titles when asked), by application; empty when nothing was read
    // within `timeout` seconds. A read that runs past the limit is not
    // interrupted: the call returns when it ends, and its answer is dropped.
    // Does not fail.
    static QCoro::Task<BrowserTabMap> tabs(QSet<QString> apps, bool otherTitles, double timeout);
    // The one-line script that reads a browser's windows; none for an
    // application that is not supported.
    static std::optional<QString> readScript(const QString& app, bool otherTitles);
    // Asks the browser with that script: its windows with a web address in
    // front (addresses cleaned), in the browser's order. Blocks the caller.
    static QList<BrowserWindowTabs> run(const QString& app, bool otherTitles);

    // Brings the open window of browser `app` titled `windowTitle` (as
    // Accessibility reports it) to the tab that `tab` designates; true when
    // a tab was selected. Blocks the caller.
    static bool restoreScript(const QString& app, const QString& windowTitle, const QString& tab);
};

} // namespace tavrin
