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
// front tab as the title shows it; titles that show none are left out. A
// last window on screen and a last session window that no title paired are
// taken as each other's.
QList<BrowserWindow> match(const QStringList& windowTitles, QList<BrowserWindow> session);
// The tab's part of a browser window's title: up to its last " — " or " - ".
QString tabTitle(const QString& windowTitle);

} // namespace BrowserWindowMatch

} // namespace tavrin
