#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

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

// A tab title's form for comparison: trimmed, lower-cased, without a leading
// unread count such as "(3) " or "(99+) ", every run of white space one
// space.
QString normaliseTabTitle(const QString& title);

// The one title of `titles` that `wanted` designates: itself when listed;
// else (unless its normal form is shorter than 3 characters) the first title
// with the same normal form; else the only title whose normal form begins
// with its normal form or (being at least 3 characters long) begins it; else
// the only title whose normal form contains its normal form. None when no
// title or several titles qualify at the step that decides.
std::optional<QString> cleanTabTitle(const QString& wanted, const QStringList& titles);

} // namespace tavrin
