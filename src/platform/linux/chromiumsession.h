#pragma once

#include "platform/automation.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace tavrin {

// The windows a browser of the Chromium family keeps in its session files
// ("Sessions/Session_<number>" of a profile; the largest number is the
// current one). A file is "SNSS", a 32-bit version (1 or 3), then records
// of a 16-bit size, an 8-bit command and its payload (size − 1 bytes), all
// little-endian. Replaying the commands that place tabs in windows, order
// them, record and select their pages and select each window's tab rebuilds
// the windows. Titles are often empty (known only once a page is loaded
// again). Incognito windows are never written.
namespace ChromiumSession {

// The commands read; every other one is passed over.
enum Command : quint8 {
    setTabWindow = 0,               // window id, tab id
    setTabIndexInWindow = 2,        // tab id, index
    updateTabNavigation = 6,        // a pickle: tab id, navigation index, address, title, …
    setSelectedNavigationIndex = 7, // tab id, navigation index
    setSelectedTabInIndex = 8,      // window id, index
    setWindowBounds = 14,           // window id, x, y, width, height, show state
    tabClosed = 16,                 // tab id, …
    windowClosed = 17,              // window id, …
    setActiveWindow = 20,           // window id
};

// The most tabs one read keeps track of: far above real sessions, so that a
// file of made-up records cannot make the read grow without end.
inline constexpr int kMaxTabsRead = 10000;

// The file's windows, each with its tabs in order (their selected pages)
// and the tab in front, as the whole records make them (a file being
// appended to ends inside its last one); none when it is not such a file.
// Each window keeps the bounds written last (its outer frame, which
// a move alone does not rewrite) and whether it was the active one.
std::optional<QList<BrowserWindow>> parse(const QByteArray& file);
// The windows of the current session file of every profile under
// `profilesFolder` (the browser's folder that holds "Local State"), while the
// browser runs (it holds the folder's "SingletonLock"); none when it does not
// or no profile has a readable one.
std::optional<QList<BrowserWindow>> read(const QString& profilesFolder);
// When the newest of those files was written; none when there is none.
std::optional<QDateTime> writtenAt(const QString& profilesFolder);

} // namespace ChromiumSession

} // namespace tavrin
