#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace tavrin {

// One browser window as the browser integration reads it for a plan request:
// its front tab's title and (cleaned) address, and the titles of its other
// tabs when those were asked for.
struct BrowserWindowTabs {
    QString title;
    QString url;
    QStringList others;

    bool operator==(const BrowserWindowTabs&) const = default;
};

// Browser windows by application name, each application's windows in the
// order the browser lists them.
using BrowserTabMap = QHash<QString, QList<BrowserWindowTabs>>;

// The entry read for a window of this title: the one titled exactly so, else
// the first with a non-empty title that the window title begins with; null
// when there is none (or the title is empty).
const BrowserWindowTabs* tabsMatching(const QString& windowTitle, const QList<BrowserWindowTabs>& windows);

} // namespace tavrin
