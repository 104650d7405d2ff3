#pragma once

#include "platform/automation.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tavrin {

// Pairs a browser's windows on screen with the windows of its session file
// by their titles: a browser titles its window after the front tab
// ("Inbox — Mozilla Firefox", "Inbox - Chromium"; the tab's part cut to 256
// characters by some). The file can name an older front tab (a tab switch
// alone is not written) and may hold no titles at all (known only once a
// page is loaded again), so the tab the window's title shows becomes the
// front one, and an untitled front tab takes its title from the window.
namespace BrowserWindowMatch {

// For each window title in order, the session window it shows, with its
// front tab as the title shows it and the title as its `windowTitle`; titles
// that show none are left out. Pairs are one to one, and none is guessed:
// windows on screen with the same title, or a title that shows two session
// windows as well, get none. A private window (its title ending in
// " Private Browsing") is never written to the file and gets none; a window
// no session window explains (an incognito one) gets none either, except
// that a last window on screen and a last session window whose front tab is
// untitled in the file (not yet loaded again) are taken as each other's.
QList<BrowserWindow> match(const QStringList& windowTitles, QList<BrowserWindow> session);
// Whether the window title marks a private window.
bool isPrivate(const QString& windowTitle);
// The tab's part of a browser window's title: up to its last " — " or " - ".
QString tabTitle(const QString& windowTitle);

} // namespace BrowserWindowMatch

} // namespace tavrin
