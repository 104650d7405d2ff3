#pragma once

#include "platform/automation.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace tavrin {

// The windows a browser of the Firefox family keeps in its session file
// ("sessionstore-backups/recovery.jsonlz4" of a profile, rewritten whole
// while the browser runs): "mozLz40\0", the 32-bit little-endian size of
// what follows unpacked, then one LZ4 block of the session's JSON. Private
// windows are never written.
namespace FirefoxSession {

// What one read keeps at most: the first windows, and in each the first
// tabs (and the one in front).
inline constexpr int kMaxWindowsRead = 64;
inline constexpr int kMaxTabsRead = 200;

// The file's windows in order, each with its tabs' current pages, the tab
// in front, its outer frame ("screenX", "screenY", "width", "height") and
// how recently it was in use ("zIndex"); none when the file is not such a file, is cut short or
// unpacks to more than a real session holds.
std::optional<QList<BrowserWindow>> parse(const QByteArray& file);
// The windows of every profile under `profilesFolder` (the one that holds
// "profiles.ini") whose browser runs (it holds the profile's "lock"): those
// of its session file, none yet where it has written none in this run; no
// answer when no such profile has a readable file or none at all.
std::optional<QList<BrowserWindow>> read(const QString& profilesFolder);
// When the newest of those files was written (a running profile without
// one: at the epoch); none when no profile runs.
std::optional<QDateTime> writtenAt(const QString& profilesFolder);
// The windows the browser brings back by itself when it next starts, from
// every profile under `profilesFolder` whose browser does not run and ended
// without its last write on quitting ("sessionstore.jsonlz4" is missing: it
// was killed or crashed): those its recovery file holds. A second unclean end
// in a row ("recentCrashes" in the file reaching the profile's
// "browser.sessionstore.max_resumed_crashes", 1 unless set) or
// "browser.sessionstore.resume_from_crash" set false gets the browser's
// "Restore Session" page instead, which brings back nothing by itself.
QList<BrowserWindow> restoredOnStart(const QString& profilesFolder);

} // namespace FirefoxSession

} // namespace tavrin
