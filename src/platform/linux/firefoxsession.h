#pragma once

#include "platform/automation.h"

#include <QByteArray>
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

// The file's windows in order, each with its tabs' current pages and the
// tab in front; none when the file is not such a file or is cut short.
std::optional<QList<BrowserWindow>> parse(const QByteArray& file);
// The windows of every profile under `profilesFolder` (the one that holds
// "profiles.ini") that has a session file; none when no profile has a
// readable one.
std::optional<QList<BrowserWindow>> read(const QString& profilesFolder);

} // namespace FirefoxSession

} // namespace tavrin
